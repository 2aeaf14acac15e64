// Field values to and from their stored bytes: numbers, dates, logicals, memo pointers.
// Private to the engine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/xbase/expr.h"

namespace xbase {

// Right-aligned fixed notation in `width` with `decimals`; when it does not fit, decimals are
// dropped one at a time. False when even the whole number is too wide.
bool FormatNumber(double value, int width, int decimals, std::string& out);
// The number a stored N/F field holds (blank or unreadable: 0; `blank` tells which).
double ParseNumber(std::string_view stored, bool* blank = nullptr);

// Julian day numbers (0 = no date) of "yyyymmdd" texts and back.
double StoredDateToJulian(std::string_view stored);
std::string JulianToStoredDate(double julian);  // 8 blanks for 0 or out of range

// A stored "yyyymmdd" as the date format in force (sx_SetDateFormat code and century);
// a blank date gives the format with blanks for digits.
std::string FormatDateText(std::string_view stored, int dateFormat, bool century);
// A date text in that format to "yyyymmdd" (also takes "yyyymmdd" itself); false when it
// names no real date. An empty or blank text gives 8 blanks.
bool ParseDateText(std::string_view text, int dateFormat, std::string& stored);

// The block number a memo field holds: ASCII decimal (10 wide) or binary (4 wide, later
// family). False for bytes that are neither.
bool ParseMemoPointer(const char* bytes, int width, bool binary, std::uint32_t& block);
void PutMemoPointer(char* bytes, int width, bool binary, std::uint32_t block);

}  // namespace xbase
