#include "desktop_services.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

namespace numir {

void QtMessageBoxes::showStop(QWidget* parent, const QString& title, const QString& prompt) {
    // A box shown before the window is (the start-up notice) is the only window while it is
    // open; closing it must not end the program.
    const bool quitOnClose = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    QMessageBox box(QMessageBox::Critical, title, prompt, QMessageBox::Ok, parent);
    box.exec();
    QApplication::setQuitOnLastWindowClosed(quitOnClose);
}

bool QtViewerLauncher::startDetached(const QString& program, const QStringList& arguments) {
    const QString path = QStandardPaths::findExecutable(program);
    return !path.isEmpty() && QProcess::startDetached(path, arguments);
}

ViewerCommand viewerCommandFor(const QString& fileName) {
#if defined(Q_OS_WIN)
    return {QStringLiteral("notepad.exe"), {fileName}};
#elif defined(Q_OS_MACOS)
    return {QStringLiteral("open"), {QStringLiteral("-t"), fileName}};
#else
    return {QStringLiteral("xdg-open"), {fileName}};
#endif
}

} // namespace numir
