// The program's window in the Win32 API: creates its 26 child windows from the control table
// in tab order, scales the layout to the window's DPI, keeps the keyboard focus and the tab
// stops of the option groups as a dialog does, names the caption-less controls for screen
// readers, delivers the buttons' clicks to Form1 and gives Form1 the controls' contents.
// What the window does is Form1's.
#pragma once

#include "form1.h"
#include "form_view.h"
#include "random/random_source.h"

#include <array>
#include <windows.h>

namespace numir {

class Form1Win32 final : public FormView {
  public:
    explicit Form1Win32(HINSTANCE instance);
    ~Form1Win32() override;
    Form1Win32(const Form1Win32&) = delete;
    Form1Win32& operator=(const Form1Win32&) = delete;

    // Start-up, once, before the window is first shown.
    void load() { form_.load(); }
    void show(int showCommand);
    // Until the window is closed; Tab, Shift+Tab and the arrow keys move as in a dialog.
    int runMessageLoop();

    std::string text(Control control) const override;
    void setText(Control control, std::string_view utf8) override;
    bool isChecked(Control control) const override;
    void setChecked(Control control, bool checked) override;
    void setEnabled(Control control, bool enabled) override;
    void showWaitCursor(bool shown) override;
    void showStop(std::string_view title, std::string_view prompt) override;
    bool startViewer(std::string_view fileName) override;

  private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void createControls();
    void applyLayout(UINT dpi);
    void onClicked(std::size_t index);
    // A command keeps the focus where it was: its busy state and boxes take it away.
    template <class Command> void keepingFocus(Command command);
    void rememberFocus();
    void restoreFocus();
    bool moveWithinOptionGroup(HWND from, WPARAM key);
    void updateTabStops(std::size_t option);
    std::size_t controlIndex(HWND window) const; // the table size if not ours

    HINSTANCE instance_;
    HWND window_ = nullptr;
    HWND lastFocus_ = nullptr; // the control to give the focus back to
    std::array<HWND, controlTable.size()> controls_{};
    std::array<HFONT, 3> fonts_{}; // window, number fields, small button
    ClockSeededRandom random_;
    Form1 form_;
};

} // namespace numir
