// TCalendar: the month grid of the date selector (a heading row of short day names over six
// rows of day numbers, the current cell always on the calendar's date), and its rules.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include "rtl/date_time.h"

namespace controls {

// The number shown in the first day cell (column 0 of row 1) of a month whose first day falls
// on `firstDayOfWeek` (1 Sunday .. 7 Saturday) in a grid that starts its weeks on
// `startOfWeek` (0 Sunday .. 6 Saturday). The 1st never stands in a row of its own.
int CalendarMonthOffset(int firstDayOfWeek, int startOfWeek);

// OnChange is the changed() signal. Dates are date values; the time of day of CalendarDate is
// kept as written until a part is set or the month moves.
class TCalendar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int StartOfWeek READ startOfWeek WRITE setStartOfWeek)
    Q_PROPERTY(bool UseCurrentDate READ useCurrentDate WRITE setUseCurrentDate)
    Q_PROPERTY(bool ReadOnly READ readOnly WRITE setReadOnly)
    Q_PROPERTY(int GridLineWidth READ gridLineWidth WRITE setGridLineWidth)

  public:
    static constexpr int kColumns = 7;
    static constexpr int kRows = 7;

    explicit TCalendar(QWidget* parent = nullptr);

    rtl::TDateTime calendarDate() const { return date_; }
    // Stores the value as given, repositions and raises OnChange.
    void setCalendarDate(rtl::TDateTime date);

    // Reading decodes CalendarDate; writing sets one part: a value below 1, a month above 12,
    // a day beyond the month, a value equal to the current part, or a date that would not
    // exist (29 February into a common year) changes nothing.
    int year() const;
    int month() const;
    int day() const;
    void setYear(int year);
    void setMonth(int month);
    void setDay(int day);

    int startOfWeek() const { return startOfWeek_; }
    void setStartOfWeek(int day);  // 0 Sunday .. 6 Saturday; other values are refused
    bool useCurrentDate() const { return useCurrentDate_; }
    void setUseCurrentDate(bool on);
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool on) { readOnly_ = on; }
    int gridLineWidth() const { return gridLineWidth_; }
    void setGridLineWidth(int width);

    int monthOffset() const { return monthOffset_; }
    bool updating() const { return updating_; }

    // The current cell.
    int col() const { return col_; }
    int row() const { return row_; }
    // The text of a cell: short day names in row 0, day numbers in rows 1 to 6.
    QString cellText(int column, int row) const;
    // The resizing rule: (width - 6 x GridLineWidth) div 7, and the same for the height.
    int defaultColWidth() const;
    int defaultRowHeight() const;

    // Makes a cell current as the user does (mouse or arrow keys): refused for a blank cell,
    // and while ReadOnly unless the grid is repositioning; then its number becomes Day.
    // True when the cell became current.
    bool selectCell(int column, int row);
    // The cell under a point of the control, or {-1, -1}.
    QPoint cellAt(QPoint at) const;
    // Where a cell is drawn, in the control's coordinates, grid lines excluded.
    QRect cellRect(int column, int row) const;

  public Q_SLOTS:
    void prevMonth();
    void nextMonth();
    void prevYear();
    void nextYear();

  Q_SIGNALS:
    void changed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void reposition();
    void moveByMonths(int delta);
    void moveByYears(int delta);
    void setParts(int year, int month, int day);
    bool canSelect(int column, int row) const;
    void invalidate();
    void render();

    rtl::TDateTime date_ = 0;
    int startOfWeek_ = 0;
    bool useCurrentDate_ = true;
    bool readOnly_ = false;
    int gridLineWidth_ = 1;
    int monthOffset_ = 0;
    bool updating_ = false;
    int col_ = 0;
    int row_ = 1;

    QImage cache_;
    bool dirty_ = true;
};

}  // namespace controls
