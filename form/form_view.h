// What Form1's behaviour needs from a window toolkit: the controls' contents, the four
// buttons' enabled state, the wait cursor, a modal stop box and a text viewer. Each toolkit's
// window implements it; tests implement it with a recording fake.
#pragma once

#include "control_table.h"

#include <string>
#include <string_view>

namespace numir {

class FormView {
  public:
    virtual ~FormView() = default;

    // Text fields, as UTF-8.
    virtual std::string text(Control control) const = 0;
    virtual void setText(Control control, std::string_view utf8) = 0;
    // Check boxes, and option buttons (selecting one clears the rest of its group).
    virtual bool isChecked(Control control) const = 0;
    virtual void setChecked(Control control, bool checked) = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    // The system's wait cursor over the window while a run searches, since it does not
    // repaint until the run has finished.
    virtual void showWaitCursor(bool shown) = 0;

    // A modal box with the stop icon and one OK button; returns once it is confirmed.
    virtual void showStop(std::string_view title, std::string_view prompt) = 0;
    // Opens the file, by its full name in UTF-8, in the platform's text viewer without waiting;
    // false when it cannot.
    virtual bool startViewer(std::string_view fileName) = 0;
};

} // namespace numir
