// The custom controls as assistive tools see them. The controls draw themselves, so Qt can
// tell a screen reader nothing about them by itself: each gets an interface here that names
// it, gives its role, value and state, and presses it on request.
#include "controls/accessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

#include "controls/calendar.h"
#include "controls/explorer_button.h"
#include "controls/gauge.h"
#include "controls/graphic_panel.h"
#include "controls/splitter.h"
#include "platform/ui/painting.h"
#include "rtl/ansi.h"
#include "rtl/date_format.h"

namespace controls {
namespace {

// A name given to the widget (in its form or its owner's code) wins over the shown caption:
// a caption is sometimes a picture only, or a sentence where a word is wanted.
QString NameOr(const QWidget* widget, const QString& caption) {
    if (!widget->accessibleName().isEmpty()) {
        return widget->accessibleName();
    }
    return ui::stripAccelerators(caption).trimmed();
}

// Actions run after the request that asked for them has been answered: pressing may open a
// menu or a modal dialog, whose event loop must not hold the reader's request waiting.
template <typename Press>
void PressLater(QWidget* widget, Press press) {
    QTimer::singleShot(0, widget, press);
}

class ExplorerButtonAccessible : public QAccessibleWidget {
  public:
    explicit ExplorerButtonAccessible(TExplorerButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    TExplorerButton* button() const { return static_cast<TExplorerButton*>(widget()); }

    QAccessible::Role role() const override {
        return button()->dropDownMenu() != nullptr ? QAccessible::ButtonMenu
                                                   : QAccessible::Button;
    }

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name: {
                const QString name = NameOr(button(), button()->caption());
                return name.isEmpty() ? ui::stripAccelerators(button()->toolTip()) : name;
            }
            case QAccessible::Accelerator: {
                const QChar letter = ui::acceleratorChar(button()->caption());
                return letter.isNull() ? QString() : QStringLiteral("Alt+") + letter.toUpper();
            }
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.defaultButton = button()->isDefault();
        s.hasPopup = button()->dropDownMenu() != nullptr;
        // A button of a group stays down until another one of the group is pressed.
        if (button()->groupIndex() != 0) {
            s.checkable = true;
            s.checked = button()->isDown();
        }
        return s;
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (button()->isEnabled()) {
            names.prepend(button()->dropDownMenu() != nullptr ? showMenuAction() : pressAction());
        }
        return names;
    }

    void doAction(const QString& action) override {
        if (!button()->isEnabled()) {
            return;
        }
        if (action == pressAction() || action == showMenuAction()) {
            PressLater(button(), [b = button()] { b->press(); });
            return;
        }
        QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString& action) const override {
        if (action == pressAction() || action == showMenuAction()) {
            const QString keys = text(QAccessible::Accelerator);
            return keys.isEmpty() ? QStringList() : QStringList{keys};
        }
        return QAccessibleWidget::keyBindingsForAction(action);
    }
};

class GraphicPanelAccessible : public QAccessibleWidget {
  public:
    explicit GraphicPanelAccessible(TGraphicPanel* panel)
        : QAccessibleWidget(panel, QAccessible::Button) {}

    TGraphicPanel* panel() const { return static_cast<TGraphicPanel*>(widget()); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            return NameOr(panel(), panel()->caption());
        }
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (panel()->isEnabled()) {
            names.prepend(pressAction());
        }
        return names;
    }

    void doAction(const QString& action) override {
        if (action == pressAction() && panel()->isEnabled()) {
            PressLater(panel(), [p = panel()] { Q_EMIT p->clicked(); });
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

class GaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit GaugeAccessible(TGauge* gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

    TGauge* gauge() const { return static_cast<TGauge*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return QString::number(gauge()->percentDone()) + QLatin1Char('%');
        }
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return gauge()->progress(); }
    // The gauge shows work done; a reader cannot change it.
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return gauge()->maxValue(); }
    QVariant minimumValue() const override { return gauge()->minValue(); }
    QVariant minimumStepSize() const override { return 1; }
};

// The bar between the splitter's panes has no widget of its own: it is a child of the
// splitter's interface, and its value is the bar's position, which a reader may set.
class SplitterBarAccessible : public QAccessibleInterface, public QAccessibleValueInterface {
  public:
    explicit SplitterBarAccessible(ToxSplit* splitter) : splitter_(splitter) {}

    bool isValid() const override { return splitter_ != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return parent() != nullptr ? parent()->window() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return splitter_ != nullptr ? QAccessible::queryAccessibleInterface(splitter_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value && splitter_ != nullptr) {
            return QString::number(splitter_->percent()) + QLatin1Char('%');
        }
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (splitter_ == nullptr) {
            return {};
        }
        const QRect zone = splitter_->barZone();
        return QRect(splitter_->mapToGlobal(zone.topLeft()), zone.size());
    }
    QAccessible::Role role() const override { return QAccessible::Separator; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (splitter_ == nullptr || !splitter_->isVisible()) {
            s.invisible = true;
        }
        s.disabled = splitter_ == nullptr || !splitter_->isEnabled() || splitter_->locked();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                : nullptr;
    }

