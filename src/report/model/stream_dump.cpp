// The stream listing's format: integers in decimal, reals with four decimals, points as (x,y),
// texts quoted with backslash escapes, graphics as graphic(kind,length).
#include "report/model/stream_dump.h"

#include <cstdio>
#include <string>

#include "report/model/report_stream_format.h"
#include "report/model/stream_reader.h"

namespace report::stream {

namespace {

std::string RealText(double v) {
    char b[64];
    std::snprintf(b, sizeof b, "%.4f", v);
    return b;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 32 || u > 126) {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02X", u);
            out += b;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

struct OperandText {
    std::string operator()(std::int64_t v) const { return std::to_string(v); }
    std::string operator()(double v) const { return RealText(v); }
    std::string operator()(const Point& p) const {
        return "(" + RealText(p.x) + "," + RealText(p.y) + ")";
    }
    std::string operator()(const std::string& t) const { return Quoted(t); }
    std::string operator()(const Graphic& g) const {
        return "graphic(" + std::to_string(static_cast<int>(g.kind)) + "," +
               std::to_string(g.bytes.size()) + ")";
    }
};

void WriteHeader(std::ostream& out, const StreamHeader& h) {
    out << "0 89 pages=" << h.pageCount << " first=" << h.firstPage << " last=" << h.lastPage
        << " width=" << RealText(h.paperWidth) << " height=" << RealText(h.paperHeight)
        << " left=" << RealText(h.unprintableLeft) << " right=" << RealText(h.unprintableRight)
        << " top=" << RealText(h.unprintableTop) << " bottom=" << RealText(h.unprintableBottom)
        << " orientation=" << h.orientation << " bin=" << h.paperBin
        << " collate=" << (h.collate ? 1 : 0) << " duplex=" << h.duplex << " copies=" << h.copies
        << " papersize=" << h.paperSize << " paperwidth=" << h.customWidth
        << " paperlength=" << h.customLength << " title=" << Quoted(h.title) << '\n';
}

void WritePage(std::ostream& out, const PageRecord& p) {
    out << p.offset << " 80 previous=" << p.previous << " next=" << p.next << " page=" << p.number
        << " width=" << RealText(p.paperWidth) << " height=" << RealText(p.paperHeight) << '\n';
}

}  // namespace

Status Dump(std::span<const std::uint8_t> bytes, std::ostream& out, std::int64_t& errorOffset) {
    StreamReader reader(bytes);
    auto failed = [&](Status s) {
        errorOffset = reader.errorOffset();
        return s;
    };
    StreamHeader header;
    if (Status s = reader.ReadHeader(header); !s)
        return failed(s);
    WriteHeader(out, header);
    while (!reader.AtEnd()) {
        if (reader.PeekCode() == static_cast<std::uint8_t>(Code::PageStart)) {
            PageRecord page;
            if (Status s = reader.ReadPageRecord(page); !s)
                return failed(s);
            WritePage(out, page);
            continue;
        }
        Command command;
        if (Status s = reader.NextCommand(command); !s)
            return failed(s);
        out << command.offset << ' ' << static_cast<int>(command.code);
        for (const Operand& o : command.operands)
            out << ' ' << std::visit(OperandText{}, o);
        out << '\n';
    }
    return Status::Ok();
}

}  // namespace report::stream
