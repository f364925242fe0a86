#pragma once

#include <QColor>
#include <QRectF>

class QPainter;
class UiServices;
struct Card;
struct QrCode;
struct QrResult;
struct QrSymbol;

// In a bitmap a code reads reliably when each of its modules spans this many
// pixels at least: the card image is made fine enough for that.
constexpr double QrMinModulePixels = 3;

// Draws a QR symbol into square, whose side includes the quiet zone: white
// over the whole square, then the dark modules in dark. Each row's run of
// dark modules is one rectangle and all of them are filled as one path, so
// the code is vector squares at any scale, without seams between modules.
void DrawQrSymbol(QPainter& p, const QRectF& square, const QrSymbol& symbol, const QColor& dark);

// The card's code where and as large as the editor shows it (kept on the
// card, placed), and what it encodes there.
QrResult PlacedQrCode(const Card& card, QrCode& placed);

// Draws the card's QR code at its place on the card, in a painter whose unit
// is the card's millimetre. Nothing is drawn when the card has no code or
// its content is refused (MakeQrCode): a code a phone cannot read is never
// printed. True when a code was drawn.
bool DrawQrCode(QPainter& p, const Card& card);

// Before the card goes to paper or a file: false, after telling the user
// why, when the card's code is switched on but refused. Nothing is then
// printed or exported, so that no card leaves without the code it shows.
bool QrCodePrintable(const Card& card, UiServices& ui);
