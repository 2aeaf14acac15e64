// xbtool: the command-line face of the table engine, for people inspecting or repairing a
// task file and for the interoperability tests. UTF-8 on the terminal, Windows-1252 inside.
// Exit codes: 0 success, 1 usage error, 2 engine error (its message on standard error).
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "csv.h"
#include "index_commands.h"
#include "platform/xbase/file_system.h"
#include "platform/xbase/sx.h"
#include "platform/xbase/table.h"
#include "rtl/ansi.h"

using xbtool::CsvCell;
using xbtool::ReadCsvRow;

namespace {

constexpr int kOk = 0;
constexpr int kUsage = 1;
constexpr int kEngine = 2;

const char kUsageText[] =
    "usage: xbtool info FILE.DBF\n"
    "       xbtool create FILE.DBF \"NAME C(10); QTY N(6,2); BORN D; OK L; NOTES M\"\n"
    "       xbtool append FILE.DBF [FILE.CSV]\n"
    "       xbtool dump FILE.DBF\n"
    "       xbtool count FILE.DBF EXPR [--all]\n"
    "       xbtool list FILE.DBF EXPR [--all]\n"
    "       xbtool pack FILE.DBF\n"
    "       xbtool repair FILE.DBF\n";

int Usage(const std::string& why = {}) {
    if (!why.empty()) {
        std::cerr << "xbtool: " << why << "\n";
    }
    std::cerr << kUsageText << xbtool::kIndexUsage;
    return kUsage;
}

int EngineError(const std::string& context = {}) {
    std::string text = sx_LastStatus().message();
    if (text.empty()) {
        text = "engine error " + std::to_string(static_cast<int>(sx_LastStatus().code()));
    }
    std::cerr << "xbtool: " << (context.empty() ? "" : context + ": ") << rtl::AnsiToUtf8(text)
              << "\n";
    return kEngine;
}

std::string Trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) {
        return {};
    }
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

int Open(const std::string& path, int mode) {
    int area = sx_Use(rtl::Utf8ToAnsi(path), "", mode, 2);
    return area;
}

int Info(const std::string& path) {
    std::unique_ptr<xbase::Table> table;
    xbase::Status s =
        xbase::Table::Open(xbase::FileSystem::Default(), path, xbase::Access::kReadOnly, table);
    if (!s) {
        std::cerr << "xbtool: " << rtl::AnsiToUtf8(s.message()) << "\n";
        return kEngine;
    }
    int y, m, d;
    table->lastUpdate(y, m, d);
    std::printf("version: 0x%02X\n", table->fileType());
    std::printf("records: %u\n", table->count());
    std::printf("header length: %u\n", table->headerLength());
    std::printf("record length: %u\n", table->recordLength());
    std::printf("code page: 0x%02X\n", table->codePage());
    std::printf("last update: %04d-%02d-%02d\n", y, m, d);
    std::printf("memo: %s\n", table->hasMemo() ? table->memo()->path().c_str() : "none");
    std::printf("fields: %zu\n", table->fields().size());
    for (const auto& f : table->fields()) {
        std::printf("%-10s %c %3u %2u\n", f.name.c_str(), f.type, f.length, f.decimals);
    }
    return kOk;
}

// "NAME C(10); QTY N(6,2); BORN D; OK L; NOTES M"
bool ParseStructure(const std::string& text, std::vector<xbase::FieldSpec>& out, std::string& why) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        std::string item =
            Trim(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? text.size() + 1 : end + 1;
        if (item.empty()) {
            continue;
        }
        std::size_t space = item.find_first_of(" \t");
        if (space == std::string::npos) {
            why = "field \"" + item + "\" has no type";
            return false;
        }
        xbase::FieldSpec f;
        f.name = item.substr(0, space);
        std::string type = Trim(item.substr(space));
        f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(type[0])));
        std::string size = Trim(type.substr(1));
        switch (f.type) {
            case 'D':
                f.width = 8;
                break;
            case 'L':
                f.width = 1;
                break;
            case 'M':
                f.width = 10;
                break;
            default:
                break;
        }
        if (!size.empty()) {
            if (size.front() != '(' || size.back() != ')') {
                why = "field \"" + f.name + "\": size must read (width) or (width,decimals)";
                return false;
            }
            int width = 0, decimals = 0;
            char extra = 0;
            int n = std::sscanf(size.c_str(), "(%d,%d)%c", &width, &decimals, &extra);
            if (n < 1 || n > 2 ||
                (n == 1 && std::sscanf(size.c_str(), "(%d)%c", &width, &extra) != 1)) {
                why = "field \"" + f.name + "\": bad size " + size;
                return false;
            }
            f.width = width;
            f.decimals = n >= 2 ? decimals : 0;
        } else if (f.type == 'C' || f.type == 'N' || f.type == 'F') {
            why = "field \"" + f.name + "\" needs a width";
            return false;
        }
        out.push_back(f);
    }
    if (out.empty()) {
        why = "no fields";
        return false;
    }
    return true;
}

