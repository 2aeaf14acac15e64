// RFC 4180 comma-separated values.
#include "csv.h"

namespace xbtool {

bool ReadCsvRow(std::istream& in, std::vector<std::string>& row, bool& error) {
    row.clear();
    error = false;
    int c = in.get();
    if (c == EOF) {
        return false;
    }
    std::string cell;
    bool quoted = false;
    bool wasQuoted = false;
    for (;; c = in.get()) {
        if (quoted) {
            if (c == EOF) {
                error = true;
                row.push_back(cell);
                return true;
            }
            if (c == '"') {
                if (in.peek() == '"') {
                    in.get();
                    cell.push_back('"');
                } else {
                    quoted = false;
                }
            } else {
                cell.push_back(static_cast<char>(c));
            }
            continue;
        }
        if (c == EOF || c == '\n' || c == '\r') {
            if (c == '\r' && in.peek() == '\n') {
                in.get();
            }
            row.push_back(cell);
            return true;
        }
        if (c == ',') {
            row.push_back(cell);
            cell.clear();
            wasQuoted = false;
        } else if (c == '"' && cell.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else {
            cell.push_back(static_cast<char>(c));
        }
    }
}

std::string CsvCell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') {
            out.push_back('"');
        }
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

}  // namespace xbtool
