// The preview: its zoom rules and caption as arithmetic, then the window over recorded
// reports of one and of five pages: the starting zoom, paging at both ends, the zoom limits
// by button and mouse, the scroll position across pages, the arrow keys and its placement.
#include "report/preview_form.h"

#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "controls/explorer_button.h"
#include "platform/ini/profile.h"
#include "report/draw/painter_surface.h"
#include "report/magnifier_cursor.h"
#include "report/model/report_filer.h"
#include "widget_test_support.h"

namespace {

using report::PreviewBox;

TEST(PreviewZoom, SettlesWithinItsLimitsAndFitsThePage) {
    // A 608 x 380 box with a 2-pixel frame and 16-pixel scroll bars; Letter at 96 dots per
    // inch has a margin of round(20.4) = 20 pixels.
    PreviewBox box;
    box.outerWidth = 608;
    box.outerHeight = 380;
    box.borderWidth = box.borderHeight = 4;
    box.scrollBarWidth = 16;
    EXPECT_EQ(report::PreviewMargin(box), 20);
    // Too tall for the box at its width: a scroll bar takes its share.
    EXPECT_NEAR(report::PageWidthZoom(box), 100.0 * 548 / 816, 1e-9);
    EXPECT_NEAR(report::WholePageZoom(box), 100.0 * 336 / 1056, 1e-9);
    PreviewBox tall = box;
    tall.outerHeight = 2000;
    EXPECT_NEAR(report::PageWidthZoom(tall), 100.0 * 564 / 816, 1e-9);
    EXPECT_NEAR(report::WholePageZoom(tall), 100.0 * 564 / 816, 1e-9);

    const double pageWidth = 67.2;
    const double wholePage = 31.8;
    const std::pair<double, double> settled[] = {
        {15 - 10, 10}, {10 - 10, 10},   {195 + 10, 200},   {200 + 10, 200},    {0, 10},
        {86.7, 86.7},  {-2, pageWidth}, {-1.9, pageWidth}, {-1.89, wholePage}, {-1, wholePage}};
    for (const auto& [asked, expected] : settled) {
        EXPECT_DOUBLE_EQ(report::SettleZoom(asked, pageWidth, wholePage), expected) << asked;
    }

    EXPECT_EQ(report::PreviewCaption(2, 5, 86.7), "Preview Page 2 of 5 ( 87% )");
    EXPECT_EQ(report::PreviewCaption(2, 5, 86.5), "Preview Page 2 of 5 ( 86% )");
    EXPECT_EQ(report::PreviewCaption(1, 1, 87.5), "Preview Page 1 of 1 ( 88% )");
}

// The magnifier is drawn at the screen's pixel ratio, so that it is sharp when scaled by 2.
TEST(MagnifierCursor, IsDrawnAtThePixelRatio) {
    for (const qreal ratio : {1.0, 2.0}) {
        const QCursor cursor = report::MagnifierCursor(ratio);
        const QPixmap pixmap = cursor.pixmap();
        EXPECT_EQ(pixmap.size(), QSize(32, 32) * ratio);
        EXPECT_EQ(pixmap.devicePixelRatio(), ratio);
        EXPECT_EQ(cursor.hotSpot(), QPoint(12, 12));
        // The lens's rim, left of its middle, is opaque at either ratio.
        EXPECT_EQ(pixmap.toImage().pixelColor(QPoint(4, 12) * ratio).alpha(), 255) << ratio;
    }
}

// A report of `pages` pages recorded as the print-status window records one.
std::unique_ptr<report::MemoryStream> Recorded(int pages) {
    report::PainterSurface measure;
    report::TReportFiler filer(measure);
    auto stream = std::make_unique<report::MemoryStream>();
    filer.SetStreamMode(report::TStreamMode::smUser);
    filer.SetStream(stream.get());
    filer.OnPrintPage = [pages](report::TBaseReport& r, int page) {
        r.SelectFont("Arial", 12);
        r.PrintAt("Page " + std::to_string(page), 1);
        return page < pages;
    };
    EXPECT_TRUE(filer.RunReport().ok());
    return stream;
}

class PreviewWindow : public ::testing::Test {
  protected:
    ui::FormPtr<report::TPreviewForm> Open(report::MemoryStream& stream, int startingZoom) {
        auto form = ui::CreateForm<report::TPreviewForm>(IniFile(), QString());
        form->SetStream(stream);
        form->StartingZoom = startingZoom;
        form->show();
        form->FormActivate();
        return form;
    }
    std::string IniFile() const { return dir_.filePath(QStringLiteral("TODO.INI")).toStdString(); }
    static controls::TExplorerButton* Button(QWidget* form, const char* name) {
        auto* button = form->findChild<controls::TExplorerButton*>(QString::fromLatin1(name));
        EXPECT_NE(button, nullptr) << name;
        return button;
    }
    static std::string Caption(const report::TPreviewForm& form) {
        return form.windowTitle().toStdString();
    }
    static void Click(QWidget* target, Qt::MouseButton button) {
        QTest::mouseClick(target, button, {}, QPoint(5, 5));
    }

