// The window's 26 controls as data: name, kind, container, caption, place, font and tab
// order. Form1 builds itself from this table; what the controls do is left to Form1.
#pragma once

#include <array>

namespace numir {

enum class ControlKind { TextField, CheckBox, OptionButton, Frame, PushButton };

enum class ControlFont {
    Window,           // the window's own font
    FixedGothic,      // the number fields
    SmallProportional // the one button whose caption needs a smaller face
};

struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* container;        // nullptr: the window itself
    const char* caption;          // for text fields, the text held before start-up clears it
    int left, top, width, height; // twips, relative to the container's outer rectangle
    ControlFont font;
    const char* accessibleName; // nullptr: the caption says it
};

inline constexpr int twipsPerPixel = 15;
inline constexpr int clientWidthTwips = 5385;
inline constexpr int clientHeightTwips = 3660;

using enum ControlKind;
using enum ControlFont;

// In tab order: the position in the table is the control's tab index.
inline constexpr std::array<ControlSpec, 26> controlTable{{
    {"Text1", TextField, nullptr, "Text1", 120, 120, 1935, 375, FixedGothic, "前回番号"},
    {"Check1", CheckBox, nullptr, "前回番号を参考にする", 2160, 120, 2055, 375, Window, nullptr},
    {"Check2", CheckBox, nullptr, "除く番号", 1680, 600, 975, 375, Window, nullptr},
    {"Check3", CheckBox, nullptr, "含む番号", 4320, 600, 1095, 375, Window, nullptr},
    {"Text2", TextField, nullptr, "Text2", 1080, 600, 495, 375, FixedGothic, "除く番号"},
    {"Text3", TextField, nullptr, "Text3", 3720, 600, 495, 375, FixedGothic, "含む番号"},
    {"Option1", OptionButton, nullptr, "追加する", 120, 2400, 1695, 375, Window, nullptr},
    {"Option2", OptionButton, nullptr, "新規に書き込", 120, 2760, 1815, 375, Window, nullptr},
    {"Command1", PushButton, nullptr, "スタート", 1920, 2280, 1575, 375, Window, nullptr},
    {"Command2", PushButton, nullptr, "リセット", 3720, 2280, 1575, 375, Window, nullptr},
    {"Command3", PushButton, nullptr, "メモ帳で見る", 1920, 2760, 1575, 375, SmallProportional,
     nullptr},
    {"Command4", PushButton, nullptr, "閉じる", 3720, 2760, 1575, 375, Window, nullptr},
    {"Frame1", Frame, nullptr, "予想件数", 0, 1200, 5295, 975, Window, nullptr},
    {"Option3", OptionButton, "Frame1", "５件", 480, 240, 735, 180, Window, nullptr},
    {"Option4", OptionButton, "Frame1", "１０件", 1800, 240, 735, 180, Window, nullptr},
    {"Option5", OptionButton, "Frame1", "２０件", 3000, 240, 735, 180, Window, nullptr},
    {"Text4", TextField, nullptr, "Text4", 120, 3240, 4455, 270, Window, "状態"},
    {"Option6", OptionButton, "Frame1", "５０件", 480, 600, 735, 180, Window, nullptr},
    {"Option7", OptionButton, "Frame1", "１００件", 1800, 600, 855, 180, Window, nullptr},
    {"Option8", OptionButton, "Frame1", "２００件", 3000, 600, 855, 180, Window, nullptr},
    {"Option9", OptionButton, "Frame1", "３０件", 4200, 240, 735, 180, Window, nullptr},
    {"Option10", OptionButton, "Frame1", "５００件", 4200, 600, 975, 180, Window, nullptr},
    {"Text5", TextField, nullptr, "Text3", 120, 600, 495, 375, FixedGothic, "除く番号２"},
    {"Check4", CheckBox, nullptr, "", 720, 600, 255, 375, Window, "除く番号２"},
    {"Text6", TextField, nullptr, "Text3", 2760, 600, 495, 375, FixedGothic, "含む番号２"},
    {"Check5", CheckBox, nullptr, "", 3360, 600, 255, 375, Window, "含む番号２"},
}};

// The option buttons of the count presets, in the order the presets are listed.
inline constexpr std::array<const char*, 8> presetOptionNames{
    "Option3", "Option4", "Option5", "Option6", "Option7", "Option8", "Option9", "Option10"};

} // namespace numir
