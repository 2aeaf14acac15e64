// TBaseReport: the report model a report drives through a cursor and tab stops. It keeps units,
// margins, the area, the cursor and lines, the font, tab stops, pages and the status text, and
// draws through a ReportSurface that each kind of output (printer, stream, page image) provides.
#pragma once

#include "platform/xbase/status.h"
#include "report/model/report_surface.h"
#include "report/model/tab_stops.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace report {

enum class TPrintUnits : std::uint8_t { unInch, unMM, unCM, unPoint, unUser };
enum class TLineHeightMethod : std::uint8_t { lhmLinesPerInch, lhmFont, lhmUser };
enum class TOrientation : std::uint8_t { poPortrait = 0, poLandScape = 1, poDefault = 2 };

// What a kind of output is, for the destination selection and the status tokens.
enum class TDestKind : std::uint8_t { Printer = 0, Preview = 1, Stream = 2 };

// The paper and resolution of the device drawn on, in inches and dots per inch.
struct DeviceGeometry {
    double paperWidth = 8.5;  // the whole sheet, unprintable borders included
    double paperHeight = 11;
    double unprintableLeft = 0;
    double unprintableRight = 0;
    double unprintableTop = 0;
    double unprintableBottom = 0;
    int dpiX = 300;  // before a device is known
    int dpiY = 300;
    friend bool operator==(const DeviceGeometry&, const DeviceGeometry&) = default;
};

// Names the status tokens %D, %R and %T stand for.
struct DeviceNames {
    std::string device;
    std::string driver;
    std::string port;
};

// Per-call choices of NextTabStop that override the stop's own. A border width of 0 draws no
// border; any other is a black line, negative in thousandths of an inch, positive in device dots.
struct TabCellOverride {
    std::optional<int> shade = std::nullopt;
    std::optional<int> left = std::nullopt;
    std::optional<int> right = std::nullopt;
    std::optional<int> top = std::nullopt;
    std::optional<int> bottom = std::nullopt;
};

// Run sequence (RunReport):
//
//   idle --Begin()--> active, page 1 --StartNewPage()--> active, page n+1 --End()--> idle
//                        |                                                  ^
//                        +------------- AbortReport(): pages skipped -------+ (document abandoned)
//
// Lengths given to and read from the public operations are in Units (inches x UnitsFactor);
// inside, everything is held in inches from the paper's top-left corner.
class TBaseReport {
  public:
    TBaseReport();
    virtual ~TBaseReport();
    TBaseReport(const TBaseReport&) = delete;
    TBaseReport& operator=(const TBaseReport&) = delete;

    // Events. OnPrintPage gets the page number and answers whether more pages follow.
    std::function<void(TBaseReport&)> OnPrint;
    std::function<bool(TBaseReport&, int page)> OnPrintPage;
    std::function<void(TBaseReport&)> OnBeforePrint;
    std::function<void(TBaseReport&)> OnAfterPrint;
    std::function<void(TBaseReport&)> OnNewPage;
    std::function<void(TBaseReport&)> OnNewColumn;
    std::function<void(TBaseReport&)> OnPrintHeader;
    std::function<void(TBaseReport&)> OnPrintFooter;
    std::function<void(TBaseReport&)> OnEndOfSection;
    // Receives the status text; without it no status text is made.
    std::function<void(const std::string&)> OnStatus;

    // --- Settings (published properties) ---
    int FirstPage() const { return firstPage_; }
    void SetFirstPage(int page) { firstPage_ = page; }
    int LastPage() const { return lastPage_; }
    void SetLastPage(int page) { lastPage_ = page; }
    // "2-3,5", "4-", "-2"; empty: FirstPage to LastPage.
    const std::string& PageSelection() const { return pageSelection_; }
    void SetPageSelection(std::string selection) { pageSelection_ = std::move(selection); }

