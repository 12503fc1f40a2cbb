#pragma once
// The editor's window variants. Only the first argument of the command line matters: the
// hidden word selects the main window with the vendor-information check box.

#include <string>

namespace pdt::app {

enum class DialogVariant { PZ_BIND, PZ_BIND2 };

// PZ_BIND2 when the first argument is the hidden word in any letter case.
DialogVariant ChooseDialogVariant(const std::string* firstArgument);

} // namespace pdt::app
