#include "form1.h"

#include "application_setup.h"
#include "captioned_frame.h"
#include "companion_notice.h"
#include "control_table.h"
#include "prediction_run.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace numir {
namespace {

const QString formTitle = QStringLiteral("NUMIRアシスタント");
const QString fileErrorTitle = QStringLiteral("ファイルエラー");
const QString fileErrorPrompt = QStringLiteral("numir.txt に書き込めませんでした");
const QString launchErrorTitle = QStringLiteral("起動エラー");
const QString launchErrorPrompt = QStringLiteral("メモ帳を起動できませんでした");
const QString searchErrorTitle = QStringLiteral("予想エラー");
const QString searchErrorPrompt =
    QStringLiteral("条件に合う組合せを選び切れませんでした\n予想件数を減らしてください");

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect pixelsOf(const ControlSpec& spec) {
    return {spec.left / twipsPerPixel, spec.top / twipsPerPixel, spec.width / twipsPerPixel,
            spec.height / twipsPerPixel};
}

QWidget* createControl(const ControlSpec& spec, QWidget* parent) {
    const QString caption = QString::fromUtf8(spec.caption);
    switch (spec.kind) {
    case ControlKind::TextField:
        return new QLineEdit(caption, parent);
    case ControlKind::CheckBox:
        return new QCheckBox(caption, parent);
    case ControlKind::OptionButton:
        return new QRadioButton(caption, parent);
    case ControlKind::Frame:
        return new CaptionedFrame(caption, parent);
    case ControlKind::PushButton:
        return new QPushButton(caption, parent);
    }
    return nullptr;
}

// All four buttons are disabled while a command works, and enabled again on every way out.
class BusyState {
  public:
    explicit BusyState(std::array<QPushButton*, 4> buttons) : buttons_(buttons) {
        for (QPushButton* button : buttons_)
            button->setEnabled(false);
    }
    ~BusyState() {
        for (QPushButton* button : buttons_)
            button->setEnabled(true);
    }
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;

  private:
    std::array<QPushButton*, 4> buttons_;
};

template <class... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };

} // namespace

Form1::Form1()
    : Form1(std::make_unique<QtMessageBoxes>(), std::make_unique<QtViewerLauncher>(),
            std::make_unique<ClockSeededRandom>()) {}

Form1::Form1(std::unique_ptr<MessageBoxes> boxes, std::unique_ptr<ViewerLauncher> viewer,
             std::unique_ptr<RandomSource> random)
    : boxes_(std::move(boxes)), viewer_(std::move(viewer)), random_(std::move(random)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(formTitle);
    setWindowIcon(applicationIcon());
    setFont(windowFont());
    setFixedSize(clientWidthTwips / twipsPerPixel, clientHeightTwips / twipsPerPixel);
    buildControls();
    connectCommands();
}

Form1::~Form1() = default;

template <class Widget> Widget* Form1::control(const char* name) const {
    return findChild<Widget*>(QString::fromLatin1(name));
}

void Form1::buildControls() {
    QWidget* previous = nullptr;
    for (const ControlSpec& spec : controlTable) {
        QWidget* parent = spec.container ? control<QWidget>(spec.container) : this;
        QWidget* widget = createControl(spec, parent);
        widget->setObjectName(QString::fromLatin1(spec.name));
        widget->setGeometry(pixelsOf(spec));
        if (spec.font == ControlFont::FixedGothic)
            widget->setFont(numberFieldFont());
        else if (spec.font == ControlFont::SmallProportional)
            widget->setFont(smallButtonFont());
        if (spec.accessibleName)
            widget->setAccessibleName(QString::fromUtf8(spec.accessibleName));
        if (spec.kind == ControlKind::Frame)
            continue; // a frame never takes the focus
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
}

void Form1::connectCommands() {
    connect(control<QPushButton>("Command1"), &QPushButton::clicked, this, &Form1::start);
    connect(control<QPushButton>("Command2"), &QPushButton::clicked, this, &Form1::reset);
    connect(control<QPushButton>("Command3"), &QPushButton::clicked, this, &Form1::viewInNotepad);
    connect(control<QPushButton>("Command4"), &QPushButton::clicked, this, &QWidget::close);
}

std::array<QPushButton*, 4> Form1::commandButtons() const {
    return {control<QPushButton>("Command1"), control<QPushButton>("Command2"),
            control<QPushButton>("Command3"), control<QPushButton>("Command4")};
}

void Form1::showStop(const QString& title, const QString& prompt) {
    boxes_->showStop(this, title, prompt);
}

void Form1::load() {
    if (companionNoticeDue(companionSettingsFileName))
        showStop(QString::fromUtf8(companionNoticeTitle), QString::fromUtf8(companionNoticePrompt));
    restoreStartState();
    // So that the Notepad button always finds a file.
    if (auto error = predictionFile_.ensureExists())
        showStop(fileErrorTitle, fileErrorPrompt + '\n' + QString::fromStdString(error->reason));
}

void Form1::restoreStartState() {
    for (const char* name : {"Text1", "Text2", "Text3", "Text5", "Text4", "Text6"})
        control<QLineEdit>(name)->clear();
    control<QRadioButton>("Option2")->setChecked(true);
    control<QRadioButton>("Option4")->setChecked(true);
    for (const char* name : {"Check1", "Check2", "Check3", "Check4", "Check5"})
        control<QCheckBox>(name)->setChecked(false);
}

TypedInputs Form1::readInputs() const {
    TypedInputs inputs;
    for (std::size_t i = 0; i < presetOptionNames.size(); ++i)
        if (control<QRadioButton>(presetOptionNames[i])->isChecked())
            inputs.selectedPreset = static_cast<int>(i);
    auto checked = [this](const char* name) { return control<QCheckBox>(name)->isChecked(); };
    auto text = [this](const char* name) { return control<QLineEdit>(name)->text().toStdString(); };
    inputs.check1 = checked("Check1");
    inputs.check2 = checked("Check2");
    inputs.check3 = checked("Check3");
    inputs.check4 = checked("Check4");
    inputs.check5 = checked("Check5");
    inputs.text1 = text("Text1");
    inputs.text2 = text("Text2");
    inputs.text3 = text("Text3");
    inputs.text5 = text("Text5");
    inputs.text6 = text("Text6");
    inputs.option1 = control<QRadioButton>("Option1")->isChecked();
    return inputs;
}

void Form1::start() {
    BusyState busy(commandButtons());
    PredictionOutcome outcome =
        runPrediction(settingsFromInputs(readInputs()), predictionFile_, *random_);
    std::visit(Overloaded{
                   [this](const std::string& report) {
                       control<QLineEdit>("Text4")->setText(QString::fromStdString(report));
                   },
                   [this](InputError error) {
                       showStop(fromUtf8(inputErrorTitle), fromUtf8(inputErrorPrompt(error)));
                   },
                   [this](const FileError& error) {
                       showStop(fileErrorTitle,
                                fileErrorPrompt + '\n' + QString::fromStdString(error.reason));
                   },
                   [this](SearchStopped) { showStop(searchErrorTitle, searchErrorPrompt); },
                   [this](AttemptLimitReached) { showStop(searchErrorTitle, searchErrorPrompt); },
               },
               outcome);
}

void Form1::reset() {
    BusyState busy(commandButtons());
    restoreStartState();
}

void Form1::viewInNotepad() {
    BusyState busy(commandButtons());
    ViewerCommand command = viewerCommandFor(QString::fromLatin1(predictionFileName));
    if (!viewer_->startDetached(command.program, command.arguments))
        showStop(launchErrorTitle, launchErrorPrompt);
}

} // namespace numir
