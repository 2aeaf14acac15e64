// The splitter: bar position clamping, layout of the panes, the style's inset, the drag
// rules, the cursor over the bar, edge pixels and synchronised scrolling.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>

#include "controls/splitter.h"
#include "platform/ui/system_colors.h"

namespace {

using namespace controls;

void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held = Qt::LeftButton) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Default: 185 x 41, upright bar, Win95 look (inset 2), bar 4 wide, bar at 50.
TEST(Splitter, DefaultsAndBarPositionClamping) {
    ToxSplit s;
    EXPECT_EQ(s.size(), QSize(185, 41));
    EXPECT_EQ(s.barPosition(), 50);
    EXPECT_EQ(s.inset(), 2);
    EXPECT_EQ(s.effectiveStyle(), TSplitStyle::oxsWin95);
    EXPECT_EQ(s.maxBarPosition(), 185 - 4 - 4);
    s.setBarPosition(-5);
    EXPECT_EQ(s.barPosition(), 0);
    s.setBarPosition(1000);
    EXPECT_EQ(s.barPosition(), 177);

    s.setBarPosition(150);
    s.resize(100, 41);
    EXPECT_EQ(s.barPosition(), 150) << "shrinking does not clamp";
    s.setBarPosition(s.barPosition());
    EXPECT_EQ(s.barPosition(), 92);

    s.resize(6, 41);  // no room for any bar position
    s.setBarPosition(10);
    EXPECT_EQ(s.barPosition(), 0) << "never negative";
}

TEST(Splitter, PercentAndOrientation) {
    ToxSplit s;
    s.setPercent(50);
    EXPECT_EQ(s.barPosition(), 88);
    EXPECT_EQ(s.percent(), 88 * 100 / 177);
    s.setPercent(0);
    EXPECT_EQ(s.barPosition(), 0);
    s.resize(8, 41);
    EXPECT_EQ(s.maxBarPosition(), 0);
    EXPECT_EQ(s.percent(), 0);

    ToxSplit h;
    h.resize(100, 100);
    h.setBarPosition(90);
    h.resize(100, 60);
    h.setOrientation(TSplitOrientation::oxsHorz);
    EXPECT_EQ(h.barPosition(), 60 - 4 - 4) << "orientation rewrites the position in its range";
}

TEST(Splitter, PanesLieBesideTheBarInsideTheInset) {
    ToxSplit s;
    s.resize(200, 150);
    s.setOrientation(TSplitOrientation::oxsHorz);
    s.setBarPosition(30);
    EXPECT_EQ(s.pane(0)->geometry(), QRect(2, 2, 196, 30));
    EXPECT_EQ(s.pane(1)->geometry(), QRect(2, 36, 196, 150 - 2 - 36));
    EXPECT_EQ(s.barZone(), QRect(0, 32, 200, 4));

    s.setOrientation(TSplitOrientation::oxsVert);
    EXPECT_EQ(s.pane(0)->geometry(), QRect(2, 2, 30, 146));
    EXPECT_EQ(s.pane(1)->geometry(), QRect(36, 2, 200 - 2 - 36, 146));
}

TEST(Splitter, StyleDecidesInsetAndPaneBorders) {
    ToxSplit s;
    s.setStyle(TSplitStyle::oxsInset);
    EXPECT_EQ(s.inset(), 1);
    s.setStyle(TSplitStyle::oxsGroove);
    EXPECT_EQ(s.inset(), 1) << "groove keeps the inset it had";
    s.setStyle(TSplitStyle::oxsWin31);
    EXPECT_EQ(s.inset(), 0);
    EXPECT_EQ(s.pane(0)->frameShape(), QFrame::Box);
    s.setStyle(TSplitStyle::oxsWin95);
    EXPECT_EQ(s.pane(0)->frameShape(), QFrame::NoFrame);
    s.setBorderStyle(TBorderStyle::bsNone);
    EXPECT_EQ(s.inset(), 0);
    s.setStyle(TSplitStyle::oxsWin31);
    EXPECT_EQ(s.inset(), 0);
    EXPECT_EQ(s.pane(0)->frameShape(), QFrame::NoFrame);

    ToxSplit fresh;
    fresh.setStyle(TSplitStyle::oxsGroove);
    EXPECT_EQ(fresh.inset(), 0);
}

