#pragma once

#include <QIcon>

namespace pdt::app {

// The editor's icon at every size it is installed in, rendered at build time from the same
// SVG as the installed icons.
QIcon makeWindowIcon();

} // namespace pdt::app
