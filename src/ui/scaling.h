// Scaling the window's layout by a ratio N / D: the arithmetic as pure
// functions, and its application to the window's child widgets.
//
// Every control's left and top and its right and bottom edges are scaled
// (width and height follow from the scaled edges), and every font size; each
// value is multiplied by N and divided by D with rounding to the nearest
// integer, halves away from zero.  One-line edit fields take the height their
// scaled font needs, and list rows scale by the ratio of the list's new font
// size to its old one.  The window keeps its own position and size.
#pragma once

#include "ui/form_layout.h"

class QWidget;

namespace gang {

// value * n / d rounded to the nearest integer (halves away from zero); the
// product is formed in 64 bits.  d must not be 0.
int Mul_Div_Round(int value, int n, int d);

// Bounds with their four edges scaled.
TBounds Scale_Bounds(const TBounds& b, int n, int d);

// Height of a one-line edit field for a font of font_px pixels (23 for 12 px:
// the text plus border and margins).
int Edit_Field_Height(int font_px);

// Self-sizing static texts keep their laid-out width in this property; the
// width never goes below it, and scaling scales it with the control.
constexpr const char* Min_Width_Property = "Min_Width";

// Widens a self-sizing label (one with Min_Width_Property) to its whole
// caption, or back to its laid-out width; other widgets are left alone.
void Fit_Caption_Width(QWidget& label);

// Scales every direct child widget of form (geometry and font pixel size)
// and the form's own font; the form keeps its position and size.
void Apply_Scale(QWidget& form, int n, int d);

} // namespace gang
