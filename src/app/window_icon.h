#pragma once

#include <QIcon>

namespace pdt::app {

// The editor's 32 x 32 icon: a jigsaw piece, drawn here rather than shipped as a file.
QIcon makeWindowIcon();

} // namespace pdt::app
