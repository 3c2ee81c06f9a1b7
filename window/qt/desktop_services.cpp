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

bool startTextViewer(const QString& fileName) {
    const QString path = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !path.isEmpty() && QProcess::startDetached(path, {fileName});
}

} // namespace numir
