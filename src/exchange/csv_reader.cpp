// The CSV reader: RFC 4180 records (quoted fields may hold commas, quotes and line breaks),
// the header the writer writes, and each row's fields in the writer's notations.
#include <optional>
#include <string>
#include <vector>

#include "exchange/imported_task.h"
#include "exchange/task_readers.h"
#include "exchange/task_writers.h"

namespace exchange {

namespace {

struct Record {
    int line = 0;  // where the record starts
    std::vector<std::string> fields;
};

// Reads one record after another; a fault ends the reading with its line and words.
class CsvRecords {
  public:
    explicit CsvRecords(std::string_view text) : text_(text) {}

    // False at the end of the text or at a fault.
    bool Next(Record& record);
    int FaultLine() const { return faultLine_; }
    const std::string& Fault() const { return fault_; }

  private:
    // The length of the line break at `pos_`, or 0.
    std::size_t BreakAt() const {
        if (pos_ >= text_.size()) {
            return 0;
        }
        if (text_[pos_] == '\r') {
            return pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n' ? 2 : 1;
        }
        return text_[pos_] == '\n' ? 1 : 0;
    }
    bool Fail(int line, std::string words) {
        faultLine_ = line;
        fault_ = std::move(words);
        return false;
    }
    bool QuotedField(std::string& field);

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int faultLine_ = 0;
    std::string fault_;
};

bool CsvRecords::QuotedField(std::string& field) {
    const int opened = line_;
    ++pos_;
    while (true) {
        if (pos_ >= text_.size()) {
            return Fail(opened, "the quoted field that begins here is never closed");
        }
        if (const std::size_t lineBreak = BreakAt(); lineBreak != 0) {
            field.append(text_.substr(pos_, lineBreak));
            pos_ += lineBreak;
            ++line_;
            continue;
        }
        const char c = text_[pos_++];
        if (c != '"') {
            field += c;
        } else if (pos_ < text_.size() && text_[pos_] == '"') {
            field += '"';
            ++pos_;
        } else {
            break;
        }
    }
    if (pos_ < text_.size() && text_[pos_] != ',' && BreakAt() == 0) {
        return Fail(line_, "text follows the closing quote of a field");
    }
    return true;
}

bool CsvRecords::Next(Record& record) {
    // Empty lines hold no task.
    while (const std::size_t lineBreak = BreakAt()) {
        pos_ += lineBreak;
        ++line_;
    }
    if (pos_ >= text_.size()) {
        return false;
    }
    record.line = line_;
    record.fields.clear();
    while (true) {
        std::string field;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            if (!QuotedField(field)) {
                return false;
            }
        } else {
            while (pos_ < text_.size() && text_[pos_] != ',' && BreakAt() == 0) {
                if (text_[pos_] == '"') {
                    return Fail(line_, "a quote stands inside a field that is not quoted");
                }
                field += text_[pos_++];
            }
        }
        record.fields.push_back(std::move(field));
        if (pos_ < text_.size() && text_[pos_] == ',') {
            ++pos_;
            continue;
        }
        if (const std::size_t lineBreak = BreakAt()) {
            pos_ += lineBreak;
            ++line_;
        }
        return true;
    }
}

std::vector<std::string> HeaderFields() {
    std::vector<std::string> fields;
    const std::string_view header = kCsvHeader;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos <= header.size(); ++pos) {
        if (pos == header.size() || header[pos] == ',') {
            fields.emplace_back(header.substr(start, pos - start));
            start = pos + 1;
        }
    }
    return fields;
}

// The row's fields in the writer's notations; the words of the first one that is not.
std::optional<std::string> ReadRow(const std::vector<std::string>& fields, ForeignTask& task) {
    task.summary = fields[0];
    if (const std::string& date = fields[1]; !date.empty()) {
        const bool shaped = date.size() == 10 && date[4] == '-' && date[7] == '-';
        const std::optional<Day> day =
            shaped ? StoredDay(date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2))
                   : std::nullopt;
        if (!day) {
            return "the due date \"" + date + "\" is not a day written YYYY-MM-DD";
        }
        task.date = StoredDate(*day);
    }
    if (const std::string& time = fields[2]; !time.empty()) {
        const std::optional<Clock> clock = StoredClock(time);
        if (!clock) {
            return "the due time \"" + time + "\" is not a time written HH:MM";
        }
        task.time = StoredTime(*clock);
    }
    const std::string priority = AsciiUpper(fields[3]);
    if (priority == "HIGH") {
        task.priority = Priority::kHigh;
    } else if (priority == "MEDIUM") {
        task.priority = Priority::kMedium;
    } else if (priority == "LOW") {
        task.priority = Priority::kLow;
    } else if (!priority.empty()) {
        return "the priority \"" + fields[3] + "\" is not High, Medium, Low or empty";
    }
    const std::string done = AsciiUpper(fields[4]);
    if (done != "YES" && done != "NO" && !done.empty()) {
        return "the done column holds \"" + fields[4] + "\" instead of Yes or No";
    }
    task.done = done == "YES";
    task.keyWords = {fields[5]};
    task.note = fields[6];
    return std::nullopt;
}

}  // namespace

ReadResult ReadCsv(std::string_view bytes) {
    ReadResult result;
    result.kind = FileKind::kCsv;
    auto fail = [](int line, std::string words) {
        ReadResult failed;
        failed.kind = FileKind::kCsv;
        failed.errorLine = line;
        failed.error = std::move(words);
        return failed;
    };
    const std::string text = DecodeText(bytes);
    CsvRecords records(text);
    Record record;
    const std::vector<std::string> header = HeaderFields();
    if (!records.Next(record)) {
        return records.Fault().empty()
                   ? fail(1, std::string("the header ") + kCsvHeader + " is missing")
                   : fail(records.FaultLine(), records.Fault());
    }
    if (record.fields != header) {
        return fail(record.line, std::string("the first line is not the header ") + kCsvHeader);
    }
    while (records.Next(record)) {
        if (record.fields.size() != header.size()) {
            return fail(record.line, "the row has " + std::to_string(record.fields.size()) +
                                         " fields instead of " + std::to_string(header.size()));
        }
        ForeignTask task;
        if (std::optional<std::string> fault = ReadRow(record.fields, task)) {
            return fail(record.line, std::move(*fault));
        }
        result.tasks.push_back({FitTask(task, result.changedTexts), {}});
    }
    if (!records.Fault().empty()) {
        return fail(records.FaultLine(), records.Fault());
    }
    return result;
}

}  // namespace exchange
