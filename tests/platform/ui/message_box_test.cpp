// Message boxes: decoding the style flags, the presenter seam, the standard box's answers,
// and the shell's question and information boxes.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/message_boxes.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "widget_test_support.h"

namespace {

using ui::MessageBoxRequest;

// Answers every box with `answer` and remembers what was asked.
class ScriptedBoxes {
  public:
    explicit ScriptedBoxes(int answer) {
        previous_ = ui::SetMessageBoxPresenter([this, answer](const MessageBoxRequest& request) {
            asked.push_back(request);
            cursorWhenAsked = ui::CurrentScreenCursor();
            return answer;
        });
    }
    ~ScriptedBoxes() { ui::SetMessageBoxPresenter(std::move(previous_)); }

    std::vector<MessageBoxRequest> asked;
    ui::ScreenCursor cursorWhenAsked = ui::ScreenCursor::Custom;

  private:
    ui::MessageBoxPresenter previous_;
};

TEST(MessageBoxFlags, ButtonSetsDefaultsAndEscape) {
    struct Case {
        unsigned flags;
        std::vector<int> buttons;
        int defaultResult;
        int escapeResult;
    };
    const Case cases[] = {
        {ui::kMbOk, {ui::kIdOk}, ui::kIdOk, ui::kIdOk},
        {ui::kMbOkCancel, {ui::kIdOk, ui::kIdCancel}, ui::kIdOk, ui::kIdCancel},
        {ui::kMbYesNoCancel | ui::kMbDefButton3,
         {ui::kIdYes, ui::kIdNo, ui::kIdCancel},
         ui::kIdCancel,
         ui::kIdCancel},
        {ui::kMbYesNo | ui::kMbIconQuestion | ui::kMbDefButton2,
         {ui::kIdYes, ui::kIdNo},
         ui::kIdNo,
         0},
        {ui::kMbAbortRetryIgnore, {ui::kIdAbort, ui::kIdRetry, ui::kIdIgnore}, ui::kIdAbort, 0},
        {ui::kMbRetryCancel, {ui::kIdRetry, ui::kIdCancel}, ui::kIdRetry, ui::kIdCancel},
        // A default beyond the buttons, and an unknown button set.
        {ui::kMbYesNo | ui::kMbDefButton3, {ui::kIdYes, ui::kIdNo}, ui::kIdYes, 0},
        {0x9, {ui::kIdOk}, ui::kIdOk, ui::kIdOk},
    };
    for (const Case& c : cases) {
        const MessageBoxRequest request{QString(), QString(), c.flags};
        EXPECT_EQ(request.Buttons(), c.buttons) << c.flags;
        EXPECT_EQ(request.DefaultResult(), c.defaultResult) << c.flags;
        EXPECT_EQ(request.EscapeResult(), c.escapeResult) << c.flags;
    }
}

TEST(MessageBoxFlags, Icons) {
    EXPECT_EQ((MessageBoxRequest{{}, {}, 16}).Icon(), ui::MessageIcon::Hand);
    EXPECT_EQ((MessageBoxRequest{{}, {}, 36}).Icon(), ui::MessageIcon::Question);
    EXPECT_EQ((MessageBoxRequest{{}, {}, 48}).Icon(), ui::MessageIcon::Exclamation);
    EXPECT_EQ((MessageBoxRequest{{}, {}, 64}).Icon(), ui::MessageIcon::Information);
    EXPECT_EQ((MessageBoxRequest{{}, {}, 4}).Icon(), ui::MessageIcon::None);
}

TEST(MessageBoxPresenter, TextArrivesAsUnicodeWithLineFeeds) {
    ScriptedBoxes boxes(ui::kIdOk);
    // Windows-1252: 0xE9 is e acute, 0x80 the euro sign; "\r" alone breaks a line too.
    ui::MessageBox(std::string_view("Caf\xE9 \x80\r   Example: 1\r\nend"), "Quillet", ui::kMbOk);
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0].text, QStringLiteral("Caf\u00E9 \u20AC\n   Example: 1\nend"));
    EXPECT_EQ(boxes.asked[0].caption, QStringLiteral("Quillet"));
}

