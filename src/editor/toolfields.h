#pragma once

#include <cstdint>

class QBoxLayout;
class QDialog;
class QDoubleSpinBox;
class QFrame;
class QString;
class QWidget;

// The parts the windows that work on the card build alike.

// A number field in millimetres to one decimal, from least up, that applies
// a typed number on Enter or when it is left, not at each keystroke.
QDoubleSpinBox* MakeMmField(QWidget* parent, const char* name, double least = 0);

// The window's 閉じる button at the end of its layout, which Enter in a
// number field does not press.
void AddCloseButton(QDialog* window, QBoxLayout* layout);

// A small framed swatch that shows a colour, and its filling with a colour
// as the card holds it.
QFrame* MakeColourSwatch(QWidget* parent, const QString& name);
void FillSwatch(QFrame* swatch, std::int32_t rgb);
