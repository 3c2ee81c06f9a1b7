// The window's layout as a person sees it: every control where it belongs, in the
// right kind, font and tab order, with captions that fit.
#include "application_setup.h"
#include "window_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QtTest>

using namespace numir;

class WindowLayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { registerFontSubstitutes(); }
    void init() {
        fixture = std::make_unique<testing::FormUnderTest>();
        fixture->create();
    }
    void cleanup() { fixture.reset(); }

    void controlStandsWhereTheLayoutPutsIt_data();
    void controlStandsWhereTheLayoutPutsIt();
    void windowIsFixedAndTitled();
    void tabOrderFollowsTheTableSkippingTheFrame();
    void captionsFitBesideTheirIndicators();
    void optionGroupsAreIndependent();
    void captionlessCheckBoxesHaveAccessibleNames();
    void applicationCarriesNameVersionAndIcon();

  private:
    template <class Widget> Widget* control(const char* name) const {
        return fixture->control<Widget>(name);
    }
    std::unique_ptr<testing::FormUnderTest> fixture;
};

void WindowLayoutTest::controlStandsWhereTheLayoutPutsIt_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<int>("fontPixels");

    // Twips over 15, written out by hand from the layout rather than computed.
    const struct {
        const char *name, *className, *container, *caption;
        QRect pixels;
        int fontPixels;
    } rows[] = {
        {"Text1", "QLineEdit", "Form1", "", {8, 8, 129, 25}, 19},
        {"Check1", "QCheckBox", "Form1", "前回番号を参考にする", {144, 8, 137, 25}, 12},
        {"Check2", "QCheckBox", "Form1", "除く番号", {112, 40, 65, 25}, 12},
        {"Check3", "QCheckBox", "Form1", "含む番号", {288, 40, 73, 25}, 12},
        {"Text2", "QLineEdit", "Form1", "", {72, 40, 33, 25}, 19},
        {"Text3", "QLineEdit", "Form1", "", {248, 40, 33, 25}, 19},
        {"Option1", "QRadioButton", "Form1", "追加する", {8, 160, 113, 25}, 12},
        {"Option2", "QRadioButton", "Form1", "新規に書き込", {8, 184, 121, 25}, 12},
        {"Command1", "QPushButton", "Form1", "スタート", {128, 152, 105, 25}, 12},
        {"Command2", "QPushButton", "Form1", "リセット", {248, 152, 105, 25}, 12},
        {"Command3", "QPushButton", "Form1", "メモ帳で見る", {128, 184, 105, 25}, 11},
        {"Command4", "QPushButton", "Form1", "閉じる", {248, 184, 105, 25}, 12},
        {"Frame1", "QGroupBox", "Form1", "予想件数", {0, 80, 353, 65}, 12},
        {"Option3", "QRadioButton", "Frame1", "５件", {32, 16, 49, 12}, 12},
        {"Option4", "QRadioButton", "Frame1", "１０件", {120, 16, 49, 12}, 12},
        {"Option5", "QRadioButton", "Frame1", "２０件", {200, 16, 49, 12}, 12},
        {"Text4", "QLineEdit", "Form1", "", {8, 216, 297, 18}, 12},
        {"Option6", "QRadioButton", "Frame1", "５０件", {32, 40, 49, 12}, 12},
        {"Option7", "QRadioButton", "Frame1", "１００件", {120, 40, 57, 12}, 12},
        {"Option8", "QRadioButton", "Frame1", "２００件", {200, 40, 57, 12}, 12},
        {"Option9", "QRadioButton", "Frame1", "３０件", {280, 16, 49, 12}, 12},
        {"Option10", "QRadioButton", "Frame1", "５００件", {280, 40, 65, 12}, 12},
        {"Text5", "QLineEdit", "Form1", "", {8, 40, 33, 25}, 19},
        {"Check4", "QCheckBox", "Form1", "", {48, 40, 17, 25}, 12},
        {"Text6", "QLineEdit", "Form1", "", {184, 40, 33, 25}, 19},
        {"Check5", "QCheckBox", "Form1", "", {224, 40, 17, 25}, 12},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.name)
                                << QString::fromLatin1(row.className)
                                << QString::fromLatin1(row.container)
                                << QString::fromUtf8(row.caption) << row.pixels << row.fontPixels;
}

void WindowLayoutTest::controlStandsWhereTheLayoutPutsIt() {
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, pixels);
    QFETCH(int, fontPixels);

    auto* widget = fixture->form->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(), pixels);
    QCOMPARE(widget->font().pixelSize(), fontPixels);
    QVERIFY(widget->isEnabled());
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        QCOMPARE(button->text(), caption);
    if (auto* frame = qobject_cast<QGroupBox*>(widget))
        QCOMPARE(frame->title(), caption);
    if (auto* field = qobject_cast<QLineEdit*>(widget)) {
        QVERIFY(!field->isReadOnly());
        QCOMPARE(field->echoMode(), QLineEdit::Normal);
        // The number fields use a fixed-pitch Gothic, the status line the proportional one.
        const QFontMetrics metrics(field->font());
        const bool fixedPitch = metrics.horizontalAdvance('i') == metrics.horizontalAdvance('W');
        QCOMPARE(fixedPitch, fontPixels == 19);
        QVERIFY(QFontInfo(field->font()).family().contains(QStringLiteral("Gothic")) ||
                QFontInfo(field->font()).family().contains(QStringLiteral("CJK")));
    }
}

