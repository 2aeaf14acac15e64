// The what's-this popup and help mode: the popup's size and place, its pixels (frame, colour,
// dotted shadow over what lay below), its closing by key and click, help mode ended by Esc,
// by the focus going away and by a click outside the program, and the help pointer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

#include "controls/help_cursor.h"
#include "controls/help_popup.h"
#include "controls/ods_help.h"
#include "controls/whats_this.h"
#include "platform/ui/application.h"

namespace {

using namespace controls;

const QRect kScreen(0, 0, 800, 600);
const QColor kPopupColor(128, 255, 255);

THelpRequest Request(const QString& text, const QRect& control, quint32 context = 0) {
    THelpRequest request;
    request.text = text;
    request.context = context;
    request.control = control;
    request.color = kPopupColor;
    request.font = QApplication::font();
    request.maxWidth = 300;
    request.moreText = QStringLiteral("Click here or press F1 for more...");
    return request;
}

TEST(HelpPopupLayout, SizeAndPlaceFollowTheTextTheControlAndTheScreenEdges) {
    const QFontMetrics metrics(QApplication::font());
    const QString shortText = QStringLiteral("Click here to exit this program");
    const QString longText = QStringLiteral(
        "The Task Grid:\r\n\r\nDouble-click on the Priority Column, Date Column,Time Column or "
        "Key Words Column for a quick change menu. \r\n\r\nDouble-click on the Done column to "
        "toggle the status.");
    const int shortWidth = metrics.horizontalAdvance(shortText);
    ASSERT_LT(shortWidth, 300);
    const int line = metrics.height();

    struct Case {
        const char* name;
        QString text;
        QRect control;
        quint32 context;
        int left;  // -1: the screen's right edge less the margin
        int top;   // -1: the screen's bottom edge less the margin
    };
    const QRect middle(300, 200, 80, 24);
    const int shortBox = shortWidth + 16;
    const Case cases[] = {
        {"short text: half the text box left of the control", shortText, middle, 0,
         300 - shortBox / 2, 208},
        {"long text", longText, middle, 0, 0 /* from the measured box */, 208},
        {"left of the screen", shortText, QRect(20, 50, 40, 20), 0, 0, 58},
        {"near the right edge", shortText, QRect(790, 200, 10, 20), 0, -1, 208},
        {"near the bottom edge", shortText, QRect(300, 590, 80, 10), 0, 300 - shortBox / 2,
         -1},
        {"with a help context", shortText, middle, 7, 300 - shortBox / 2, 208},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const THelpLayout layout = LayoutHelpPopup(Request(c.text, c.control, c.context), kScreen);
        EXPECT_EQ(layout.popup.size(), layout.paintBox + QSize(6, 6)) << "room for the shadow";
        const int moreHeight = c.context != 0 ? 3 + line : 0;
        EXPECT_EQ(layout.paintBox, layout.textBox + QSize(0, moreHeight));
        if (c.text == shortText) {
            EXPECT_EQ(layout.textBox, QSize(shortWidth + 16, line + 10));
        } else {
            EXPECT_LE(layout.textBox.width(), 300 + 16) << "wrapped at MaxWidth";
            EXPECT_GE(layout.textBox.height(), 7 * line + 10) << "wrapped lines and breaks";
        }
        const int left = c.text == shortText
                             ? c.left
                             : c.control.left() - layout.textBox.width() / 2;
        if (c.left == -1) {
            EXPECT_EQ(layout.popup.right() + 1, 800 - 10);
        } else {
            EXPECT_EQ(layout.popup.left(), left);
        }
        if (c.top == -1) {
            EXPECT_EQ(layout.popup.bottom() + 1, 600 - 10);
        } else {
            EXPECT_EQ(layout.popup.top(), c.top);
        }
    }
}

TEST(HelpPopupPaint, FrameColourTextAndADottedShadowOverWhatLayBelow) {
    const THelpRequest request = Request(QStringLiteral("Short"), QRect(100, 100, 10, 10));
    const THelpLayout layout = LayoutHelpPopup(request, kScreen);
    const QColor below(200, 100, 50);
    QImage backdrop(layout.popup.size(), QImage::Format_RGB32);
    backdrop.fill(below);
    QImage image(layout.popup.size(), QImage::Format_RGB32);
    image.fill(Qt::green);
    {
        QPainter painter(&image);
        PaintHelpPopup(painter, request, layout, backdrop);
    }
    const int w = layout.paintBox.width();
    const int h = layout.paintBox.height();
    const QColor black(Qt::black);
    // The frame, one pixel wide, and the colour inside it.
    for (const QPoint p : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1),
                           QPoint(w / 2, 0), QPoint(0, h / 2)}) {
        EXPECT_EQ(image.pixelColor(p), black) << p.x() << "," << p.y();
    }
    EXPECT_EQ(image.pixelColor(1, 1), kPopupColor);
    EXPECT_EQ(image.pixelColor(w - 2, h - 2), kPopupColor);
    // The 6 x 6 corners the shifted shadow leaves alone show what lay below untouched.
    EXPECT_EQ(image.pixelColor(w + 2, 2), below);
    EXPECT_EQ(image.pixelColor(2, h + 2), below);
    // The strips: rows 10101010, 00000000, 01010101, 00000000 from the popup's origin, a set
    // bit keeping the pixel below and a clear one blackening it.
    for (int y = 6; y < layout.popup.height(); ++y) {
        for (int x = w; x < layout.popup.width(); ++x) {
            const bool keeps = (y % 4 == 0 && x % 2 == 0) || (y % 4 == 2 && x % 2 == 1);
            ASSERT_EQ(image.pixelColor(x, y), keeps ? below : black) << x << "," << y;
        }
    }
    for (int x = 6; x < w; ++x) {
        const int y = h + 1;  // a row of its own in the pattern: all black
        ASSERT_EQ(image.pixelColor(x, y), black) << x;
    }
    // Some text is written in the box, between the paddings.
    bool inked = false;
    for (int y = 4; y < h - 4 && !inked; ++y) {
        for (int x = 8; x < w - 8 && !inked; ++x) {
            inked = image.pixelColor(x, y) != kPopupColor;
        }
    }
    EXPECT_TRUE(inked);
}

