// Build-time helper: writes the program's icon files into the folder named on the command
// line. The 32 x 32 picture is numir_icon.xpm with its 16 colours; every other size is drawn
// from numir-assistant.svg. Writes numir-assistant-N.png for the desktop's icon theme and
// numir-assistant.ico, with 16, 24, 32, 48 and 256 pixels, for the Windows program.
#include "numir_icon.xpm"

#include <QBuffer>
#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

QImage drawn(QSvgRenderer& scalable, int size) {
    if (size == 32)
        return QImage(numir_icon_xpm).convertToFormat(QImage::Format_ARGB32);
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    scalable.render(&painter);
    return image;
}

// An ICO entry as Windows reads it best: 32-bit colour with an AND mask for the small sizes,
// PNG for 256 pixels.
QByteArray icoEntry(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.width() == 256) {
        image.save(&buffer, "PNG");
        return bytes;
    }
    QDataStream out(&buffer);
    out.setByteOrder(QDataStream::LittleEndian);
    const int size = image.width();
    const int maskRowBytes = (size + 31) / 32 * 4;
    out << quint32(40) << qint32(size) << qint32(size * 2) << quint16(1) << quint16(32)
        << quint32(0) << quint32(size * size * 4 + maskRowBytes * size) << qint32(0) << qint32(0)
        << quint32(0) << quint32(0);
    for (int y = size - 1; y >= 0; --y) // rows bottom up
        for (int x = 0; x < size; ++x)
            out << quint32(image.pixel(x, y));
    for (int y = size - 1; y >= 0; --y) {
        QByteArray row(maskRowBytes, '\0');
        for (int x = 0; x < size; ++x)
            if (qAlpha(image.pixel(x, y)) == 0)
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        out.writeRawData(row.constData(), row.size());
    }
    return bytes;
}

bool writeIco(const QString& path, const QList<QImage>& images) {
    QByteArray header, data;
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(images.size());
    quint32 offset = 6 + 16 * images.size();
    for (const QImage& image : images) {
        QByteArray entry = icoEntry(image);
        out << quint8(image.width() % 256) << quint8(image.height() % 256) << quint8(0) << quint8(0)
            << quint16(1) << quint16(32) << quint32(entry.size()) << quint32(offset + data.size());
        data += entry;
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(header + data) == header.size() + data.size();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv); // so that the image plugins are found
    if (argc != 3)
        return 2;
    QSvgRenderer scalable(QString::fromLocal8Bit(argv[1]));
    const QString folder = QString::fromLocal8Bit(argv[2]) + "/numir-assistant";
    if (!scalable.isValid())
        return 1;
    QList<QImage> forWindows;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage image = drawn(scalable, size);
        if (!image.save(folder + QString("-%1.png").arg(size)))
            return 1;
        if (size != 64 && size != 128)
            forWindows << image;
    }
    return writeIco(folder + ".ico", forWindows) ? 0 : 1;
}