TEST(SplitterDrag, ReleaseWritesTheLastHeldPosition) {
    ToxSplit s;  // bar zone x in [52, 56)
    send(&s, QEvent::MouseButtonPress, QPoint(53, 20));
    ASSERT_TRUE(s.dragging());
    send(&s, QEvent::MouseMove, QPoint(100, 20));
    EXPECT_EQ(s.barPosition(), 50) << "the ghost moves, not the bar";
    send(&s, QEvent::MouseButtonRelease, QPoint(120, 20), Qt::NoButton);
    EXPECT_FALSE(s.dragging());
    EXPECT_EQ(s.barPosition(), 100 - 1 - 2);

    // Held within range at both ends.
    send(&s, QEvent::MouseButtonPress, QPoint(100, 20));
    send(&s, QEvent::MouseMove, QPoint(1000, 20));
    send(&s, QEvent::MouseButtonRelease, QPoint(1000, 20), Qt::NoButton);
    EXPECT_EQ(s.barPosition(), 177);
    send(&s, QEvent::MouseButtonPress, QPoint(180, 20));
    send(&s, QEvent::MouseMove, QPoint(-50, 20));
    send(&s, QEvent::MouseButtonRelease, QPoint(-50, 20), Qt::NoButton);
    EXPECT_EQ(s.barPosition(), 0);

    // A press and release without a move puts the bar back where it was.
    send(&s, QEvent::MouseButtonPress, QPoint(3, 20));
    send(&s, QEvent::MouseButtonRelease, QPoint(60, 20), Qt::NoButton);
    EXPECT_EQ(s.barPosition(), 0);
}

TEST(SplitterDrag, GhostBarInvertsTheBandItCovers) {
    ToxSplit s;
    s.show();
    const QImage before = s.grab().toImage().convertToFormat(QImage::Format_RGB32);
    send(&s, QEvent::MouseButtonPress, QPoint(53, 20));  // grab offset 1
    send(&s, QEvent::MouseMove, QPoint(100, 20));        // ghost over x 99..102
    const QImage during = s.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb was = before.pixel(100, 20);
    EXPECT_EQ(during.pixel(100, 20), qRgb(255 - qRed(was), 255 - qGreen(was), 255 - qBlue(was)));
    EXPECT_EQ(during.pixel(104, 20), before.pixel(104, 20));
    send(&s, QEvent::MouseButtonRelease, QPoint(100, 20), Qt::NoButton);
    QApplication::processEvents();
    int visibleChildren = 0;
    for (QWidget* child : s.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        visibleChildren += child->isVisible() ? 1 : 0;
    }
    EXPECT_EQ(visibleChildren, 2) << "only the panes remain: no ghost left behind";
}

TEST(SplitterDrag, AutoUpdateMovesThePanesAtOnce) {
    ToxSplit s;
    s.setAutoUpdate(true);
    send(&s, QEvent::MouseButtonPress, QPoint(52, 20));
    send(&s, QEvent::MouseMove, QPoint(80, 20));
    EXPECT_EQ(s.barPosition(), 78);
    EXPECT_EQ(s.pane(0)->width(), 78);
    send(&s, QEvent::MouseButtonRelease, QPoint(80, 20), Qt::NoButton);
}

