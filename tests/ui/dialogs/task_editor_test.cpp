// The task editor: its date and time rules under several user formats with their messages,
// the OK, Cancel and close paths, the quick date list, the key word menu, the calendar and
// quick time aids, the refusal of characters the task file cannot hold, and its form.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>

#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "controls/graphic_panel.h"
#include "dialogs_test_support.h"
#include "platform/ui/ansi_input.h"
#include "platform/ui/help_viewer.h"
#include "ui/dialogs/date_selector.h"
#include "ui/dialogs/set_time_dialog.h"
#include "ui/dialogs/task_editor.h"
#include "widget_test_support.h"

namespace {

using dialogs::test::At;
using dialogs::test::UserFormats;

struct FieldCase {
    UserFormats formats;
    const char* typed;
    const char* shown;  // nullptr: refused with the message
};

class TaskEditorTest : public dialogs::test::DialogTest {
  protected:
    ui::FormPtr<TTaskEditor> Make(std::vector<std::string> words = {}) {
        return ui::CreateForm<TTaskEditor>(std::move(words));
    }
    // Shows the editor as the active window, so that the focus moves as it would for a person.
    void ShowActive(TTaskEditor& editor) {
        editor.show();
        editor.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    }
    QStringList BoxTexts() const {
        QStringList texts;
        for (const ui::MessageBoxRequest& box : boxes) {
            texts << box.text;
        }
        return texts;
    }
    // Leaves the field after each typed text: a valid one is written back in the formats in
    // force, an invalid one gives the formats' message in the information box and is emptied.
    template <size_t N>
    void CheckField(QLineEdit* (TTaskEditor::*field)() const, void (TTaskEditor::*exit)(),
                    const FieldCase (&cases)[N], const std::map<UserFormats, QString>& messages) {
        auto editor = Make();
        QLineEdit* edit = (editor.get()->*field)();
        for (const FieldCase& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << dialogs::test::Name(c.formats) << " '" << c.typed << "'");
            Use(c.formats);
            boxes.clear();
            edit->setText(QString::fromUtf8(c.typed));
            (editor.get()->*exit)();
            if (c.shown != nullptr) {
                EXPECT_EQ(edit->text(), QString::fromUtf8(c.shown));
                EXPECT_TRUE(boxes.empty());
                continue;
            }
            EXPECT_EQ(edit->text(), QString());
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, messages.at(c.formats));
            EXPECT_EQ(boxes[0].caption, QStringLiteral("Information"));
            EXPECT_EQ(boxes[0].flags, ui::kMbOk | ui::kMbIconInformation);
            EXPECT_FALSE(editor->EntryValid());
        }
    }
    ui::test::ConnectionGuard guard_;
};

TEST_F(TaskEditorTest, DateRulesUnderEachUserFormat) {
    const FieldCase cases[] = {
        {UserFormats::kMonthDayYear, "1/2", "1/2/2026"},
        {UserFormats::kMonthDayYear, "1/2/99", "1/2/2099"},
        {UserFormats::kMonthDayYear, " 12 / 24 / 2026  ", "12/24/2026"},
        {UserFormats::kMonthDayYear, "12/24/2026/", "12/24/2026"},
        {UserFormats::kMonthDayYear, "2/29/2000", "2/29/2000"},
        {UserFormats::kMonthDayYear, "2/29/2100", nullptr},
        {UserFormats::kMonthDayYear, "2/30/2026", nullptr},
        {UserFormats::kMonthDayYear, "12/24/2026x", nullptr},
        {UserFormats::kMonthDayYear, "24.12.2026", nullptr},
        {UserFormats::kMonthDayYear, "   ", nullptr},
        {UserFormats::kMonthDayYear, "", ""},
        {UserFormats::kDayMonthYear, "24.12.2026", "24.12.2026"},
        {UserFormats::kDayMonthYear, "1.2", "01.02.2026"},
        {UserFormats::kDayMonthYear, "31.4.2026", nullptr},
        {UserFormats::kDayMonthYear, "12/24/2026", nullptr},
        {UserFormats::kYearMonthDay, "2026-12-24", "2026-12-24"},
        {UserFormats::kYearMonthDay, "99-1-2", "2099-01-02"},
        {UserFormats::kYearMonthDay, "3-4", "2026-03-04"},
        {UserFormats::kYearMonthDay, "2026-13-01", nullptr},
    };
    const std::map<UserFormats, QString> messages = {
        {UserFormats::kMonthDayYear,
         QStringLiteral("Please use the date format m/d/yyyy\n   Example: 12/8/2026")},
        {UserFormats::kDayMonthYear,
         QStringLiteral("Please use the date format dd.mm.yyyy\n   Example: 08.12.2026")},
        {UserFormats::kYearMonthDay,
         QStringLiteral("Please use the date format yyyy-mm-dd\n   Example: 2026-12-08")},
    };
    CheckField(&TTaskEditor::DateEdit, &TTaskEditor::DateEditExit, cases, messages);
}

