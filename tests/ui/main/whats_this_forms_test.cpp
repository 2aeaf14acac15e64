// What's-this on the real windows: every window's "What's this?" menu item and what's-this
// button reach the popup with the window's own texts, Qt's own what's-this has nothing left to
// show, and each control's text is its accessible description.
#include <QApplication>
#include <QMenu>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/help_popup.h"
#include "controls/ods_help.h"
#include "controls/whats_this.h"
#include "platform/ui/application.h"
#include "report/preview_form.h"
#include "report/report_setup.h"
#include "store_test_support.h"
#include "ui/dialogs/date_selector.h"
#include "ui/dialogs/task_editor.h"
#include "ui/main/filter_form.h"
#include "ui/main/main_screen.h"
#include "widget_test_support.h"

namespace {

using controls::TODSHelp;
using controls::TODSHelpPopup;

class WhatsThisOnTheWindows : public store_test::StoreTest {
  protected:
    void TearDown() override {
        TODSHelpPopup::Instance()->hide();
        StoreTest::TearDown();
    }

    // Opens `control`'s "What's this?" menu and takes its item, as a right click would.
    static void WhatsThis(QWidget* form, QWidget* control) {
        auto* menu = form->findChild<QMenu*>(QStringLiteral("WhatsThisMenu"));
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(control->contextMenuPolicy(), Qt::CustomContextMenu) << "carries the menu";
        Q_EMIT control->customContextMenuRequested(QPoint(2, 2));
        menu->hide();
        menu->actions().constFirst()->trigger();
    }

    static QString StoredText(const QWidget* form, const char* name) {
        const std::optional<controls::THelpRecord> record =
            TODSHelp::Of(form)->Lookup(QString::fromLatin1(name));
        return record && record->text ? *record->text : QString();
    }

    // Qt's own what's-this would show these; none is left. The form's own texts are the
    // accessible descriptions instead.
    static void ExpectOneMechanism(QWidget* form, const char* described) {
        SCOPED_TRACE(form->objectName().toStdString());
        ASSERT_NE(TODSHelp::Of(form), nullptr);
        EXPECT_EQ(TODSHelp::Of(form)->Color(), QColor(128, 255, 255));
        for (const QWidget* control : form->findChildren<QWidget*>()) {
            EXPECT_TRUE(control->whatsThis().isEmpty()) << control->objectName().toStdString();
        }
        const auto* control = form->findChild<QWidget*>(QString::fromLatin1(described));
        ASSERT_NE(control, nullptr);
        QString text = StoredText(form, described);
        EXPECT_FALSE(text.isEmpty());
        EXPECT_EQ(control->accessibleDescription(), text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
};

TEST_F(WhatsThisOnTheWindows, EachWindowShowsItsOwnTextsThroughTheOnePopup) {
    MakeTaskFile("QUILX.DBF",
                 {{"20260105", "09:30", "Call the plumber", "", false, "home", "A"}}, true);
    ui::FormPtr<TMainScreen> main = ui::CreateForm<TMainScreen>(Dir());
    ui::SetMainForm(main.get());
    main->show();
    main->FormActivate();
    ui::ProcessMessages();
    TODSHelpPopup* popup = TODSHelpPopup::Instance();

    ExpectOneMechanism(main.get(), "ExitButton");
    QTableView* grid = main->ActiveGrid();
    WhatsThis(main.get(), grid);
    ASSERT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->Request().text.startsWith(QStringLiteral("The Task Grid:\r\n\r\n")));
    EXPECT_EQ(popup->Request().control, QRect(grid->mapToGlobal(QPoint(0, 0)), grid->size()));
    popup->hide();

    {
        auto filter = ui::CreateForm<TFilterForm>(std::vector<std::string>{"home"});
        filter->show();
        ExpectOneMechanism(filter.get(), "KeyWords");
        // The key group box has no text but a redirect to the key words' one.
        auto* box = filter->findChild<QWidget*>(QStringLiteral("KeysBox"));
        ASSERT_NE(box, nullptr);
        WhatsThis(filter.get(), box);
        ASSERT_TRUE(popup->isVisible());
        EXPECT_EQ(popup->Request().text, StoredText(filter.get(), "KeyWords"));
        popup->hide();
    }
    {
        auto editor = ui::CreateForm<TTaskEditor>(std::vector<std::string>{"home"});
        editor->show();
        ExpectOneMechanism(editor.get(), "Task");
        // The notes caption has no text of its own; the dialog has none either.
        int done = 0;
        TODSHelp::Of(editor.get())->OnHelpDone = [&done] { ++done; };
        WhatsThis(editor.get(), editor->findChild<QWidget*>(QStringLiteral("NotesLabel")));
        EXPECT_FALSE(popup->isVisible());
        EXPECT_EQ(done, 1);
    }
    {
        auto selector = ui::CreateForm<TDateSelector>();
        selector->show();
        ExpectOneMechanism(selector.get(), "PrevYear");
    }
    {
        auto report = ui::CreateForm<report::TReportSetup>(main->Store());
        report->show();
        ExpectOneMechanism(report.get(), "ReportTitleField");
        // The what's-this button: help mode, then a click on the title field.
        auto* field = report->findChild<QWidget*>(QStringLiteral("ReportTitleField"));
        ASSERT_NE(field, nullptr);
        report->MouseHelpButtonClick();
        QWidget* mask = controls::HelpModeMask(report.get());
        ASSERT_NE(mask, nullptr);
        QTest::mouseClick(mask, Qt::LeftButton, {},
                          mask->mapFromGlobal(field->mapToGlobal(QPoint(3, 3))));
        ASSERT_TRUE(popup->isVisible());
        EXPECT_EQ(popup->Request().text, StoredText(report.get(), "ReportTitleField"));
        popup->hide();
    }
    {
        auto preview = ui::CreateForm<report::TPreviewForm>(std::string(), QString());
        preview->show();
        ExpectOneMechanism(preview.get(), "sbZoomIn");
    }

    main->close();
    ui::SetMainForm(nullptr);
}

}  // namespace
