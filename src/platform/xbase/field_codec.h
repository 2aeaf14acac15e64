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

// The later family's binary fields: I (4-byte signed LE integer), B (8-byte LE double),
// Y (currency: 8-byte signed LE count of ten-thousandths) and T (date-time: LE Julian day
// number, then LE milliseconds since midnight; all zero = blank). `width` must be the type's
// own (4 for I, 8 for the others) for the type to be one of them here.
bool IsBinaryNumberField(char type, int width);
bool IsDateTimeField(char type, int width);
double BinaryFieldNumber(char type, const char* bytes);  // I, B and Y
// False when the value does not fit the type (an I beyond 32 bits, a Y beyond 64).
bool PutBinaryFieldNumber(char type, double value, char* bytes);
// A date-time as a Julian day number with the time as its fraction (0 = blank).
double DateTimeToJulian(const char* bytes);
// False when `julian` is neither 0 nor a day of the years 1 to 9999.
bool PutDateTime(double julian, char* bytes);
// "yyyymmdd hh:mm:ss", or 17 blanks for a blank date-time.
std::string FormatDateTime(const char* bytes);
// An I, B or Y value as text: integers plainly, currency with its four decimals, doubles in
// as few digits as read back the same.
std::string FormatBinaryNumber(char type, const char* bytes);

// The block number a memo field holds: ASCII decimal (10 wide) or binary (4 wide, later
// family). False for bytes that are neither.
bool ParseMemoPointer(const char* bytes, int width, bool binary, std::uint32_t& block);
void PutMemoPointer(char* bytes, int width, bool binary, std::uint32_t block);

}  // namespace xbase
