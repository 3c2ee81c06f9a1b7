#include "form1.h"

#include "companion_notice.h"
#include "control_table.h"
#include "file_error_text.h"
#include "prediction_run.h"

#include <array>

namespace numir {
namespace {

// The status line after a successful run, for the number of combinations drawn.
std::string runReport(std::int32_t attempts) {
    return " 予想を書込みました。 " + std::to_string(attempts) + "個の組合せから選出";
}

constexpr std::string_view launchErrorTitle = "起動エラー";
constexpr std::string_view launchErrorPrompt = "メモ帳を起動できませんでした";
constexpr std::string_view searchErrorTitle = "予想エラー";
constexpr std::string_view searchErrorPrompt =
    "条件に合う組合せを選び切れませんでした\n予想件数を減らしてください";

constexpr std::array<const char*, 4> commandButtons{"Command1", "Command2", "Command3", "Command4"};

// All four buttons are disabled while a command works, and enabled again on every way out.
class BusyState {
  public:
    explicit BusyState(FormView& view) : view_(view) { setAll(false); }
    ~BusyState() { setAll(true); }
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;

  private:
    void setAll(bool enabled) {
        for (const char* button : commandButtons)
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

Form1::Form1(FormView& view, RandomSource& random, std::filesystem::path folder)
    : view_(view), random_(random), folder_(std::move(folder)),
      predictionFile_(folder_ / predictionFileName) {}

void Form1::load() {
    if (companionNoticeDue(folder_ / companionSettingsFileName))
        view_.showStop(companionNoticeTitle, companionNoticePrompt);
    restoreStartState();
    // So that the Notepad button always finds a file.
    if (auto error = predictionFile_.ensureExists())
        showFileError(*error);
}

void Form1::restoreStartState() {
    for (const char* name : {"Text1", "Text2", "Text3", "Text5", "Text4", "Text6"})
        view_.setText(name, "");
    view_.setChecked("Option2", true);
    view_.setChecked("Option4", true);
    for (const char* name : {"Check1", "Check2", "Check3", "Check4", "Check5"})
        view_.setChecked(name, false);
}

TypedInputs Form1::readInputs() const {
    TypedInputs inputs;
    for (std::size_t i = 0; i < presetOptionNames.size(); ++i)
        if (view_.isChecked(presetOptionNames[i]))
            inputs.selectedPreset = static_cast<int>(i);
    inputs.check2 = view_.isChecked("Check2");
    inputs.text2 = view_.text("Text2");
    inputs.check4 = view_.isChecked("Check4");
    inputs.text5 = view_.text("Text5");
    inputs.check3 = view_.isChecked("Check3");
    inputs.text3 = view_.text("Text3");
    inputs.check5 = view_.isChecked("Check5");
    inputs.text6 = view_.text("Text6");
    inputs.check1 = view_.isChecked("Check1");
    inputs.text1 = view_.text("Text1");
    inputs.option1 = view_.isChecked("Option1");
    return inputs;
}

void Form1::showFileError(const FileError& error) {
    view_.showStop(fileErrorTitle, fileErrorPrompt(error));
}

void Form1::start() {
    BusyState busy(view_);
    PredictionOutcome outcome = [this] {
        WaitCursor waiting(view_);
        return runPrediction(settingsFromInputs(readInputs()), predictionFile_, random_);
    }();
    std::visit(
        Overloaded{
            [this](RunWritten written) { view_.setText("Text4", runReport(written.attempts)); },
            [this](InputError error) { view_.showStop(inputErrorTitle, inputErrorPrompt(error)); },
            [this](const FileError& error) { showFileError(error); },
            [this](SearchStopped) { view_.showStop(searchErrorTitle, searchErrorPrompt); },
            [this](AttemptLimitReached) { view_.showStop(searchErrorTitle, searchErrorPrompt); },
        },
        outcome);
}

void Form1::reset() {
    BusyState busy(view_);
    restoreStartState();
}

void Form1::viewInNotepad() {
    BusyState busy(view_);
    if (!view_.startViewer(predictionFileName))
        view_.showStop(launchErrorTitle, launchErrorPrompt);
}

} // namespace numir
