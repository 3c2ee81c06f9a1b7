// Reads the running Windows program as screen readers do, and prints UTF-8, one line each:
//   win_probe names   "Name<TAB>accessible name" of every control (AccessibleObjectFromWindow)
//   win_probe focus   the focused control's name (GetGUIThreadInfo)
#include "control_table.h"

#include <cstdio>
#include <initguid.h>
#include <oleacc.h>
#include <string>
#include <windows.h>

namespace {

constexpr int firstControlId = 100; // the program's identifiers, in table order

std::string focused(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    auto index = static_cast<std::size_t>(GetDlgCtrlID(info.hwndFocus) - firstControlId);
    if (GetParent(info.hwndFocus) != window || index >= numir::controlTable.size())
        return info.hwndFocus == window ? "window" : "none";
    return numir::controlTable[index].name;
}

std::string accessibleName(HWND control) {
    IAccessible* object = nullptr;
    BSTR name = nullptr;
    VARIANT self{};
    self.vt = VT_I4; // CHILDID_SELF
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          IID_IAccessible, reinterpret_cast<void**>(&object))))
        return "(no object)";
    object->get_accName(self, &name);
    object->Release();
    auto length = static_cast<int>(SysStringLen(name));
    std::string text(static_cast<std::size_t>(length) * 3, '\0');
    text.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, name, length, text.data(), length * 3, nullptr, nullptr)));
    SysFreeString(name);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    HWND window = FindWindowW(nullptr, L"NUMIRアシスタント");
    std::string command = argc > 1 ? argv[1] : "";
    if (!window || (command != "names" && command != "focus"))
        return 1;
    if (command == "names") {
        CoInitialize(nullptr);
        for (std::size_t i = 0; i < numir::controlTable.size(); ++i)
            std::printf(
                "%s\t%s\n", numir::controlTable[i].name,
                accessibleName(GetDlgItem(window, firstControlId + static_cast<int>(i))).c_str());
        return 0;
    }
    std::printf("%s\n", focused(window).c_str());
    return 0;
}
