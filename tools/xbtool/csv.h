// RFC 4180 comma-separated values: reading rows (quoted cells may hold line breaks) and
// writing cells quoted when they need it.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace xbtool {

// Reads the next row; false at the end of the input. `error` is set for a quote left open.
bool ReadCsvRow(std::istream& in, std::vector<std::string>& row, bool& error);
std::string CsvCell(const std::string& text);

}  // namespace xbtool
