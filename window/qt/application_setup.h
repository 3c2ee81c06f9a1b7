// Settings that belong to the whole application rather than to its window: name and
// version, the Japanese faces the layout asks for, and the style the layout is drawn in.
#pragma once

class QApplication;
class QFont;
class QIcon;

namespace numir {

void prepareApplication(QApplication& application);

// Registers stand-ins for the two Japanese faces where they are not installed.
void registerFontSubstitutes();

QFont windowFont();
QFont numberFieldFont();
QFont smallButtonFont();
QIcon applicationIcon();

} // namespace numir
