#include "captioned_frame.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

namespace numir {

void CaptionedFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int captionIndent = 6;

    // An etched line of the palette's own shades; styles would draw a group box's frame
    // below its title instead of through it.
    const QRect frame = rect().adjusted(0, metrics.height() / 2, 0, 0);
    qDrawShadeRect(&painter, frame, palette(), true, 1);

    const QRect caption(captionIndent, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
    painter.fillRect(caption, palette().window());
    style()->drawItemText(&painter, caption, Qt::AlignCenter, palette(), isEnabled(), title(),
                          QPalette::WindowText);
}

} // namespace numir
