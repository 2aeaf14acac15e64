// Drawing the main window's button pictures.
#include "ui/main/main_pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include "platform/ui/painting.h"

namespace {

constexpr QRgb kTransparent = qRgb(255, 0, 255);

void Sheet(QPainter& p, int x, int y, int w, int h) {
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(x, y, w, h);
    p.setPen(QColor(128, 128, 128));
    for (int line = y + 3; line < y + h - 1; line += 3) {
        p.drawLine(x + 2, line, x + w - 2, line);
    }
}

}  // namespace

QImage MainPictureImage(MainPicture picture, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : qApp->devicePixelRatio();
    QImage image = ui::cacheImage(QSize(16, 16), ratio, QImage::Format_RGB32);
    image.fill(kTransparent);
    QPainter p(&image);
    switch (picture) {
        case MainPicture::Edit:
            Sheet(p, 1, 1, 10, 13);
            p.setPen(QPen(QColor(128, 64, 0), 2));
            p.drawLine(6, 12, 14, 4);
            p.setPen(Qt::black);
            p.drawPoint(5, 13);
            break;
        case MainPicture::New:
            Sheet(p, 2, 1, 10, 13);
            p.fillRect(10, 8, 6, 2, QColor(0, 128, 0));
            p.fillRect(12, 6, 2, 6, QColor(0, 128, 0));
            break;
        case MainPicture::Clone:
            Sheet(p, 1, 1, 9, 10);
            Sheet(p, 5, 4, 9, 10);
            break;
        case MainPicture::Delete:
            p.setPen(QPen(QColor(192, 0, 0), 3));
            p.drawLine(3, 3, 12, 12);
            p.drawLine(12, 3, 3, 12);
            break;
        case MainPicture::Filter: {
            QPainterPath funnel;
            funnel.moveTo(1, 2);
            funnel.lineTo(14, 2);
            funnel.lineTo(9, 8);
            funnel.lineTo(9, 14);
            funnel.lineTo(6, 12);
            funnel.lineTo(6, 8);
            funnel.closeSubpath();
            p.setPen(Qt::black);
            p.setBrush(QColor(255, 255, 0));
            p.drawPath(funnel);
            break;
        }
        case MainPicture::Sort:
            p.setPen(QPen(Qt::black, 2));
            p.drawLine(4, 2, 4, 13);
            p.drawLine(1, 10, 4, 13);
            p.drawLine(7, 10, 4, 13);
            p.fillRect(9, 2, 6, 2, Qt::white);
            p.fillRect(9, 7, 4, 2, Qt::white);
            p.fillRect(9, 12, 2, 2, Qt::white);
            break;
        case MainPicture::Done:
            p.setPen(QPen(QColor(0, 160, 0), 3));
            p.drawLine(2, 8, 6, 12);
            p.drawLine(6, 12, 14, 3);
            break;
        case MainPicture::Show:
        case MainPicture::Hide:
            // An eye, struck through to hide: its black outline keeps it visible when the
            // button shows its picture in grey on the grey status bar.
            p.setPen(Qt::black);
            p.setBrush(Qt::white);
            p.drawEllipse(1, 4, 14, 8);
            p.setBrush(QColor(0, 0, 160));
            p.drawEllipse(5, 5, 6, 6);
            if (picture == MainPicture::Hide) {
                p.setPen(QPen(Qt::black, 2));
                p.drawLine(2, 14, 14, 2);
            }
            break;
        case MainPicture::Report:
            p.setPen(Qt::black);
            p.setBrush(QColor(192, 192, 192));
            p.drawRect(1, 6, 14, 6);
            Sheet(p, 4, 1, 8, 5);
            p.setBrush(Qt::white);
            p.drawRect(4, 10, 8, 5);
            break;
        case MainPicture::Calendar:
            p.setPen(Qt::black);
            p.setBrush(Qt::white);
            p.drawRect(1, 2, 14, 13);
            p.fillRect(2, 3, 13, 3, QColor(192, 0, 0));
            for (int y = 8; y < 15; y += 3) {
                for (int x = 3; x < 14; x += 3) {
                    p.drawPoint(x, y);
                }
            }
            break;
    }
    return image;
}
