// The custom controls as a screen reader reads them: role, name, value and table cells of
// each, what pressing them through the reader does, the announcements of focus and change,
// and the explorer button reached and pressed by the keyboard.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <functional>
#include <memory>

#include "accessible_tree.h"
#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "controls/gauge.h"
#include "controls/graphic_panel.h"
#include "controls/splitter.h"
#include "rtl/date_time.h"

namespace {

using namespace controls;
using ui::test::AccessibleEventLog;

rtl::TDateTime Valentine2026() {
    rtl::TDateTime date = 0;
    EXPECT_TRUE(rtl::TryEncodeDate(2026, 2, 14, date));
    return date;
}

QAccessibleInterface* Interface(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

TEST(AccessibleControls, EachControlTellsItsRoleNameAndValue) {
    QWidget form;
    QMenu menu;
    const struct {
        const char* what;
        std::function<QWidget*()> make;
        QAccessible::Role role;
        QString name;
        QString value;
    } cases[] = {
        {"a button is named by its caption without the accelerator mark",
         [&] {
             auto* b = new TExplorerButton(&form);
             b->setCaption(QStringLiteral("Ca&lendar"));
             return b;
         },
         QAccessible::Button, QStringLiteral("Calendar"), {}},
        {"two marks and a doubled one",
         [&] {
             auto* b = new TExplorerButton(&form);
             b->setCaption(QStringLiteral("&S&ort && go"));
             return b;
         },
         QAccessible::Button, QStringLiteral("Sort & go"), {}},
        {"a given name wins over the caption",
         [&] {
             auto* b = new TExplorerButton(&form);
             b->setCaption(QStringLiteral("   FILTERED [click to clear]"));
             b->setAccessibleName(QStringLiteral("Clear filter"));
             return b;
         },
         QAccessible::Button, QStringLiteral("Clear filter"), {}},
        {"a glyph-only button is named by its hint",
         [&] {
             auto* b = new TExplorerButton(&form);
             b->setOptions(TButtonOption::boIconOnly);
             b->setCaption(QStringLiteral("&Key words"));
             return b;
         },
         QAccessible::Button, QStringLiteral("Key words"), {}},
        {"a button that drops a menu down",
         [&] {
             auto* b = new TExplorerButton(&form);
             b->setCaption(QStringLiteral("Sort"));
             b->setDropDownMenu(&menu);
             return b;
         },
         QAccessible::ButtonMenu, QStringLiteral("Sort"), {}},
        {"a graphic panel is a button named by its caption",
         [&] {
             auto* p = new TGraphicPanel(&form);
             p->setCaption(QStringLiteral("12"));
             return p;
         },
         QAccessible::Button, QStringLiteral("12"), {}},
        {"a gauge is a progress bar with its percentage",
         [&] {
             auto* g = new TGauge(&form);
             (void)g->setMaxValue(200);
             g->setProgress(31);
             return g;
         },
         QAccessible::ProgressBar, {}, QStringLiteral("15%")},
        {"a splitter is a split pane",
         [&] { return new ToxSplit(&form); }, QAccessible::Splitter, {}, {}},
        {"a calendar is a table whose value is its date",
         [&] {
             auto* c = new TCalendar(&form);
             c->setUseCurrentDate(false);
             c->setCalendarDate(Valentine2026());
             return c;
         },
         QAccessible::Table, {}, QStringLiteral("Saturday, February 14, 2026")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget* widget = c.make();
        QAccessibleInterface* iface = Interface(widget);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->role(), c.role);
        EXPECT_EQ(iface->text(QAccessible::Name), c.name);
        EXPECT_EQ(iface->text(QAccessible::Value), c.value);
    }
}

TEST(AccessibleControls, ValuesAndPartsReadAsTheControlsShowThem) {
    QWidget form;
    form.resize(400, 400);

    auto* gauge = new TGauge(&form);
    (void)gauge->setMinValue(10);
    (void)gauge->setMaxValue(50);
    gauge->setProgress(20);
    QAccessibleValueInterface* value = Interface(gauge)->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 20);
    EXPECT_EQ(value->minimumValue().toInt(), 10);
    EXPECT_EQ(value->maximumValue().toInt(), 50);
    value->setCurrentValue(40);  // the reader cannot move the work along
    EXPECT_EQ(gauge->progress(), 20);

    // The bar follows the panes and moves when the reader sets its value.
    auto* split = new ToxSplit(&form);
    split->setOrientation(TSplitOrientation::oxsHorz);
    split->resize(200, 300);
    split->setBarPosition(100);
    QAccessibleInterface* splitter = Interface(split);
    ASSERT_EQ(splitter->childCount(), 3);
    QAccessibleInterface* bar = splitter->child(2);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->role(), QAccessible::Separator);
    EXPECT_EQ(bar->parent(), splitter);
    EXPECT_EQ(splitter->indexOfChild(bar), 2);
    EXPECT_EQ(splitter->child(0)->object(), split->pane(0));
    ASSERT_NE(bar->valueInterface(), nullptr);
    EXPECT_EQ(bar->valueInterface()->currentValue().toInt(), 100);
    bar->valueInterface()->setCurrentValue(60);
    EXPECT_EQ(split->barPosition(), 60);
    EXPECT_EQ(bar->rect().topLeft(), split->mapToGlobal(split->barZone().topLeft()));

