// Byte layout of the report stream: the header, the page records and every command code with its
// operands, as offset / size / meaning tables. The recorder writes it, the reader checks it.
#pragma once

#include <cstdint>
#include <string_view>

namespace report::stream {

// Field types, all little-endian:
//   byte     1      unsigned
//   word     2      16-bit integer, read unsigned
//   long     4      32-bit signed integer
//   real     4      IEEE single precision; the engine's doubles are narrowed on the way in
//   text     1 + n  a length byte n, then n Windows-1252 characters (at most 255)
//   point    8      two reals, x then y, inches from the paper's top-left corner, the report's
//                   origin offset included
//   rect     16     two points, top left then bottom right
//   graphic  1+4+n  a kind byte (1 bitmap, 2 metafile, 3 icon, 4 other), a long n, n bytes of the
//                   graphic's own saved form
constexpr int kMaxText = 255;

// The stream: one report header, then the page records one after another, each followed by its
// commands and ended by kEndPage. Nothing follows the last page; its "next" field stays 0.

// Report header (code 89), at offset 0:
//   off size meaning
//    0   1   kHeader
//    1   2   page count: written as 0, filled in when the report ends
//    3   2   first page of the recording report
//    5   2   last page
//    7   4   paper width, inches (real)
//   11   4   paper height
//   15  16   unprintable left, right, top, bottom borders (4 reals)
//   31   1   orientation (0 portrait, 1 landscape, 2 the device's default)
//   32   2   paper bin (265 without a printer)
//   34   1   collate, 0 or 1
//   35   1   duplex: 0 simplex, 1 and 2 the two duplex modes
//   36   2   copies
//   38   2   paper size code (1 without a printer)
//   40   2   custom paper width field of the device (0 without a printer)
//   42   2   custom paper length field
//   44 1+n   title (text)
constexpr int kHeaderFixedSize = 44;
constexpr int kHeaderOffPageCount = 1;
constexpr int kHeaderOffFirstPage = 3;
constexpr int kHeaderOffLastPage = 5;
constexpr int kHeaderOffPaperWidth = 7;
constexpr int kHeaderOffPaperHeight = 11;
constexpr int kHeaderOffBorders = 15;
constexpr int kHeaderOffOrientation = 31;
constexpr int kHeaderOffPaperBin = 32;
constexpr int kHeaderOffCollate = 34;
constexpr int kHeaderOffDuplex = 35;
constexpr int kHeaderOffCopies = 36;
constexpr int kHeaderOffPaperSize = 38;
constexpr int kHeaderOffCustomWidth = 40;
constexpr int kHeaderOffCustomLength = 42;
constexpr int kHeaderOffTitle = 44;

constexpr std::uint16_t kNoPrinterPaperBin = 265;

// Page record (code 80), at the start of every output page:
//   off size meaning
//    0   1   kPageStart
//    1   4   stream offset of the previous page record; 0 on the first page
//    5   4   stream offset of the next page record; written as 0, filled in when the page ends,
//            0 on the last page
//    9   2   running number of the output page, from 1
//   11   4   paper width, inches (real)
//   15   4   paper height
// The two offsets link the pages both ways; they are the stream's only page index. Right after
// the record the whole drawing state follows, whatever came before (kPageStateOrder).
constexpr int kPageRecordSize = 19;
constexpr int kPageOffPrevious = 1;
constexpr int kPageOffNext = 5;
constexpr int kPageOffNumber = 9;
constexpr int kPageOffPaperWidth = 11;
constexpr int kPageOffPaperHeight = 15;

// Command codes. Operand layouts are in kLayouts below.
enum class Code : std::uint8_t {
    Arc = 1,
    BrushCopy = 2,
    Chord = 3,
    CopyRect = 4,  // never written: recording refuses it
    DrawGraphic = 5,
    FocusRect = 6,
    Ellipse = 7,
    FillRect = 8,
    FloodFill = 9,
    FrameRect = 10,
    LineTo = 11,
    MoveTo = 12,
    Pie = 13,
    Polygon = 14,
    Polyline = 15,
    GraphicAtSize = 16,   // always preceded by GraphicMode
    GraphicCorners = 17,  // likewise
    Rectangle = 18,
    ShadeBox = 19,
    RoundRect = 20,
    StretchGraphic = 21,
    ClipText = 22,
    PrintCentred = 23,
    PrintLeft = 24,
    PrintRight = 25,
    BackgroundMode = 26,
    BackgroundColor = 27,
    ScaleX = 28,  // read and ignored when played
    ScaleY = 29,
    RawText = 30,
    RawData = 31,
    PrintBlockOld = 32,  // read only; recording writes PrintBlock
    PrintBlock = 33,
    GraphicMode = 34,
    Brush = 40,  // read only
    BrushColor = 41,
    BrushStyle = 42,
    BrushBitmap = 43,
    Font = 50,  // read only
    FontName = 51,
    FontColor = 52,
    FontPitch = 53,
    FontSize = 54,
    FontBold = 55,
    FontUnderline = 56,
    FontItalic = 57,
    FontStrikeOut = 58,
    FontSuperscript = 59,
    FontSubscript = 60,
    FontRotation = 61,
    FontAlign = 62,
    Pen = 70,  // read only
    PenColor = 71,
    PenMode = 72,
    PenStyle = 73,
    PenWidth = 74,
    PageStart = 80,
    EndPage = 82,
    LineMetrics = 83,
    ScreenOnly = 84,
    PrinterOnly = 85,
    BothDestinations = 86,
    Orientation = 87,
    PaperBin = 88,
    Header = 89,
    Shape201 = 201,
    Shape202 = 202,
    Shape203 = 203,
    Shape204 = 204,
    Shape205 = 205,
    Shape206 = 206,
    Shape207 = 207,
};

// Operands of each command, one letter per field in order:
//   b byte   w word   l long   r real   p point (a rect is "pp")   t text   g graphic
//   n  a word n, then n + 1 points (n is the last index)
//   d  a long n, then n raw bytes
//   f  a byte flag; when it is 1 a graphic follows
// The header and the page record have their own tables above and are not listed here.
struct Layout {
    Code code;
    std::string_view operands;
};

inline constexpr Layout kLayouts[] = {
    {Code::Arc, "pppp"},          // bounding box corners, start point, end point
    {Code::BrushCopy, "gppppl"},  // bitmap, destination, source, transparent colour
    {Code::Chord, "pppp"},
    {Code::CopyRect, "pplpp"},   // destination, source canvas, source
    {Code::DrawGraphic, "grr"},  // at (x, y)
    {Code::FocusRect, "pp"},
    {Code::Ellipse, "pp"},
    {Code::FillRect, "pp"},
    {Code::FloodFill, "rrll"},  // x, y, colour, fill style
    {Code::FrameRect, "pp"},
    {Code::LineTo, "p"},
    {Code::MoveTo, "p"},
    {Code::Pie, "pppp"},
    {Code::Polygon, "n"},
    {Code::Polyline, "n"},
    {Code::GraphicAtSize, "gprr"},  // top left, width, height
    {Code::GraphicCorners, "gpp"},
    {Code::Rectangle, "pp"},
    {Code::ShadeBox, "pp"},
    {Code::RoundRect, "pprr"},  // corners, corner ellipse width and height
    {Code::StretchGraphic, "gpp"},
    {Code::ClipText, "pppt"},     // clipping rectangle, top left of the text, text
    {Code::PrintCentred, "rtr"},  // baseline y, text, x
    {Code::PrintLeft, "rtr"},
    {Code::PrintRight, "rtr"},
    {Code::BackgroundMode, "b"},
    {Code::BackgroundColor, "l"},
    {Code::ScaleX, "r"},  // percent
    {Code::ScaleY, "r"},
    {Code::RawText, "t"},
    {Code::RawData, "d"},
    {Code::PrintBlockOld, "rtrr"},  // baseline y, text, x, width
    {Code::PrintBlock, "rtrr"},
    {Code::GraphicMode, "b"},
    {Code::Brush, "lbf"},  // colour, style, bitmap
    {Code::BrushColor, "l"},
    {Code::BrushStyle, "b"},
    {Code::BrushBitmap, "f"},
    {Code::Font, "tlbrbbbbw"},  // name, colour, pitch, size (inches), bold, italic, underline,
                                // strike-out, rotation
    {Code::FontName, "t"},
    {Code::FontColor, "l"},
    {Code::FontPitch, "b"},
    {Code::FontSize, "rr"},  // size in inches, reference width of kFontSample
    {Code::FontBold, "b"},
    {Code::FontUnderline, "b"},
    {Code::FontItalic, "b"},
    {Code::FontStrikeOut, "b"},
    {Code::FontSuperscript, "b"},
    {Code::FontSubscript, "b"},
    {Code::FontRotation, "w"},  // degrees
    {Code::FontAlign, "b"},
    {Code::Pen, "lbbr"},  // colour, mode, style, width in inches
    {Code::PenColor, "l"},
    {Code::PenMode, "b"},
    {Code::PenStyle, "b"},
    {Code::PenWidth, "r"},  // inches
    {Code::EndPage, ""},
    {Code::LineMetrics, "rrr"},  // ascent, descent, line spacing, inches
    {Code::ScreenOnly, ""},
    {Code::PrinterOnly, ""},
    {Code::BothDestinations, ""},
    {Code::Orientation, "b"},
    {Code::PaperBin, "t"},  // bin name
    {Code::Shape201, "pp"},
    {Code::Shape202, "pprr"},
    {Code::Shape203, "pp"},
    {Code::Shape204, "n"},
    {Code::Shape205, ""},
    {Code::Shape206, ""},
    {Code::Shape207, ""},
};

// The operand letters of a code; false for a code outside the table (and for the header and
// page record, which are not commands).
constexpr bool OperandsOf(std::uint8_t code, std::string_view& operands) {
    for (const Layout& l : kLayouts) {
        if (static_cast<std::uint8_t>(l.code) == code) {
            operands = l.operands;
            return true;
        }
    }
    return false;
}

// The drawing state written after every page record, in this order.
inline constexpr Code kPageStateOrder[] = {
    Code::BrushColor,    Code::BrushStyle,     Code::BrushBitmap,     Code::FontName,
    Code::FontColor,     Code::FontPitch,      Code::FontSize,        Code::FontBold,
    Code::FontItalic,    Code::FontUnderline,  Code::FontStrikeOut,   Code::FontSuperscript,
    Code::FontSubscript, Code::FontRotation,   Code::FontAlign,       Code::PenColor,
    Code::PenMode,       Code::PenStyle,       Code::PenWidth,        Code::ScaleX,
    Code::ScaleY,        Code::BackgroundMode, Code::BackgroundColor,
};

// Code 54's reference text: its width in the recording font (x 100 / horizontal scale) lets a
// player shrink a font that runs wider on its own device.
constexpr std::string_view kFontSample =
    "abcdefg hijklmnop qrstuv wxyz ABCDEFG HIJKLMNOP QRSTUV WXYZ 0123456789";

// A text starting with this marker is a command to the printer's driver, not words: it is always
// recorded as it was drawn, never re-spread over a measured width.
constexpr std::string_view kRawCommandMarker = "\xFD$RCMD";

// Writes go through a buffer of this size; a block larger than it goes straight to the stream.
constexpr int kWriteBufferSize = 16384;

// The one message of every malformed stream.
constexpr std::string_view kUnexpectedCode = "Unexpected code found in report file.";

}  // namespace report::stream
