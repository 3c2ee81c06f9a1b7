// What the Qt window needs from the desktop beyond its own controls: a modal stop box, and
// the desktop's text viewer started on a file.
#pragma once

#include <QString>

class QWidget;

namespace numir {

// A modal box with the stop icon and one OK button; returns once it is confirmed.
void showStopBox(QWidget* parent, const QString& title, const QString& prompt);

// Opens the file with what the desktop opens text files with (xdg-open), without waiting;
// false when it cannot be started.
bool startTextViewer(const QString& fileName);

} // namespace numir
