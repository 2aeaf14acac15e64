// The gauge: value rules and their error message, the percentage, and the drawn pixels of
// each kind including the inverted text.
#include <gtest/gtest.h>

#include <QImage>
#include <climits>

#include "controls/gauge.h"

namespace {

using namespace controls;

QImage pixels(TGauge& g) {
    return g.image().convertToFormat(QImage::Format_RGB32);
}

TEST(GaugeValues, ProgressIsClampedAndPercentTruncated) {
    TGauge g;
    g.setProgress(50);
    EXPECT_EQ(g.percentDone(), 50);
    g.setProgress(150);
    EXPECT_EQ(g.progress(), 100);
    g.setProgress(-3);
    EXPECT_EQ(g.progress(), 0);
    ASSERT_TRUE(g.setMaxValue(3).ok);
    g.setProgress(2);
    EXPECT_EQ(g.percentDone(), 66);

    TGauge wide;
    ASSERT_TRUE(wide.setMinValue(INT32_MIN).ok);
    ASSERT_TRUE(wide.setMaxValue(INT32_MAX).ok);
    wide.setProgress(0);
    EXPECT_EQ(wide.percentDone(), 50) << "the range does not overflow";
}

TEST(GaugeValues, EmptyRangeShowsZero) {
    TGauge g;
    ASSERT_TRUE(g.setMinValue(10).ok);
    ASSERT_TRUE(g.setMaxValue(10).ok);
    EXPECT_EQ(g.progress(), 10);
    g.setProgress(99);
    EXPECT_EQ(g.percentDone(), 0);
}

TEST(GaugeValues, CrossedLimitsFailWithTheMessageAndChangeNothing) {
    TGauge g;
    ASSERT_TRUE(g.setMinValue(10).ok);
    EXPECT_EQ(g.progress(), 10) << "progress rises with the minimum";
    TGaugeResult r = g.setMaxValue(5);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, QStringLiteral("Value must be between 11 and 2147483647"));
    EXPECT_EQ(g.maxValue(), 100);
    r = g.setMinValue(200);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, QStringLiteral("Value must be between -2147483647 and 99"));
    EXPECT_EQ(g.minValue(), 10);
    EXPECT_TRUE(g.setMinValue(10).ok) << "an unchanged value is no error";

    ASSERT_TRUE(g.setMaxValue(50).ok);
    g.setProgress(50);
    ASSERT_TRUE(g.setMaxValue(40).ok);
    EXPECT_EQ(g.progress(), 40) << "progress falls with the maximum";

    TGauge edge;
    ASSERT_TRUE(edge.setMinValue(INT32_MIN).ok);
    ASSERT_TRUE(edge.setMaxValue(INT32_MIN).ok);
    r = edge.setMinValue(0);
    EXPECT_EQ(r.message, QStringLiteral("Value must be between -2147483647 and -2147483649"));
}

TEST(GaugeValues, AChangeWithinOnePercentDrawsNothing) {
    TGauge g;
    ASSERT_TRUE(g.setMaxValue(1000).ok);
    const qint64 before = g.image().cacheKey();
    g.setProgress(1);
    EXPECT_EQ(g.progress(), 1);
    EXPECT_EQ(g.image().cacheKey(), before);
    g.setProgress(10);
    EXPECT_NE(g.image().cacheKey(), before);
}

TEST(GaugePixels, BarsFillTheirWholeLengthAtFullProgress) {
    TGauge g;
    g.resize(100, 20);
    g.setShowText(false);
    g.setForeColor(QColor(0, 0, 128));
    g.setBorderStyle(TBorderStyle::bsNone);
    g.setProgress(100);
    QImage img = pixels(g);
    for (int x = 0; x < 100; ++x) {
        ASSERT_EQ(img.pixelColor(x, 10), QColor(0, 0, 128)) << x;
    }

    g.setKind(TGaugeKind::gkVerticalBar);
    img = pixels(g);
    EXPECT_EQ(img.pixelColor(50, 0), QColor(0, 0, 128)) << "top line of a borderless bar";
    EXPECT_EQ(img.pixelColor(50, 19), QColor(0, 0, 128));
}

