// Text, number and date helpers behind the expression evaluator: case tables, the xBase
// text comparisons, STR and VAL, DTOS, DTOC and CTOD. Private to the engine.
#pragma once

#include <string>
#include <string_view>

#include "platform/xbase/expr.h"

namespace xbase::expr {

// Julian day number of 30 December 1899, the day a date value counts from.
inline constexpr double kJulianOffset = 2415019;
// The widest text STR may be asked for.
inline constexpr int kMaxStrLength = 255;

// The 256-byte upper-case table of the code page (for loops that fold byte by byte).
const unsigned char* UpperTable();
unsigned char UpperByte(unsigned char c);
unsigned char LowerByte(unsigned char c);
void UpperInto(std::string_view in, std::string& out);  // replaces `out`
void LowerInto(std::string_view in, std::string& out);

// How two texts are compared:
// kPrefix   SET EXACT OFF: the left side is cut to the right side's length first, so
//           "abc" = "ab" holds and "" on the right matches everything;
// kPadded   SET EXACT ON: the shorter side counts as padded with blanks;
// kIdentical the == operator: equal only when byte for byte the same.
enum class TextMatch { kPrefix, kPadded, kIdentical };
// Below, equal to or above zero as `left` sorts before, with or after `right` (bytes unsigned).
int CompareText(std::string_view left, std::string_view right, TextMatch match);

// The $ operator: an empty needle is contained nowhere.
bool Contains(std::string_view needle, std::string_view haystack);

bool IsBlankText(std::string_view text);            // only blanks, tabs, CRs and LFs (or nothing)
std::string_view TrimLeft(std::string_view text);   // leading blanks
std::string_view TrimRight(std::string_view text);  // trailing blanks

// VAL: leading blanks, a sign, digits and one decimal point; anything else ends the number,
// and text without digits reads as 0. Numeric fields are read the same way.
double ParseNumber(std::string_view text);

// STR(value, length, decimals) into `out`: right-aligned, rounded half away from zero; when
// the decimals do not fit they are dropped, and when the whole part does not fit the result is
// `length` asterisks. False (and `out` empty) for a length outside 1..kMaxStrLength.
bool FormatStr(double value, int length, int decimals, std::string& out);

// A date field's eight "yyyymmdd" bytes as a Julian day; 0 for blanks or no real date.
double DateFromDtos(std::string_view bytes);
void AppendDtos(double julianDay, std::string& out);  // 8 blanks for a blank date
// DTOC under the date format code and century of `settings`; a blank date keeps the shape
// with blanks for the digits ("  /  /  ").
void AppendDtoc(double julianDay, const EvalSettings& settings, std::string& out);
// CTOD: three groups of digits in the order of the date format; a year of one or two
// digits is of the 1900s. Anything that is not a real date gives 0 (a blank date).
double ParseCtod(std::string_view text, const EvalSettings& settings);

}  // namespace xbase::expr