void WindowLayoutTest::windowIsFixedAndTitled() {
    Form1Window& form = *fixture->form;
    QCOMPARE(form.objectName(), QStringLiteral("Form1"));
    QCOMPARE(form.windowTitle(), QStringLiteral("NUMIRアシスタント"));
    QCOMPARE(form.minimumSize(), QSize(359, 244));
    QCOMPARE(form.maximumSize(), QSize(359, 244));
    QVERIFY(!form.windowIcon().pixmap(32, 32).isNull());
    QCOMPARE(form.findChildren<QWidget*>().size(), 26);
    // Check3 reaches 2 pixels past the client area and is cut off there, not moved.
    QCOMPARE(control<QCheckBox>("Check3")->geometry().right() - form.width(), 1);
}

void WindowLayoutTest::tabOrderFollowsTheTableSkippingTheFrame() {
    const QStringList expected = {
        "Text1",   "Check1",   "Check2",   "Check3",   "Text2",    "Text3",   "Option1",
        "Option2", "Command1", "Command2", "Command3", "Command4", "Option3", "Option4",
        "Option5", "Text4",    "Option6",  "Option7",  "Option8",  "Option9", "Option10",
        "Text5",   "Check4",   "Text6",    "Check5",   "Text1"};
    QStringList visited;
    QWidget* widget = control<QWidget>("Text1");
    visited << widget->objectName();
    while (visited.size() < expected.size()) {
        widget = widget->nextInFocusChain();
        if (widget->focusPolicy() & Qt::TabFocus)
            visited << widget->objectName();
    }
    QCOMPARE(visited, expected);
    QCOMPARE(control<QWidget>("Frame1")->focusPolicy(), Qt::NoFocus);
}

void WindowLayoutTest::captionsFitBesideTheirIndicators() {
    for (auto* button : fixture->form->findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty())
            continue;
        const int captionWidth = button->fontMetrics().horizontalAdvance(button->text());
        int room = button->width();
        if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const auto element = qobject_cast<QCheckBox*>(button) ? QStyle::SE_CheckBoxContents
                                                                  : QStyle::SE_RadioButtonContents;
            room = button->style()->subElementRect(element, &option, button).width();
        } else {
            room -= 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        }
        QVERIFY2(captionWidth <= room, qPrintable(QStringLiteral("%1: caption %2 px, room %3 px")
                                                      .arg(button->objectName())
                                                      .arg(captionWidth)
                                                      .arg(room)));
    }
    auto* frame = control<QGroupBox>("Frame1");
    QVERIFY(frame->fontMetrics().horizontalAdvance(frame->title()) < frame->width());
}

void WindowLayoutTest::optionGroupsAreIndependent() {
    fixture->form->load();
    control<QRadioButton>("Option1")->setChecked(true);
    QVERIFY(!control<QRadioButton>("Option2")->isChecked());
    QVERIFY(control<QRadioButton>("Option4")->isChecked());
    control<QRadioButton>("Option10")->setChecked(true);
    QVERIFY(!control<QRadioButton>("Option4")->isChecked());
    QVERIFY(control<QRadioButton>("Option1")->isChecked());
    // A check box changes nothing but itself: its field stays editable and keeps its text.
    control<QLineEdit>("Text3")->setText(QStringLiteral("7"));
    control<QCheckBox>("Check3")->setChecked(true);
    control<QCheckBox>("Check3")->setChecked(false);
    QVERIFY(control<QLineEdit>("Text3")->isEnabled());
    QCOMPARE(control<QLineEdit>("Text3")->text(), QStringLiteral("7"));
}

void WindowLayoutTest::captionlessCheckBoxesHaveAccessibleNames() {
    QCOMPARE(control<QCheckBox>("Check4")->accessibleName(), QStringLiteral("除く番号２"));
    QCOMPARE(control<QCheckBox>("Check5")->accessibleName(), QStringLiteral("含む番号２"));
    QVERIFY(control<QCheckBox>("Check4")->text().isEmpty());
}

void WindowLayoutTest::applicationCarriesNameVersionAndIcon() {
    prepareApplication(*qApp);
    QCOMPARE(QApplication::applicationName(), QStringLiteral("NUMIRアシスタント"));
    QCOMPARE(QApplication::applicationVersion(), QStringLiteral("1.00.0002"));
    const QImage icon = QApplication::windowIcon().pixmap(32, 32).toImage();
    QCOMPARE(icon.size(), QSize(32, 32));
    QVERIFY(icon.hasAlphaChannel());
    QCOMPARE(icon.pixelColor(0, 0).alpha(), 0); // transparent ground
}

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
