// The sort commands, the ticks of the two sort menus and the menus themselves.
#include "ui/main/sort_menus.h"

#include <QAction>
#include <QMenu>

#include <array>
#include <string>

#include "platform/ui/application.h"
#include "rtl/ansi.h"
#include "store/engine_component.h"
#include "store/record_set.h"
#include "store/task_record.h"

namespace {

struct SortEntry {
    TSortItem item;
    const char* tag;
    const char* caption;
    const char* buttonItemName;
    const char* mainItemName;
};

constexpr std::array<SortEntry, 3> kSortEntries = {{
    {TSortItem::kDateTime, store::kDateTimeTag, "Sort by Date+Time", "mnuSortDateTime",
     "mainmnuSortDateTime"},
    {TSortItem::kDescription, store::task_field::kDescript, "Sort by Description",
     "mnuSortDescription", "mainmnuSortDescription"},
    {TSortItem::kPriority, store::task_field::kPriority, "Sort by Priority", "mnuSortPriority",
     "mainmnuSortPriority"},
}};

void TickItemInForce(QMenu* menu, TSortItem inForce) {
    const QList<QAction*> items = menu->actions();
    for (qsizetype i = 0; i < items.size(); ++i) {
        items[i]->setChecked(kSortEntries[static_cast<std::size_t>(i)].item == inForce);
    }
}

}  // namespace

TSortItem SortItemInForce(store::TEngineComponent& engine) {
    const std::string tag = rtl::AnsiUpperCase(engine.TagName(engine.IndexOrder()));
    for (const SortEntry& entry : kSortEntries) {
        if (tag == entry.tag) {
            return entry.item;
        }
    }
    return TSortItem::kNone;
}

TSortMenus::TSortMenus(store::TEngineComponent& engine, store::TTable& table, int& orderNumber,
                       QObject* parent)
    : QObject(parent),
      engine_(engine),
      table_(table),
      orderNumber_(orderNumber),
      buttonSortMenu_(std::make_unique<QMenu>()),
      mainSortMenu_(std::make_unique<QMenu>(QStringLiteral("Sort"))) {
    buttonSortMenu_->setObjectName(QStringLiteral("ButtonSortMenu"));
    mainSortMenu_->setObjectName(QStringLiteral("Sort1"));
    using Handler = void (TSortMenus::*)();
    constexpr std::array<Handler, 3> handlers = {&TSortMenus::mnuSortDateTimeClick,
                                                 &TSortMenus::mnuSortDescriptionClick,
                                                 &TSortMenus::mnuSortPriorityClick};
    for (std::size_t i = 0; i < kSortEntries.size(); ++i) {
        const QString caption = QString::fromLatin1(kSortEntries[i].caption);
        for (auto [menu, name] : {std::pair{buttonSortMenu_.get(), kSortEntries[i].buttonItemName},
                                  std::pair{mainSortMenu_.get(), kSortEntries[i].mainItemName}}) {
            QAction* action = menu->addAction(caption);
            action->setObjectName(QString::fromLatin1(name));
            action->setCheckable(true);
            connect(action, &QAction::triggered, this, handlers[i]);
        }
    }
    connect(buttonSortMenu_.get(), &QMenu::aboutToShow, this, &TSortMenus::ButtonSortMenuPopup);
}

TSortMenus::~TSortMenus() = default;

void TSortMenus::mnuSortDateTimeClick() {
    Sort(store::kDateTimeTag);
}

void TSortMenus::mnuSortDescriptionClick() {
    Sort(store::task_field::kDescript);
}

void TSortMenus::mnuSortPriorityClick() {
    Sort(store::task_field::kPriority);
}

// The tag's order, or record order when the task file lacks the tag; then the top of the list.
void TSortMenus::Sort(std::string_view tag) {
    ui::SetScreenCursor(ui::ScreenCursor::HourGlass);
    engine_.SetOrder(engine_.TagOrder(tag));
    SetMainMenuSortChecks();
    table_.First();
    ui::ProcessMessages();
    ui::SetScreenCursor(ui::ScreenCursor::Default);
    Q_EMIT sorted();
}

void TSortMenus::ButtonSortMenuPopup() {
    TickItemInForce(buttonSortMenu_.get(), SortItemInForce(engine_));
}

void TSortMenus::SetMainMenuSortChecks() {
    TickItemInForce(mainSortMenu_.get(), SortItemInForce(engine_));
    orderNumber_ = engine_.IndexOrder();
}
