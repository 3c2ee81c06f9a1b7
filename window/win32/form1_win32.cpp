#include "form1_win32.h"

#include "control_table.h"
#include "form1_win32_parts.h"

#include <objbase.h>
#include <string>

namespace numir {
namespace {

constexpr wchar_t windowClassName[] = L"NumirAssistantForm1";

bool isOption(std::size_t index) {
    return index < controlTable.size() && controlTable[index].kind == ControlKind::OptionButton;
}

// Option buttons group by their container in the table: the window's two, Frame1's eight.
bool sameGroup(std::size_t a, std::size_t b) {
    return isOption(a) && isOption(b) && controlTable[a].container == controlTable[b].container;
}

} // namespace

Form1Win32::Form1Win32(HINSTANCE instance) : instance_(instance), form_(*this, random_) {
    // The accessible names are handed to screen readers through COM.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, L"IDI_ICON1");
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // the arrow
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = windowClassName;
    RegisterClassExW(&windowClass);
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, windowClassName,
                              widen(texts::programName).c_str(), windowStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this);
    createControls();
    applyLayout(dpiOf(window_));
}

Form1Win32::~Form1Win32() {
    if (IsWindow(window_))
        DestroyWindow(window_);
    for (HFONT font : fonts_)
        if (font)
            DeleteObject(font);
    CoUninitialize();
}

void Form1Win32::show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
}

int Form1Win32::runMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_KEYDOWN && moveWithinOptionGroup(message.hwnd, message.wParam))
            continue;
        if (IsDialogMessageW(window_, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

// The arrow keys move to the next or previous button of the group, in the table's order and
// round the end, and select it, as they do in a dialog's option group.
bool Form1Win32::moveWithinOptionGroup(HWND from, WPARAM key) {
    std::size_t index = controlIndex(from);
    if (!isOption(index))
        return false;
    std::size_t step;
    if (key == VK_RIGHT || key == VK_DOWN)
        step = 1;
    else if (key == VK_LEFT || key == VK_UP)
        step = controlTable.size() - 1;
    else
        return false;
    std::size_t next = index;
    do
        next = (next + step) % controlTable.size();
    while (!sameGroup(next, index));
    setChecked(controlTable[next].id, true);
    SetFocus(controls_[next]);
    return true;
}

LRESULT CALLBACK Form1Win32::windowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Form1Win32*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || message == WM_NCCREATE)
        return DefWindowProcW(window, message, w, l);
    return self->handle(message, w, l);
}

LRESULT Form1Win32::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(w) == BN_CLICKED)
            onClicked(static_cast<std::size_t>(LOWORD(w) - firstControlId));
        return 0;
    case WM_ACTIVATE:
        // As a dialog does: remember the focused control when another window comes to the
        // front (a box, another program), and give the focus back when this one returns.
        if (LOWORD(w) == WA_INACTIVE) {
            rememberFocus();
        } else {
            restoreFocus();
        }
        return 0;
    case WM_SETFOCUS:
        restoreFocus();
        return 0;
    case WM_DPICHANGED:
        applyLayout(HIWORD(w));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window_, message, w, l);
    }
}

void Form1Win32::onClicked(std::size_t index) {
    if (index >= controlTable.size())
        return;
    const Control clicked = controlTable[index].id;
    if (isOption(index))
        setChecked(clicked, true);
    else if (clicked == Control::Command1)
        keepingFocus([this] { form_.start(); });
    else if (clicked == Control::Command2)
        keepingFocus([this] { form_.reset(); });
    else if (clicked == Control::Command3)
        keepingFocus([this] { form_.viewInNotepad(); });
    else if (clicked == Control::Command4)
        DestroyWindow(window_); // Close, without a busy state
}

template <class Command> void Form1Win32::keepingFocus(Command command) {
    rememberFocus();
    command();
    restoreFocus();
}

void Form1Win32::rememberFocus() {
    if (controlIndex(GetFocus()) < controls_.size())
        lastFocus_ = GetFocus();
}

// The control that had the focus last, or the first one of the tab order. A control that is
// disabled for the moment gets it back once its command has ended.
void Form1Win32::restoreFocus() {
    HWND target = lastFocus_ ? lastFocus_ : controls_[0];
    if (IsWindowEnabled(target))
        SetFocus(target);
}

std::size_t Form1Win32::controlIndex(HWND window) const {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (window && controls_[i] == window)
            return i;
    return controls_.size();
}

std::string Form1Win32::text(Control control) const {
    HWND field = controls_[indexOf(control)];
    std::wstring wide(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    int length = GetWindowTextW(field, wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(length));
    return narrow(wide);
}

void Form1Win32::setText(Control control, std::string_view utf8) {
    SetWindowTextW(controls_[indexOf(control)], widen(utf8).c_str());
}

bool Form1Win32::isChecked(Control control) const {
    return SendMessageW(controls_[indexOf(control)], BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form1Win32::setChecked(Control control, bool checked) {
    const std::size_t index = indexOf(control);
    if (checked && isOption(index))
        for (std::size_t i = 0; i < controlTable.size(); ++i)
            if (i != index && sameGroup(i, index))
                SendMessageW(controls_[i], BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(controls_[index], BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (isOption(index))
        updateTabStops(index);
}

// Tab stops at the selected button of a group; at its first one while none is selected.
void Form1Win32::updateTabStops(std::size_t option) {
    std::size_t first = controlTable.size(), selected = controlTable.size();
    for (std::size_t i = 0; i < controlTable.size(); ++i) {
        if (!sameGroup(i, option))
            continue;
        if (first == controlTable.size())
            first = i;
        if (SendMessageW(controls_[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
            selected = i;
    }
    std::size_t stop = selected < controlTable.size() ? selected : first;
    for (std::size_t i = 0; i < controlTable.size(); ++i) {
        if (!sameGroup(i, option))
            continue;
        LONG_PTR style = GetWindowLongPtrW(controls_[i], GWL_STYLE);
        style = i == stop ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP);
        SetWindowLongPtrW(controls_[i], GWL_STYLE, style);
    }
}

void Form1Win32::setEnabled(Control control, bool enabled) {
    EnableWindow(controls_[indexOf(control)], enabled ? TRUE : FALSE);
}

// The class cursor too, so that nothing shows the arrow again until the run has ended.
void Form1Win32::showWaitCursor(bool shown) {
    HCURSOR cursor = LoadCursorW(nullptr, shown ? IDC_WAIT : IDC_ARROW);
    SetClassLongPtrW(window_, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
    SetCursor(cursor);
}

void Form1Win32::showStop(std::string_view title, std::string_view prompt) {
    MessageBoxW(window_, widen(prompt).c_str(), widen(title).c_str(), MB_OK | MB_ICONSTOP);
}

bool Form1Win32::startViewer(std::string_view fileName) {
    // Quoted, for Program Files has a space in its name.
    std::wstring commandLine = L"notepad.exe \"" + widen(fileName) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

} // namespace numir
