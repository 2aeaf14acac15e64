// The month grid: repositioning on the calendar date, the part-setting and moving rules,
// cell selection by mouse and arrow keys, and drawing from a cached image.
#include "controls/calendar.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

#include "controls/accessible.h"
#include "platform/ui/painting.h"
#include "platform/ui/system_colors.h"
#include "rtl/ansi.h"
#include "rtl/format_settings.h"

namespace controls {

using ui::SysColor;
using ui::sysColor;

int CalendarMonthOffset(int firstDayOfWeek, int startOfWeek) {
    const int k = ((firstDayOfWeek - startOfWeek) % 7 + 7) % 7;
    return k == 0 ? -5 : 2 - k;
}

TCalendar::TCalendar(QWidget* parent) : QWidget(parent), date_(rtl::Today()) {
    InstallAccessibleFactory();
    setFocusPolicy(Qt::StrongFocus);
    // The current cell moves with the date; a reader follows it as the focus.
    connect(this, &TCalendar::changed, this, [this] {
        if (hasFocus()) {
            Announce(this, QAccessible::Focus);
        }
    });
    setAttribute(Qt::WA_OpaquePaintEvent);
    reposition();
}

void TCalendar::setCalendarDate(rtl::TDateTime date) {
    date_ = date;
    reposition();
    Q_EMIT changed();
}

int TCalendar::year() const {
    return rtl::DecodeDate(date_).year;
}

int TCalendar::month() const {
    return rtl::DecodeDate(date_).month;
}

int TCalendar::day() const {
    return rtl::DecodeDate(date_).day;
}

void TCalendar::setYear(int year) {
    const rtl::DateParts now = rtl::DecodeDate(date_);
    if (year < 1 || year == now.year) {
        return;
    }
    setParts(year, now.month, now.day);
}

void TCalendar::setMonth(int month) {
    const rtl::DateParts now = rtl::DecodeDate(date_);
    if (month < 1 || month > 12 || month == now.month) {
        return;
    }
    setParts(now.year, month, now.day);
}

void TCalendar::setDay(int day) {
    const rtl::DateParts now = rtl::DecodeDate(date_);
    if (day < 1 || day > rtl::DaysInMonth(now.year, now.month) || day == now.day) {
        return;
    }
    setParts(now.year, now.month, day);
}

// A date that does not exist (29 February moved into a common year by Year, a year past
// 9999) is refused like the other settings the rule refuses, without a message.
void TCalendar::setParts(int year, int month, int day) {
    rtl::TDateTime date = 0;
    if (!rtl::TryEncodeDate(year, month, day, date)) {
        return;
    }
    date_ = date;
    useCurrentDate_ = false;
    reposition();
    Q_EMIT changed();
}

void TCalendar::setStartOfWeek(int day) {
    if (day < 0 || day > 6) {
        return;
    }
    startOfWeek_ = day;
    reposition();
}

void TCalendar::setUseCurrentDate(bool on) {
    if (on == useCurrentDate_) {
        return;
    }
    useCurrentDate_ = on;
    if (on) {
        date_ = rtl::Today();
    }
    reposition();
}

void TCalendar::setGridLineWidth(int width) {
    gridLineWidth_ = std::max(0, width);
    invalidate();
}

// Updating is cleared on every way out, so selection goes back to the user's rules.
void TCalendar::reposition() {
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{updating_};
    updating_ = true;

    const rtl::DateParts parts = rtl::DecodeDate(date_);
    rtl::TDateTime first = 0;
    if (rtl::TryEncodeDate(parts.year, parts.month, 1, first)) {
        monthOffset_ = CalendarMonthOffset(rtl::DayOfWeek(first), startOfWeek_);
        const int n = parts.day - monthOffset_;
        col_ = n % 7;
        row_ = n / 7 + 1;
    }
    invalidate();
}

QString TCalendar::cellText(int column, int row) const {
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows) {
        return {};
    }
    if (row == 0) {
        const auto& names = rtl::CurrentFormats().shortDayNames;
        return QString::fromStdString(rtl::AnsiToUtf8(names[(column + startOfWeek_) % 7]));
    }
    const int n = monthOffset_ + column + (row - 1) * 7;
    const rtl::DateParts parts = rtl::DecodeDate(date_);
    if (n < 1 || n > rtl::DaysInMonth(parts.year, parts.month)) {
        return {};
    }
    return QString::number(n);
}

bool TCalendar::canSelect(int column, int row) const {
    if (row < 1 || cellText(column, row).isEmpty()) {
        return false;
    }
    return updating_ || !readOnly_;
}

bool TCalendar::selectCell(int column, int row) {
    if (!canSelect(column, row)) {
        return false;
    }
    col_ = column;
    row_ = row;
    invalidate();
    setDay(cellText(column, row).toInt());
    return true;
}