TEST_F(TaskEditorTest, TimeRulesUnder12And24HourClocksAndForeignMarkers) {
    const FieldCase cases[] = {
        {UserFormats::kMonthDayYear, "13:00 PM", nullptr},
        {UserFormats::kMonthDayYear, "12:30 am", "12:30 AM"},
        {UserFormats::kMonthDayYear, "0:15", "12:15 AM"},
        {UserFormats::kMonthDayYear, "5 pm", "5:00 PM"},
        {UserFormats::kMonthDayYear, "17:45", "5:45 PM"},
        {UserFormats::kMonthDayYear, " 7 : 5 ", "7:05 AM"},
        {UserFormats::kMonthDayYear, "24:00", nullptr},
        {UserFormats::kMonthDayYear, "10:61", nullptr},
        {UserFormats::kMonthDayYear, "10:30 x", nullptr},
        {UserFormats::kMonthDayYear, "  ", nullptr},
        {UserFormats::kDayMonthYear, "17:45", "17:45"},
        {UserFormats::kDayMonthYear, "5:30 pm", "17:30"},
        {UserFormats::kDayMonthYear, "9", "09:00"},
        {UserFormats::kDayMonthYear, "9:00:59", "09:00"},
        {UserFormats::kDayMonthYear, "12:30 AM", "00:30"},
        {UserFormats::kForeignMarkers, "5:07 nachm.", "5:07 nachm."},
        {UserFormats::kForeignMarkers, "5:07 PM", "5:07 nachm."},
        {UserFormats::kForeignMarkers, "12:00 VORM.", "12:00 vorm."},
        {UserFormats::kForeignMarkers, "13:07 nachm.", nullptr},
        {UserFormats::kForeignMarkers, "5:07 nach", nullptr},
    };
    const std::map<UserFormats, QString> examples = {
        {UserFormats::kMonthDayYear, QStringLiteral("3:04 PM")},
        {UserFormats::kDayMonthYear, QStringLiteral("15:04")},
        {UserFormats::kForeignMarkers, QStringLiteral("3:04 nachm.")},
    };
    std::map<UserFormats, QString> messages;
    for (const auto& [formats, example] : examples) {
        messages[formats] =
            QStringLiteral("Invalid time. Please use your Windows Time format\n   Example: ") +
            example;
    }
    CheckField(&TTaskEditor::TimeEdit, &TTaskEditor::TimeEditExit, cases, messages);
}

