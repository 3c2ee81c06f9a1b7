// Reads the running Windows program from outside, through the calls screen readers and
// test tools use: which control has the keyboard focus (GetGUIThreadInfo), and each
// control's accessible name (AccessibleObjectFromWindow). Prints UTF-8, one line each.
//   win_probe focus        the focused control's table name, "window" or "none"
//   win_probe names        "Name<TAB>accessible name" for every control of the table
//   win_probe trail N      the focused control each time it changes, N times (5 s at most)
#include "control_table.h"

#include <cstdio>
#include <cstdlib>
#include <initguid.h>
#include <oleacc.h>
#include <string>
#include <windows.h>

using namespace numir;

namespace {

constexpr int firstControlId = 100;

std::string utf8(const wchar_t* wide, int length) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), size, nullptr, nullptr);
    return text;
}

HWND form() {
    return FindWindowW(nullptr, L"NUMIRアシスタント");
}

std::string focusedControl(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!window || !GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ||
        !info.hwndFocus)
        return "none";
    if (info.hwndFocus == window)
        return "window";
    if (GetParent(info.hwndFocus) != window)
        return "other";
    auto index = static_cast<std::size_t>(GetDlgCtrlID(info.hwndFocus) - firstControlId);
    return index < controlTable.size() ? controlTable[index].name : "other";
}

std::string accessibleName(HWND control) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          IID_IAccessible, reinterpret_cast<void**>(&object))))
        return "(no object)";
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    HRESULT result = object->get_accName(self, &name);
    object->Release();
    if (FAILED(result) || !name)
        return "";
    std::string text = utf8(name, static_cast<int>(SysStringLen(name)));
    SysFreeString(name);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    HWND window = form();
    if (!window) {
        std::puts("no window");
        return 1;
    }
    if (command == "focus") {
        std::puts(focusedControl(window).c_str());
    } else if (command == "names") {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        for (std::size_t i = 0; i < controlTable.size(); ++i) {
            HWND control = GetDlgItem(window, firstControlId + static_cast<int>(i));
            std::printf("%s\t%s\n", controlTable[i].name, accessibleName(control).c_str());
        }
        CoUninitialize();
    } else if (command == "trail" && argc > 2) {
        int wanted = std::atoi(argv[2]);
        std::string last = focusedControl(window);
        for (DWORD start = GetTickCount(); wanted > 0 && GetTickCount() - start < 5000; Sleep(2)) {
            std::string now = focusedControl(window);
            if (now != last) {
                std::puts(now.c_str());
                std::fflush(stdout);
                last = now;
                --wanted;
            }
        }
    } else {
        return 2;
    }
    return 0;
}
