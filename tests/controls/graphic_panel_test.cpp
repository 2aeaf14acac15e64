// The graphic panel: its nested frames and its click.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "controls/graphic_panel.h"
#include "platform/ui/system_colors.h"

namespace {

using namespace controls;

const QColor kLight = ui::sysColor(ui::SysColor::ButtonHighlight);
const QColor kShadow = ui::sysColor(ui::SysColor::ButtonShadow);

QImage pixels(TGraphicPanel& p) {
    return p.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(GraphicPanel, RaisedBevelByDefault) {
    TGraphicPanel p;
    EXPECT_EQ(p.size(), QSize(185, 41));
    p.resize(24, 19);
    const QImage img = pixels(p);
    EXPECT_EQ(img.pixelColor(0, 0), kLight);
    EXPECT_EQ(img.pixelColor(0, 17), kLight);
    EXPECT_EQ(img.pixelColor(23, 0), kShadow);
    EXPECT_EQ(img.pixelColor(0, 18), kShadow);
    EXPECT_EQ(img.pixelColor(23, 18), kShadow);
    EXPECT_EQ(img.pixelColor(1, 1), ui::sysColor(ui::SysColor::ButtonFace));
}

TEST(GraphicPanel, FramesNestFromTheOutside) {
    TGraphicPanel p;
    p.resize(30, 30);
    p.setColor(QColor(255, 255, 0));
    p.setBorderStyle(TBorderStyle::bsSingle);
    p.setBevelWidth(2);
    p.setBorderWidth(1);
    p.setBevelInner(TPanelBevel::bvLowered);
    const QImage img = pixels(p);
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(1, 1), kLight);
    EXPECT_EQ(img.pixelColor(2, 2), kLight);
    EXPECT_EQ(img.pixelColor(3, 3), QColor(255, 255, 0));
    EXPECT_EQ(img.pixelColor(4, 4), kShadow);
    EXPECT_EQ(img.pixelColor(5, 5), kShadow);
    EXPECT_EQ(img.pixelColor(25, 25), kLight) << "lowered inner bevel is light at bottom right";
    EXPECT_EQ(img.pixelColor(27, 27), kShadow) << "raised outer bevel is dark at bottom right";
    EXPECT_EQ(img.pixelColor(15, 8), QColor(255, 255, 0));
}

TEST(GraphicPanel, ClickNeedsPressAndReleaseInside) {
    TGraphicPanel p;
    int clicks = 0;
    QObject::connect(&p, &TGraphicPanel::clicked, [&clicks] { ++clicks; });
    const auto send = [&p](QEvent::Type type, QPoint at) {
        QMouseEvent e(type, QPointF(at), p.mapToGlobal(QPointF(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(&p, &e);
    };
    send(QEvent::MouseButtonPress, QPoint(5, 5));
    send(QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    send(QEvent::MouseButtonPress, QPoint(5, 5));
    send(QEvent::MouseButtonRelease, QPoint(500, 5));
    EXPECT_EQ(clicks, 1);
}

}  // namespace
