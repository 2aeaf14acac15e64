// Application services: the screen cursor, pending events, centring arithmetic, screen
// metrics, placement of a maximised form and topmost windows.
#include <QApplication>
#include <QMainWindow>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/ui/application.h"
#include "widget_test_support.h"

namespace {

TEST(ScreenCursor, HourGlassAndArrowShareOneOverrideThatDefaultRemoves) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ui::SetScreenCursor(ui::ScreenCursor::HourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui::SetScreenCursor(ui::ScreenCursor::HourGlass);  // setting twice must not stack
    ui::SetScreenCursor(ui::ScreenCursor::Arrow);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    EXPECT_EQ(ui::CurrentScreenCursor(), ui::ScreenCursor::Arrow);
    ui::SetScreenCursor(ui::ScreenCursor::Default);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ui::CurrentScreenCursor(), ui::ScreenCursor::Default);
    ui::SetScreenCursor(ui::ScreenCursor::Default);  // and once more is harmless
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(ScreenCursor, AnOverrideOfSomeoneElseSurvivesOurs) {
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    ui::SetScreenCursor(ui::ScreenCursor::HourGlass);
    ui::SetScreenCursor(ui::ScreenCursor::Default);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
}

TEST(ProcessMessages, RunsWhatIsPendingWithoutAnEventLoop) {
    int ran = 0;
    QMetaObject::invokeMethod(
        qApp, [&] { ++ran; }, Qt::QueuedConnection);
    QTimer::singleShot(0, [&] { ++ran; });
    ui::ProcessMessages();
    EXPECT_EQ(ran, 2);
}

TEST(Centring, HalvesTruncateTowardsZero) {
    // A 301-wide form over a 618-wide window at 144: 144 + 317 / 2 = 302.
    EXPECT_EQ(ui::CentredPosition(QSize(301, 201), QRect(144, 99, 618, 405)), QPoint(302, 201));
    // A form larger than the area: (100 - 301) / 2 is -100, not -101.
    EXPECT_EQ(ui::CentredPosition(QSize(301, 301), QRect(0, 0, 100, 100)), QPoint(-100, -100));
    // Centred over itself it stays where it is.
    EXPECT_EQ(ui::CentredPosition(QSize(618, 405), QRect(144, 99, 618, 405)), QPoint(144, 99));
}

TEST(Centring, ADialogCentresOverTheMainFormOrOnTheScreenWhenItIsMaximised) {
    ui::OverrideScreenMetrics(ui::ScreenMetrics{1024, 768, 96});
    QMainWindow main;
    ui::SetMainForm(&main);
    QWidget dialog;
    dialog.resize(288, 141);
    ui::SetFormBounds(&main, QRect(144, 99, 618, 405));
    ui::CentreForm(&dialog);
    EXPECT_EQ(ui::FormBounds(&dialog).topLeft(), QPoint(144 + 165, 99 + 132));

    // The main form centred over itself stays at its place.
    ui::CentreForm(&main);
    EXPECT_EQ(ui::FormBounds(&main).topLeft(), QPoint(144, 99));

    main.showMaximized();
    QTRY_VERIFY(main.isMaximized());
    ui::CentreForm(&dialog);
    EXPECT_EQ(ui::FormBounds(&dialog).topLeft(), QPoint(368, 313));
    ui::SetMainForm(nullptr);
    ui::OverrideScreenMetrics(std::nullopt);
}

TEST(ScreenMetrics, AnOverrideStandsUntilCleared) {
    const ui::ScreenMetrics real = ui::CurrentScreenMetrics();
    EXPECT_GT(real.width, 0);
    EXPECT_GT(real.dotsPerInch, 0);
    ui::OverrideScreenMetrics(ui::ScreenMetrics{1024, 768, 120});
    EXPECT_EQ(ui::CurrentScreenMetrics().width, 1024);
    EXPECT_EQ(ui::CurrentScreenMetrics().dotsPerInch, 120);
    ui::OverrideScreenMetrics(std::nullopt);
    EXPECT_EQ(ui::CurrentScreenMetrics().width, real.width);
}

TEST(Placement, BoundsRoundTripAndAMaximisedFormKeepsItsNormalRectangle) {
    QMainWindow form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ui::SetFormBounds(&form, QRect(144, 99, 618, 405));
    const QRect normal = ui::FormBounds(&form);
    EXPECT_EQ(normal.topLeft(), QPoint(144, 99));
    EXPECT_EQ(normal.size(), QSize(618, 405));

    form.showMaximized();
    QTRY_VERIFY(form.isMaximized());
    const ui::WindowPlacement placement = ui::FormPlacement(&form);
    EXPECT_TRUE(placement.maximized);
    EXPECT_FALSE(placement.minimized);
    EXPECT_EQ(placement.normalBounds, normal);
}

TEST(Placement, BringToFrontRestoresAMinimisedForm) {
    QMainWindow form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.showMinimized();
    QTRY_VERIFY(form.isMinimized());
    ui::BringFormToFront(&form);
    QTRY_VERIFY(!form.isMinimized());
    EXPECT_TRUE(form.isVisible());
}

TEST(Topmost, TheFlagChangesAndAShownWindowStaysShown) {
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ui::SetTopmost(&window, true);
    EXPECT_TRUE(ui::IsTopmost(&window));
    EXPECT_TRUE(window.isVisible());
    ui::SetTopmost(&window, false);
    EXPECT_FALSE(ui::IsTopmost(&window));
    EXPECT_TRUE(window.isVisible());
}

TEST(MainForm, MinimisingTheApplicationMinimisesTheMainFormAndAFreedFormIsForgotten) {
    {
        QMainWindow form;
        ui::SetMainForm(&form);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        ui::MinimizeApplication();
        QTRY_VERIFY(form.isMinimized());
    }
    EXPECT_EQ(ui::MainForm(), nullptr);
    ui::MinimizeApplication();  // no main form: nothing happens
}

TEST(ApplicationEvents, OneNotifierPassesOnDeactivationAndReactivation) {
    ui::ApplicationEvents* events = ui::Events();
    ASSERT_NE(events, nullptr);
    EXPECT_EQ(ui::Events(), events);
    QStringList seen;
    QObject::connect(events, &ui::ApplicationEvents::deactivated,
                     [&] { seen << QStringLiteral("off"); });
    QObject::connect(events, &ui::ApplicationEvents::activated,
                     [&] { seen << QStringLiteral("on"); });
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("off"), QStringLiteral("on")}));
}

}  // namespace

QUILLET_UI_TEST_MAIN()