int Create(const std::string& path, const std::string& structure) {
    std::vector<xbase::FieldSpec> fields;
    std::string why;
    if (!ParseStructure(structure, fields, why)) {
        return Usage(why);
    }
    if (sx_CreateNew(rtl::Utf8ToAnsi(path), "", 2, static_cast<int>(fields.size())) == 0) {
        return EngineError();
    }
    for (const auto& f : fields) {
        if (!sx_CreateField(f.name, std::string(1, f.type), f.width, f.decimals)) {
            return EngineError();
        }
    }
    if (sx_CreateExec() == 0) {
        return EngineError();
    }
    return sx_Close() ? kOk : EngineError();
}

int Append(const std::string& path, const std::string& csvPath) {
    std::ifstream file;
    std::istream* in = &std::cin;
    if (!csvPath.empty()) {
        file.open(csvPath, std::ios::binary);
        if (!file) {
            std::cerr << "xbtool: cannot open " << csvPath << "\n";
            return kEngine;
        }
        in = &file;
    }
    if (Open(path, 2) == 0 && Open(path, 0) == 0) {
        return EngineError();
    }
    std::vector<std::string> header, row;
    bool error = false;
    if (!ReadCsvRow(*in, header, error) || error) {
        std::cerr << "xbtool: the CSV has no header row\n";
        return kEngine;
    }
    std::vector<std::string> names;
    for (const auto& h : header) {
        std::string name = rtl::Utf8ToAnsi(Trim(h));
        if (sx_FieldNum(name) == 0) {
            std::cerr << "xbtool: the table has no field \"" << h << "\"\n";
            return kEngine;
        }
        names.push_back(name);
    }
    int line = 1;
    while (ReadCsvRow(*in, row, error)) {
        ++line;
        if (error) {
            std::cerr << "xbtool: row " << line << ": a quote is not closed\n";
            return kEngine;
        }
        if (row.size() == 1 && row[0].empty()) {
            continue;  // a blank line
        }
        if (row.size() > names.size()) {
            std::cerr << "xbtool: row " << line << " has more cells than the header\n";
            return kEngine;
        }
        if (!sx_AppendBlank()) {
            return EngineError("row " + std::to_string(line));
        }
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (row[i].empty()) {
                continue;
            }
            std::string type = sx_FieldType(names[i]);
            SxReplace kind = type == "M"   ? SxReplace::kMemo
                             : type == "D" ? SxReplace::kDateText
                                           : SxReplace::kText;
            if (!sx_Replace(names[i], kind, rtl::Utf8ToAnsi(row[i]))) {
                return EngineError("row " + std::to_string(line) + ", field " + header[i]);
            }
        }
    }
    if (!sx_Commit() || !sx_Close()) {
        return EngineError();
    }
    return kOk;
}

bool Blank(const std::string& s) {
    return s.find_first_not_of(' ') == std::string::npos;
}

