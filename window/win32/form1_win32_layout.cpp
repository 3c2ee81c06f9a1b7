// The Win32 window's controls: made from the control table in tab order, and placed and
// given their fonts at the window's DPI.
#include "control_table.h"
#include "form1_win32.h"
#include "form1_win32_parts.h"
#include "named_accessible.h"

namespace numir {

std::wstring widen(std::string_view utf8) {
    int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

std::string narrow(std::wstring_view wide) {
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                        nullptr, nullptr);
    return utf8;
}

UINT dpiOf(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    // Present from Windows 10 on; earlier systems have one DPI for the whole screen.
    auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32"), "GetDpiForWindow")));
    if (getDpiForWindow && window)
        return getDpiForWindow(window);
    HDC screen = GetDC(nullptr);
    UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return dpi;
}

namespace {

// Every control is the window's own child, so the dialog manager walks them in the table's
// order; Frame1 only draws its box around the presets. Option buttons are checked by the
// window itself, since a group's members need not stand next to each other, and only the
// selected one is a tab stop.
std::pair<const wchar_t*, DWORD> windowKind(const ControlSpec& spec) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_GROUP;
    switch (spec.kind) {
    case ControlKind::TextField:
        return {L"EDIT", style | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT};
    case ControlKind::CheckBox:
        return {L"BUTTON", style | WS_TABSTOP | BS_AUTOCHECKBOX};
    case ControlKind::OptionButton:
        return {L"BUTTON", style | BS_RADIOBUTTON};
    case ControlKind::Frame:
        return {L"BUTTON", style | BS_GROUPBOX};
    case ControlKind::PushButton:
        break;
    }
    return {L"BUTTON", style | WS_TABSTOP | BS_PUSHBUTTON};
}

// A control's rectangle in twips of the client area.
RECT placeOf(const ControlSpec& spec) {
    int left = spec.left, top = spec.top;
    if (spec.container) {
        const ControlSpec& container = specOf(*spec.container);
        left += container.left;
        top += container.top;
    }
    return {left, top, left + spec.width, top + spec.height};
}

int scaled(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

HFONT japaneseFont(const wchar_t* face, int pixelsAt96, bool fixedPitch, UINT dpi) {
    return CreateFontW(
        -MulDiv(pixelsAt96, static_cast<int>(dpi), 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
        SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
        static_cast<DWORD>(fixedPitch ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS), face);
}

} // namespace

void Form1Win32::createControls() {
    for (std::size_t i = 0; i < controlTable.size(); ++i) {
        const ControlSpec& spec = controlTable[i];
        auto [className, style] = windowKind(spec);
        DWORD extended = spec.kind == ControlKind::TextField ? WS_EX_CLIENTEDGE : 0;
        controls_[i] = CreateWindowExW(
            extended, className, widen(spec.caption).c_str(), style, 0, 0, 0, 0, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstControlId + static_cast<int>(i))),
            instance_, nullptr);
        if (spec.accessibleName)
            giveAccessibleName(controls_[i], widen(spec.accessibleName));
    }
}

// Positions in twips from the table, converted at the window's DPI; the fonts to match.
void Form1Win32::applyLayout(UINT dpi) {
    HFONT old[3] = {fonts_[0], fonts_[1], fonts_[2]};
    fonts_ = {japaneseFont(L"ＭＳ Ｐゴシック", 12, false, dpi),
              japaneseFont(L"ＭＳ ゴシック", 19, true, dpi),
              japaneseFont(L"ＭＳ Ｐゴシック", 11, false, dpi)};
    for (std::size_t i = 0; i < controlTable.size(); ++i) {
        const ControlSpec& spec = controlTable[i];
        RECT place = placeOf(spec);
        MoveWindow(controls_[i], scaled(place.left, dpi), scaled(place.top, dpi),
                   scaled(spec.width, dpi), scaled(spec.height, dpi), FALSE);
        HFONT font = spec.font == ControlFont::FixedGothic         ? fonts_[1]
                     : spec.font == ControlFont::SmallProportional ? fonts_[2]
                                                                   : fonts_[0];
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    RECT frame{0, 0, scaled(clientWidthTwips, dpi), scaled(clientHeightTwips, dpi)};
    AdjustWindowRectEx(&frame, windowStyle, FALSE, WS_EX_CONTROLPARENT);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, TRUE);
    for (HFONT font : old)
        if (font)
            DeleteObject(font);
}

} // namespace numir