    QVariant currentValue() const override {
        return splitter_ != nullptr ? splitter_->barPosition() : 0;
    }
    void setCurrentValue(const QVariant& value) override {
        if (splitter_ != nullptr && !splitter_->locked()) {
            splitter_->setBarPosition(value.toInt());
        }
    }
    QVariant maximumValue() const override {
        return splitter_ != nullptr ? std::max(0, splitter_->maxBarPosition()) : 0;
    }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

  private:
    QPointer<ToxSplit> splitter_;
};

// Qt's cache owns every interface it hands out, and drops a widget's when the widget goes; a
// child without a widget is registered with it here and dropped with its owner.
class OwnedChild {
  public:
    explicit OwnedChild(QAccessibleInterface* child)
        : id_(QAccessible::registerAccessibleInterface(child)) {}
    ~OwnedChild() { QAccessible::deleteAccessibleInterface(id_); }
    OwnedChild(const OwnedChild&) = delete;
    OwnedChild& operator=(const OwnedChild&) = delete;

    QAccessibleInterface* get() const { return QAccessible::accessibleInterface(id_); }

  private:
    QAccessible::Id id_;
};

class SplitterAccessible : public QAccessibleWidget {
  public:
    explicit SplitterAccessible(ToxSplit* splitter)
        : QAccessibleWidget(splitter, QAccessible::Splitter),
          bar_(new SplitterBarAccessible(splitter)) {}

    // The bar comes after the panes.
    int childCount() const override { return QAccessibleWidget::childCount() + 1; }
    QAccessibleInterface* child(int index) const override {
        return index == QAccessibleWidget::childCount() ? bar_.get()
                                                         : QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child == bar_.get() ? QAccessibleWidget::childCount()
                                   : QAccessibleWidget::indexOfChild(child);
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* bar = bar_.get();
        return bar->rect().contains(x, y) ? bar : QAccessibleWidget::childAt(x, y);
    }

  private:
    OwnedChild bar_;
};

// One cell of the month grid: a column heading (row 0) or a day.
class CalendarCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
  public:
    CalendarCellAccessible(TCalendar* calendar, int column, int row)
        : calendar_(calendar), column_(column), row_(row) {}

