// What the window needs from the desktop beyond its own controls: modal message boxes and
// starting a text viewer. Behind small interfaces so tests can record instead of block.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace numir {

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // A modal box with the stop icon and one OK button; returns once it is confirmed.
    virtual void showStop(QWidget* parent, const QString& title, const QString& prompt) = 0;
};

class ViewerLauncher {
  public:
    virtual ~ViewerLauncher() = default;
    // Starts the program without waiting for it; false when it cannot be started.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
};

class QtMessageBoxes final : public MessageBoxes {
  public:
    void showStop(QWidget* parent, const QString& title, const QString& prompt) override;
};

class QtViewerLauncher final : public ViewerLauncher {
  public:
    bool startDetached(const QString& program, const QStringList& arguments) override;
};

// The platform's plain text viewer for a file: Notepad, or what the desktop opens it with.
struct ViewerCommand {
    QString program;
    QStringList arguments;
};
ViewerCommand viewerCommandFor(const QString& fileName);

} // namespace numir