// OK checks both fields whichever has the focus; Enter is OK, Escape is Cancel without checks.
TEST_F(TaskEditorTest, OkChecksBothFieldsAndStaysOpenUntilTheyAreValid) {
    Use(UserFormats::kMonthDayYear);
    auto editor = Make();
    ShowActive(*editor);
    editor->DateEdit()->setText(QStringLiteral("2/30/2026"));
    editor->TimeEdit()->setText(QStringLiteral("25:00"));
    editor->TimeEdit()->setFocus();
    QTest::keyClick(editor->TimeEdit(), Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Please use the date format")));
    EXPECT_TRUE(boxes[1].text.startsWith(QStringLiteral("Invalid time.")));
    EXPECT_EQ(QApplication::focusWidget(), editor->TimeEdit());
    EXPECT_FALSE(editor->EntryValid());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->ModalResult(), ui::kModalNone);

    // Enter in DateEdit holding an invalid date: the date message, and the dialog stays.
    boxes.clear();
    editor->DateEdit()->setFocus();
    editor->DateEdit()->setText(QStringLiteral("13/1/2026"));
    QTest::keyClick(editor->DateEdit(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(BoxTexts().size(), 1);
    EXPECT_TRUE(editor->isVisible());

    // Escape with an invalid text in the focused field: Cancel, no message.
    boxes.clear();
    editor->TimeEdit()->setFocus();
    editor->TimeEdit()->setText(QStringLiteral("99"));
    QTest::keyClick(editor->TimeEdit(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(editor->ModalResult(), ui::kModalCancel);
    EXPECT_FALSE(editor->isVisible());

    // Empty fields mean no date and no time: OK closes. Enter in Notes starts a new line.
    auto second = Make();
    ShowActive(*second);
    second->Notes()->setFocus();
    QTest::keyClick(second->Notes(), Qt::Key_Return);
    EXPECT_EQ(second->Notes()->toPlainText(), QStringLiteral("\n"));
    EXPECT_TRUE(second->isVisible());
    QTest::keyClick(second->Task(), Qt::Key_Return);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(second->ModalResult(), ui::kModalOk);
}

// Leaving a field for another control checks it once the focus has moved.
TEST_F(TaskEditorTest, LeavingDateOrTimeEditChecksTheField) {
    Use(UserFormats::kDayMonthYear);
    auto editor = Make();
    ShowActive(*editor);
    editor->DateEdit()->setFocus();
    QTest::keyClicks(editor->DateEdit(), QStringLiteral("1.2"));
    QTest::keyClick(editor->DateEdit(), Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(editor->DateEdit()->text(), QStringLiteral("01.02.2026"));
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("CalendarButton"));

    editor->TimeEdit()->setFocus();
    QTest::keyClicks(editor->TimeEdit(), QStringLiteral("7:75"));
    QTest::keyClick(editor->TimeEdit(), Qt::Key_Backtab);
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(editor->TimeEdit()->text(), QString());
    EXPECT_EQ(QApplication::focusWidget(), editor->TimeEdit());
    EXPECT_EQ(editor->DateEdit()->text(), QStringLiteral("01.02.2026"));
}

TEST_F(TaskEditorTest, CloseWithoutAResultAsksWhetherToSave) {
    for (const int reply : {ui::kIdYes, ui::kIdNo}) {
        SCOPED_TRACE(reply);
        auto editor = Make();
        ShowActive(*editor);
        editor->DateEdit()->setText(QStringLiteral("12/24/2026"));
        boxes.clear();
        answer = reply;
        editor->close();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, QStringLiteral("Save changes"));
        EXPECT_EQ(boxes[0].caption, QStringLiteral("Quillet"));
        EXPECT_FALSE(editor->isVisible());
        EXPECT_EQ(editor->ModalResult(), reply == ui::kIdYes ? ui::kModalOk : ui::kModalCancel);
    }
}

// The captions are built at creation under the formats then in force (the internal ones);
// a choice writes the date of the day of the choice in the formats in force.
TEST_F(TaskEditorTest, QuickDateListCaptionsAndChoices) {
    auto editor = Make();
    const QList<QAction*> items = editor->QuickDateMenu()->actions();
    ASSERT_EQ(items.size(), 17);
    const struct {
        int index;
        const char* name;
        int offset;
        const char* caption;
    } expected[] = {
        {0, "Today", 0, "Today\t12/08/2026"},
        {1, "Tomorrow", 1, "Tomorrow\t12/09/2026"},
        {2, "TodayPlus2", 2, "Thursday\t12/10/2026"},
        {7, "WeekFromToday", 7, "A Week From Today\t12/15/2026"},
        {9, "Week2", 9, "A Week from Thursday\t12/17/2026"},
        {14, "TwoWeeksFromToday", 14, "Two Weeks From Today\t12/22/2026"},
        {15, "ThreeWeeksFromToday", 21, "Three Weeks From Today\t12/29/2026"},
        {16, "ThirtyDaysFromToday", 30, "30 Days From Today\t01/07/2027"},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(items[e.index]->objectName(), QLatin1String(e.name));
        EXPECT_EQ(items[e.index]->data().toInt(), e.offset);
        EXPECT_EQ(items[e.index]->text(), QLatin1String(e.caption));
    }

    // "Tomorrow" chosen on the last day of a month, in day-month-year: the 1st of the next.
    SetNow(At(2026, 1, 31, 23, 59));
    Use(UserFormats::kDayMonthYear);
    ShowActive(*editor);
    items[1]->trigger();
    EXPECT_EQ(editor->DateEdit()->text(), QStringLiteral("01.02.2026"));
    EXPECT_EQ(QApplication::focusWidget(), editor->DateEdit());
    SetNow(At(2026, 12, 31));
    items[0]->trigger();
    EXPECT_EQ(editor->DateEdit()->text(), QStringLiteral("31.12.2026"));
}

TEST_F(TaskEditorTest, KeyWordMenuAppendsTheChosenWordWithinSixtyCharacters) {
    EXPECT_TRUE(Make()->KeyListMenu()->actions().isEmpty());

    auto editor = Make({"home", "R&D", "caf\xE9"});
    const QList<QAction*> words = editor->KeyListMenu()->actions();
    ASSERT_EQ(words.size(), 3);
    EXPECT_EQ(words[1]->text(), QStringLiteral("R&&D"));
    EXPECT_EQ(words[2]->text(), QStringLiteral("caf\u00E9"));
    const struct {
        QString before;
        int word;
        QString after;
    } cases[] = {
        {QString(), 0, QStringLiteral("home")},
        {QStringLiteral("work"), 0, QStringLiteral("work home")},
        {QStringLiteral("home"), 0, QStringLiteral("home home")},
        {QStringLiteral("x"), 1, QStringLiteral("x R&D")},
        {QString(), 2, QStringLiteral("caf\u00E9")},
        {QString(55, QLatin1Char('k')), 0, QString(55, QLatin1Char('k')) + QStringLiteral(" home")},
        {QString(56, QLatin1Char('k')), 0, QString(56, QLatin1Char('k'))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after.toStdString());
        editor->KeyWords()->setText(c.before);
        words[c.word]->trigger();
        EXPECT_EQ(editor->KeyWords()->text(), c.after);
    }
}

// Typed and pasted text that Windows-1252 cannot hold is refused in the three text fields.
TEST_F(TaskEditorTest, TextFieldsRefuseCharactersTheTaskFileCannotHold) {
    auto editor = Make();
    ShowActive(*editor);
    const struct {
        QString text;
        bool taken;
    } inputs[] = {
        {QStringLiteral("\u00E9"), true},       // é
        {QStringLiteral("\u20AC"), true},       // the euro sign, 0x80
        {QStringLiteral("\u0142"), false},      // ł
        {QStringLiteral("\u263A"), false},      // a smiling face
        {QStringLiteral("\U0001F600"), false},  // outside the basic plane
    };
    const auto textOf = [&](QWidget* field) {
        if (auto* line = qobject_cast<QLineEdit*>(field)) {
            return line->text();
        }
        return static_cast<ui::TAnsiMemo*>(field)->toPlainText();
    };
    for (QWidget* field :
         {static_cast<QWidget*>(editor->Task()), static_cast<QWidget*>(editor->KeyWords()),
          static_cast<QWidget*>(editor->Notes())}) {
        for (const auto& input : inputs) {
            SCOPED_TRACE(field->objectName().toStdString() + " " + input.text.toStdString());
            if (auto* line = qobject_cast<QLineEdit*>(field)) {
                line->setText(QStringLiteral("ab"));
                line->end(false);
            } else {
                editor->Notes()->setPlainText(QStringLiteral("ab"));
                editor->Notes()->moveCursor(QTextCursor::End);
            }
            field->setFocus();
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, input.text, Qt::NoModifier);
            EXPECT_EQ(textOf(field),
                      input.taken ? QStringLiteral("ab") + input.text : QStringLiteral("ab"));
            QApplication::clipboard()->setText(QStringLiteral("x") + input.text);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            EXPECT_EQ(textOf(field), input.taken ? QStringLiteral("ab") + input.text +
                                                       QStringLiteral("x") + input.text
                                                 : QStringLiteral("ab"));
        }
    }
    editor->KeyWords()->setText(QString(70, QLatin1Char('k')));
    EXPECT_EQ(editor->KeyWords()->text().size(), 60);
    editor->Task()->setText(QString(70, QLatin1Char('t')));
    EXPECT_EQ(editor->Task()->text().size(), 50);
}

TEST_F(TaskEditorTest, CalendarButtonStartsFromDateEditAndWritesTheChosenDate) {
    Use(UserFormats::kDayMonthYear);
    auto editor = Make();
    ShowActive(*editor);
    struct Case {
        QString before;
        rtl::TDateTime start;
        bool ok;
        QString after;
    };
    const Case cases[] = {
        {QStringLiteral("24.12.2026"), At(2026, 12, 24), true, QStringLiteral("05.03.2027")},
        {QStringLiteral("not a date"), At(2026, 12, 8, 15, 4), true, QStringLiteral("05.03.2027")},
        {QStringLiteral("not a date"), At(2026, 12, 8, 15, 4), false, QStringLiteral("not a date")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before.toStdString());
        editor->DateEdit()->setText(c.before);
        editor->Task()->setFocus();
        rtl::TDateTime given = -1;
        ui::test::WhenModalShown([&](QWidget* modal) {
            auto* selector = qobject_cast<TDateSelector*>(modal);
            ASSERT_NE(selector, nullptr);
            given = selector->Calendar()->calendarDate();
            selector->Calendar()->nextMonth();
            selector->Calendar()->setCalendarDate(At(2027, 3, 5, 10, 0));
            if (c.ok) {
                selector->OKButtonClick();
            } else {
                selector->CancelButtonClick();
            }
        });
        editor->CalendarButtonClick();
        EXPECT_DOUBLE_EQ(given, c.start);
        EXPECT_EQ(editor->DateEdit()->text(), c.after);
        EXPECT_EQ(editor->focusWidget(), editor->DateEdit());
    }
}

TEST_F(TaskEditorTest, QuickTimeStartsFromTimeEditAndWritesTheChosenTime) {
    Use(UserFormats::kMonthDayYear);
    auto editor = Make();
    struct Case {
        QString before;
        int startMinutes;
        bool ok;
        QString after;
    };
    const Case cases[] = {
        {QStringLiteral("2:15 pm"), 14 * 60 + 15, true, QStringLiteral("9:15 AM")},
        {QString(), 15 * 60 + 4, true, QStringLiteral("9:04 AM")},
        {QStringLiteral("bad"), 15 * 60 + 4, false, QStringLiteral("bad")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before.toStdString());
        editor->TimeEdit()->setText(c.before);
        int given = -1;
        ui::test::WhenModalShown([&](QWidget* modal) {
            auto* dialog = qobject_cast<TSetTimeDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            QCoreApplication::processEvents();  // the activation takes the start time
            given = static_cast<int>(std::lround(dialog->SelectedTime() * 24 * 60));
            auto* hour = dialog->findChild<controls::TGraphicPanel*>(QStringLiteral("Hour9"));
            ASSERT_NE(hour, nullptr);
            QTest::mouseClick(hour, Qt::LeftButton);
            if (c.ok) {
                dialog->OkbuttonClick();
            } else {
                dialog->CancelButtonClick();
            }
        });
        editor->QuickTimeButtonClick();
        EXPECT_EQ(given, c.startMinutes);
        EXPECT_EQ(editor->TimeEdit()->text(), c.after);
    }
}

TEST_F(TaskEditorTest, FormControlsKeyboardOrderAndActivationHints) {
    rtl::FormatSettings user = dialogs::test::Formats(UserFormats::kMonthDayYear);
    user.shortDateFormat = "M/d/yy";
    auto editor = Make();
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Task Editor"));
    EXPECT_EQ(editor->size(), QSize(392, 376));
    EXPECT_TRUE(editor->pMedium()->isChecked());
    EXPECT_FALSE(editor->pHigh()->isChecked() || editor->pLow()->isChecked());
    // The buttons are reached by Tab, for keyboard and screen-reader users, but a click
    // leaves the focus where it was.
    for (auto* button : editor->findChildren<controls::TExplorerButton*>()) {
        EXPECT_EQ(button->focusPolicy(), Qt::TabFocus) << button->objectName().toStdString();
    }

    editor->Task()->setText(QStringLiteral("{Task description}"));
    rtl::SetCurrentFormats(user);
    ShowActive(*editor);
    EXPECT_EQ(QApplication::focusWidget(), editor->Task());
    EXPECT_EQ(editor->Task()->selectedText(), QStringLiteral("{Task description}"));
    auto* dateFormat = editor->findChild<QWidget*>(QStringLiteral("DateFormat"));
    auto* timeFormat = editor->findChild<QWidget*>(QStringLiteral("TimeFormat"));
    ASSERT_NE(dateFormat, nullptr);
    ASSERT_NE(timeFormat, nullptr);
    EXPECT_EQ(dateFormat->toolTip(), QStringLiteral("(use format m/d/yy)"));
    EXPECT_EQ(timeFormat->toolTip(), QStringLiteral("(use format 3:04 PM)"));

    QStringList order;
    for (int i = 0; i < 17; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(order.join(QLatin1Char(' ')),
              QStringLiteral("Task IsDone KeyWords KeyListbutton DateEdit CalendarButton "
                             "QuickDateButton TimeEdit QuickTimeButton pMedium Notes OKButton "
                             "CancelButton Helpbutton MouseHelpButton Task IsDone"));
    // The group is entered at its checked button.
    editor->pLow()->setChecked(true);
    editor->TimeEdit()->setFocus();
    QTest::keyClick(editor->TimeEdit(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), editor->pLow());
}

// F1 anywhere in a dialog opens its own help topic, as its Help button does.
TEST_F(TaskEditorTest, F1InEachDialogOpensItsOwnTopic) {
    const struct {
        std::function<ui::FormPtr<ui::TDialog>()> make;
        int context;
    } cases[] = {
        {[] { return ui::FormPtr<ui::TDialog>(ui::CreateForm<TTaskEditor>()); }, 1004},
        {[] { return ui::FormPtr<ui::TDialog>(ui::CreateForm<TDateSelector>()); }, 1004},
        {[] { return ui::FormPtr<ui::TDialog>(ui::CreateForm<TSetTimeDialog>()); }, 2986},
    };
    for (const auto& c : cases) {
        ui::FormPtr<ui::TDialog> dialog = c.make();
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : dialog.get(), Qt::Key_F1);
        ASSERT_NE(ui::HelpViewer(), nullptr) << dialog->objectName().toStdString();
        EXPECT_EQ(ui::HelpViewer()->CurrentContext(), c.context);
        ui::CloseHelpViewer();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