TEST(HelpPopup, ClosesOnAnyKeyAndOnALeftClickButNotOnTheRightButton) {
    TODSHelpPopup* popup = TODSHelpPopup::Instance();
    ASSERT_EQ(popup, TODSHelpPopup::Instance()) << "one for the application";
    int done = 0;
    const auto show = [&] {
        popup->ShowHelp(Request(QStringLiteral("Some help"), QRect(100, 100, 20, 20)),
                        [&done] { ++done; });
        ASSERT_TRUE(popup->isVisible());
    };

    show();
    QTest::keyClick(popup, Qt::Key_A);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(done, 1);

    show();
    QTest::mouseClick(popup, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(popup->isVisible());
    QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(done, 2);

    show();
    ASSERT_NE(ui::Events(), nullptr);
    Q_EMIT ui::Events()->deactivated();
    EXPECT_FALSE(popup->isVisible());
    EXPECT_TRUE(popup->ClosedByDeactivation());
    EXPECT_EQ(done, 3);
    Q_EMIT ui::Events()->deactivated();
    EXPECT_EQ(done, 3) << "the deactivation handler goes with the popup";
}

// A form with two controls, one with help of its own and one that lets the form speak.
struct HelpForm {
    QWidget form;
    QLineEdit* edit = new QLineEdit(&form);
    QLabel* label = new QLabel(QStringLiteral("strip"), &form);
    TODSHelp* help = new TODSHelp(&form);
    int done = 0;

    HelpForm() {
        form.setObjectName(QStringLiteral("HelpForm"));
        edit->setObjectName(QStringLiteral("Edit"));
        edit->setGeometry(10, 10, 100, 22);
        label->setObjectName(QStringLiteral("Strip"));
        label->setGeometry(10, 50, 100, 22);
        help->setObjectName(QStringLiteral("ODSHelp1"));
        help->SetHelpText({
            {QStringLiteral("Edit"), {QStringLiteral("Type here"), 0, 0, 1}},
            {QStringLiteral("Strip"), {std::nullopt, 0, 0, 1}},
        });
        help->OnHelpDone = [this] { ++done; };
        form.setGeometry(100, 100, 300, 200);
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    ~HelpForm() { TODSHelpPopup::Instance()->hide(); }

    QWidget* Mask() const { return HelpModeMask(&form); }
};

TEST(HelpMode, EndsWithNothingShownOnEscOnLosingTheFocusAndOnAClickOutsideTheProgram) {
    HelpForm f;
    f.edit->setFocus();
    TODSHelpPopup* popup = TODSHelpPopup::Instance();

    EnterHelpMode(&f.form);
    QWidget* mask = f.Mask();
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->objectName(), QStringLiteral("ODSMask"));
    EXPECT_EQ(QWidget::mouseGrabber(), mask);
    EXPECT_EQ(ui::CurrentScreenCursor(), ui::ScreenCursor::Custom);
    QTest::keyClick(mask, Qt::Key_Escape);
    EXPECT_EQ(f.Mask(), nullptr);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(ui::CurrentScreenCursor(), ui::ScreenCursor::Default);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(f.done, 1);
    EXPECT_TRUE(f.edit->hasFocus()) << "the focus goes back where it was";

    EnterHelpMode(&f.form);
    mask = f.Mask();
    ASSERT_NE(mask, nullptr);
    // Where no window of the program lies: another program's window.
    const QPoint outside(700, 550);
    ASSERT_EQ(QApplication::widgetAt(outside), nullptr);
    QTest::mouseClick(mask, Qt::LeftButton, {}, mask->mapFromGlobal(outside));
    EXPECT_EQ(f.Mask(), nullptr);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(f.done, 2);

    EnterHelpMode(&f.form);
    mask = f.Mask();
    ASSERT_NE(mask, nullptr);
    f.edit->setFocus();
    EXPECT_EQ(f.Mask(), nullptr);
    EXPECT_EQ(f.done, 3);
}

TEST(HelpMode, AClickShowsTheControlsTextOrNothingForAControlWithoutOne) {
    HelpForm f;
    TODSHelpPopup* popup = TODSHelpPopup::Instance();

    EnterHelpMode(&f.form);
    QWidget* mask = f.Mask();
    ASSERT_NE(mask, nullptr);
    const QPoint onEdit = f.edit->mapToGlobal(QPoint(5, 5));
    QTest::mouseClick(mask, Qt::LeftButton, {}, mask->mapFromGlobal(onEdit));
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->Request().text, QStringLiteral("Type here"));
    EXPECT_EQ(popup->Request().control,
              QRect(f.edit->mapToGlobal(QPoint(0, 0)), f.edit->size()));
    EXPECT_EQ(popup->Request().color, f.help->Color());
    EXPECT_EQ(f.done, 0) << "not before the popup closes";
    QTest::keyClick(popup, Qt::Key_Space);
    EXPECT_EQ(f.done, 1);

    EnterHelpMode(&f.form);
    mask = f.Mask();
    ASSERT_NE(mask, nullptr);
    const QPoint onStrip = f.label->mapToGlobal(QPoint(5, 5));
    QTest::mouseClick(mask, Qt::LeftButton, {}, mask->mapFromGlobal(onStrip));
    EXPECT_FALSE(popup->isVisible()) << "neither the strip nor the form has a text";
    EXPECT_EQ(f.done, 2);

    EXPECT_FALSE(ShowHelpFor(&f.form, nullptr)) << "a menu opened on no control";
    EXPECT_EQ(f.done, 3);
    EXPECT_TRUE(ShowHelpFor(&f.form, f.edit));
    EXPECT_TRUE(popup->isVisible());
}

TEST(HelpCursor, IsDrawnAtTheScreensScaleNotEnlarged) {
    const QImage one = HelpCursorImage(1);
    const QImage two = HelpCursorImage(2);
    EXPECT_EQ(one.size(), QSize(32, 32));
    EXPECT_EQ(two.size(), QSize(64, 64));
    EXPECT_EQ(two.deviceIndependentSize(), QSizeF(32, 32));
    // An enlarged picture would be made of 2 x 2 blocks of one colour each.
    bool finerThanBlocks = false;
    for (int y = 0; y < 64 && !finerThanBlocks; y += 2) {
        for (int x = 0; x < 64 && !finerThanBlocks; x += 2) {
            const QRgb p = two.pixel(x, y);
            finerThanBlocks = two.pixel(x + 1, y) != p || two.pixel(x, y + 1) != p ||
                              two.pixel(x + 1, y + 1) != p;
        }
    }
    EXPECT_TRUE(finerThanBlocks);
    EXPECT_NE(qAlpha(two.pixel(2, 2)), 0) << "the arrow's tip is at the top left";
}

}  // namespace
