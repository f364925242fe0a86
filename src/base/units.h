#pragma once

// Lengths on the card and the sheet are millimetres; the program turns them
// into twips (1/1440 inch) with its own factor of 56.7 twips a millimetre
// (not the exact 56.69), for the canvas, the card image, the preview and
// the paper size asked of the printer alike.
inline constexpr double TwipsPerMm = 56.7;
// Twips in one inch.
inline constexpr double TwipsPerInch = 1440.0;