TEST(SplitterDrag, PressOutsideTheZoneOrLockedStartsNothing) {
    ToxSplit s;
    send(&s, QEvent::MouseButtonPress, QPoint(51, 20));
    EXPECT_FALSE(s.dragging());
    send(&s, QEvent::MouseButtonRelease, QPoint(51, 20), Qt::NoButton);
    send(&s, QEvent::MouseButtonPress, QPoint(56, 20));
    EXPECT_FALSE(s.dragging());
    send(&s, QEvent::MouseButtonRelease, QPoint(56, 20), Qt::NoButton);

    send(&s, QEvent::MouseMove, QPoint(53, 20), Qt::NoButton);
    EXPECT_EQ(s.cursor().shape(), Qt::SplitHCursor);
    s.setLocked(true);
    send(&s, QEvent::MouseMove, QPoint(54, 20), Qt::NoButton);
    EXPECT_NE(s.cursor().shape(), Qt::SplitHCursor);
    send(&s, QEvent::MouseButtonPress, QPoint(53, 20));
    EXPECT_FALSE(s.dragging());
    send(&s, QEvent::MouseButtonRelease, QPoint(53, 20), Qt::NoButton);

    ToxSplit h;
    h.resize(100, 100);
    h.setOrientation(TSplitOrientation::oxsHorz);
    send(&h, QEvent::MouseMove, QPoint(10, 53), Qt::NoButton);
    EXPECT_EQ(h.cursor().shape(), Qt::SplitVCursor);
}

TEST(SplitterPixels, InsetStyleDrawsSunkenFramesAroundPanes) {
    ToxSplit s;
    s.setStyle(TSplitStyle::oxsInset);  // panes at x 1..50 and 55..183
    s.setBarColor(QColor(10, 20, 30));
    const QImage img = s.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor shadow = ui::sysColor(ui::SysColor::ButtonShadow);
    const QColor light = ui::sysColor(ui::SysColor::ButtonHighlight);
    EXPECT_EQ(img.pixelColor(0, 20), shadow);
    EXPECT_EQ(img.pixelColor(10, 0), shadow);
    EXPECT_EQ(img.pixelColor(51, 20), light);
    EXPECT_EQ(img.pixelColor(10, 40), light);
    EXPECT_EQ(img.pixelColor(52, 20), QColor(10, 20, 30)) << "the bar shows the bar colour";
    EXPECT_EQ(img.pixelColor(53, 20), QColor(10, 20, 30));
    EXPECT_EQ(img.pixelColor(54, 20), shadow);

    s.setBorderStyle(TBorderStyle::bsNone);
    const QImage bare = s.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(bare.pixelColor(51, 20), QColor(10, 20, 30));
}

TEST(Splitter, BarMovesRaiseResizedAndTinySplittersPaint) {
    ToxSplit s;
    int resized = 0;
    QObject::connect(&s, &ToxSplit::resized, [&resized] { ++resized; });
    s.setBarPosition(60);
    EXPECT_EQ(resized, 1);
    for (TSplitStyle style : {TSplitStyle::oxsWin31, TSplitStyle::oxsWin95, TSplitStyle::oxsInset,
                              TSplitStyle::oxsGroove}) {
        s.setStyle(style);
        for (int size = 0; size <= 3; ++size) {
            s.resize(size, size);
            s.setBarPosition(5);
            EXPECT_GE(s.pane(1)->width(), 0);
            if (size > 0) {
                EXPECT_FALSE(s.grab().isNull());
            }
        }
    }
}

TEST(Splitter, SyncScrollCopiesThePosition) {
    ToxSplit s;
    s.resize(300, 100);
    for (int i = 0; i < 2; ++i) {
        auto* content = new QLabel(QStringLiteral("content"));
        content->setMinimumSize(600, 600);
        s.pane(i)->setWidget(content);
    }
    s.show();
    QApplication::processEvents();
    ASSERT_GT(s.pane(0)->verticalScrollBar()->maximum(), 40);
    s.pane(0)->verticalScrollBar()->setValue(30);
    EXPECT_EQ(s.pane(1)->verticalScrollBar()->value(), 0);
    s.setSyncScroll(true);
    s.pane(0)->verticalScrollBar()->setValue(40);
    EXPECT_EQ(s.pane(1)->verticalScrollBar()->value(), 40);
    s.pane(1)->horizontalScrollBar()->setValue(25);
    EXPECT_EQ(s.pane(0)->horizontalScrollBar()->value(), 25);
}

}  // namespace
