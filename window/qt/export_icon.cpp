// Build-time helper: writes the window icon, whose one source is numir_icon.xpm, as the
// PNG or ICO file named on the command line (the format follows the file's ending).
#include "numir_icon.xpm"

#include <QCoreApplication>
#include <QImage>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv); // so that the ICO writer plugin is found
    if (argc != 2)
        return 2;
    return QImage(numir_icon_xpm).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
