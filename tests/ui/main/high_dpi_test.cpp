// At a scale factor of 2 (set by this binary's own main), the custom controls, the toolbar's
// pictures and the About box draw with the screen's own dots: a picture cached or loaded at 1x
// and blown up would have every 2 by 2 block of dots alike.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <functional>
#include <memory>

#include "app/about_box.h"
#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "controls/gauge.h"
#include "controls/graphic_panel.h"
#include "platform/ui/forms.h"
#include "ui/main/main_pictures.h"
#include "widget_test_support.h"

namespace {

// Whether some 2 by 2 block of dots (on even coordinates) holds two colours: detail finer than
// a pixel, which a 1x picture scaled up to 2x never has.
bool HasDetailFinerThanAPixel(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y + 1 < image.height(); y += 2) {
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb dot = image.pixel(x, y);
            if (image.pixel(x + 1, y) != dot || image.pixel(x, y + 1) != dot ||
                image.pixel(x + 1, y + 1) != dot) {
                return true;
            }
        }
    }
    return false;
}

TEST(HighDpi, ControlsAndTheAboutPictureDrawWithTheScreensDots) {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    struct Case {
        const char* name;
        std::function<std::unique_ptr<QWidget>()> make;
    };
    const std::vector<Case> cases = {
        {"explorer button",
         [] {
             auto button = std::make_unique<controls::TExplorerButton>();
             button->setCaption(QStringLiteral("&Report"));
             button->resize(80, 27);
             return std::unique_ptr<QWidget>(std::move(button));
         }},
        {"panel caption",
         [] {
             auto panel = std::make_unique<controls::TGraphicPanel>();
             panel->setCaption(QStringLiteral("Notes"));
             panel->resize(120, 24);
             return std::unique_ptr<QWidget>(std::move(panel));
         }},
        {"calendar",
         [] {
             auto calendar = std::make_unique<controls::TCalendar>();
             calendar->resize(210, 140);
             return std::unique_ptr<QWidget>(std::move(calendar));
         }},
        {"toolbar picture",
         [] {
             auto button = std::make_unique<controls::TExplorerButton>();
             button->setOptions(controls::TButtonOption::boIconOnly);
             button->setBitmap(MainPictureImage(MainPicture::Filter));
             button->resize(24, 24);
             return std::unique_ptr<QWidget>(std::move(button));
         }},
        {"gauge, pie with its percentage",
         [] {
             auto gauge = std::make_unique<controls::TGauge>();
             gauge->setKind(controls::TGaugeKind::gkPie);
             gauge->setShowText(true);
             gauge->setProgress(40);
             gauge->resize(60, 60);
             return std::unique_ptr<QWidget>(std::move(gauge));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<QWidget> widget = c.make();
        const QPixmap shot = widget->grab();
        ASSERT_EQ(shot.devicePixelRatio(), 2.0);
        EXPECT_TRUE(HasDetailFinerThanAPixel(shot.toImage()));
    }

    ui::FormPtr<TSplashform> about = ui::CreateForm<TSplashform>();
    auto* picture = about->findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(picture, nullptr);
    const QPixmap aboutPicture = picture->pixmap();
    EXPECT_EQ(aboutPicture.devicePixelRatio(), 2.0);
    EXPECT_EQ(aboutPicture.deviceIndependentSize().toSize(), QSize(96, 96));
    EXPECT_TRUE(HasDetailFinerThanAPixel(aboutPicture.toImage()));
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2");
    return ui::test::RunWidgetTests(argc, argv);
}
