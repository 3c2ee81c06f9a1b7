#include "form1_window.h"

#include "application_setup.h"
#include "captioned_frame.h"
#include "control_table.h"
#include "desktop_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <map>

namespace numir {
namespace {

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

// Tab stops at the selected button of a group, as it does in a dialog; at its first one while
// none is selected.
void keepTabStopAtSelected(QButtonGroup* group) {
    QAbstractButton* stop =
        group->checkedButton() ? group->checkedButton() : group->buttons().first();
    for (QAbstractButton* button : group->buttons())
        button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

} // namespace

Form1Window::Form1Window() : form_(*this, random_) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(texts::programName));
    setWindowIcon(applicationIcon());
    QWidget::setFont(windowFont());
    setFixedSize(clientWidthTwips / twipsPerPixel, clientHeightTwips / twipsPerPixel);
    buildControls();
    connectCommands();
}

void Form1Window::buildControls() {
    QWidget* previous = nullptr;
    // Each container's option buttons form one group. Left to themselves, Qt's radio buttons
    // would count every radio button below their parent as theirs, the presets inside Frame1
    // included, and take the presets' tab stops away.
    std::map<std::optional<Control>, QButtonGroup*> groups;
    for (const ControlSpec& spec : controlTable) {
        QWidget* parent = spec.container ? widget<QWidget>(*spec.container) : this;
        QWidget* widget = widgets_[indexOf(spec.id)] = createControl(spec, parent);
        widget->setObjectName(QString::fromLatin1(spec.name));
        widget->setGeometry(pixelsOf(spec));
        if (spec.font == ControlFont::FixedGothic)
            widget->setFont(numberFieldFont());
        else if (spec.font == ControlFont::SmallProportional)
            widget->setFont(smallButtonFont());
        if (spec.accessibleName)
            widget->setAccessibleName(QString::fromUtf8(spec.accessibleName));
        if (spec.kind == ControlKind::OptionButton) {
            QButtonGroup*& group = groups[spec.container];
            if (!group) {
                group = new QButtonGroup(this);
                connect(group, &QButtonGroup::buttonToggled, this,
                        [group] { keepTabStopAtSelected(group); });
            }
            group->addButton(static_cast<QRadioButton*>(widget));
            keepTabStopAtSelected(group);
        }
        if (spec.kind == ControlKind::Frame)
            continue; // a frame never takes the focus
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
}

void Form1Window::connectCommands() {
    // A command gives the focus back where it was: disabling the focused button while the
    // command works would otherwise push the focus on to the next control.
    auto keepingFocus = [this](void (Form1::*command)()) {
        return [this, command] {
            QPointer<QWidget> focused = QApplication::focusWidget();
            (form_.*command)();
            if (focused)
                focused->setFocus();
        };
    };
    connect(widget<QPushButton>(Control::Command1), &QPushButton::clicked, this,
            keepingFocus(&Form1::start));
    connect(widget<QPushButton>(Control::Command2), &QPushButton::clicked, this,
            keepingFocus(&Form1::reset));
    connect(widget<QPushButton>(Control::Command3), &QPushButton::clicked, this,
            keepingFocus(&Form1::viewInNotepad));
    connect(widget<QPushButton>(Control::Command4), &QPushButton::clicked, this, &QWidget::close);
}

std::string Form1Window::text(Control control) const {
    return widget<QLineEdit>(control)->text().toStdString();
}

void Form1Window::setText(Control control, std::string_view utf8) {
    widget<QLineEdit>(control)->setText(fromUtf8(utf8));
}

bool Form1Window::isChecked(Control control) const {
    return widget<QAbstractButton>(control)->isChecked();
}

void Form1Window::setChecked(Control control, bool checked) {
    widget<QAbstractButton>(control)->setChecked(checked);
}

void Form1Window::setEnabled(Control control, bool enabled) {
    widget<QWidget>(control)->setEnabled(enabled);
}

void Form1Window::showWaitCursor(bool shown) {
    if (shown)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void Form1Window::showStop(std::string_view title, std::string_view prompt) {
    showStopBox(this, fromUtf8(title), fromUtf8(prompt));
}

bool Form1Window::startViewer(std::string_view fileName) {
    return startTextViewer(fromUtf8(fileName));
}

} // namespace numir