TEST(GaugePixels, BorderedBarStopsAtItsFill) {
    TGauge g;
    g.resize(100, 20);
    g.setShowText(false);
    g.setProgress(50);  // paint width 99: fill 49 reaches x = 48
    const QImage img = pixels(g);
    EXPECT_EQ(img.pixelColor(0, 10), QColor(Qt::black)) << "border";
    EXPECT_EQ(img.pixelColor(1, 10), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(48, 10), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(49, 10), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(98, 10), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(99, 10), QColor(Qt::black)) << "border";
    EXPECT_EQ(img.pixelColor(50, 0), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(50, 19), QColor(Qt::black));

    // The fill is measured on the paint width plus one: 99 % of 99 pixels is 98.
    g.setProgress(99);
    const QImage nearly = pixels(g);
    EXPECT_EQ(nearly.pixelColor(97, 10), QColor(Qt::black));
    EXPECT_EQ(nearly.pixelColor(98, 10), QColor(Qt::white));

    TGauge v;
    v.resize(20, 100);
    v.setKind(TGaugeKind::gkVerticalBar);
    v.setShowText(false);
    v.setProgress(100);
    const QImage full = pixels(v);
    EXPECT_EQ(full.pixelColor(10, 1), QColor(Qt::black));
    EXPECT_EQ(full.pixelColor(10, 98), QColor(Qt::black));
}

TEST(GaugePixels, PieAtAQuarterFillsTwelveToThree) {
    TGauge g;
    g.setKind(TGaugeKind::gkPie);
    g.setShowText(false);
    g.setColor(QColor(0, 200, 0));
    g.setForeColor(QColor(200, 0, 0));
    g.setProgress(25);
    const QImage img = pixels(g);
    const QColor fore(200, 0, 0);
    EXPECT_EQ(img.pixelColor(70, 25), fore);
    EXPECT_EQ(img.pixelColor(55, 10), fore);
    EXPECT_EQ(img.pixelColor(88, 45), fore);
    EXPECT_EQ(img.pixelColor(30, 25), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(30, 75), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(70, 75), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(3, 3), QColor(0, 200, 0)) << "surroundings";
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::black)) << "border";
}

TEST(GaugePixels, NeedleAtHalfPointsStraightUp) {
    TGauge g;
    g.setKind(TGaugeKind::gkNeedle);
    g.setShowText(false);
    g.setProgress(50);
    const QImage img = pixels(g);
    EXPECT_EQ(img.pixelColor(50, 40), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(45, 40), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(55, 40), QColor(Qt::white));
}

TEST(GaugePixels, TextIsInvertedAgainstWhatLiesBeneath) {
    TGauge g;
    g.resize(120, 30);
    QFont f = g.font();
    f.setPixelSize(20);
    g.setFont(f);
    g.setProgress(50);  // black fill under the left half, white under the right
    const QImage img = pixels(g);
    int whiteOnFill = 0;
    int blackOnBack = 0;
    for (int y = 1; y < 29; ++y) {
        for (int x = 1; x < 119; ++x) {
            const QColor c = img.pixelColor(x, y);
            ASSERT_TRUE(c == QColor(Qt::black) || c == QColor(Qt::white)) << x << "," << y;
            if (x < 59 && c == QColor(Qt::white))
                ++whiteOnFill;
            if (x >= 60 && c == QColor(Qt::black))
                ++blackOnBack;
        }
    }
    EXPECT_GT(whiteOnFill, 10);
    EXPECT_GT(blackOnBack, 10);

    g.setShowText(false);
    const QImage bare = pixels(g);
    for (int x = 60; x < 119; ++x) {
        ASSERT_EQ(bare.pixelColor(x, 15), QColor(Qt::white)) << x;
    }
}

TEST(GaugePixels, EveryKindSurvivesTinySizes) {
    for (int kind = 0; kind <= static_cast<int>(TGaugeKind::gkNeedle); ++kind) {
        for (int size = 0; size <= 3; ++size) {
            for (TBorderStyle border : {TBorderStyle::bsNone, TBorderStyle::bsSingle}) {
                TGauge g;
                g.setKind(static_cast<TGaugeKind>(kind));
                g.setBorderStyle(border);
                g.resize(size, size);
                g.setProgress(75);
                EXPECT_FALSE(g.image().isNull());
            }
        }
    }
}

TEST(BltBitmap, MakeLikeTakesTheSizeInTheWindowFrameColour) {
    TBltBitmap source(QSize(7, 3));
    source.image().fill(Qt::red);
    TBltBitmap scratch;
    scratch.MakeLike(source);
    EXPECT_EQ(scratch.image().size(), QSize(7, 3));
    EXPECT_EQ(scratch.image().pixelColor(6, 2), QColor(Qt::black));
}

}  // namespace