void TCalendar::moveByMonths(int delta) {
    const rtl::DateParts now = rtl::DecodeDate(date_);
    int year = now.year;
    int month = now.month + delta;
    if (month > 12) {
        month = 1;
        ++year;
    } else if (month < 1) {
        month = 12;
        --year;
    }
    const int length = rtl::DaysInMonth(year, month);
    rtl::TDateTime date = 0;
    if (!rtl::TryEncodeDate(year, month, now.day < length ? now.day : length, date)) {
        return;  // beyond year 9999 or before year 1: the calendar stays
    }
    setCalendarDate(date);
}

void TCalendar::moveByYears(int delta) {
    const rtl::DateParts now = rtl::DecodeDate(date_);
    if (!rtl::IsValidDate(now.year + delta, now.month, 1)) {
        return;
    }
    if (rtl::IsLeapYear(now.year) && now.month == 2 && now.day == 29) {
        setDay(28);
    }
    setYear(now.year + delta);
}

void TCalendar::prevMonth() {
    moveByMonths(-1);
}

void TCalendar::nextMonth() {
    moveByMonths(1);
}

void TCalendar::prevYear() {
    moveByYears(-1);
}

void TCalendar::nextYear() {
    moveByYears(1);
}

QRect TCalendar::cellRect(int column, int row) const {
    // The grid's client area starts inside its one-pixel border.
    const int w = defaultColWidth();
    const int h = defaultRowHeight();
    return QRect(1 + column * (w + gridLineWidth_), 1 + row * (h + gridLineWidth_), w, h);
}

QPoint TCalendar::cellAt(QPoint at) const {
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            if (cellRect(c, r).adjusted(0, 0, gridLineWidth_, gridLineWidth_).contains(at)) {
                return {c, r};
            }
        }
    }
    return {-1, -1};
}

int TCalendar::defaultColWidth() const {
    return std::max(0, (width() - 6 * gridLineWidth_) / 7);
}

int TCalendar::defaultRowHeight() const {
    return std::max(0, (height() - 6 * gridLineWidth_) / 7);
}

void TCalendar::resizeEvent(QResizeEvent* event) {
    dirty_ = true;
    QWidget::resizeEvent(event);
}

void TCalendar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint cell = cellAt(event->position().toPoint());
        if (cell.x() >= 0) {
            selectCell(cell.x(), cell.y());
        }
    }
    QWidget::mousePressEvent(event);
}

void TCalendar::keyPressEvent(QKeyEvent* event) {
    int dc = 0;
    int dr = 0;
    switch (event->key()) {
        case Qt::Key_Left:
            dc = -1;
            break;
        case Qt::Key_Right:
            dc = 1;
            break;
        case Qt::Key_Up:
            dr = -1;
            break;
        case Qt::Key_Down:
            dr = 1;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    selectCell(col_ + dc, row_ + dr);
    event->accept();
}

void TCalendar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange ||
        event->type() == QEvent::PaletteChange) {
        invalidate();
    }
    QWidget::changeEvent(event);
}

void TCalendar::focusInEvent(QFocusEvent* event) {
    invalidate();
    QWidget::focusInEvent(event);
    // After Qt's own announcement of the calendar, which follows this event: the reader
    // then rests on the selected day.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (hasFocus()) {
                Announce(this, QAccessible::Focus);
            }
        },
        Qt::QueuedConnection);
}

void TCalendar::focusOutEvent(QFocusEvent* event) {
    invalidate();
    QWidget::focusOutEvent(event);
}

void TCalendar::invalidate() {
    dirty_ = true;
    update();
}

void TCalendar::paintEvent(QPaintEvent*) {
    if (dirty_ || !ui::cacheFits(cache_, size(), devicePixelRatioF())) {
        render();
    }
    QPainter p(this);
    p.drawImage(0, 0, cache_);
}

void TCalendar::render() {
    dirty_ = false;
    cache_ = ui::cacheImage(size(), devicePixelRatioF(), QImage::Format_RGB32);
    cache_.fill(sysColor(SysColor::ButtonFace));
    QPainter p(&cache_);
    p.setFont(font());
    const QColor face = sysColor(SysColor::ButtonFace);
    const QColor window = sysColor(SysColor::Window);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const QRect cell = cellRect(c, r);
            QColor text = sysColor(SysColor::WindowText);
            if (r == 0) {
                p.fillRect(cell, face);
                ui::frame3D(p, cell, sysColor(SysColor::ButtonHighlight),
                            sysColor(SysColor::ButtonShadow), 1);
            } else if (c == col_ && r == row_) {
                p.fillRect(cell, sysColor(SysColor::Highlight));
                text = sysColor(SysColor::HighlightText);
            } else {
                p.fillRect(cell, window);
            }
            p.setPen(isEnabled() ? text : sysColor(SysColor::GrayText));
            p.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, cellText(c, r));
            if (r > 0 && c == col_ && r == row_ && hasFocus()) {
                QPen dots(sysColor(SysColor::HighlightText));
                dots.setStyle(Qt::DotLine);
                p.setPen(dots);
                p.drawRect(cell.adjusted(0, 0, -1, -1));
            }
        }
    }
    // Grid lines are the face colour showing between the cells; the border is one line.
    p.setPen(sysColor(SysColor::WindowFrame));
    p.drawRect(QRect(0, 0, width() - 1, height() - 1));
}

}  // namespace controls