    const std::string& StatusFormat() const { return statusFormat_; }
    void SetStatusFormat(std::string format) { statusFormat_ = std::move(format); }
    const std::vector<std::string>& StatusText() const { return statusText_; }
    void SetStatusText(std::vector<std::string> lines) { statusText_ = std::move(lines); }

    TLineHeightMethod LineHeightMethod() const { return lineHeightMethod_; }
    void SetLineHeightMethod(TLineHeightMethod method);
    int LinesPerInch() const { return linesPerInch_; }
    void SetLinesPerInch(int lines);  // below 1: ignored

    TPrintUnits Units() const { return units_; }
    void SetUnits(TPrintUnits units);  // unUser keeps the factor
    double UnitsFactor() const { return unitsFactor_; }
    void SetUnitsFactor(double factor);  // 0 or less: ignored

    double MarginLeft() const;
    void SetMarginLeft(double margin);
    double MarginRight() const;
    void SetMarginRight(double margin);
    double MarginTop() const;
    void SetMarginTop(double margin);
    double MarginBottom() const;
    void SetMarginBottom(double margin);

    int TabShade() const { return tabShade_; }
    void SetTabShade(int percent);  // kept within 0..100
    // The colour a shade percentage lightens towards white (black at creation).
    Color ShadeBaseColor() const { return shadeBase_; }
    void SetShadeBaseColor(Color color) { shadeBase_ = color; }

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    BackgroundMode TextBKMode() const { return bkMode_; }
    void SetTextBKMode(BackgroundMode mode);
    Color BackgroundColor() const { return bkColor_; }
    void SetBackgroundColor(Color color);

    int Copies() const { return copies_; }
    xbase::Status SetCopies(int copies);  // refused during a run
    TOrientation Orientation() const { return orientation_; }
    virtual void SetOrientation(TOrientation orientation) { orientation_ = orientation; }

    double ScaleX() const { return scaleX_; }
    void SetScaleX(double percent);
    double ScaleY() const { return scaleY_; }
    void SetScaleY(double percent);

    // --- Paper, area and cursor (in units) ---
    double PaperWidth() const;
    double PaperHeight() const;

    double AreaLeft() const;
    void SetAreaLeft(double x);
    double AreaRight() const;
    void SetAreaRight(double x);
    double AreaTop() const;
    void SetAreaTop(double y);
    double AreaBottom() const;
    void SetAreaBottom(double y);
    void ResetArea();

    double CursorX() const;
    void SetCursorX(double x);
    double CursorY() const;
    void SetCursorY(double y);
    void MoveCursor(double x, double y);

    // Added to every position drawn; 0 at each page start.
    double OriginX() const;
    void SetOriginX(double x);
    double OriginY() const;
    void SetOriginY(double y);

    // --- Lines and columns ---
    double LineSpacing() const;
    void SetLineSpacing(double spacing);  // used with lhmUser
    double FontAscent() const;
    double FontDescent() const;
    int LineNum() const { return lineNum_; }
    void GotoLine(int line);  // line 1 and on, in the current column
    int ColumnNum() const { return columnNum_; }
    void GotoColumn(int column);  // puts the cursor on the column's line 1
    int Columns() const { return columns_; }
    void SetColumns(int count);  // 1 and up
    double ColumnWidth() const;  // the area's width unless set
    void SetColumnWidth(double width);
    void ToTopOfArea();
    void AdvanceLine();
    int LinesRemaining() const;

    // --- Font ---
    const ReportFont& Font() const { return font_; }
    void SelectFont(std::string_view name, double size);  // size <= 0: ignored
    void SetFontBold(bool on);
    void SetFontItalic(bool on);
    void SetFontUnderline(bool on);
    void SetFontStrikeOut(bool on);
    void SetFontSuperscript(bool on);  // clears subscript
    void SetFontSubscript(bool on);    // clears superscript
    void SetFontColor(Color color);
    void SetFontPitch(FontPitch pitch);
    void SetFontSize(double size);      // size <= 0: ignored
    void SetFontRotation(int degrees);  // kept modulo 360
    void SetFontAlign(TextAlign align);

