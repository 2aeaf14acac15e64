// Checked reading of report streams and the walk over their page links.
#include "report/model/stream_reader.h"

#include <bit>
#include <set>

#include "report/model/report_stream_format.h"

namespace report::stream {

std::int64_t Command::Int(std::size_t i) const {
    return i < operands.size() && std::holds_alternative<std::int64_t>(operands[i])
               ? std::get<std::int64_t>(operands[i])
               : 0;
}

double Command::Real(std::size_t i) const {
    return i < operands.size() && std::holds_alternative<double>(operands[i])
               ? std::get<double>(operands[i])
               : 0;
}

Point Command::PointAt(std::size_t i) const {
    return i < operands.size() && std::holds_alternative<Point>(operands[i])
               ? std::get<Point>(operands[i])
               : Point{};
}

const std::string& Command::Text(std::size_t i) const {
    static const std::string empty;
    return i < operands.size() && std::holds_alternative<std::string>(operands[i])
               ? std::get<std::string>(operands[i])
               : empty;
}

const Graphic& Command::GraphicAt(std::size_t i) const {
    static const Graphic none;
    return i < operands.size() && std::holds_alternative<Graphic>(operands[i])
               ? std::get<Graphic>(operands[i])
               : none;
}

Status StreamReader::Fail(std::int64_t at) {
    errorOffset_ = at;
    return {xbase::ErrorCode::kCorrupt, std::string(kUnexpectedCode)};
}

bool StreamReader::Has(std::int64_t at, std::int64_t n) const {
    return at >= 0 && n >= 0 && n <= static_cast<std::int64_t>(bytes_.size()) - at;
}

std::uint32_t StreamReader::Le(std::int64_t at, int n) const {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | bytes_[static_cast<std::size_t>(at + i)];
    return v;
}

float StreamReader::RealAt(std::int64_t at) const {
    return std::bit_cast<float>(Le(at, 4));
}

Status StreamReader::ReadHeader(StreamHeader& h) {
    pos_ = 0;
    if (!Has(0, kHeaderFixedSize + 1) || bytes_[0] != static_cast<std::uint8_t>(Code::Header))
        return Fail(0);
    h.pageCount = static_cast<int>(Le(kHeaderOffPageCount, 2));
    h.firstPage = static_cast<int>(Le(kHeaderOffFirstPage, 2));
    h.lastPage = static_cast<int>(Le(kHeaderOffLastPage, 2));
    h.paperWidth = RealAt(kHeaderOffPaperWidth);
    h.paperHeight = RealAt(kHeaderOffPaperHeight);
    h.unprintableLeft = RealAt(kHeaderOffBorders);
    h.unprintableRight = RealAt(kHeaderOffBorders + 4);
    h.unprintableTop = RealAt(kHeaderOffBorders + 8);
    h.unprintableBottom = RealAt(kHeaderOffBorders + 12);
    h.orientation = bytes_[kHeaderOffOrientation];
    h.paperBin = static_cast<int>(Le(kHeaderOffPaperBin, 2));
    h.collate = bytes_[kHeaderOffCollate] != 0;
    h.duplex = bytes_[kHeaderOffDuplex];
    h.copies = static_cast<int>(Le(kHeaderOffCopies, 2));
    h.paperSize = static_cast<int>(Le(kHeaderOffPaperSize, 2));
    h.customWidth = static_cast<int>(Le(kHeaderOffCustomWidth, 2));
    h.customLength = static_cast<int>(Le(kHeaderOffCustomLength, 2));
    const int titleLength = bytes_[kHeaderOffTitle];
    if (!Has(kHeaderOffTitle + 1, titleLength))
        return Fail(kHeaderOffTitle);
    h.title.assign(reinterpret_cast<const char*>(bytes_.data()) + kHeaderOffTitle + 1,
                   static_cast<std::size_t>(titleLength));
    pos_ = firstPage_ = kHeaderOffTitle + 1 + titleLength;
    havePage_ = false;
    return Status::Ok();
}

// A page record at `at`, reached through the link field at `linkField`: the link is at fault
// when the record is not there.
Status StreamReader::PageAt(std::int64_t at, std::int64_t linkField, PageRecord& page) {
    if (at < firstPage_ || !Has(at, kPageRecordSize) ||
        bytes_[static_cast<std::size_t>(at)] != static_cast<std::uint8_t>(Code::PageStart))
        return Fail(linkField);
    page.offset = at;
    page.previous = static_cast<std::int32_t>(Le(at + kPageOffPrevious, 4));
    page.next = static_cast<std::int32_t>(Le(at + kPageOffNext, 4));
    page.number = static_cast<int>(Le(at + kPageOffNumber, 2));
    page.paperWidth = RealAt(at + kPageOffPaperWidth);
    page.paperHeight = RealAt(at + kPageOffPaperHeight);
    return Status::Ok();
}

Status StreamReader::ReadPageRecord(PageRecord& page) {
    if (Status s = PageAt(pos_, pos_, page); !s)
        return s;
    pos_ += kPageRecordSize;
    return Status::Ok();
}

Status StreamReader::GoToPage(int n, PageRecord& page) {
    if (firstPage_ == 0)
        return Fail(0);
    // Before the first walk the reader stands on an imaginary page 0 whose next page follows the
    // header; the walk starts on the first real page, so that page 0 shows page 1.
    if (!havePage_) {
        if (Status s = PageAt(firstPage_, firstPage_, current_); !s)
            return s;
        havePage_ = true;
    }
    std::set<std::int64_t> seen{current_.offset};
    for (;;) {
        std::int64_t link = 0;
        std::int64_t field = 0;
        if (current_.number < n && current_.next > 0) {
            link = current_.next;
            field = current_.offset + kPageOffNext;
        } else if (current_.number > n && current_.previous > 0) {
            link = current_.previous;
            field = current_.offset + kPageOffPrevious;
        } else {
            break;
        }
        if (seen.count(link))
            return Fail(field);
        PageRecord step;
        if (Status s = PageAt(link, field, step); !s)
            return s;
        current_ = step;
        seen.insert(link);
    }
    page = current_;
    pos_ = current_.offset + kPageRecordSize;
    return Status::Ok();
}

Status StreamReader::ReadOperand(char kind, std::vector<Operand>& out) {
    const std::int64_t at = pos_;
    switch (kind) {
        case 'b':
            if (!Has(at, 1))
                return Fail(at);
            out.emplace_back(static_cast<std::int64_t>(bytes_[static_cast<std::size_t>(at)]));
            pos_ += 1;
            return Status::Ok();
        case 'w':
            if (!Has(at, 2))
                return Fail(at);
            out.emplace_back(static_cast<std::int64_t>(Le(at, 2)));
            pos_ += 2;
            return Status::Ok();
        case 'l':
            if (!Has(at, 4))
                return Fail(at);
            out.emplace_back(static_cast<std::int64_t>(static_cast<std::int32_t>(Le(at, 4))));
            pos_ += 4;
            return Status::Ok();
        case 'r':
            if (!Has(at, 4))
                return Fail(at);
            out.emplace_back(static_cast<double>(RealAt(at)));
            pos_ += 4;
            return Status::Ok();
        case 'p':
            if (!Has(at, 8))
                return Fail(at);
            out.emplace_back(Point{RealAt(at), RealAt(at + 4)});
            pos_ += 8;
            return Status::Ok();
        case 't': {
            if (!Has(at, 1))
                return Fail(at);
            const int n = bytes_[static_cast<std::size_t>(at)];
            if (!Has(at + 1, n))
                return Fail(at);
            out.emplace_back(std::string(reinterpret_cast<const char*>(bytes_.data()) + at + 1,
                                         static_cast<std::size_t>(n)));
            pos_ += 1 + n;
            return Status::Ok();
        }
        case 'g': {
            if (!Has(at, 5))
                return Fail(at);
            const auto n = static_cast<std::int32_t>(Le(at + 1, 4));
            if (!Has(at + 5, n))
                return Fail(at);
            Graphic g{static_cast<GraphicKind>(bytes_[static_cast<std::size_t>(at)]),
                      std::string(reinterpret_cast<const char*>(bytes_.data()) + at + 5,
                                  static_cast<std::size_t>(n))};
            out.emplace_back(std::move(g));
            pos_ += 5 + n;
            return Status::Ok();
        }
        case 'n': {
            if (!Has(at, 2))
                return Fail(at);
            const std::int64_t last = Le(at, 2);
            if (!Has(at + 2, (last + 1) * 8))
                return Fail(at);
            out.emplace_back(last);
            pos_ += 2;
            for (std::int64_t i = 0; i <= last; ++i) {
                out.emplace_back(Point{RealAt(pos_), RealAt(pos_ + 4)});
                pos_ += 8;
            }
            return Status::Ok();
        }
        case 'd': {
            if (!Has(at, 4))
                return Fail(at);
            const auto n = static_cast<std::int32_t>(Le(at, 4));
            if (!Has(at + 4, n))
                return Fail(at);
            out.emplace_back(static_cast<std::int64_t>(n));
            out.emplace_back(std::string(reinterpret_cast<const char*>(bytes_.data()) + at + 4,
                                         static_cast<std::size_t>(n)));
            pos_ += 4 + n;
            return Status::Ok();
        }
        case 'f': {
            if (!Has(at, 1))
                return Fail(at);
            const int flag = bytes_[static_cast<std::size_t>(at)];
            out.emplace_back(static_cast<std::int64_t>(flag));
            pos_ += 1;
            return flag == 1 ? ReadOperand('g', out) : Status::Ok();
        }
        default:
            return Fail(at);
    }
}

Status StreamReader::NextCommand(Command& command) {
    command.offset = pos_;
    command.operands.clear();
    if (AtEnd())
        return Fail(pos_);  // a page without its end
    command.code = PeekCode();
    std::string_view layout;
    if (!OperandsOf(command.code, layout))
        return Fail(pos_);
    ++pos_;
    for (const char kind : layout) {
        if (Status s = ReadOperand(kind, command.operands); !s)
            return s;
    }
    return Status::Ok();
}

}  // namespace report::stream
