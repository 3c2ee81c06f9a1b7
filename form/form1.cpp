#include "form1.h"

#include "companion_notice.h"
#include "control_table.h"
#include "prediction_run.h"

namespace numir {
namespace {

// All four buttons are disabled while a command works, and enabled again on every way out.
class BusyState {
  public:
    explicit BusyState(FormView& view) : view_(view) { setAll(false); }
    ~BusyState() { setAll(true); }
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;

  private:
    void setAll(bool enabled) {
        for (Control button : commandButtons)
            view_.setEnabled(button, enabled);
    }
    FormView& view_;
};

// The wait cursor for as long as a run searches; gone before any box it leads to.
class WaitCursor {
  public:
    explicit WaitCursor(FormView& view) : view_(view) { view_.showWaitCursor(true); }
    ~WaitCursor() { view_.showWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    FormView& view_;
};

template <class... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };
template <class... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

} // namespace

Form1::Form1(FormView& view, RandomSource& random, SeenFolder folder)
    : view_(view), random_(random), folder_(std::move(folder)), predictionFile_(folder_) {}

void Form1::load() {
    if (companionNoticeDue(folder_))
        show(texts::companionNotice());
    restoreStartState();
    // So that the Notepad button always finds a file.
    if (auto error = predictionFile_.ensureExists())
        show(texts::fileError(*error));
}

void Form1::restoreStartState() {
    using enum Control;
    for (Control field : {Text1, Text2, Text3, Text5, Text4, Text6})
        view_.setText(field, "");
    view_.setChecked(replaceOption, true);
    view_.setChecked(Option4, true); // ten lines
    for (Control box : {Check1, Check2, Check3, Check4, Check5})
        view_.setChecked(box, false);
}

TypedInputs Form1::readInputs() const {
    TypedInputs inputs;
    for (auto [button, count] : presetButtons)
        if (view_.isChecked(button))
            inputs.presetCount = count;
    for (const NumberControls& number : numberControls)
        inputs.*number.input = {view_.isChecked(number.box), view_.text(number.field)};
    inputs.append = view_.isChecked(appendOption);
    return inputs;
}

void Form1::show(const texts::Message& message) {
    view_.showStop(message.title, message.prompt);
}

void Form1::start() {
    BusyState busy(view_);
    PredictionOutcome outcome = [this] {
        WaitCursor waiting(view_);
        return runPrediction(settingsFromInputs(readInputs()), predictionFile_, random_);
    }();
    // A run that writes nothing leaves no earlier report in the status line to be read as its
    // own; a refusal of the inputs changes nothing but the box.
    const auto failed = [this](const texts::Message& message) {
        view_.setText(Control::Text4, "");
        show(message);
    };
    std::visit(Overloaded{
                   [this](RunWritten written) {
                       view_.setText(Control::Text4, texts::runReport(written.attempts));
                   },
                   [this](InputError error) { show(texts::inputError(error)); },
                   [&](const FileError& error) { failed(texts::fileError(error)); },
                   [&](SearchStopped) { failed(texts::searchError()); },
                   [&](AttemptLimitReached) { failed(texts::searchError()); },
               },
               outcome);
}

void Form1::reset() {
    BusyState busy(view_);
    restoreStartState();
}

void Form1::viewInNotepad() {
    BusyState busy(view_);
    // By its full name: the file written may be the store's copy, not the folder's own.
    const auto name = std::filesystem::absolute(predictionFile_.path()).u8string();
    if (!view_.startViewer(std::string(name.begin(), name.end())))
        show(texts::viewerNotStarted());
}

} // namespace numir