    // --- Pen and brush ---
    const ReportPen& Pen() const { return pen_; }
    void SetPen(const ReportPen& pen);
    const ReportBrush& Brush() const { return brush_; }
    void SetBrush(const ReportBrush& brush);

    // --- Printing (x and width in units; on the current baseline) ---
    xbase::Status PrintAt(std::string_view text, double x);
    xbase::Status PrintRightAt(std::string_view text, double x);
    xbase::Status PrintCentredAt(std::string_view text, double x);
    xbase::Status PrintJustified(std::string_view text, double x, double width);
    // Splits at tabs: a part, NextTabStop, the next part...; each part into the pending cell,
    // else left at CursorX.
    xbase::Status PrintText(std::string_view text);
    xbase::Status PrintTextLine(std::string_view text);
    // The part printStart..printEnd of a buffer, its paragraphs (ended by line breaks) wrapped
    // at spaces to the current column's width, a line at a time from the cursor's line; each
    // line ends with AdvanceLine.
    xbase::Status PrintMemo(std::string_view buffer, std::size_t printStart, std::size_t printEnd);
    // Width of a text in the current font, in units.
    double TextWidth(std::string_view text);

    // --- Tab stops (positions and widths in units, margin in hundredths of an inch) ---
    // A negative position continues after the previous stop (or at the left margin); a width
    // of 0 or less makes a stop without a cell. `borders` are TabBorder flags.
    void AddTabStop(double position, TPrintJustify justify, double width, int margin, int borders,
                    int shade);
    void ClearTabStops();
    void SaveTabStops();
    bool RestoreTabStops();  // false when nothing is saved
    const std::vector<TTabStop>& TabStops() const { return *tabs_; }
    int TabIndex() const { return tabIndex_; }  // -1 before the first stop
    xbase::Status NextTabStop(const TabCellOverride& override = {});
    double CellTextStart() const;  // of the current stop: position + margin
    double CellTextWidth() const;  // width - 2 x margin

    // --- Shapes and clipped text (units) ---
    xbase::Status DrawBox(double x1, double y1, double x2, double y2);
    xbase::Status DrawMoveTo(double x, double y);
    xbase::Status DrawLineTo(double x, double y);
    xbase::Status ClipText(double left, double top, double right, double bottom, double x, double y,
                           std::string_view text);
    // Output that follows goes to the screen only, the printer only, or both.
    xbase::Status SelectDestination(Destination destination);

    // --- The run ---
    // Begin, then OnPrint (when set, or when OnPrintPage is not) or OnPrintPage with a new page
    // for as long as it answers true and the run is not aborted; End whenever Begin succeeded.
    // Answers the first failure of the run.
    virtual xbase::Status RunReport();
    virtual xbase::Status Begin();
    virtual xbase::Status StartNewPage();
    virtual xbase::Status End();
    void AbortReport();
    void RefreshStatus();

    bool Active() const { return active_; }
    bool Aborted() const { return aborted_; }
    int PageNumber() const { return pageNumber_; }
    // Whether the current page is left out of the output (outside the selection, or aborted).
    bool PageSkipped() const { return skipPage_; }
    // Whether drawing reaches the surface now: a page that is not skipped, and a destination
    // selection that includes this kind of output.
    bool OutputOn() const;
    const DeviceGeometry& Geometry() const { return geometry_; }

  protected:
    // The destination drawn on and measured with; it lives as long as the report.
    virtual ReportSurface& Surface() = 0;
    virtual TDestKind DestKind() const = 0;
    virtual DeviceNames Names() const { return {}; }

