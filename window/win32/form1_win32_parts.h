// What the two files of the Win32 window share: the controls' identifiers, the window's
// style, and UTF-8 and UTF-16 text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <windows.h>

namespace numir {

constexpr int firstControlId = 100; // the controls' identifiers, in table order
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);
UINT dpiOf(HWND window);

} // namespace numir
