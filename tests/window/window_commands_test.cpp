// Start-up and the four commands, driven through the real widgets with recording
// stand-ins for message boxes and the viewer, each test in a folder of its own.
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

    void startupNotice_data();
    void startupNotice();
    void startupPresetsControlsAndKeepsTheFile();
    void startupReportsAnUnwritableFileAndCarriesOn();
    void startRunsWithButtonsDisabled();
    void refusedStartLeavesEverythingAsItWas();
    void failedWriteNeverReportsSuccess();
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

void WindowCommandsTest::startupNotice_data() {
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("noticeShown");
    QTest::newRow("no settings file") << false << QByteArray() << true;
    QTest::newRow("empty settings file") << true << QByteArray() << true;
    QTest::newRow("marker then CR LF and more")
        << true << QByteArray("support@velnor.example\r\nx=1\r\n") << false;
    QTest::newRow("marker then LF") << true << QByteArray("support@velnor.example\nx") << false;
    QTest::newRow("marker then CR") << true << QByteArray("support@velnor.example\rx") << false;
    QTest::newRow("marker alone") << true << QByteArray("support@velnor.example") << false;
    QTest::newRow("trailing space") << true << QByteArray("support@velnor.example \r\n") << true;
    QTest::newRow("other case") << true << QByteArray("Support@velnor.example\r\n") << true;
    QTest::newRow("marker on second line")
        << true << QByteArray("\r\nsupport@velnor.example\r\n") << true;
}

void WindowCommandsTest::startupNotice() {
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, contents);
    QFETCH(bool, noticeShown);
    const QString settings = fixture->path("velnor.ini");
    if (fileExists)
        writeFile(settings, contents);

    for (int start = 0; start < 2; ++start) { // the same answer at the next start
        fixture->create().load();
        QCOMPARE(fixture->boxes->shown.size(), noticeShown ? 1u : 0u);
        if (noticeShown) {
            QCOMPARE(fixture->boxes->shown[0].title, QStringLiteral("オススメ"));
            QCOMPARE(fixture->boxes->shown[0].prompt,
                     QStringLiteral("数字選択式宝くじシート印刷ソフトと一緒に使ってね"));
        }
        QCOMPARE(readFile(settings), contents); // created empty when missing, never changed
    }
}

void WindowCommandsTest::startupPresetsControlsAndKeepsTheFile() {
    writeFile(fixture->path("numir.txt"), "012021222324\r\n");
    loadedForm();
    QVERIFY(inStartState());
    QCOMPARE(readFile(fixture->path("numir.txt")), QByteArray("012021222324\r\n"));

    QFile::remove(fixture->path("numir.txt"));
    loadedForm();
    QCOMPARE(readFile(fixture->path("numir.txt")), QByteArray());
}

void WindowCommandsTest::startupReportsAnUnwritableFileAndCarriesOn() {
    // A folder where the file should be cannot be opened, even by root.
    QVERIFY(QDir(fixture->folder.path()).mkdir("numir.txt"));
    QVERIFY(QDir(fixture->folder.path()).mkdir("velnor.ini"));
    fixture->create().load();
    const auto& shown = fixture->boxes->shown;
    QCOMPARE(shown.size(), 2u);
    QCOMPARE(shown[0].title, QStringLiteral("オススメ"));
    QCOMPARE(shown[1].title, QStringLiteral("ファイルエラー"));
    QVERIFY(shown[1].prompt.startsWith(QStringLiteral("numir.txt に書き込めませんでした\n")));
    QVERIFY(shown[1].prompt.size() > QStringLiteral("numir.txt に書き込めませんでした\n").size());
    QVERIFY(allButtonsEnabled());
}

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

void WindowCommandsTest::refusedStartLeavesEverythingAsItWas() {
    loadedForm();
    writeFile(fixture->path("numir.txt"), "keep\r\n");
    control<QLineEdit>("Text4")->setText(QStringLiteral("previous report"));
    control<QCheckBox>("Check5")->setChecked(true);
    control<QLineEdit>("Text6")->setText(QStringLiteral("0"));
    control<QCheckBox>("Check2")->setChecked(true);
    control<QLineEdit>("Text2")->setText(QStringLiteral("44"));
    control<QRadioButton>("Option1")->setChecked(true);
    click("Command1");

    QCOMPARE(fixture->boxes->shown.size(), 1u);
    QCOMPARE(fixture->boxes->shown[0].title, QStringLiteral("入力エラー"));
    QCOMPARE(fixture->boxes->shown[0].prompt, QStringLiteral("含める番号"));
    QCOMPARE(readFile(fixture->path("numir.txt")), QByteArray("keep\r\n"));
    QVERIFY(allButtonsEnabled());
    QCOMPARE(control<QLineEdit>("Text4")->text(), QStringLiteral("previous report"));
    QCOMPARE(control<QLineEdit>("Text6")->text(), QStringLiteral("0"));
    QCOMPARE(control<QLineEdit>("Text2")->text(), QStringLiteral("44"));
    QVERIFY(control<QCheckBox>("Check5")->isChecked() && control<QCheckBox>("Check2")->isChecked());
    QVERIFY(control<QRadioButton>("Option1")->isChecked());
}

void WindowCommandsTest::failedWriteNeverReportsSuccess() {
    loadedForm();
    // The run writes beside numir.txt first; a full disk there must not count as done.
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), fixture->path("numir.txt.new")));
    control<QLineEdit>("Text4")->setText(QStringLiteral("previous report"));
    click("Command1");
    QCOMPARE(fixture->boxes->shown.size(), 1u);
    QCOMPARE(fixture->boxes->shown[0].title, QStringLiteral("ファイルエラー"));
    QVERIFY(fixture->boxes->shown[0].prompt.startsWith(
        QStringLiteral("numir.txt に書き込めませんでした\n")));
    QCOMPARE(control<QLineEdit>("Text4")->text(), QStringLiteral("previous report"));
    QVERIFY(allButtonsEnabled());
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
