// The drawing helpers: palette values the pixel tests rely on, frame corners, accelerator
// texts, transparent bitmaps and the exclusive-or combination.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/ui/bitmaps.h"
#include "platform/ui/painting.h"
#include "platform/ui/system_colors.h"
#include "widget_test_support.h"

namespace {

using ui::SysColor;
using ui::sysColor;

QImage blank(int w, int h, QColor c = Qt::white) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

TEST(SystemColors, ClassicValuesInColoursAndPalette) {
    EXPECT_EQ(sysColor(SysColor::ButtonFace), QColor(192, 192, 192));
    EXPECT_EQ(sysColor(SysColor::ButtonShadow), QColor(128, 128, 128));
    EXPECT_EQ(sysColor(SysColor::ButtonHighlight), QColor(255, 255, 255));
    EXPECT_EQ(sysColor(SysColor::Highlight), QColor(0, 0, 128));
    EXPECT_EQ(sysColor(SysColor::WindowFrame), QColor(0, 0, 0));
    const QPalette p = ui::classicPalette();
    EXPECT_EQ(p.color(QPalette::Window), sysColor(SysColor::ButtonFace));
    EXPECT_EQ(p.color(QPalette::Base), sysColor(SysColor::Window));
    EXPECT_EQ(p.color(QPalette::Highlight), sysColor(SysColor::Highlight));
    EXPECT_EQ(p.color(QPalette::Inactive, QPalette::Highlight), sysColor(SysColor::Highlight));
}

TEST(Frame3D, EdgesAndCornersBelongToTheirColours) {
    QImage img = blank(6, 5);
    QPainter p(&img);
    const QRect inner = ui::frame3D(p, img.rect(), Qt::red, Qt::blue, 1);
    p.end();
    EXPECT_EQ(inner, QRect(1, 1, 4, 3));
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(4, 0), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(5, 0), QColor(Qt::blue)) << "top-right corner is the bottom colour";
    EXPECT_EQ(img.pixelColor(0, 3), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(0, 4), QColor(Qt::blue)) << "bottom-left corner is the bottom colour";
    EXPECT_EQ(img.pixelColor(5, 4), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(1, 1), QColor(Qt::white));
}

TEST(Frame3D, WidthTwoNestsRingsAndZeroDrawsNothing) {
    QImage img = blank(8, 8);
    QPainter p(&img);
    EXPECT_EQ(ui::frame3D(p, img.rect(), Qt::red, Qt::blue, 0), img.rect());
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::white));
    const QRect inner = ui::frame3D(p, img.rect(), Qt::red, Qt::blue, 2);
    p.end();
    EXPECT_EQ(inner, QRect(2, 2, 4, 4));
    EXPECT_EQ(img.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(6, 6), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(2, 2), QColor(Qt::white));
}

TEST(Accelerators, SingleAmpersandMarksDoubledIsLiteral) {
    EXPECT_EQ(ui::stripAccelerators(QStringLiteral("&Cancel")), QStringLiteral("Cancel"));
    EXPECT_EQ(ui::stripAccelerators(QStringLiteral("Salt && &Pepper")),
              QStringLiteral("Salt & Pepper"));
    EXPECT_EQ(ui::stripAccelerators(QStringLiteral("Trailing&")), QStringLiteral("Trailing"));
    EXPECT_EQ(ui::acceleratorChar(QStringLiteral("&Cancel")), QLatin1Char('C'));
    EXPECT_EQ(ui::acceleratorChar(QStringLiteral("A && &B")), QLatin1Char('B'));
    EXPECT_TRUE(ui::acceleratorChar(QStringLiteral("A && B")).isNull());
    EXPECT_TRUE(ui::acceleratorChar(QStringLiteral("End&")).isNull());
}

TEST(Bitmaps, TopLeftColourBecomesTransparentEverywhere) {
    QImage img = blank(3, 2, QColor(255, 0, 255));
    img.setPixelColor(1, 0, Qt::black);
    img.setPixelColor(2, 1, QColor(254, 0, 255));
    const QImage t = ui::withTransparency(img);
    EXPECT_EQ(ui::transparentColor(img), QColor(255, 0, 255));
    EXPECT_EQ(qAlpha(t.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(t.pixel(0, 1)), 0);
    EXPECT_EQ(qAlpha(t.pixel(1, 0)), 255);
    EXPECT_EQ(qAlpha(t.pixel(2, 1)), 255) << "a near colour is not the key";

    QImage canvas = blank(4, 3, Qt::green);
    QPainter p(&canvas);
    ui::drawTransparent(p, QPoint(1, 1), img);
    p.end();
    EXPECT_EQ(canvas.pixelColor(1, 1), QColor(Qt::green));
    EXPECT_EQ(canvas.pixelColor(2, 1), QColor(Qt::black));
}

TEST(Bitmaps, EmptyAndMissingGiveEmptyImages) {
    EXPECT_FALSE(ui::transparentColor(QImage()).isValid());
    EXPECT_TRUE(ui::withTransparency(QImage()).isNull());
    EXPECT_TRUE(ui::loadBitmap(QStringLiteral("/nonexistent/glyph.png")).isNull());
    QImage canvas = blank(2, 2);
    QPainter p(&canvas);
    ui::drawTransparent(p, QPoint(0, 0), QImage());  // must not crash
}

TEST(XorInto, CombinesColourBitsAndRestoresOnSecondPass) {
    QImage dst = blank(2, 1, QColor(0, 0, 128));
    QImage overlay = blank(2, 1, Qt::white);
    overlay.setPixelColor(1, 0, Qt::black);
    ui::xorInto(dst, overlay);
    EXPECT_EQ(dst.pixelColor(0, 0), QColor(255, 255, 127));
    EXPECT_EQ(dst.pixelColor(1, 0), QColor(0, 0, 128));
    ui::xorInto(dst, overlay);
    EXPECT_EQ(dst.pixelColor(0, 0), QColor(0, 0, 128));
    QImage small = blank(1, 1, Qt::white);
    ui::xorInto(dst, small);  // only the common area
    EXPECT_EQ(dst.pixelColor(1, 0), QColor(0, 0, 128));
}

}  // namespace

QUILLET_UI_TEST_MAIN()