    // The table has the day names as headings and the date's cell as its one selection.
    auto* calendar = new TCalendar(&form);
    calendar->resize(300, 200);
    calendar->setUseCurrentDate(false);
    calendar->setCalendarDate(Valentine2026());
    QAccessibleTableInterface* table = Interface(calendar)->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columnCount(), 7);
    EXPECT_EQ(table->rowCount(), 6);
    ASSERT_EQ(table->selectedCellCount(), 1);
    QAccessibleInterface* selected = table->selectedCells().value(0);
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(selected->role(), QAccessible::Cell);
    EXPECT_EQ(selected->text(QAccessible::Name), QStringLiteral("14"));
    EXPECT_TRUE(selected->state().selected);
    QAccessibleTableCellInterface* cell = selected->tableCellInterface();
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(table->cellAt(cell->rowIndex(), cell->columnIndex()), selected);
    EXPECT_EQ(cell->columnIndex(), calendar->col());
    ASSERT_EQ(cell->columnHeaderCells().size(), 1);
    EXPECT_EQ(cell->columnHeaderCells()[0]->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(cell->columnHeaderCells()[0]->text(QAccessible::Name),
              calendar->cellText(calendar->col(), 0));
    EXPECT_EQ(table->columnDescription(0), calendar->cellText(0, 0));
    const QRect cellRect = calendar->cellRect(calendar->col(), calendar->row());
    const QPoint middle = calendar->mapToGlobal(cellRect.center());
    EXPECT_EQ(Interface(calendar)->childAt(middle.x(), middle.y()), selected);
    EXPECT_EQ(Interface(calendar)->indexOfChild(selected),
              calendar->row() * TCalendar::kColumns + calendar->col());
}