    // Output steps of the run, each answering a failure that stops it:
    // OpenOutput starts the document (and reads the device with SetGeometry); PageStarted
    // follows the base steps of each page start, page 1 included; PageEnding precedes them
    // (not for page 1); CloseOutput ends or, when aborted, abandons the document.
    virtual xbase::Status OpenOutput() = 0;
    virtual xbase::Status PageStarted() = 0;
    virtual xbase::Status PageEnding() { return {}; }
    virtual xbase::Status CloseOutput() = 0;
    // Called after the line metrics are refreshed (a recorder writes them).
    virtual void LineMetricsUpdated() {}

    // The device's paper and resolution; the margins are applied again.
    void SetGeometry(const DeviceGeometry& geometry);
    // Keeps the first failure met during the run; RunReport answers it.
    void NoteFailure(const xbase::Status& status);
    void SetPageNumber(int page) { pageNumber_ = page; }
    void SetActive(bool on) { active_ = on; }

    // Inches from units and back.
    double ToInches(double units) const { return units / unitsFactor_; }
    double ToUnits(double inches) const { return inches * unitsFactor_; }

  private:
    struct Margins {
        double left = 0;  // distances from the edges, inches
        double right = 0;
        double top = 0;
        double bottom = 0;
    };

    xbase::Status Drawing() const;
    void ResetDrawingState();
    void ApplyMargins();
    void FontChanged();
    void UpdateLineMetrics();
    void UpdateSkip();
    void ResetTabPosition();
    double LineBottom() const;
    double ColumnLeft() const;
    Point At(double xInches, double yInches) const;
    void Fire(const std::function<void(TBaseReport&)>& event);
    void PrintPart(std::string_view part);
    void PrintParagraph(std::string_view paragraph);
    // Inches in, like the public operations but after unit conversion.
    void DrawLeft(std::string_view text, double x);
    void DrawRight(std::string_view text, double x);
    void DrawCentred(std::string_view text, double x);
    void DrawBlock(std::string_view text, double x, double width);
    void DrawCell(const TTabStop& stop, const TabCellOverride& override);
    void DrawBorder(std::optional<int> width, bool flag, Point from, Point to);

    // Settings.
    int firstPage_ = 1;
    int lastPage_ = 9999;
    std::string pageSelection_;
    std::string statusFormat_ = "Printing page %p";
    std::vector<std::string> statusText_;
    TLineHeightMethod lineHeightMethod_ = TLineHeightMethod::lhmLinesPerInch;
    int linesPerInch_ = 6;
    TPrintUnits units_ = TPrintUnits::unInch;
    double unitsFactor_ = 1;
    int tabShade_ = 0;
    Color shadeBase_ = kBlack;
    std::string title_;
    BackgroundMode bkMode_ = BackgroundMode::Transparent;
    Color bkColor_ = kWhite;
    int copies_ = 1;
    TOrientation orientation_ = TOrientation::poDefault;
    double scaleX_ = 100;
    double scaleY_ = 100;

    // Paper and layout, inches.
    DeviceGeometry geometry_;
    Margins margins_;
    double areaLeft_ = 0;
    double areaRight_ = 0;
    double areaTop_ = 0;
    double areaBottom_ = 0;
    double cursorX_ = 0;
    double cursorY_ = 0;
    double originX_ = 0;
    double originY_ = 0;
    double ascent_ = 0;
    double descent_ = 0;
    double lineSpacing_ = 1.0 / 6;
    int lineNum_ = 1;
    int columnNum_ = 1;
    int columns_ = 1;
    double columnWidth_ = 0;  // 0: the area's width

    ReportFont font_;
    ReportPen pen_;
    ReportBrush brush_;

    TabStopList tabs_;
    std::vector<TabStopList> savedTabs_;
    int tabIndex_ = -1;
    bool cellPending_ = false;

    int pageNumber_ = 0;
    bool skipPage_ = false;
    bool aborted_ = false;
    bool active_ = false;
    Destination destination_ = Destination::Both;
    xbase::Status failure_;
};

}  // namespace report
