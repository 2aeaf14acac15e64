// TBaseReport: units, margins, area, cursor and lines, fonts, tab stops, pages, status and the
// run sequence.
#include "report/model/base_report.h"

#include "report/model/page_selection.h"
#include "report/model/report_messages.h"
#include "report/model/status_text.h"

#include <algorithm>
#include <cmath>

namespace report {
namespace {

constexpr std::size_t kMaxFontName = 60;
// Positions that differ by less than this are the same place; it keeps a line that ends exactly
// on the area's bottom from counting as one line less after rounding.
constexpr double kSamePlace = 1e-9;

xbase::Status Refusal(std::string_view message) {
    return {xbase::ErrorCode::kBadArgument, std::string(message)};
}

}  // namespace

TBaseReport::TBaseReport() : tabs_(std::make_shared<std::vector<TTabStop>>()) {
    ApplyMargins();
    cursorX_ = areaLeft_;
    cursorY_ = areaTop_;
}

TBaseReport::~TBaseReport() = default;

// --- Settings ---

void TBaseReport::SetLineHeightMethod(TLineHeightMethod method) {
    lineHeightMethod_ = method;
    if (method == TLineHeightMethod::lhmLinesPerInch)
        lineSpacing_ = 1.0 / linesPerInch_;
    if (method == TLineHeightMethod::lhmFont)
        lineSpacing_ = font_.size / 60;
}

void TBaseReport::SetLinesPerInch(int lines) {
    if (lines < 1)
        return;
    linesPerInch_ = lines;
    if (lineHeightMethod_ == TLineHeightMethod::lhmLinesPerInch)
        lineSpacing_ = 1.0 / lines;
}

void TBaseReport::SetUnits(TPrintUnits units) {
    units_ = units;
    switch (units) {
        case TPrintUnits::unInch:
            unitsFactor_ = 1;
            break;
        case TPrintUnits::unMM:
            unitsFactor_ = 25.4;
            break;
        case TPrintUnits::unCM:
            unitsFactor_ = 2.54;
            break;
        case TPrintUnits::unPoint:
            unitsFactor_ = 72;
            break;
        case TPrintUnits::unUser:
            break;
    }
}

void TBaseReport::SetUnitsFactor(double factor) {
    if (!(factor > 0))
        return;
    unitsFactor_ = factor;
    if (factor == 1)
        units_ = TPrintUnits::unInch;
    else if (factor == 25.4)
        units_ = TPrintUnits::unMM;
    else if (factor == 2.54)
        units_ = TPrintUnits::unCM;
    else if (factor == 72)
        units_ = TPrintUnits::unPoint;
    else
        units_ = TPrintUnits::unUser;
}

double TBaseReport::MarginLeft() const {
    return ToUnits(margins_.left);
}
double TBaseReport::MarginRight() const {
    return ToUnits(margins_.right);
}
double TBaseReport::MarginTop() const {
    return ToUnits(margins_.top);
}
double TBaseReport::MarginBottom() const {
    return ToUnits(margins_.bottom);
}

void TBaseReport::SetMarginLeft(double margin) {
    margins_.left = ToInches(margin);
    SetAreaLeft(margin);
}

void TBaseReport::SetMarginRight(double margin) {
    margins_.right = ToInches(margin);
    SetAreaRight(ToUnits(geometry_.paperWidth - margins_.right));
}

void TBaseReport::SetMarginTop(double margin) {
    margins_.top = ToInches(margin);
    SetAreaTop(margin);
}

void TBaseReport::SetMarginBottom(double margin) {
    margins_.bottom = ToInches(margin);
    SetAreaBottom(ToUnits(geometry_.paperHeight - margins_.bottom));
}

void TBaseReport::SetTabShade(int percent) {
    tabShade_ = std::clamp(percent, 0, 100);
}

void TBaseReport::SetTextBKMode(BackgroundMode mode) {
    bkMode_ = mode;
    Surface().SetBackground(bkMode_, bkColor_);
}

void TBaseReport::SetBackgroundColor(Color color) {
    bkColor_ = color;
    Surface().SetBackground(bkMode_, bkColor_);
}

xbase::Status TBaseReport::SetCopies(int copies) {
    if (active_)
        return Refusal(kAlreadyPrinting);
    copies_ = copies;
    return {};
}

void TBaseReport::SetScaleX(double percent) {
    scaleX_ = percent;
    Surface().SetScale(scaleX_, scaleY_);
}

void TBaseReport::SetScaleY(double percent) {
    scaleY_ = percent;
    Surface().SetScale(scaleX_, scaleY_);
}

// --- Paper, area and cursor ---

double TBaseReport::PaperWidth() const {
    return ToUnits(geometry_.paperWidth);
}
double TBaseReport::PaperHeight() const {
    return ToUnits(geometry_.paperHeight);
}

double TBaseReport::AreaLeft() const {
    return ToUnits(areaLeft_);
}
double TBaseReport::AreaRight() const {
    return ToUnits(areaRight_);
}
double TBaseReport::AreaTop() const {
    return ToUnits(areaTop_);
}
double TBaseReport::AreaBottom() const {
    return ToUnits(areaBottom_);
}

void TBaseReport::SetAreaLeft(double x) {
    areaLeft_ = ToInches(x);
    cursorX_ = std::max(cursorX_, areaLeft_);
}

void TBaseReport::SetAreaRight(double x) {
    areaRight_ = ToInches(x);
    cursorX_ = std::min(cursorX_, areaRight_);
}

void TBaseReport::SetAreaTop(double y) {
    areaTop_ = ToInches(y);
    cursorY_ = std::max(cursorY_, areaTop_);
}

void TBaseReport::SetAreaBottom(double y) {
    areaBottom_ = ToInches(y);
    cursorY_ = std::min(cursorY_, areaBottom_);
}

void TBaseReport::ResetArea() {
    ApplyMargins();
}

void TBaseReport::ApplyMargins() {
    SetAreaLeft(ToUnits(margins_.left));
    SetAreaRight(ToUnits(geometry_.paperWidth - margins_.right));
    SetAreaTop(ToUnits(margins_.top));
    SetAreaBottom(ToUnits(geometry_.paperHeight - margins_.bottom));
}

double TBaseReport::CursorX() const {
    return ToUnits(cursorX_);
}
void TBaseReport::SetCursorX(double x) {
    cursorX_ = ToInches(x);
}
double TBaseReport::CursorY() const {
    return ToUnits(cursorY_);
}
void TBaseReport::SetCursorY(double y) {
    cursorY_ = ToInches(y);
}

void TBaseReport::MoveCursor(double x, double y) {
    SetCursorX(x);
    SetCursorY(y);
}

double TBaseReport::OriginX() const {
    return ToUnits(originX_);
}
void TBaseReport::SetOriginX(double x) {
    originX_ = ToInches(x);
}
double TBaseReport::OriginY() const {
    return ToUnits(originY_);
}
void TBaseReport::SetOriginY(double y) {
    originY_ = ToInches(y);
}

// --- Lines and columns ---

double TBaseReport::LineSpacing() const {
    return ToUnits(lineSpacing_);
}

void TBaseReport::SetLineSpacing(double spacing) {
    if (spacing > 0)
        lineSpacing_ = ToInches(spacing);
}

double TBaseReport::FontAscent() const {
    return ToUnits(ascent_);
}
double TBaseReport::FontDescent() const {
    return ToUnits(descent_);
}

void TBaseReport::GotoLine(int line) {
    lineNum_ = std::max(line, 1);
    cursorY_ = areaTop_ + lineNum_ * lineSpacing_ - descent_;
    cursorX_ = ColumnLeft();
    // A line begun anew starts before its first stop, as after a line advance: a page header
    // that prints its headings into the stops and goes back to the top of the area leaves the
    // first row its cells.
    ResetTabPosition();
}

void TBaseReport::GotoColumn(int column) {
    columnNum_ = std::max(column, 1);
    GotoLine(1);
}

void TBaseReport::SetColumns(int count) {
    columns_ = std::max(count, 1);
}

double TBaseReport::ColumnWidth() const {
    return ToUnits(columnWidth_ > 0 ? columnWidth_ : areaRight_ - areaLeft_);
}

void TBaseReport::SetColumnWidth(double width) {
    columnWidth_ = std::max(ToInches(width), 0.0);
}

double TBaseReport::ColumnLeft() const {
    return areaLeft_ + (columnNum_ - 1) * ToInches(ColumnWidth());
}

void TBaseReport::ToTopOfArea() {
    GotoColumn(1);
}

double TBaseReport::LineBottom() const {
    return cursorY_ + descent_;
}

void TBaseReport::AdvanceLine() {
    UpdateLineMetrics();
    if (columnNum_ >= columns_ || LinesRemaining() > 1) {
        cursorX_ = ColumnLeft();
        cursorY_ += lineSpacing_;
        ++lineNum_;
    } else {
        GotoColumn(columnNum_ + 1);
        Fire(OnNewColumn);
    }
    ResetTabPosition();
    if (LineBottom() > areaBottom_ + kSamePlace)
        Fire(OnEndOfSection);
}

int TBaseReport::LinesRemaining() const {
    const double room = areaBottom_ - LineBottom();
    if (room < -kSamePlace)
        return 0;
    return static_cast<int>(std::trunc(room / lineSpacing_ + kSamePlace)) + 1;
}

void TBaseReport::UpdateLineMetrics() {
    const LineMetrics metrics = Surface().FontMetrics();
    ascent_ = metrics.ascent;
    descent_ = metrics.descent;
    if (lineHeightMethod_ == TLineHeightMethod::lhmLinesPerInch)
        lineSpacing_ = 1.0 / linesPerInch_;
    if (lineHeightMethod_ == TLineHeightMethod::lhmFont)
        lineSpacing_ = font_.size / 60;
    LineMetricsUpdated();
}

// --- Font, pen and brush ---

void TBaseReport::FontChanged() {
    Surface().SetFont(font_);
    UpdateLineMetrics();
}

void TBaseReport::SelectFont(std::string_view name, double size) {
    if (!(size > 0))
        return;
    const TextAlign align = font_.align;
    font_ = ReportFont{};
    font_.name = std::string(name.substr(0, kMaxFontName));
    font_.size = size;
    font_.align = align;
    FontChanged();
}

void TBaseReport::SetFontBold(bool on) {
    font_.bold = on;
    FontChanged();
}

void TBaseReport::SetFontItalic(bool on) {
    font_.italic = on;
    FontChanged();
}

void TBaseReport::SetFontUnderline(bool on) {
    font_.underline = on;
    FontChanged();
}

void TBaseReport::SetFontStrikeOut(bool on) {
    font_.strikeOut = on;
    FontChanged();
}

void TBaseReport::SetFontSuperscript(bool on) {
    font_.superscript = on;
    if (on)
        font_.subscript = false;
    FontChanged();
}

void TBaseReport::SetFontSubscript(bool on) {
    font_.subscript = on;
    if (on)
        font_.superscript = false;
    FontChanged();
}

void TBaseReport::SetFontColor(Color color) {
    font_.color = color;
    FontChanged();
}

void TBaseReport::SetFontPitch(FontPitch pitch) {
    font_.pitch = pitch;
    FontChanged();
}

void TBaseReport::SetFontSize(double size) {
    if (!(size > 0))
        return;
    font_.size = size;
    FontChanged();
}

void TBaseReport::SetFontRotation(int degrees) {
    font_.rotation = (degrees % 360 + 360) % 360;
    FontChanged();
}

void TBaseReport::SetFontAlign(TextAlign align) {
    font_.align = align;
    FontChanged();
}

void TBaseReport::SetPen(const ReportPen& pen) {
    pen_ = pen;
    Surface().SetPen(pen_);
}

void TBaseReport::SetBrush(const ReportBrush& brush) {
    brush_ = brush;
    Surface().SetBrush(brush_);
}

// --- Printing ---

xbase::Status TBaseReport::Drawing() const {
    if (!active_)
        return Refusal(kNotPrinting);
    return {};
}

bool TBaseReport::OutputOn() const {
    if (skipPage_)
        return false;
    switch (destination_) {
        case Destination::Both:
            return true;
        case Destination::ScreenOnly:
            return DestKind() != TDestKind::Printer;
        case Destination::PrinterOnly:
            return DestKind() != TDestKind::Preview;
    }
    return true;
}

Point TBaseReport::At(double xInches, double yInches) const {
    return {xInches + originX_, yInches + originY_};
}

double TBaseReport::TextWidth(std::string_view text) {
    return ToUnits(Surface().TextWidth(text));
}

void TBaseReport::DrawLeft(std::string_view text, double x) {
    const double width = Surface().TextWidth(text);
    if (OutputOn() && !text.empty()) {
        const Point at = At(x, cursorY_);
        Surface().PrintLeft(at.x, at.y, text);
    }
    cursorX_ = x + width;
}

void TBaseReport::DrawRight(std::string_view text, double x) {
    if (OutputOn() && !text.empty()) {
        const Point at = At(x, cursorY_);
        Surface().PrintRight(at.x, at.y, text);
    }
    cursorX_ = x;
}

void TBaseReport::DrawCentred(std::string_view text, double x) {
    const double width = Surface().TextWidth(text);
    if (OutputOn() && !text.empty()) {
        const Point at = At(x, cursorY_);
        Surface().PrintCentred(at.x, at.y, text);
    }
    cursorX_ = x + width / 2;
}

void TBaseReport::DrawBlock(std::string_view text, double x, double width) {
    if (OutputOn() && !text.empty()) {
        const Point at = At(x, cursorY_);
        Surface().PrintBlock(at.x, at.y, width, text);
    }
    cursorX_ = x + width;
}

xbase::Status TBaseReport::PrintAt(std::string_view text, double x) {
    if (auto status = Drawing(); !status)
        return status;
    DrawLeft(text, ToInches(x));
    return {};
}

xbase::Status TBaseReport::PrintRightAt(std::string_view text, double x) {
    if (auto status = Drawing(); !status)
        return status;
    DrawRight(text, ToInches(x));
    return {};
}

xbase::Status TBaseReport::PrintCentredAt(std::string_view text, double x) {
    if (auto status = Drawing(); !status)
        return status;
    DrawCentred(text, ToInches(x));
    return {};
}

xbase::Status TBaseReport::PrintJustified(std::string_view text, double x, double width) {
    if (auto status = Drawing(); !status)
        return status;
    DrawBlock(text, ToInches(x), ToInches(width));
    return {};
}

void TBaseReport::PrintPart(std::string_view part) {
    if (tabIndex_ < 0 || !cellPending_ || tabIndex_ >= static_cast<int>(tabs_->size())) {
        DrawLeft(part, cursorX_);
        return;
    }
    const TTabStop& stop = (*tabs_)[static_cast<std::size_t>(tabIndex_)];
    const double left = stop.position + (columnNum_ - 1) * ToInches(ColumnWidth());
    cellPending_ = false;
    switch (stop.justify) {
        case TPrintJustify::pjCenter:
            DrawCentred(part, left + stop.width / 2);
            break;
        case TPrintJustify::pjLeft:
            DrawLeft(part, left + stop.margin);
            break;
        case TPrintJustify::pjRight:
            DrawRight(part, left + stop.width - stop.margin);
            break;
        case TPrintJustify::pjBlock:
            if (stop.HasCell())
                DrawBlock(part, left + stop.margin, stop.width - 2 * stop.margin);
            else
                DrawLeft(part, left + stop.margin);
            break;
    }
}

xbase::Status TBaseReport::PrintText(std::string_view text) {
    if (auto status = Drawing(); !status)
        return status;
    while (true) {
        const auto tab = text.find('\t');
        PrintPart(text.substr(0, tab));
        if (tab == std::string_view::npos)
            return {};
        NextTabStop();
        text.remove_prefix(tab + 1);
    }
}

xbase::Status TBaseReport::PrintTextLine(std::string_view text) {
    auto status = PrintText(text);
    if (status)
        AdvanceLine();
    return status;
}

xbase::Status TBaseReport::PrintMemo(std::string_view buffer, std::size_t printStart,
                                     std::size_t printEnd) {
    if (auto status = Drawing(); !status)
        return status;
    if (printEnd <= printStart)
        return Refusal(kMemoBufferRange);
    if (printStart >= buffer.size())
        return {};
    std::string_view text = buffer.substr(printStart, printEnd - printStart);
    while (true) {
        const auto end = text.find('\n');
        std::string_view paragraph = text.substr(0, end);
        if (!paragraph.empty() && paragraph.back() == '\r')
            paragraph.remove_suffix(1);
        PrintParagraph(paragraph);
        if (end == std::string_view::npos)
            return {};
        text.remove_prefix(end + 1);
    }
}

// Greedy wrapping: as many words as fit, and a word wider than the column alone is cut
// between characters, so every line holds something and the loop always moves on.
void TBaseReport::PrintParagraph(std::string_view paragraph) {
    const double width = ToInches(ColumnWidth());
    ReportSurface& surface = Surface();
    do {
        std::size_t fits = 0;  // length of the longest prefix ending before a space that fits
        for (std::size_t space = paragraph.find(' ');; space = paragraph.find(' ', space + 1)) {
            const std::size_t end = std::min(space, paragraph.size());
            if (end > 0 && surface.TextWidth(paragraph.substr(0, end)) > width)
                break;
            fits = end;
            if (space == std::string_view::npos)
                break;
        }
        if (fits == 0 && !paragraph.empty()) {
            fits = 1;
            while (fits < paragraph.size() &&
                   surface.TextWidth(paragraph.substr(0, fits + 1)) <= width)
                ++fits;
        }
        DrawLeft(paragraph.substr(0, fits), ColumnLeft());
        AdvanceLine();
        paragraph.remove_prefix(fits);
        while (!paragraph.empty() && paragraph.front() == ' ')
            paragraph.remove_prefix(1);
    } while (!paragraph.empty());
}

// --- Tab stops ---

void TBaseReport::AddTabStop(double position, TPrintJustify justify, double width, int margin,
                             int borders, int shade) {
    TTabStop stop;
    if (position < 0) {
        stop.position =
            tabs_->empty() ? margins_.left : tabs_->back().position + tabs_->back().width;
    } else {
        stop.position = ToInches(position);
    }
    stop.justify = justify;
    stop.width = std::max(ToInches(width), 0.0);
    stop.margin = margin / 100.0;
    stop.borders = borders & (kBorderLeft | kBorderRight | kBorderTop | kBorderBottom);
    stop.shade = std::max(shade, 0);
    if (tabs_.use_count() > 1)
        tabs_ = std::make_shared<std::vector<TTabStop>>(*tabs_);
    tabs_->push_back(stop);
}

void TBaseReport::ClearTabStops() {
    tabs_ = std::make_shared<std::vector<TTabStop>>();
    ResetTabPosition();
}

void TBaseReport::SaveTabStops() {
    savedTabs_.push_back(tabs_);
}

bool TBaseReport::RestoreTabStops() {
    if (savedTabs_.empty())
        return false;
    tabs_ = std::move(savedTabs_.back());
    savedTabs_.pop_back();
    ResetTabPosition();
    return true;
}

void TBaseReport::ResetTabPosition() {
    tabIndex_ = -1;
    cellPending_ = false;
}

double TBaseReport::CellTextStart() const {
    if (tabIndex_ < 0 || tabIndex_ >= static_cast<int>(tabs_->size()))
        return 0;
    const TTabStop& stop = (*tabs_)[static_cast<std::size_t>(tabIndex_)];
    return ToUnits(stop.position + stop.margin);
}

double TBaseReport::CellTextWidth() const {
    if (tabIndex_ < 0 || tabIndex_ >= static_cast<int>(tabs_->size()))
        return 0;
    const TTabStop& stop = (*tabs_)[static_cast<std::size_t>(tabIndex_)];
    return ToUnits(stop.width - 2 * stop.margin);
}

xbase::Status TBaseReport::NextTabStop(const TabCellOverride& override) {
    if (auto status = Drawing(); !status)
        return status;
    if (skipPage_)
        return {};
    const int count = static_cast<int>(tabs_->size());
    tabIndex_ = std::min(tabIndex_ + 1, count);
    cellPending_ = tabIndex_ < count;
    if (!cellPending_)
        return {};
    const TTabStop& stop = (*tabs_)[static_cast<std::size_t>(tabIndex_)];
    if (stop.HasCell() && OutputOn())
        DrawCell(stop, override);
    return {};
}

void TBaseReport::DrawCell(const TTabStop& stop, const TabCellOverride& override) {
    const double left = stop.position + (columnNum_ - 1) * ToInches(ColumnWidth());
    const double right = left + stop.width;
    const double bottom = LineBottom();
    const double top = bottom - lineSpacing_;
    ReportSurface& surface = Surface();

    const int shade = override.shade ? *override.shade : stop.shade > 0 ? stop.shade : tabShade_;
    if (shade > 0) {
        surface.SetPen({pen_.color, pen_.mode, PenStyle::Clear, pen_.width});
        surface.SetBrush({ShadeColor(shade, shadeBase_), BrushStyle::Solid});
        surface.SetBackground(BackgroundMode::Transparent, bkColor_);
        surface.ShadeBox(At(left, top), At(right, bottom));
        surface.SetPen(pen_);
        surface.SetBrush(brush_);
        surface.SetBackground(bkMode_, bkColor_);
    }
    DrawBorder(override.left, stop.borders & kBorderLeft, {left, top}, {left, bottom});
    DrawBorder(override.right, stop.borders & kBorderRight, {right, top}, {right, bottom});
    DrawBorder(override.top, stop.borders & kBorderTop, {left, top}, {right, top});
    DrawBorder(override.bottom, stop.borders & kBorderBottom, {left, bottom}, {right, bottom});
}

void TBaseReport::DrawBorder(std::optional<int> width, bool flag, Point from, Point to) {
    if (width ? *width == 0 : !flag)
        return;
    ReportSurface& surface = Surface();
    if (width) {
        const double inches = *width < 0 ? -*width / 1000.0 : *width / double(geometry_.dpiX);
        surface.SetPen({kBlack, PenMode::Copy, PenStyle::Solid, inches});
    }
    surface.MoveTo(At(from.x, from.y));
    surface.LineTo(At(to.x, to.y));
    if (width)
        surface.SetPen(pen_);
}

// --- Shapes ---

xbase::Status TBaseReport::DrawBox(double x1, double y1, double x2, double y2) {
    if (auto status = Drawing(); !status)
        return status;
    if (OutputOn())
        Surface().Rectangle(At(ToInches(x1), ToInches(y1)), At(ToInches(x2), ToInches(y2)));
    return {};
}

xbase::Status TBaseReport::DrawMoveTo(double x, double y) {
    if (auto status = Drawing(); !status)
        return status;
    if (OutputOn())
        Surface().MoveTo(At(ToInches(x), ToInches(y)));
    return {};
}

xbase::Status TBaseReport::DrawLineTo(double x, double y) {
    if (auto status = Drawing(); !status)
        return status;
    if (OutputOn())
        Surface().LineTo(At(ToInches(x), ToInches(y)));
    return {};
}

xbase::Status TBaseReport::ClipText(double left, double top, double right, double bottom, double x,
                                    double y, std::string_view text) {
    if (auto status = Drawing(); !status)
        return status;
    if (OutputOn()) {
        const Rect clip{At(ToInches(left), ToInches(top)), At(ToInches(right), ToInches(bottom))};
        Surface().ClipText(clip, At(ToInches(x), ToInches(y)), text);
    }
    return {};
}

xbase::Status TBaseReport::SelectDestination(Destination destination) {
    if (auto status = Drawing(); !status)
        return status;
    destination_ = destination;
    Surface().SelectDestination(destination);
    return {};
}

// --- The run ---

void TBaseReport::Fire(const std::function<void(TBaseReport&)>& event) {
    if (event)
        event(*this);
}

void TBaseReport::NoteFailure(const xbase::Status& status) {
    if (failure_.ok() && !status.ok())
        failure_ = status;
}

void TBaseReport::SetGeometry(const DeviceGeometry& geometry) {
    geometry_ = geometry;
    ApplyMargins();
}

void TBaseReport::UpdateSkip() {
    skipPage_ = aborted_ || !PageSelected(pageSelection_, firstPage_, lastPage_, pageNumber_);
}

void TBaseReport::ResetDrawingState() {
    brush_ = {kBlack, BrushStyle::Clear};
    pen_ = {kBlack, PenMode::Copy, PenStyle::Solid, 1.0 / geometry_.dpiX};
    destination_ = Destination::Both;
    originX_ = 0;
    originY_ = 0;
    ClearTabStops();
    ResetArea();
    ReportSurface& surface = Surface();
    surface.SetBrush(brush_);
    surface.SetPen(pen_);
    surface.SetBackground(bkMode_, bkColor_);
    surface.SetScale(scaleX_, scaleY_);
    FontChanged();
    ToTopOfArea();
}

void TBaseReport::RefreshStatus() {
    if (!OnStatus)
        return;
    const DeviceNames names = Names();
    StatusFields fields{statusText_, names.device, names.driver, names.port,
                        firstPage_,  lastPage_,    pageNumber_};
    OnStatus(FormatStatus(statusFormat_, fields));
}

xbase::Status TBaseReport::Begin() {
    if (active_)
        return Refusal(kAlreadyPrinting);
    aborted_ = false;
    skipPage_ = false;
    failure_ = {};
    pageNumber_ = 0;
    Fire(OnBeforePrint);
    if (auto status = OpenOutput(); !status) {
        NoteFailure(status);
        return status;
    }
    active_ = true;
    ResetDrawingState();
    pageNumber_ = 1;
    UpdateSkip();
    if (auto status = PageStarted(); !status) {
        NoteFailure(status);
        return status;
    }
    RefreshStatus();
    Fire(OnNewPage);
    Fire(OnPrintHeader);
    return {};
}

xbase::Status TBaseReport::StartNewPage() {
    if (auto status = Drawing(); !status)
        return status;
    Fire(OnPrintFooter);
    auto ending = PageEnding();
    NoteFailure(ending);
    ++pageNumber_;
    RefreshStatus();
    UpdateSkip();
    originX_ = 0;
    originY_ = 0;
    ResetTabPosition();
    ResetArea();
    if (columns_ > 1)
        Fire(OnNewColumn);
    ToTopOfArea();
    auto started = PageStarted();
    NoteFailure(started);
    Fire(OnNewPage);
    Fire(OnPrintHeader);
    return !ending ? ending : started;
}

xbase::Status TBaseReport::End() {
    if (auto status = Drawing(); !status)
        return status;
    if (!aborted_)
        Fire(OnPrintFooter);
    auto status = CloseOutput();
    NoteFailure(status);
    active_ = false;
    Fire(OnAfterPrint);
    return status;
}

void TBaseReport::AbortReport() {
    aborted_ = true;
    skipPage_ = true;
}

xbase::Status TBaseReport::RunReport() {
    auto begun = Begin();
    if (!active_)
        return begun;
    if (begun) {
        if (OnPrint || !OnPrintPage) {
            Fire(OnPrint);
        } else {
            while (OnPrintPage(*this, pageNumber_) && !aborted_)
                if (!StartNewPage())
                    break;
        }
    }
    End();
    return failure_;
}

}  // namespace report
