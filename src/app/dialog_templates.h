#pragma once
// The dialog templates of the editor as data: the main dialog in its two variants and the
// password prompt. Positions and sizes are dialog units; controls are listed in tab order.
// The windows are built from these tables (dialog_builder.h), so a template change is a
// change of one row.

#include "app/command_line.h"

#include <span>

namespace pdt::app {

// Control and command ids. -1 marks decoration.
inline constexpr int IDC_STATIC = -1;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_CLEAR_COMMENT = 1002;
inline constexpr int IDC_FINISH_COMMENT = 1003;
inline constexpr int IDC_PASSWORD = 1004;
inline constexpr int IDC_PATTERN_LIST = 1007;
inline constexpr int IDC_MOVE_UP = 1008;
inline constexpr int IDC_MOVE_DOWN = 1009;
inline constexpr int IDC_ADD_PATTERN = 1010;
inline constexpr int IDC_ROTATION = 1011;
inline constexpr int IDC_DELETE_PATTERN = 1013;
inline constexpr int IDC_ADD_PUZZLE_IMAGE = 1014;
inline constexpr int IDC_ADD_FINISHED_IMAGE = 1015;
inline constexpr int IDC_EXTRACT_PUZZLE_IMAGE = 1016;
inline constexpr int IDC_EXTRACT_FINISHED_IMAGE = 1017;
inline constexpr int IDC_DELETE_PUZZLE_IMAGE = 1018;
inline constexpr int IDC_DELETE_FINISHED_IMAGE = 1019;
inline constexpr int IDC_PUZZLE_PREVIEW = 1020;
inline constexpr int IDC_FINISHED_PREVIEW = 1021;
inline constexpr int IDC_VENDOR_INFO = 1022;
inline constexpr int IDC_MIN_PIECES = 1024;

inline constexpr int IDM_EXIT = 100;
inline constexpr int IDM_OPEN = 40001;
inline constexpr int IDM_SAVE = 40002;
inline constexpr int IDM_NEW = 40004;

enum class ControlKind {
    EtchedFrame,          // static control drawn as an etched rectangle
    EtchedHorizontalLine, // static control drawn as an etched line
    EtchedVerticalLine,
    StaticText,
    GroupBox,
    PushButton,
    DefaultPushButton,
    CheckBox, // automatic: toggles itself when clicked
    ListBox,
    ComboBox, // drop-down list: the height is that of the opened list
    Edit,
};

// Window styles of a control, as far as they change what the control does.
enum ControlStyle : unsigned {
    kNoStyle = 0,
    kTabStop = 1u << 0,
    kBorder = 1u << 1,
    kVerticalScroll = 1u << 2,
    kNotify = 1u << 3,            // list box: reports selection changes
    kExtendedSelection = 1u << 4, // list box: several entries with Shift and Ctrl
    kNoIntegralHeight = 1u << 5,  // list box: keeps its height whatever the entry height
    kMultiLine = 1u << 6,         // edit
    kWantReturn = 1u << 7,        // edit: Enter inserts a line break
    kPasswordChars = 1u << 8,     // edit: typed characters are hidden
    kAutoHorizontalScroll = 1u << 9,
    kCentred = 1u << 10, // static text
};

struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const DialogRect&) const = default;
};

struct ControlTemplate {
    int id;
    const char* name; // objectName: the id name, or a descriptive name for decoration
    ControlKind kind;
    unsigned style;
    const char* text;           // UTF-8; empty for none
    DialogRect rect;            // dialog units
    const char* accessibleName; // the control's own text or the label that names it
};

struct DialogTemplate {
    const char* name; // "PZ_BIND", "PZ_BIND2", "PASSWORD"
    const char* caption;
    const char* fontFace;     // the face the template names
    const char* fallbackFace; // the installed face closest to it
    int fontPoints;
    int width; // dialog units, client area
    int height;
    std::span<const ControlTemplate> controls; // tab order
};

const DialogTemplate& MainDialogTemplate(DialogVariant variant);
const DialogTemplate& PasswordDialogTemplate();

} // namespace pdt::app
