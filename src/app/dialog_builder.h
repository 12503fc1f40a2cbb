#pragma once
// Builds a window's controls from a dialog template. Dialog units become pixels with the
// dialog font's base units, the way the system's dialog manager converts them: the
// horizontal base unit is the average width of the 52 Latin letters, rounded, and the
// vertical one the font's height; a position x is x * baseX / 4 and y is y * baseY / 8,
// each rounded to nearest.

#include "app/dialog_templates.h"

#include <QFont>
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

namespace pdt::app {

struct DialogBaseUnits {
    int x = 0;
    int y = 0;
};

// number * numerator / denominator rounded to nearest, halves away from zero, in 64-bit
// arithmetic.
int MulDiv(int number, int numerator, int denominator);

// The template's font at its point size for a 96-dpi screen: its own face when installed,
// else the installed Japanese gothic face the template names as fallback.
QFont dialogFont(const DialogTemplate& dialog);

DialogBaseUnits baseUnitsOf(const QFont& font);

QRect toPixels(const DialogRect& rect, DialogBaseUnits units);

struct BuiltControl {
    const ControlTemplate* control;
    QWidget* widget;
};

struct BuiltDialog {
    DialogBaseUnits units;
    QSize clientSize;
    std::vector<BuiltControl> controls; // table order
};

// Creates the template's controls as children of `client`, gives `client` the dialog font
// and the template's client size (fixed), and chains the tab-stop controls in table order.
BuiltDialog buildDialog(const DialogTemplate& dialog, QWidget* client);

// Moves a top-level window to the middle of its screen's available area, keeping its size.
void centreOnDesktop(QWidget* window);

} // namespace pdt::app
