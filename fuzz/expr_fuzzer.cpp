// Fuzz target of the expression compiler and evaluator: the input is an expression, then a
// newline, then the bytes of a record image (padded with blanks) it is evaluated on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xbase/expr.h"

namespace {

constexpr std::uint32_t kRecordSize = 1 + 8 + 5 + 20 + 10 + 1 + 12 + 1 + 8 + 8;

class FuzzRecord final : public xbase::RecordSource {
  public:
    explicit FuzzRecord(std::string_view bytes) : image_(bytes.substr(0, kRecordSize)) {
        image_.resize(kRecordSize, ' ');
        memo_ = std::string(bytes.substr(bytes.size() > kRecordSize ? kRecordSize : bytes.size()));
    }
    const char* Record() const override { return image_.data(); }
    std::uint32_t RecNo() const override { return 7; }
    bool Deleted() const override { return image_[0] == '*'; }
    std::string Memo(int) const override { return memo_; }

  private:
    std::string image_;
    std::string memo_;
};

const std::vector<xbase::FieldInfo>& Fields() {
    static const std::vector<xbase::FieldInfo> fields = {
        {"DATE", 'C', 1, 8, 0},      {"TIME", 'C', 9, 5, 0},  {"DESCRIPT", 'C', 14, 20, 0},
        {"NOTE", 'M', 34, 10, 0},    {"DONE", 'L', 44, 1, 0}, {"KEYS", 'C', 45, 12, 0},
        {"PRIORITY", 'C', 57, 1, 0}, {"QTY", 'N', 58, 8, 2},  {"BORN", 'D', 66, 8, 0},
    };
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string_view text = input.substr(0, newline);
    const std::string_view bytes =
        newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    std::unique_ptr<xbase::Expression> expression;
    const xbase::Status compiled = xbase::CompileExpression(text, Fields(), "QUILX", expression);
    if (!expression) {
        if (compiled.ok() || compiled.message().empty()) {
            __builtin_trap();  // a failure must say why
        }
        return 0;
    }
    FuzzRecord record(bytes);
    xbase::EvalSettings settings;
    for (int round = 0; round < 4; ++round) {
        settings.exact = round & 1;
        settings.century = round & 2;
        settings.dateFormat = bytes.empty() ? round : static_cast<unsigned char>(bytes[0]) % 8;
        xbase::Value value;
        if (expression->Evaluate(record, settings, value)) {
            if (value.type != expression->Type()) {
                __builtin_trap();
            }
            const int width = expression->Width();
            if (value.type == xbase::ValueType::kText && width > 0 &&
                value.text.size() != static_cast<size_t>(width)) {
                __builtin_trap();  // index keys rely on the fixed width
            }
            (void)xbase::FormatValue(value, settings);
        }
    }
    return 0;
}
