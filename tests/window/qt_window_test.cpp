// What only the Qt window can get wrong: each widget's kind, container (which makes the two
// option groups), place, font and caption, the tab order and the real message box. The
// behaviour behind the buttons is proven by the form tests; the wiring and the wait cursor
// end to end.
#include "application_setup.h"
#include "form1_window.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace numir;

class QtWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Form1Window> form;
    QTemporaryDir folder;
    QWidget* control(const char* name) const {
        return form->findChild<QWidget*>(QString::fromLatin1(name));
    }

  private slots:
    void init() {
        QDir::setCurrent(folder.path());
        prepareApplication(*qApp);
        form = std::make_unique<Form1Window>();
    }

    void widgetsStandWhereTheLayoutPutsThem() {
        // Twips over 15, written out by hand from the layout; font size in pixels.
        const struct {
            const char *name, *className, *parent, *caption;
            QRect pixels;
            int font;
        } rows[] = {
            {"Text1", "QLineEdit", "Form1", "Text1", {8, 8, 129, 25}, 19},
            {"Check1", "QCheckBox", "Form1", "前回番号を参考にする", {144, 8, 137, 25}, 12},
            {"Check2", "QCheckBox", "Form1", "除く番号", {112, 40, 65, 25}, 12},
            {"Check3", "QCheckBox", "Form1", "含む番号", {288, 40, 73, 25}, 12},
            {"Text2", "QLineEdit", "Form1", "Text2", {72, 40, 33, 25}, 19},
            {"Text3", "QLineEdit", "Form1", "Text3", {248, 40, 33, 25}, 19},
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
            {"Text4", "QLineEdit", "Form1", "Text4", {8, 216, 297, 18}, 12},
            {"Option6", "QRadioButton", "Frame1", "５０件", {32, 40, 49, 12}, 12},
            {"Option7", "QRadioButton", "Frame1", "１００件", {120, 40, 57, 12}, 12},
            {"Option8", "QRadioButton", "Frame1", "２００件", {200, 40, 57, 12}, 12},
            {"Option9", "QRadioButton", "Frame1", "３０件", {280, 16, 49, 12}, 12},
            {"Option10", "QRadioButton", "Frame1", "５００件", {280, 40, 65, 12}, 12},
            {"Text5", "QLineEdit", "Form1", "Text3", {8, 40, 33, 25}, 19},
            {"Check4", "QCheckBox", "Form1", "", {48, 40, 17, 25}, 12},
            {"Text6", "QLineEdit", "Form1", "Text3", {184, 40, 33, 25}, 19},
            {"Check5", "QCheckBox", "Form1", "", {224, 40, 17, 25}, 12},
        };
        QCOMPARE(form->findChildren<QWidget*>().size(), 26);
        QWidget* previous = nullptr; // in the tab order
        for (const auto& row : rows) {
            QWidget* widget = control(row.name);
            QVERIFY2(widget, row.name);
            QCOMPARE(widget->metaObject()->className(), row.className);
            QCOMPARE(widget->parentWidget()->objectName(), QString::fromLatin1(row.parent));
            QCOMPARE(widget->geometry(), row.pixels);
            QCOMPARE(widget->font().pixelSize(), row.font);
            auto* frame = qobject_cast<QGroupBox*>(widget);
            QCOMPARE(frame ? frame->title() : widget->property("text").toString(),
                     QString::fromUtf8(row.caption));
            if (frame) // the frame takes no focus
                continue;
            for (QWidget* w = previous ? previous->nextInFocusChain() : widget; w != widget;
                 w = w->nextInFocusChain())
                QVERIFY2(!(w->focusPolicy() & Qt::TabFocus), row.name); // Tab comes here next
            previous = widget;
        }
        QCOMPARE(form->windowTitle(), QStringLiteral("NUMIRアシスタント"));
        QCOMPARE(form->minimumSize(), QSize(359, 244));
        QCOMPARE(form->maximumSize(), QSize(359, 244));
        QVERIFY(!form->windowIcon().pixmap(32, 32).isNull());
    }

    void theBoxIsAStop() {
        QString seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            seen = box->icon() == QMessageBox::Critical && box->standardButtons() == QMessageBox::Ok
                       ? box->windowTitle() + "/" + box->text()
                       : "not a stop box";
            box->button(QMessageBox::Ok)->click();
        });
        form->showStop("入力エラー", "前回番号");
        QCOMPARE(seen, QStringLiteral("入力エラー/前回番号"));
    }
};

QTEST_MAIN(QtWindowTest)
#include "qt_window_test.moc"
