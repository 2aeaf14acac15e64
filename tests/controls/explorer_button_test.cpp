// The explorer button: layout arithmetic, shaded glyph thresholds, the popup mark and frame
// pixels, and the click rules of mouse, keys and groups.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include "controls/explorer_button.h"
#include "controls/glyphs.h"
#include "platform/ui/dialog_keys.h"
#include "platform/ui/system_colors.h"

namespace {

using namespace controls;
using ui::SysColor;
using ui::sysColor;

const QColor kFace = sysColor(SysColor::ButtonFace);
const QColor kLight = sysColor(SysColor::ButtonHighlight);
const QColor kShadow = sysColor(SysColor::ButtonShadow);

void enter(QWidget* w) {
    QEnterEvent e(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(w, &e);
}

void leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

// A shown form with a grey background holding one 50 x 40 button at (10, 10).
struct Form {
    QWidget window;
    TExplorerButton* button = nullptr;
    int clicks = 0;

    Form() {
        window.resize(200, 120);
        window.setAutoFillBackground(true);
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, kFace);
        window.setPalette(pal);
        button = add(QPoint(10, 10));
        QObject::connect(button, &TExplorerButton::clicked, [this] { ++clicks; });
        window.move(400, 400);  // away from the virtual cursor
        window.show();
        leave(button);
    }

    TExplorerButton* add(QPoint at) {
        auto* b = new TExplorerButton(&window);
        b->move(at);
        b->show();
        return b;
    }

    QImage pixels(TExplorerButton* b) {
        return window.grab(b->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    }
    QImage pixels() { return pixels(button); }
};

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void clickAt(QWidget* w, QPoint at = QPoint(5, 5)) {
    enter(w);
    mouse(w, QEvent::MouseButtonPress, at);
    mouse(w, QEvent::MouseButtonRelease, at);
    leave(w);
}

// Closes whatever pop-up menu opens next, from the menu's own event loop.
void closeNextMenu() {
    QTimer::singleShot(50, [] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        }
    });
}

ExplorerLayoutInput input(int w, int h) {
    ExplorerLayoutInput in;
    in.width = w;
    in.height = h;
    return in;
}

TEST(ExplorerLayout, GlyphAndCaptionPositions) {
    ExplorerLayoutInput in = input(50, 40);
    in.bitmapWidth = 16;
    in.bitmapHeight = 16;
    ExplorerLayout out = layoutExplorerButton(in);
    EXPECT_EQ(out.glyphLeft, 17);
    EXPECT_EQ(out.glyphTop, 12);

    in = input(72, 44);
    in.hasCaption = true;
    in.textWidth = 30;
    in.textHeight = 13;
    in.bitmapWidth = 16;
    in.bitmapHeight = 16;
    in.layout = TButtonLayout::blBitmapLeft;
    out = layoutExplorerButton(in);
    EXPECT_EQ(out.glyphLeft, 12);
    EXPECT_EQ(out.glyphTop, 14);
    EXPECT_EQ(out.textLeft, 30);
    EXPECT_EQ(out.textTop, 15);

    in.layout = TButtonLayout::blBitmapRight;
    in.alignment = ui::TAlignment::taRightJustify;
    out = layoutExplorerButton(in);
    EXPECT_EQ(out.glyphLeft, 53);
    EXPECT_EQ(out.textLeft, 21);

    in.layout = TButtonLayout::blBitmapBottom;
    in.alignment = ui::TAlignment::taCenter;
    out = layoutExplorerButton(in);
    EXPECT_EQ(out.textTop, (44 - 13 - 16 - 2) / 2);
    EXPECT_EQ(out.glyphTop, out.textTop + 13 + 2);
}

