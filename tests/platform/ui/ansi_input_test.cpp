// Input the task file cannot hold: refused in one-line and multi-line edits, with the reason
// told once per field as a tooltip where the window has no message line of its own.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "platform/ui/ansi_input.h"
#include "widget_test_support.h"

namespace {

TEST(AnsiInput, ARefusedCharacterIsExplainedOnceAtEachFieldOfADialog) {
    QDialog dialog;
    auto* line = new QLineEdit(&dialog);
    auto* memo = new ui::TAnsiMemo(&dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(line);
    layout->addWidget(memo);
    ui::RefuseNonAnsiInput(line);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

    const auto hideTip = [] {
        QToolTip::hideText();
        return QTest::qWaitFor([] { return !QToolTip::isVisible(); });
    };
    const auto type = [](QWidget* field, const QString& text) {
        field->setFocus();
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text, Qt::NoModifier);
    };
    for (QWidget* field : {static_cast<QWidget*>(line), static_cast<QWidget*>(memo)}) {
        SCOPED_TRACE(field->metaObject()->className());
        ASSERT_TRUE(hideTip());
        type(field, QStringLiteral("a"));
        EXPECT_FALSE(QToolTip::isVisible());
        type(field, QStringLiteral("\u03BB"));
        EXPECT_TRUE(QToolTip::isVisible());
        EXPECT_EQ(QToolTip::text(), QStringLiteral("Quillet's task file cannot hold '\u03BB'"));
        // Said once, the reason is not repeated at every key of the same field.
        ASSERT_TRUE(hideTip());
        type(field, QStringLiteral("\u03BC"));
        EXPECT_FALSE(QToolTip::isVisible());
    }
    EXPECT_EQ(line->text(), QStringLiteral("a"));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("a"));

    // A paste is refused whole, and the reason names its first character the file lacks.
    EXPECT_EQ(ui::RefusalReason(QStringLiteral("caf\u00E9 \u0142\u03BB")),
              QStringLiteral("Quillet's task file cannot hold '\u0142'"));
    QApplication::clipboard()->setText(QStringLiteral("b\u0142"));
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("a"));
}

// Line breaks and other control characters pasted or dropped into a one-line field are refused
// as the code page's missing characters are; one that another program stored stays editable.
TEST(AnsiInput, AOneLineFieldRefusesNewControlCharacters) {
    QDialog dialog;
    auto* line = new QLineEdit(&dialog);
    (new QVBoxLayout(&dialog))->addWidget(line);
    ui::RefuseNonAnsiInput(line);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    line->setFocus();
    const auto paste = [line](const QString& text) {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
        return line->text();
    };
    EXPECT_EQ(paste(QStringLiteral("Buy")), QStringLiteral("Buy"));
    for (const QString& refused :
         {QStringLiteral(" milk\r\neggs"), QStringLiteral("\n"), QStringLiteral("a\tb"),
          QStringLiteral("\x1b[0m"), QStringLiteral("\x7f")}) {
        SCOPED_TRACE(refused.toStdString());
        EXPECT_EQ(paste(refused), QStringLiteral("Buy"));
    }
    EXPECT_EQ(QToolTip::text(),
              QStringLiteral("This field cannot hold a line break or a control character"));

    line->setText(QStringLiteral("stored\r\nby another program"));
    EXPECT_EQ(line->text(), QStringLiteral("stored\r\nby another program"));
    line->end(false);
    QTest::keyClick(line, Qt::Key_S);
    EXPECT_EQ(line->text(), QStringLiteral("stored\r\nby another programs"));
    EXPECT_EQ(paste(QStringLiteral("\t")), QStringLiteral("stored\r\nby another programs"));
}

}  // namespace

QUILLET_UI_TEST_MAIN()
