#include "app/PagerPicture.h"

#include <QPainter>

namespace km640 {

QPixmap PagerPicture(int size) {
    QPixmap pix(size, size);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 64.0;
    p.setPen(QPen(Qt::black, 1.5 * s));
    p.setBrush(QColor(40, 40, 60));
    p.drawRoundedRect(QRectF(10 * s, 6 * s, 44 * s, 52 * s), 6 * s, 6 * s);
    p.setBrush(QColor(150, 200, 150));
    p.drawRect(QRectF(16 * s, 12 * s, 32 * s, 16 * s));
    p.setBrush(QColor(200, 200, 210));
    for (int i = 0; i < 3; ++i) p.drawEllipse(QRectF((17 + 11 * i) * s, 36 * s, 8 * s, 8 * s));
    p.setBrush(Qt::red);
    p.drawEllipse(QRectF(44 * s, 48 * s, 5 * s, 5 * s));
    return pix;
}

}  // namespace km640