TEST(ExplorerLayout, LimitsMarkRoomAndTruncationTowardZero) {
    ExplorerLayoutInput in = input(50, 40);
    in.hasCaption = true;
    in.textWidth = 100;
    in.textHeight = 13;
    ExplorerLayout out = layoutExplorerButton(in);
    EXPECT_EQ(out.textWidth, 46) << "caption limited to W - 4";
    EXPECT_EQ(out.textLeft, 2);

    in.textWidth = 40;
    in.popupMark = true;
    out = layoutExplorerButton(in);
    EXPECT_EQ(out.textWidth, 36) << "room for the mark without a glyph";
    EXPECT_EQ(out.textLeft, 0);

    in = input(50, 9);
    in.bitmapWidth = 16;
    in.bitmapHeight = 16;
    out = layoutExplorerButton(in);
    EXPECT_EQ(out.glyphTop, -3) << "(9 - 16) div 2 truncates toward zero";

    in = input(50, 40);
    in.hasCaption = true;
    in.textWidth = 40;
    in.textHeight = 13;
    in.wordWrap = true;
    in.alignment = ui::TAlignment::taRightJustify;
    in.bitmapWidth = 16;
    in.bitmapHeight = 16;
    in.layout = TButtonLayout::blBitmapLeft;
    out = layoutExplorerButton(in);
    // tw shrinks to 50 - 2 - 16 - 4 = 28 and sits at 50 - 28 - 3 = 19; 19 + 28 > 45 cuts it.
    EXPECT_EQ(out.textLeft, 19);
    EXPECT_EQ(out.textWidth, 26);
}

TEST(ShadedGlyph, ThresholdsAreStrictlyGreater) {
    QImage img(6, 1, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 0, 255));  // key
    img.setPixel(1, 0, qRgb(231, 0, 0));    // exactly the middle threshold
    img.setPixel(2, 0, qRgb(232, 0, 0));
    img.setPixel(3, 0, qRgb(57, 0, 0));  // exactly the low threshold
    img.setPixel(4, 0, qRgb(58, 0, 0));
    img.setPixel(5, 0, qRgb(255, 255, 255));
    const QImage s = makeShadedBitmap(img, TShadingType::stMedium);
    EXPECT_EQ(qAlpha(s.pixel(0, 0)), 0);
    EXPECT_EQ(s.pixelColor(1, 0), kShadow);
    EXPECT_EQ(s.pixelColor(2, 0), kLight);
    EXPECT_EQ(s.pixelColor(3, 0), QColor(Qt::black));
    EXPECT_EQ(s.pixelColor(4, 0), kShadow);
    EXPECT_EQ(s.pixelColor(5, 0), QColor(Qt::white));

    const QImage dark = makeShadedBitmap(img, TShadingType::stDark);
    EXPECT_EQ(dark.pixelColor(2, 0), kShadow);
    EXPECT_EQ(dark.pixelColor(5, 0), QColor(Qt::white));
    img.setPixel(1, 0, qRgb(175, 0, 0));
    img.setPixel(2, 0, qRgb(176, 0, 0));
    const QImage dark2 = makeShadedBitmap(img, TShadingType::stDark);
    EXPECT_EQ(dark2.pixelColor(1, 0), QColor(Qt::black));
    EXPECT_EQ(dark2.pixelColor(2, 0), kShadow);
}

TEST(ShadedGlyph, KeyColouredGlyphPixelsStayVisible) {
    // A white-backed glyph whose light pixels shade to white must not vanish as transparent.
    QImage img(2, 1, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 255, 255));
    img.setPixel(1, 0, qRgb(250, 250, 250));
    const QImage s = makeShadedBitmap(img, TShadingType::stMedium);
    EXPECT_EQ(qAlpha(s.pixel(1, 0)), 255);
}

