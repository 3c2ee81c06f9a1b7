// The accessible object of a control that shows no caption: the control's own standard
// object in every respect but its name, which comes from the control table, so that screen
// readers announce what the control is for. Which controls get one is the window's choice.
#pragma once

#include <string>
#include <windows.h>

namespace numir {

// Gives the control the accessible name both ways Windows' screen readers look for it: an
// annotation for the system's own proxies, and an answer to WM_GETOBJECT for MSAA clients.
// The control keeps the name until it is destroyed.
void giveAccessibleName(HWND control, const std::wstring& name);

} // namespace numir
