// The program's window in Qt: builds its widgets from the control table, delivers their
// clicks to Form1 and gives Form1 the widgets' contents. What the window does is Form1's.
#pragma once

#include "form1.h"
#include "form_view.h"
#include "random/random_source.h"

#include <QWidget>
#include <array>

namespace numir {

class Form1Window : public QWidget, public FormView {
  public:
    Form1Window();

    // Start-up, once, before the window is first shown.
    void load() { form_.load(); }

    std::string text(Control control) const override;
    void setText(Control control, std::string_view utf8) override;
    bool isChecked(Control control) const override;
    void setChecked(Control control, bool checked) override;
    void setEnabled(Control control, bool enabled) override;
    void showWaitCursor(bool shown) override;
    void showStop(std::string_view title, std::string_view prompt) override;
    bool startViewer(std::string_view fileName) override;

  private:
    void buildControls();
    void connectCommands();
    template <class Widget> Widget* widget(Control control) const {
        return static_cast<Widget*>(widgets_[indexOf(control)]);
    }

    std::array<QWidget*, controlTable.size()> widgets_{}; // owned by the window, as children
    ClockSeededRandom random_;
    Form1 form_;
};

} // namespace numir
