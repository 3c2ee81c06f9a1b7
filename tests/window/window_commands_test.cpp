// The four buttons wired to the widgets, the real message box and viewer: what only the
// Qt window can get wrong. The behaviour itself is proven by the form tests.
#include "application_setup.h"
#include "desktop_services.h"
#include "window_test_support.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

using namespace numir;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class WindowCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { fixture = std::make_unique<testing::FormUnderTest>(); }
    void cleanup() { fixture.reset(); }

    void startRunsWithButtonsDisabled();
    void resetRestoresTheStartState();
    void viewerThatCannotStartIsReported();
    void realViewerIsFoundOnPath();
    void closeButtonAndTitleBarCloseTheWindow();
    void realMessageBoxShowsStopIconAndOk();

  private:
    Form1Window& loadedForm() {
        Form1Window& form = fixture->create();
        form.load();
        fixture->boxes->shown.clear();
        return form;
    }
    template <class Widget> Widget* control(const char* name) const {
        return fixture->control<Widget>(name);
    }
    void click(const char* button) {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    }
    // Every field empty, every check box clear, a new file of ten lines selected.
    bool inStartState() const {
        for (auto* field : fixture->form->findChildren<QLineEdit*>())
            if (!field->text().isEmpty())
                return false;
        for (auto* box : fixture->form->findChildren<QCheckBox*>())
            if (box->isChecked())
                return false;
        return control<QRadioButton>("Option2")->isChecked() &&
               control<QRadioButton>("Option4")->isChecked();
    }
    bool allButtonsEnabled() const {
        for (const char* name : {"Command1", "Command2", "Command3", "Command4"})
            if (!control<QPushButton>(name)->isEnabled())
                return false;
        return true;
    }
    std::unique_ptr<testing::FormUnderTest> fixture;
};

void WindowCommandsTest::startRunsWithButtonsDisabled() {
    loadedForm();
    bool disabledDuringRun = false;
    fixture->random->onReseed = [&] {
        disabledDuringRun = true;
        for (const char* name : {"Command1", "Command2", "Command3", "Command4"})
            disabledDuringRun = disabledDuringRun && !control<QPushButton>(name)->isEnabled();
    };
    control<QCheckBox>("Check3")->setChecked(true);
    control<QLineEdit>("Text3")->setText(QStringLiteral("４３"));
    click("Command1");

    QVERIFY(disabledDuringRun);
    QVERIFY(allButtonsEnabled());
    QVERIFY(fixture->boxes->shown.empty());
    const QByteArray lines = readFile(fixture->path("numir.txt"));
    QCOMPARE(lines.size(), 140); // the ten preset
    for (int at = 0; at < lines.size(); at += 14)
        QCOMPARE(lines.mid(at + 10, 4), QByteArray("43\r\n"));
    const QString report = control<QLineEdit>("Text4")->text();
    QVERIFY2(report.startsWith(QStringLiteral(" 予想を書込みました。 ")) &&
                 report.endsWith(QStringLiteral("個の組合せから選出")),
             qPrintable(report));
}

void WindowCommandsTest::resetRestoresTheStartState() {
    Form1Window& form = loadedForm();
    writeFile(fixture->path("numir.txt"), "012021222324\r\n");
    for (auto* field : form.findChildren<QLineEdit*>())
        field->setText(QStringLiteral("12"));
    for (auto* box : form.findChildren<QCheckBox*>())
        box->setChecked(true);
    control<QRadioButton>("Option1")->setChecked(true);
    control<QRadioButton>("Option9")->setChecked(true);
    click("Command2");
    QVERIFY(inStartState());
    QCOMPARE(readFile(fixture->path("numir.txt")), QByteArray("012021222324\r\n"));
    QVERIFY(allButtonsEnabled());
}

void WindowCommandsTest::viewerThatCannotStartIsReported() {
    loadedForm();
    fixture->viewer->succeeds = false;
    click("Command3");
    QCOMPARE(fixture->boxes->shown.size(), 1u);
    QCOMPARE(fixture->boxes->shown[0].title, QStringLiteral("起動エラー"));
    QCOMPARE(fixture->boxes->shown[0].prompt, QStringLiteral("メモ帳を起動できませんでした"));
    QVERIFY(allButtonsEnabled());
}

void WindowCommandsTest::realViewerIsFoundOnPath() {
    // A stand-in viewer on PATH writes down its arguments.
    const QString bin = fixture->path("bin");
    QVERIFY(QDir().mkpath(bin));
    const QString record = fixture->path("viewer-arguments");
    const QString script = bin + "/stand-in-viewer";
    writeFile(script, QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\n").arg(record).toUtf8());
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ":" + oldPath);

    QtViewerLauncher launcher;
    QVERIFY(
        launcher.startDetached(QStringLiteral("stand-in-viewer"), {QStringLiteral("numir.txt")}));
    QVERIFY(!launcher.startDetached(QStringLiteral("no-such-viewer-anywhere"), {}));
    qputenv("PATH", oldPath);
    QTRY_COMPARE(readFile(record), QByteArray("numir.txt\n"));
}

void WindowCommandsTest::closeButtonAndTitleBarCloseTheWindow() {
    Form1Window& form = loadedForm();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    click("Command4");
    QVERIFY(!form.isVisible());

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCloseEvent event;
    QApplication::sendEvent(&form, &event);
    QVERIFY(event.isAccepted());
}

void WindowCommandsTest::realMessageBoxShowsStopIconAndOk() {
    QApplication::setQuitOnLastWindowClosed(true);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        seen = box->icon() == QMessageBox::Critical && box->windowTitle() == "入力エラー" &&
               box->text() == "前回番号" && box->standardButtons() == QMessageBox::Ok;
        box->button(QMessageBox::Ok)->click();
    });
    QtMessageBoxes().showStop(nullptr, QStringLiteral("入力エラー"), QStringLiteral("前回番号"));
    QVERIFY(seen);
    QVERIFY(QApplication::quitOnLastWindowClosed());
}

QTEST_MAIN(WindowCommandsTest)
#include "window_commands_test.moc"