TEST(AccessibleControls, PressingThroughTheReaderPressesOnceTheRequestIsAnswered) {
    QWidget form;
    auto* button = new TExplorerButton(&form);
    button->setCaption(QStringLiteral("&Edit"));
    auto* panel = new TGraphicPanel(&form);
    form.show();
    int buttonClicks = 0;
    int panelClicks = 0;
    QObject::connect(button, &TExplorerButton::clicked, [&] { ++buttonClicks; });
    QObject::connect(panel, &TGraphicPanel::clicked, [&] { ++panelClicks; });

    QAccessibleActionInterface* buttonActions = Interface(button)->actionInterface();
    ASSERT_NE(buttonActions, nullptr);
    ASSERT_TRUE(buttonActions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    EXPECT_EQ(buttonActions->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
              QStringList{QStringLiteral("Alt+E")});
    buttonActions->doAction(QAccessibleActionInterface::pressAction());
    Interface(panel)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(buttonClicks, 0);
    EXPECT_EQ(panelClicks, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(buttonClicks, 1);
    EXPECT_EQ(panelClicks, 1);

    // A disabled button offers no press and takes none.
    button->setEnabled(false);
    EXPECT_FALSE(buttonActions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    buttonActions->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(buttonClicks, 1);
    EXPECT_TRUE(Interface(button)->state().disabled);
}

TEST(AccessibleControls, TabReachesAButtonThatSpaceAndEnterPressButAClickLeavesTheFocus) {
    QWidget form;
    auto* edit = new QLineEdit(&form);
    auto* button = new TExplorerButton(&form);
    button->setCaption(QStringLiteral("&New"));
    button->move(0, 40);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    int clicks = 0;
    QObject::connect(button, &TExplorerButton::clicked, [&] { ++clicks; });

    edit->setFocus();
    AccessibleEventLog log;
    QTest::keyClick(edit, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), button);
    const AccessibleEventLog::Entry* focus = log.Last(QAccessible::Focus);
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->item.name, QStringLiteral("New"));
    EXPECT_TRUE(focus->item.state.focused);
    // The focus shows as a dotted frame inside the button.
    const QImage shown = button->grab().toImage();
    EXPECT_NE(shown.pixelColor(2, button->height() / 2), shown.pixelColor(0, button->height() / 2));

    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(button, key);
    }
    EXPECT_EQ(clicks, 3);
    QTest::keyClick(button, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(clicks, 3);

    // A graphic panel takes the focus only where its owner lets it, and is then pressed too.
    auto* panel = new TGraphicPanel(&form);
    panel->move(0, 80);
    panel->show();
    int panelClicks = 0;
    QObject::connect(panel, &TGraphicPanel::clicked, [&] { ++panelClicks; });
    QTest::keyClick(button, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), edit) << "a panel takes no focus by default";
    panel->setFocusPolicy(Qt::TabFocus);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), panel);
    QTest::keyClick(panel, Qt::Key_Return);
    QTest::keyClick(panel, Qt::Key_Space);
    EXPECT_EQ(panelClicks, 2);

    edit->setFocus();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(QApplication::focusWidget(), edit);
}

TEST(AccessibleControls, ChangesAreAnnouncedAsTheyHappen) {
    QWidget form;
    auto* button = new TExplorerButton(&form);
    auto* gauge = new TGauge(&form);
    auto* calendar = new TCalendar(&form);
    calendar->move(0, 60);
    calendar->resize(300, 200);
    calendar->setUseCurrentDate(false);
    calendar->setCalendarDate(Valentine2026());
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    AccessibleEventLog log;

    button->setCaption(QStringLiteral("Hide &DONE"));
    const AccessibleEventLog::Entry* renamed = log.Last(QAccessible::NameChanged);
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(renamed->item.name, QStringLiteral("Hide DONE"));

    gauge->setProgress(42);
    const AccessibleEventLog::Entry* moved = log.Last(QAccessible::ValueChanged);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->item.value, QStringLiteral("42%"));

    // The focus rests on the selected day, and follows it as the arrows move it.
    calendar->setFocus();
    QCoreApplication::processEvents();
    const AccessibleEventLog::Entry* focus = log.Last(QAccessible::Focus);
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->item.role, QAccessible::Cell);
    EXPECT_EQ(focus->item.name, QStringLiteral("14"));
    QTest::keyClick(calendar, Qt::Key_Down);
    focus = log.Last(QAccessible::Focus);
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->item.name, QStringLiteral("21"));
    EXPECT_TRUE(focus->item.state.focused && focus->item.state.selected);
}

}  // namespace
