#include "desktop_services.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

namespace numir {

void showStopBox(QWidget* parent, const QString& title, const QString& prompt) {
    // A box shown before the window is (the start-up notice) is the only window while it is
    // open; closing it must not end the program.
    const bool quitOnClose = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    QMessageBox box(QMessageBox::Critical, title, prompt, QMessageBox::Ok, parent);
    box.exec();
    QApplication::setQuitOnLastWindowClosed(quitOnClose);
}

// xdg-open returns once it has handed the file on, and its exit status says whether anything
// could open it; one still busy after a few seconds is left to finish on its own.
bool startTextViewer(const QString& fileName) {
    const QString path = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (path.isEmpty())
        return false;
    auto* opener = new QProcess(qApp);
    QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
    opener->start(path, {fileName});
    if (!opener->waitForStarted()) {
        opener->deleteLater();
        return false;
    }
    return !opener->waitForFinished(5000) ||
           (opener->exitStatus() == QProcess::NormalExit && opener->exitCode() == 0);
}

} // namespace numir