TEST(ExplorerButtonPixels, PopupMarkTriangleBesideEmptyContent) {
    Form f;
    QMenu menu;
    f.button->setUnselectedFontColor(Qt::red);
    f.button->setFontColor(Qt::blue);
    f.button->setDropDownMenu(&menu);
    const QImage rest = f.pixels();
    // Without glyph or caption the content is the 10-pixel mark room at (50 - 10) div 2 = 20;
    // the mark stands at x = 20 + 3, y = 40 div 2.
    const QColor red(Qt::red);
    for (int x = 23; x <= 29; ++x)
        EXPECT_EQ(rest.pixelColor(x, 19), red) << x;
    for (int x = 24; x <= 28; ++x)
        EXPECT_EQ(rest.pixelColor(x, 20), red) << x;
    for (int x = 25; x <= 27; ++x)
        EXPECT_EQ(rest.pixelColor(x, 21), red) << x;
    EXPECT_EQ(rest.pixelColor(26, 22), red);
    EXPECT_EQ(rest.pixelColor(22, 19), kFace);
    EXPECT_EQ(rest.pixelColor(30, 19), kFace);
    EXPECT_EQ(rest.pixelColor(23, 20), kFace);
    EXPECT_EQ(rest.pixelColor(25, 22), kFace);
    EXPECT_EQ(rest.pixelColor(26, 23), kFace);
    EXPECT_EQ(rest.pixelColor(26, 18), kFace);

    f.button->setDown(false);
    f.button->setGroupIndex(3);
    f.button->setDown(true);
    const QImage down = f.pixels();
    EXPECT_EQ(down.pixelColor(24, 20), QColor(Qt::blue)) << "pressed mark moves right and down";
    EXPECT_EQ(down.pixelColor(27, 23), QColor(Qt::blue));
    EXPECT_NE(down.pixelColor(23, 19), QColor(Qt::blue));
}

TEST(ExplorerButtonPixels, PopupMarkOptionWithoutMenuDrawsNothing) {
    Form f;
    f.button->setUnselectedFontColor(Qt::red);
    const QImage img = f.pixels();
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            ASSERT_EQ(img.pixelColor(x, y), kFace) << x << "," << y;
        }
    }
}

TEST(ExplorerButtonPixels, RestHotPressedAndLoweredLooks) {
    Form f;
    const QImage glyph = glyphImage(Glyph::Check);  // 16 x 16 at (17, 12)
    ASSERT_EQ(glyph.size(), QSize(16, 16));
    f.button->setBitmap(glyph);
    f.button->setOptions(f.button->options() | TButtonOption::boIconOnly);
    const QColor green = glyph.pixelColor(14, 3);
    ASSERT_EQ(green, QColor(0, 160, 0));

    QImage img = f.pixels();
    EXPECT_EQ(img.pixelColor(0, 0), kFace) << "no frame at rest";
    EXPECT_EQ(img.pixelColor(17 + 14, 12 + 3), kShadow) << "rest shows the shaded glyph";
    EXPECT_EQ(img.pixelColor(17, 12), kFace) << "key colour is transparent";

    enter(f.button);
    img = f.pixels();
    EXPECT_EQ(img.pixelColor(0, 0), kLight);
    EXPECT_EQ(img.pixelColor(0, 38), kLight);
    EXPECT_EQ(img.pixelColor(49, 0), kShadow);
    EXPECT_EQ(img.pixelColor(0, 39), kShadow);
    EXPECT_EQ(img.pixelColor(49, 39), kShadow);
    EXPECT_EQ(img.pixelColor(17 + 14, 12 + 3), green);

    mouse(f.button, QEvent::MouseButtonPress, QPoint(5, 5));
    img = f.pixels();
    EXPECT_EQ(img.pixelColor(0, 0), kShadow);
    EXPECT_EQ(img.pixelColor(49, 39), kLight);
    EXPECT_EQ(img.pixelColor(18 + 14, 13 + 3), green) << "pressed glyph moves right and down";
    mouse(f.button, QEvent::MouseButtonRelease, QPoint(5, 5));

    f.button->setBevelStyle(TBevelStyle::bsLowered);
    leave(f.button);
    enter(f.button);
    img = f.pixels();
    EXPECT_EQ(img.pixelColor(0, 0), kShadow) << "a lowered bevel shows hot as sunken";
}