    QTemporaryDir dir_;
    ui::test::ConnectionGuard guard_;
};

constexpr const char* kPageButtons[] = {"sbFirstPage", "sbPrevPage", "sbNextPage",
                                        "sbLastPAge"};

TEST_F(PreviewWindow, AOnePageReportHidesThePageButtonsAndOpensAtTheWholePage) {
    auto stream = Recorded(1);
    auto form = Open(*stream, report::kStartWholePage);
    ASSERT_TRUE(form->Running());
    EXPECT_DOUBLE_EQ(form->ZoomFactor(), report::WholePageZoom(form->Box()));
    EXPECT_EQ(Caption(*form), report::PreviewCaption(1, 1, form->ZoomFactor()));
    for (const char* name : kPageButtons) {
        EXPECT_FALSE(Button(form.get(), name)->isVisibleTo(form.get())) << name;
    }
    for (const char* name :
         {"ReturnButton", "sbZoomIn", "zbZoom100", "Helpbutton", "MouseHelpButton"}) {
        EXPECT_TRUE(Button(form.get(), name)->isVisibleTo(form.get())) << name;
    }
}

TEST_F(PreviewWindow, PagesZoomsAndScrollsWithinItsLimits) {
    auto stream = Recorded(5);
    auto form = Open(*stream, report::kStartPageWidth);
    EXPECT_DOUBLE_EQ(form->ZoomFactor(), report::PageWidthZoom(form->Box()));
    EXPECT_EQ(Caption(*form), report::PreviewCaption(1, 5, form->ZoomFactor()));
    for (const char* name : kPageButtons) {
        EXPECT_TRUE(Button(form.get(), name)->isVisibleTo(form.get())) << name;
    }

    // Previous on the first page and Next on the last do nothing.
    form->PrevPageButtonClick();
    EXPECT_EQ(form->ShownPage(), 1);
    for (int i = 0; i < 6; ++i) {
        form->NextPageButtonClick();
    }
    EXPECT_EQ(form->ShownPage(), 5);
    EXPECT_EQ(Caption(*form).substr(0, 20), "Preview Page 5 of 5 ");
    form->FirstPageButtonClick();
    EXPECT_EQ(form->ShownPage(), 1);
    form->LastPageButtonClick();
    EXPECT_EQ(form->ShownPage(), 5);
    form->PrevPageButtonClick();
    EXPECT_EQ(form->ShownPage(), 4);
    // A mouse click on a button is the button's alone: it does not zoom as well.
    const double pageWidth = form->ZoomFactor();
    Click(Button(form.get(), "sbFirstPage"), Qt::LeftButton);
    EXPECT_EQ(form->ShownPage(), 1);
    EXPECT_DOUBLE_EQ(form->ZoomFactor(), pageWidth);

    // The zoom stays within 10 and 200, whether by button or by mouse.
    form->Zoom100ButtonClick();
    EXPECT_EQ(Caption(*form), "Preview Page 1 of 5 ( 100% )");
    for (int i = 0; i < 11; ++i) {
        form->ZoomInButtonClick();
    }
    EXPECT_DOUBLE_EQ(form->ZoomFactor(), 200);
    EXPECT_EQ(form->PageImage().deviceIndependentSize().toSize(), QSize(8.5 * 192, 11 * 192));
    for (int i = 0; i < 25; ++i) {
        form->ZoomOutButtonClick();
    }
    EXPECT_DOUBLE_EQ(form->ZoomFactor(), 10);
    QWidget* viewport = form->ScrollBox1()->viewport();
    Click(viewport, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(form->ZoomFactor(), 20);
    Click(viewport, Qt::RightButton);
    Click(viewport, Qt::MiddleButton);
    EXPECT_DOUBLE_EQ(form->ZoomFactor(), 10);

    // Another page keeps the scroll position; the arrow keys scroll by a step within range.
    form->SetZoomFactor(200);
    QScrollBar* across = form->ScrollBox1()->horizontalScrollBar();
    QScrollBar* down = form->ScrollBox1()->verticalScrollBar();
    across->setValue(100);
    down->setValue(300);
    form->NextPageButtonClick();
    EXPECT_EQ(form->ShownPage(), 2);
    EXPECT_EQ(across->value(), 100);
    EXPECT_EQ(down->value(), 300);
    QTest::keyClick(form->ScrollBox1(), Qt::Key_Up);
    EXPECT_EQ(down->value(), 300 - down->singleStep());
    down->setValue(down->maximum());
    QTest::keyClick(form->ScrollBox1(), Qt::Key_Down);
    EXPECT_EQ(down->value(), down->maximum());
    down->setValue(0);
    QTest::keyClick(form->ScrollBox1(), Qt::Key_Up);
    EXPECT_EQ(down->value(), 0);

    // The placement is kept under the form's own class name.
    form->close();
    EXPECT_GT(ini::ReadInteger(IniFile(), "TPreviewForm_Placement", "Bottom", 0), 0);
}

}  // namespace