TEST(MessageBoxPresenter, AnAnswerThatIsNotAButtonBecomesTheDefault) {
    ScriptedBoxes boxes(ui::kIdYes);
    EXPECT_EQ(ui::MessageBox(QStringLiteral("?"), QString(), ui::kMbOkCancel | ui::kMbDefButton2),
              ui::kIdCancel);
}

TEST(ShellBoxes, ConfirmYesNoAsksWithCaptionQuilletAndFlags36) {
    ScriptedBoxes yes(ui::kIdYes);
    EXPECT_TRUE(ConfirmYesNo("Delete this task? "));
    ASSERT_EQ(yes.asked.size(), 1u);
    EXPECT_EQ(yes.asked[0].flags, 36u);
    EXPECT_EQ(yes.asked[0].caption, QStringLiteral("Quillet"));
    EXPECT_EQ(yes.asked[0].text, QStringLiteral("Delete this task? "));

    ScriptedBoxes no(ui::kIdNo);
    EXPECT_FALSE(ConfirmYesNo("Clone this task?"));
}

TEST(ShellBoxes, ShowInformationPutsTheArrowBackBeforeTheBox) {
    ScriptedBoxes boxes(ui::kIdOk);
    ui::SetScreenCursor(ui::ScreenCursor::HourGlass);
    ShowInformation("Error:Unable to save changes");
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0].flags, 64u);
    EXPECT_EQ(boxes.asked[0].caption, QStringLiteral("Information"));
    EXPECT_EQ(boxes.cursorWhenAsked, ui::ScreenCursor::Default);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// The standard box, answered through its real buttons.
void ClickInBox(QMessageBox::StandardButton which) {
    ui::test::WhenModalShown([which](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        ASSERT_NE(box->button(which), nullptr);
        box->button(which)->click();
    });
}

TEST(StandardMessageBox, EachButtonGivesItsResultCode) {
    ClickInBox(QMessageBox::No);
    EXPECT_EQ(ui::MessageBox(QStringLiteral("q"), QStringLiteral("Quillet"), 36), ui::kIdNo);
    ClickInBox(QMessageBox::Yes);
    EXPECT_EQ(ui::MessageBox(QStringLiteral("q"), QStringLiteral("Quillet"), 36), ui::kIdYes);
    ClickInBox(QMessageBox::Cancel);
    EXPECT_EQ(ui::MessageBox(QStringLiteral("q"), QString(), ui::kMbYesNoCancel), ui::kIdCancel);
    ClickInBox(QMessageBox::Retry);
    EXPECT_EQ(ui::MessageBox(QStringLiteral("q"), QString(), ui::kMbRetryCancel), ui::kIdRetry);
}

TEST(StandardMessageBox, ShowsTextCaptionIconAndDefault) {
    ui::test::WhenModalShown([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Information"));
        EXPECT_EQ(box->text(), QStringLiteral("line 1\nline 2"));
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(ui::MessageBox(std::string_view("line 1\rline 2"), "Information", 64), ui::kIdOk);
}

TEST(StandardMessageBox, EscapeAnswersCancelButCannotDismissAYesNoBox) {
    ui::test::WhenModalShown([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(ui::MessageBox(QStringLiteral("q"), QString(), ui::kMbOkCancel), ui::kIdCancel);

    ui::test::WhenModalShown([](QWidget* modal) {
        QTest::keyClick(modal, Qt::Key_Escape);
        EXPECT_TRUE(modal->isVisible());
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(ui::MessageBox(QStringLiteral("q"), QString(), 36), ui::kIdYes);
}

}  // namespace

QUILLET_UI_TEST_MAIN()