TEST(ExplorerButtonPixels, DownPatternAndDisabledEmboss) {
    Form f;
    f.button->setGroupIndex(1);
    f.button->setDown(true);
    QImage img = f.pixels();
    EXPECT_EQ(img.pixelColor(2, 2), kLight);
    EXPECT_EQ(img.pixelColor(3, 2), kFace);
    EXPECT_EQ(img.pixelColor(3, 3), kLight);
    f.button->setShowDownPattern(false);
    img = f.pixels();
    EXPECT_EQ(img.pixelColor(2, 2), kFace);

    Form g;
    QImage glyph(4, 4, QImage::Format_RGB32);
    glyph.fill(qRgb(255, 0, 255));
    glyph.setPixel(1, 1, qRgb(0, 0, 0));
    g.button->setBitmap(glyph);
    g.button->setOptions(g.button->options() | TButtonOption::boIconOnly);
    g.button->setEnabled(false);
    img = g.pixels();
    const QPoint at((50 - 4) / 2 + 1, (40 - 4) / 2 + 1);
    EXPECT_EQ(img.pixelColor(at), kShadow);
    EXPECT_EQ(img.pixelColor(at + QPoint(1, 1)), kLight);
    EXPECT_EQ(img.pixelColor(at + QPoint(-1, -1)), kFace);
}

TEST(ExplorerButtonPixels, TinyButtonsInEveryLayoutPaint) {
    Form f;
    QMenu menu;
    f.button->setCaption(QStringLiteral("A rather long &caption"));
    f.button->setBitmap(glyphImage(Glyph::Question));
    f.button->setDropDownMenu(&menu);
    f.button->setWordWrap(true);
    for (int layout = 0; layout <= static_cast<int>(TButtonLayout::blBitmapRight); ++layout) {
        f.button->setLayout(static_cast<TButtonLayout>(layout));
        for (int size = 1; size <= 4; ++size) {
            f.button->resize(size, size);
            EXPECT_FALSE(f.pixels().isNull());
        }
    }
}

