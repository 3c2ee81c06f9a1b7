// The program's window in Qt: builds its widgets from the control table, delivers their
// clicks to Form1 and gives Form1 the widgets' contents. What the window does is Form1's.
#pragma once

#include "desktop_services.h"
#include "form1.h"
#include "form_view.h"
#include "random/random_source.h"

#include <QWidget>
#include <memory>

namespace numir {

class Form1Window : public QWidget, public FormView {
  public:
    Form1Window(); // with the real message boxes, viewer and random source
    Form1Window(std::unique_ptr<MessageBoxes> boxes, std::unique_ptr<ViewerLauncher> viewer,
                std::unique_ptr<RandomSource> random);
    ~Form1Window() override;

    // Start-up, once, before the window is first shown.
    void load() { form_.load(); }

    std::string text(std::string_view control) const override;
    void setText(std::string_view control, std::string_view utf8) override;
    bool isChecked(std::string_view control) const override;
    void setChecked(std::string_view control, bool checked) override;
    void setEnabled(std::string_view control, bool enabled) override;
    void showWaitCursor(bool shown) override;
    void showStop(std::string_view title, std::string_view prompt) override;
    bool startViewer(std::string_view fileName) override;

  private:
    void buildControls();
    void connectCommands();
    template <class Widget> Widget* control(std::string_view name) const;

    std::unique_ptr<MessageBoxes> boxes_;
    std::unique_ptr<ViewerLauncher> viewer_;
    std::unique_ptr<RandomSource> random_;
    Form1 form_;
};

} // namespace numir
