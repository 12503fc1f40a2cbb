#include "app/window_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pdt::app {

namespace {

// One piece on a 32-unit grid: a square body with a knob on the top and right sides and a
// socket on the left.
QPainterPath piecePath() {
    QPainterPath body;
    body.addRect(5, 9, 18, 18);
    QPainterPath knobs;
    knobs.addEllipse(QPointF(14, 7), 4, 4);
    knobs.addEllipse(QPointF(25, 18), 4, 4);
    QPainterPath socket;
    socket.addEllipse(QPointF(5, 18), 3.5, 3.5);
    return body.united(knobs).subtracted(socket);
}

} // namespace

QIcon makeWindowIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath piece = piecePath();
    painter.translate(1, 1);
    painter.fillPath(piece, QColor(0, 0, 0, 70)); // shadow
    painter.translate(-1, -1);
    QLinearGradient fill(0, 0, 32, 32);
    fill.setColorAt(0, QColor(0xff, 0xc8, 0x3c));
    fill.setColorAt(1, QColor(0xe0, 0x6c, 0x10));
    painter.setPen(QPen(QColor(0x70, 0x30, 0x00), 1.2));
    painter.setBrush(fill);
    painter.drawPath(piece);
    painter.end();
    return QIcon(pixmap);
}

} // namespace pdt::app
