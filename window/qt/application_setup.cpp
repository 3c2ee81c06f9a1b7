#include "application_setup.h"

#include "numir_icon.xpm"
#include "numir_version.h"
#include "texts.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QStyleFactory>

namespace numir {
namespace {

const QString fixedGothic = QStringLiteral("ＭＳ ゴシック");
const QString proportionalGothic = QStringLiteral("ＭＳ Ｐゴシック");

QFont gothic(const QString& family, int pixelSize, bool fixedPitch) {
    QFont font(family);
    font.setPixelSize(pixelSize); // pixels, so the fixed layout holds at any logical DPI
    font.setFixedPitch(fixedPitch);
    font.setStyleHint(fixedPitch ? QFont::Monospace : QFont::SansSerif);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

void registerFontSubstitutes() {
    QFont::insertSubstitutions(fixedGothic, {QStringLiteral("IPAGothic"),
                                             QStringLiteral("Noto Sans Mono CJK JP"),
                                             QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitutions(proportionalGothic,
                               {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
}

void prepareApplication(QApplication& application) {
    QApplication::setApplicationName(QString::fromUtf8(texts::programName));
    QApplication::setApplicationVersion(QString::fromLatin1(programVersion));
    QApplication::setWindowIcon(applicationIcon());
    // The fixed layout leaves room for Fusion's indicators; other styles may draw them larger.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        application.setStyle(fusion);
    registerFontSubstitutes();
}

QFont windowFont() {
    return gothic(proportionalGothic, 12, false);
}
QFont numberFieldFont() {
    return gothic(fixedGothic, 19, true);
}
QFont smallButtonFont() {
    return gothic(proportionalGothic, 11, false);
}

QIcon applicationIcon() {
    return QIcon(QPixmap(numir_icon_xpm));
}

} // namespace numir
