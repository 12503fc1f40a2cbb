#pragma once
// Push buttons keep the size their template gives them, but a style's margins and the
// fonts a system offers can leave a text wider than the room inside the button (Windows'
// own style, with the gothic faces Wine has, cut off the first character of 追加...). Such a
// text is set closer, then smaller, as the labels of the templates are, until it fits.

class QWidget;

namespace pdt::app {

// Fits the text of every push button inside `root`; buttons whose text fits keep their font.
void fitButtonTexts(QWidget* root);

} // namespace pdt::app