int Dump(const std::string& path) {
    if (Open(path, 1) == 0) {
        return EngineError();
    }
    sx_SetTurboRead(true);
    int count = sx_FieldCount();
    std::vector<std::string> names, types;
    std::string out = "_DELETED";
    for (int i = 1; i <= count; ++i) {
        names.push_back(sx_FieldName(i));
        types.push_back(sx_FieldType(names.back()));
        out += "," + CsvCell(names.back());
    }
    out += "\r\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    for (int n = 1, total = sx_RecCount(); n <= total; ++n) {
        if (!sx_Go(n)) {
            return EngineError("record " + std::to_string(n));
        }
        out = sx_Deleted() ? "*" : "";
        for (int i = 0; i < count; ++i) {
            std::string raw = types[i] == "M" ? std::string() : sx_GetString(names[i]);
            std::string value;
            if (types[i] == "M") {
                sx_ClearLastError();
                value = sx_GetMemo(names[i]);
                if (!sx_LastStatus().ok()) {
                    return EngineError("record " + std::to_string(n) + ", field " + names[i]);
                }
            } else if (types[i] == "L") {
                value = raw == "T" || raw == "t" || raw == "Y" || raw == "y"   ? "T"
                        : raw == "F" || raw == "f" || raw == "N" || raw == "n" ? "F"
                                                                               : "";
            } else if (!Blank(raw)) {
                value = types[i] == "C" ? sx_GetTrimString(names[i]) : Trim(raw);
            }
            out += "," + CsvCell(rtl::AnsiToUtf8(value));
        }
        out += "\r\n";
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
    sx_Close();
    return kOk;
}

int CountOrList(const std::string& path, const std::string& expr, bool all, bool list) {
    sx_SetDeleted(!all);
    if (Open(path, 1) == 0) {
        return EngineError();
    }
    sx_SetTurboRead(true);
    if (sx_Query(rtl::Utf8ToAnsi(expr)) == 0) {
        return EngineError();
    }
    if (!list) {
        sx_ClearLastError();
        int n = sx_QueryRecCount();
        if (!sx_LastStatus().ok()) {
            return EngineError();
        }
        std::printf("%d\n", n);
        return kOk;
    }
    if (!sx_GoTop()) {
        return EngineError();
    }
    while (!sx_Eof()) {
        std::printf("%d\n", sx_RecNo());
        if (!sx_Skip(1)) {
            return EngineError();
        }
    }
    return kOk;
}

int Pack(const std::string& path) {
    if (Open(path, 2) == 0) {
        return EngineError();
    }
    if (!sx_Pack() || !sx_Close()) {
        return EngineError();
    }
    return kOk;
}

// Sets a header count that hides records at the end of the file from the file's length,
// keeping the file as it was in FILE.DBF.bak first.
int Repair(const std::string& path) {
    std::uint32_t before = 0;
    std::uint32_t after = 0;
    if (xbase::Status s =
            xbase::Table::RepairCount(xbase::FileSystem::Default(), path, before, after);
        !s) {
        std::cerr << "xbtool: " << rtl::AnsiToUtf8(s.message()) << "\n";
        return kEngine;
    }
    if (before == after) {
        std::printf("the header counts all %u records: nothing to repair\n", before);
    } else {
        std::printf("record count %u -> %u (the file as it was is kept as %s.bak)\n", before, after,
                    path.c_str());
    }
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool all = false;
    std::erase_if(args, [&all](const std::string& a) {
        if (a == "--all") {
            all = true;
            return true;
        }
        return false;
    });
    if (args.empty()) {
        return Usage();
    }
    const std::string& command = args[0];
    int result = kUsage;
    if (command == "info" && args.size() == 2 && !all) {
        result = Info(args[1]);
    } else if (command == "create" && args.size() == 3 && !all) {
        result = Create(args[1], args[2]);
    } else if (command == "append" && (args.size() == 2 || args.size() == 3) && !all) {
        result = Append(args[1], args.size() == 3 ? args[2] : std::string());
    } else if (command == "dump" && args.size() == 2 && !all) {
        result = Dump(args[1]);
    } else if ((command == "count" || command == "list") && args.size() == 3) {
        result = CountOrList(args[1], args[2], all, command == "list");
    } else if (command == "pack" && args.size() == 2 && !all) {
        result = Pack(args[1]);
    } else if (command == "repair" && args.size() == 2 && !all) {
        result = Repair(args[1]);
    } else if (xbtool::IsIndexCommand(command) && !all) {
        result = xbtool::RunIndexCommand(args);
        if (result == kUsage) {
            return Usage();
        }
    } else {
        return Usage();
    }
    sx_CloseAll();
    return result;
}
