// The window's 26 controls as data: name, kind, container, caption, place, font and tab
// order, and which of them feed which of a run's inputs. The windows build themselves from
// this table; what the controls do is left to Form1.
#pragma once

#include "settings/prediction_settings.h"

#include <array>
#include <cstddef>
#include <optional>
#include <utility>

namespace numir {

enum class ControlKind { TextField, CheckBox, OptionButton, Frame, PushButton };

enum class ControlFont {
    Window,           // the window's own font
    FixedGothic,      // the number fields
    SmallProportional // the one button whose caption needs a smaller face
};

// The controls, in the table's order, which is the tab order.
enum class Control {
    Text1,
    Check1,
    Check2,
    Check3,
    Text2,
    Text3,
    Option1,
    Option2,
    Command1,
    Command2,
    Command3,
    Command4,
    Frame1,
    Option3,
    Option4,
    Option5,
    Text4,
    Option6,
    Option7,
    Option8,
    Option9,
    Option10,
    Text5,
    Check4,
    Text6,
    Check5
};

constexpr std::size_t indexOf(Control control) {
    return static_cast<std::size_t>(control);
}

struct ControlSpec {
    Control id;
    const char* name;
    ControlKind kind;
    std::optional<Control> container; // none: the window itself
    const char* caption;              // for text fields, the text held before start-up clears it
    int left, top, width, height;     // twips, relative to the container's outer rectangle
    ControlFont font;
    const char* accessibleName; // nullptr: the caption says it
};

inline constexpr int twipsPerPixel = 15;
inline constexpr int clientWidthTwips = 5385;
inline constexpr int clientHeightTwips = 3660;

// In tab order: the position in the table is the control's tab index.
// Inside the table, rows name their controls, kinds and fonts without the enums' names.
using enum ControlKind;
using enum ControlFont;
using enum Control;

// clang-format off
inline constexpr std::array<ControlSpec, 26> controlTable{{
    {Text1, "Text1", TextField, {}, "Text1", 120, 120, 1935, 375, FixedGothic, "前回番号"},
    {Check1, "Check1", CheckBox, {}, "前回番号を参考にする", 2160, 120, 2055, 375, Window, nullptr},
    {Check2, "Check2", CheckBox, {}, "除く番号", 1680, 600, 975, 375, Window, nullptr},
    {Check3, "Check3", CheckBox, {}, "含む番号", 4320, 600, 1065, 375, Window, nullptr},
    {Text2, "Text2", TextField, {}, "Text2", 1080, 600, 495, 375, FixedGothic, "除く番号"},
    {Text3, "Text3", TextField, {}, "Text3", 3720, 600, 495, 375, FixedGothic, "含む番号"},
    {Option1, "Option1", OptionButton, {}, "追加する", 120, 2400, 1695, 360, Window, nullptr},
    {Option2, "Option2", OptionButton, {}, "新規に書き込", 120, 2760, 1785, 375, Window, nullptr},
    {Command1, "Command1", PushButton, {}, "スタート", 1920, 2280, 1575, 375, Window, nullptr},
    {Command2, "Command2", PushButton, {}, "リセット", 3720, 2280, 1575, 375, Window, nullptr},
    {Command3, "Command3", PushButton, {}, "メモ帳で見る", 1920, 2760, 1575, 375, SmallProportional, nullptr},
    {Command4, "Command4", PushButton, {}, "閉じる", 3720, 2760, 1575, 375, Window, nullptr},
    {Frame1, "Frame1", Frame, {}, "予想件数", 0, 1200, 5295, 975, Window, nullptr},
    {Option3, "Option3", OptionButton, Frame1, "５件", 480, 240, 735, 180, Window, nullptr},
    {Option4, "Option4", OptionButton, Frame1, "１０件", 1800, 240, 735, 180, Window, nullptr},
    {Option5, "Option5", OptionButton, Frame1, "２０件", 3000, 240, 735, 180, Window, nullptr},
    {Text4, "Text4", TextField, {}, "Text4", 120, 3240, 4455, 270, Window, "状態"},
    {Option6, "Option6", OptionButton, Frame1, "５０件", 480, 600, 735, 180, Window, nullptr},
    {Option7, "Option7", OptionButton, Frame1, "１００件", 1800, 600, 855, 180, Window, nullptr},
    {Option8, "Option8", OptionButton, Frame1, "２００件", 3000, 600, 855, 180, Window, nullptr},
    {Option9, "Option9", OptionButton, Frame1, "３０件", 4200, 240, 735, 180, Window, nullptr},
    {Option10, "Option10", OptionButton, Frame1, "５００件", 4200, 600, 975, 180, Window, nullptr},
    {Text5, "Text5", TextField, {}, "Text3", 120, 600, 495, 375, FixedGothic, "除く番号２"},
    {Check4, "Check4", CheckBox, {}, "", 720, 600, 255, 375, Window, "除く番号２"},
    {Text6, "Text6", TextField, {}, "Text3", 2760, 600, 495, 375, FixedGothic, "含む番号２"},
    {Check5, "Check5", CheckBox, {}, "", 3360, 600, 255, 375, Window, "含む番号２"},
}};
// clang-format on

constexpr bool inTableOrder() {
    for (std::size_t i = 0; i < controlTable.size(); ++i)
        if (indexOf(controlTable[i].id) != i)
            return false;
    return true;
}
static_assert(inTableOrder(), "each control's identifier is its row in the table");

constexpr const ControlSpec& specOf(Control control) {
    return controlTable[indexOf(control)];
}

// Every control inside its container and so inside the window, and no two of one container
// on each other: a control moved out of view or onto another one does not build.
constexpr bool laidOutInPlace() {
    for (const ControlSpec& spec : controlTable) {
        const int width = spec.container ? specOf(*spec.container).width : clientWidthTwips;
        const int height = spec.container ? specOf(*spec.container).height : clientHeightTwips;
        if (spec.left < 0 || spec.top < 0 || spec.left + spec.width > width ||
            spec.top + spec.height > height)
            return false;
        for (const ControlSpec& other : controlTable)
            if (other.id != spec.id && other.container == spec.container &&
                spec.left < other.left + other.width && other.left < spec.left + spec.width &&
                spec.top < other.top + other.height && other.top < spec.top + spec.height)
                return false;
    }
    return true;
}
static_assert(laidOutInPlace(), "each control lies inside its container, on no other");

// The count each preset button stands for, in the order a run reads them.
inline constexpr std::array<std::pair<Control, int>, 8> presetButtons{{
    {Control::Option3, 5},
    {Control::Option4, 10},
    {Control::Option5, 20},
    {Control::Option6, 50},
    {Control::Option7, 100},
    {Control::Option8, 200},
    {Control::Option9, 30},
    {Control::Option10, 500},
}};

// The check box and the field behind each typed number, in the order a run reads them.
struct NumberControls {
    Control box, field;
    TypedNumber TypedInputs::*input;
};
inline constexpr std::array<NumberControls, 5> numberControls{{
    {Control::Check2, Control::Text2, &TypedInputs::exclude1},
    {Control::Check4, Control::Text5, &TypedInputs::exclude2},
    {Control::Check3, Control::Text3, &TypedInputs::include1},
    {Control::Check5, Control::Text6, &TypedInputs::include2},
    {Control::Check1, Control::Text1, &TypedInputs::previousDraw},
}};
inline constexpr Control appendOption = Control::Option1, replaceOption = Control::Option2;
inline constexpr std::array<Control, 4> commandButtons{Control::Command1, Control::Command2,
                                                       Control::Command3, Control::Command4};

} // namespace numir