    bool isValid() const override { return calendar_ != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return parent() != nullptr ? parent()->window() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return calendar_ != nullptr ? QAccessible::queryAccessibleInterface(calendar_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        if (calendar_ == nullptr || (t != QAccessible::Name && t != QAccessible::Value)) {
            return {};
        }
        return calendar_->cellText(column_, row_);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (calendar_ == nullptr) {
            return {};
        }
        const QRect cell = calendar_->cellRect(column_, row_);
        return QRect(calendar_->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override {
        return row_ == 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (calendar_ == nullptr) {
            s.invalid = true;
            return s;
        }
        s.invisible = !calendar_->isVisible();
        if (row_ == 0 || calendar_->cellText(column_, row_).isEmpty()) {
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        if (isSelected()) {
            s.selected = true;
            s.focused = calendar_->hasFocus();
        }
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override {
        return calendar_ != nullptr && row_ > 0 && calendar_->col() == column_ &&
               calendar_->row() == row_;
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    // The heading row is not a row of the table; days are rows 0 to 5.
    int rowIndex() const override { return row_ == 0 ? 0 : row_ - 1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

  private:
    QPointer<TCalendar> calendar_;
    int column_;
    int row_;
};

// The month grid as a table: seven column headings over six rows of days, the selected day
// being the one selected cell, and the selected date as the table's value.
class CalendarAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit CalendarAccessible(TCalendar* calendar)
        : QAccessibleWidget(calendar, QAccessible::Table) {
        for (int row = 0; row < TCalendar::kRows; ++row) {
            for (int column = 0; column < TCalendar::kColumns; ++column) {
                cells_.push_back(std::make_unique<OwnedChild>(
                    new CalendarCellAccessible(calendar, column, row)));
            }
        }
    }

    TCalendar* calendar() const { return static_cast<TCalendar*>(widget()); }

    QAccessibleInterface* cell(int column, int row) const {
        if (column < 0 || column >= TCalendar::kColumns || row < 0 || row >= TCalendar::kRows) {
            return nullptr;
        }
        return cells_[static_cast<std::size_t>(row * TCalendar::kColumns + column)]->get();
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableInterface) {
            return static_cast<QAccessibleTableInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return QString::fromStdString(
                rtl::AnsiToUtf8(rtl::FormatDateTime("dddddd", calendar()->calendarDate())));
        }
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return static_cast<int>(cells_.size()); }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < childCount() ? cells_[static_cast<std::size_t>(index)]->get()
                                                  : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i) {
            if (cells_[static_cast<std::size_t>(i)]->get() == child) {
                return i;
            }
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = calendar()->mapFromGlobal(QPoint(x, y));
        const QPoint c = calendar()->cellAt(at);
        return cell(c.x(), c.y());
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        return cell(column, row + 1);
    }
    int selectedCellCount() const override { return 1; }
    QList<QAccessibleInterface*> selectedCells() const override {
        return {cell(calendar()->col(), calendar()->row())};
    }
    QString columnDescription(int column) const override {
        return calendar()->cellText(column, 0);
    }
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override { return TCalendar::kColumns; }
    int rowCount() const override { return TCalendar::kRows - 1; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

  private:
    std::vector<std::unique_ptr<OwnedChild>> cells_;
};

QList<QAccessibleInterface*> CalendarCellAccessible::columnHeaderCells() const {
    if (calendar_ == nullptr || row_ == 0) {
        return {};
    }
    auto* table = static_cast<CalendarAccessible*>(
        QAccessible::queryAccessibleInterface(calendar_.data()));
    return {table->cell(column_, 0)};
}

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    // Subclasses of the controls are theirs too: the factory is asked with the most derived
    // class name first, then each base class's.
    if (className == QLatin1String("controls::TExplorerButton")) {
        return new ExplorerButtonAccessible(static_cast<TExplorerButton*>(object));
    }
    if (className == QLatin1String("controls::TGraphicPanel")) {
        return new GraphicPanelAccessible(static_cast<TGraphicPanel*>(object));
    }
    if (className == QLatin1String("controls::TGauge")) {
        return new GaugeAccessible(static_cast<TGauge*>(object));
    }
    if (className == QLatin1String("controls::ToxSplit")) {
        return new SplitterAccessible(static_cast<ToxSplit*>(object));
    }
    if (className == QLatin1String("controls::TCalendar")) {
        return new CalendarAccessible(static_cast<TCalendar*>(object));
    }
    return nullptr;
}

// Announces the current cell of its view once the view's own focus has been announced.
class CellFocusAnnouncer : public QObject {
  public:
    explicit CellFocusAnnouncer(QAbstractItemView* view) : QObject(view), view_(view) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == view_ && event->type() == QEvent::FocusIn) {
            QMetaObject::invokeMethod(this, [this] { announce(); }, Qt::QueuedConnection);
        }
        return false;
    }

  private:
    void announce() {
        const QModelIndex current = view_->currentIndex();
        if (!QAccessible::isActive() || !view_->hasFocus() || !current.isValid()) {
            return;
        }
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(view_);
        QAccessibleTableInterface* table = iface != nullptr ? iface->tableInterface() : nullptr;
        if (table == nullptr) {
            return;
        }
        if (QAccessibleInterface* cell = table->cellAt(current.row(), current.column())) {
            QAccessibleEvent focus(cell, QAccessible::Focus);
            QAccessible::updateAccessibility(&focus);
        }
    }

    QAbstractItemView* view_;
};

}  // namespace

void AnnounceCurrentCellOnFocus(QAbstractItemView* view) {
    view->installEventFilter(new CellFocusAnnouncer(view));
}

void InstallAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

void Announce(QWidget* widget, QAccessible::Event type) {
    // A form being built says nothing: its controls are read when it shows.
    if (!QAccessible::isActive() || !widget->isVisible()) {
        return;
    }
    if (type == QAccessible::Focus) {
        // The calendar's focus is on its selected day, which has no widget of its own.
        if (auto* calendar = qobject_cast<TCalendar*>(widget)) {
            auto* table =
                static_cast<CalendarAccessible*>(QAccessible::queryAccessibleInterface(calendar));
            if (QAccessibleInterface* day = table->cell(calendar->col(), calendar->row())) {
                QAccessibleEvent event(day, QAccessible::Focus);
                QAccessible::updateAccessibility(&event);
            }
            return;
        }
    }
    if (type == QAccessible::ValueChanged) {
        // Readers take a value change for one of a value interface.
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        QAccessibleValueInterface* value = iface != nullptr ? iface->valueInterface() : nullptr;
        if (value != nullptr) {
            QAccessibleValueChangeEvent event(widget, value->currentValue());
            QAccessible::updateAccessibility(&event);
        }
        return;
    }
    QAccessibleEvent event(widget, type);
    QAccessible::updateAccessibility(&event);
}

}  // namespace controls