TEST(ExplorerButtonClicks, ReleaseOutsideGivesNoClick) {
    Form f;
    clickAt(f.button);
    EXPECT_EQ(f.clicks, 1);

    enter(f.button);
    mouse(f.button, QEvent::MouseButtonPress, QPoint(5, 5));
    mouse(f.button, QEvent::MouseButtonRelease, QPoint(80, 5));
    EXPECT_EQ(f.clicks, 1);

    // Out and back in while held still clicks.
    enter(f.button);
    mouse(f.button, QEvent::MouseButtonPress, QPoint(5, 5));
    mouse(f.button, QEvent::MouseMove, QPoint(80, 5));
    mouse(f.button, QEvent::MouseMove, QPoint(6, 6));
    mouse(f.button, QEvent::MouseButtonRelease, QPoint(6, 6));
    EXPECT_EQ(f.clicks, 2);

    // A release without a press on the button is no click.
    mouse(f.button, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_EQ(f.clicks, 2);
}

TEST(ExplorerButtonClicks, DisablingWhilePressedCancelsTheClick) {
    Form f;
    enter(f.button);
    mouse(f.button, QEvent::MouseButtonPress, QPoint(5, 5));
    f.button->setEnabled(false);
    f.button->setEnabled(true);
    mouse(f.button, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_EQ(f.clicks, 0);
}

TEST(ExplorerButtonClicks, DropDownButtonNeverClicksByMouseOrAccelerator) {
    Form f;
    QMenu menu;
    menu.addAction(QStringLiteral("One"));
    f.button->setCaption(QStringLiteral("&Dates"));
    f.button->setDropDownMenu(&menu);
    f.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.window));

    closeNextMenu();
    enter(f.button);
    mouse(f.button, QEvent::MouseButtonPress, QPoint(5, 5));
    mouse(f.button, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_EQ(f.clicks, 0);

    closeNextMenu();
    QTest::keyClick(&f.window, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(f.clicks, 0);

    f.button->setDefault(true);
    EXPECT_TRUE(ui::HandleDialogKey(&f.window, Qt::Key_Return, Qt::NoModifier, nullptr, nullptr));
    EXPECT_EQ(f.clicks, 1) << "Enter clicks the default button even with a menu";
}

TEST(ExplorerButtonClicks, AcceleratorActsAsAFullClick) {
    Form f;
    f.button->setCaption(QStringLiteral("&Cancel"));
    f.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.window));
    QTest::keyClick(&f.window, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(f.clicks, 1);
    QTest::keyClick(&f.window, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(f.clicks, 1);
    f.button->setEnabled(false);
    QTest::keyClick(&f.window, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(f.clicks, 1);
    f.button->setEnabled(true);
    f.button->setCaption(QStringLiteral("Cancel"));
    QTest::keyClick(&f.window, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(f.clicks, 1) << "a caption without a marked letter has no accelerator";
}

TEST(ExplorerButtonClicks, EnterAndEscapeFollowDefaultAndCancel) {
    Form f;
    TExplorerButton* cancel = f.add(QPoint(70, 10));
    int cancels = 0;
    QObject::connect(cancel, &TExplorerButton::clicked, [&cancels] { ++cancels; });
    f.button->setDefault(true);
    cancel->setCancel(true);
    EXPECT_EQ(ui::FindRoleWidget(&f.window, ui::DialogKeyRole::Default), f.button);
    EXPECT_EQ(ui::FindRoleWidget(&f.window, ui::DialogKeyRole::Cancel), cancel);
    EXPECT_TRUE(ui::HandleDialogKey(&f.window, Qt::Key_Return, Qt::NoModifier, nullptr, nullptr));
    EXPECT_TRUE(ui::HandleDialogKey(&f.window, Qt::Key_Escape, Qt::NoModifier, nullptr, nullptr));
    EXPECT_EQ(f.clicks, 1);
    EXPECT_EQ(cancels, 1);
    cancel->setEnabled(false);
    EXPECT_FALSE(ui::HandleDialogKey(&f.window, Qt::Key_Escape, Qt::NoModifier, nullptr, nullptr));
    EXPECT_EQ(cancels, 1);
}

TEST(ExplorerButtonGroups, DownRulesAndAllowAllUp) {
    Form f;
    TExplorerButton* a = f.button;
    TExplorerButton* b = f.add(QPoint(70, 10));
    TExplorerButton* other = f.add(QPoint(130, 10));

    a->setDown(true);
    EXPECT_FALSE(a->isDown()) << "Down needs a group";

    a->setGroupIndex(1);
    b->setGroupIndex(1);
    other->setGroupIndex(2);
    other->setDown(true);
    clickAt(a);
    EXPECT_TRUE(a->isDown());
    clickAt(b);
    EXPECT_TRUE(b->isDown());
    EXPECT_FALSE(a->isDown());
    EXPECT_TRUE(other->isDown()) << "another group is untouched";

    clickAt(b);
    EXPECT_TRUE(b->isDown()) << "without AllowAllUp a down button stays down";
    a->setAllowAllUp(true);
    EXPECT_TRUE(b->allowAllUp()) << "AllowAllUp is shared by the group";
    clickAt(b);
    EXPECT_FALSE(b->isDown());

    a->setDown(true);
    a->setGroupIndex(0);
    EXPECT_FALSE(a->isDown());
    EXPECT_EQ(f.clicks, 1);
}

TEST(ExplorerButtonHints, IconOnlyCaptionBecomesTheHint) {
    Form f;
    f.button->setCaption(QStringLiteral("&Cancel"));
    f.button->setOptions(TButtonOption::boIconOnly | TButtonOption::boMonoDisplay);
    EXPECT_EQ(f.button->toolTip(), QStringLiteral("Cancel"));
    EXPECT_TRUE(f.button->showHint());
    // Writing the same options again keeps the hint.
    f.button->setOptions(f.button->options());
    EXPECT_EQ(f.button->toolTip(), QStringLiteral("Cancel"));
    f.button->setCaption(QStringLiteral("Salt && &Pepper"));
    EXPECT_EQ(f.button->toolTip(), QStringLiteral("Salt & Pepper"));
    f.button->setOptions(TButtonOption::boMonoDisplay);
    EXPECT_TRUE(f.button->toolTip().isEmpty());
    EXPECT_FALSE(f.button->showHint());
}

}  // namespace
