// The evaluation tree's nodes and the type rules that the factories check while the parser
// builds it.
#include "platform/xbase/expr_nodes.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "platform/xbase/expr_support.h"
#include "platform/xbase/field_codec.h"
#include "rtl/date_time.h"

namespace xbase::expr {
namespace {

constexpr int kVariable = -1;

bool IsNumeric(ValueType t) {
    return t == ValueType::kNumber;
}

// ---- literals and fields ------------------------------------------------------------------

class TextLiteral final : public Node {
  public:
    explicit TextLiteral(std::string text)
        : Node(ValueType::kText, static_cast<int>(text.size())), text_(std::move(text)) {}
    bool IsLiteral() const override { return true; }
    const std::string& text() const { return text_; }
    bool Text(Context&, std::string_view& out) override {
        out = text_;
        return true;
    }

  private:
    std::string text_;
};

class NumberLiteral final : public Node {
  public:
    explicit NumberLiteral(double value) : Node(ValueType::kNumber, kVariable), value_(value) {}
    bool IsLiteral() const override { return true; }
    double value() const { return value_; }
    bool Number(Context&, double& out) override {
        out = value_;
        return true;
    }

  private:
    double value_;
};

class LogicalLiteral final : public Node {
  public:
    explicit LogicalLiteral(bool value) : Node(ValueType::kLogical, kVariable), value_(value) {}
    bool IsLiteral() const override { return true; }
    bool Logical(Context&, bool& out) override {
        out = value_;
        return true;
    }

  private:
    bool value_;
};

class CharField final : public Node {
  public:
    CharField(std::uint32_t offset, std::uint16_t length)
        : Node(ValueType::kText, length), offset_(offset), length_(length) {}
    std::uint32_t offset() const { return offset_; }
    std::uint16_t length() const { return length_; }
    bool Text(Context& c, std::string_view& out) override {
        out = std::string_view(c.record + offset_, length_);
        return true;
    }

  private:
    std::uint32_t offset_;
    std::uint16_t length_;
};

class NumericField final : public Node {
  public:
    NumericField(std::uint32_t offset, std::uint16_t length)
        : Node(ValueType::kNumber, kVariable), offset_(offset), length_(length) {}
    bool Number(Context& c, double& out) override {
        out = ParseNumber(std::string_view(c.record + offset_, length_));
        return true;
    }

  private:
    std::uint32_t offset_;
    std::uint16_t length_;
};

class DateField final : public Node {
  public:
    explicit DateField(std::uint32_t offset) : Node(ValueType::kDate, kVariable), offset_(offset) {}
    bool Number(Context& c, double& out) override {
        out = DateFromDtos(std::string_view(c.record + offset_, 8));
        return true;
    }

  private:
    std::uint32_t offset_;
};

// I, B and Y fields of the later family's tables.
class BinaryNumberField final : public Node {
  public:
    BinaryNumberField(std::uint32_t offset, char type)
        : Node(ValueType::kNumber, kVariable), offset_(offset), type_(type) {}
    bool Number(Context& c, double& out) override {
        out = BinaryFieldNumber(type_, c.record + offset_);
        return true;
    }

  private:
    std::uint32_t offset_;
    char type_;
};

// A date-time field reads as a date whose day number carries the time as its fraction, so
// that it compares, indexes and converts (DTOS) like a date.
class DateTimeField final : public Node {
  public:
    explicit DateTimeField(std::uint32_t offset)
        : Node(ValueType::kDate, kVariable), offset_(offset) {}
    bool Number(Context& c, double& out) override {
        out = DateTimeToJulian(c.record + offset_);
        return true;
    }

  private:
    std::uint32_t offset_;
};

class LogicalField final : public Node {
  public:
    explicit LogicalField(std::uint32_t offset)
        : Node(ValueType::kLogical, kVariable), offset_(offset) {}
    bool Logical(Context& c, bool& out) override {
        const char b = c.record[offset_];
        out = b == 'T' || b == 't' || b == 'Y' || b == 'y';
        return true;
    }

  private:
    std::uint32_t offset_;
};

class MemoField final : public Node {
  public:
    explicit MemoField(int index) : Node(ValueType::kText, kVariable), index_(index) {}
    bool Text(Context& c, std::string_view& out) override {
        text_ = c.source.Memo(index_);
        out = text_;
        return true;
    }

  private:
    int index_;
    std::string text_;
};

// ---- operators ----------------------------------------------------------------------------

class Arithmetic final : public Node {
  public:
    Arithmetic(ValueType type, BinaryOp op, NodePtr left, NodePtr right)
        : Node(type, kVariable), op_(op), left_(std::move(left)), right_(std::move(right)) {}
    bool Number(Context& c, double& out) override {
        double a, b;
        if (!left_->Number(c, a) || !right_->Number(c, b)) {
            return false;
        }
        switch (op_) {
            case BinaryOp::kAdd:
                out = a + b;
                break;
            case BinaryOp::kSubtract:
                out = a - b;
                break;
            case BinaryOp::kMultiply:
                out = a * b;
                break;
            case BinaryOp::kDivide:
                if (b == 0) {
                    return false;
                }
                out = a / b;
                break;
            case BinaryOp::kModulo:
                if (b == 0) {
                    return false;
                }
                // xBase's % takes the sign of the divisor.
                out = a - b * std::floor(a / b);
                break;
            default:
                return false;
        }
        return std::isfinite(out);
    }

  private:
    BinaryOp op_;
    NodePtr left_, right_;
};

int SumWidth(const NodePtr& a, const NodePtr& b) {
    return a->width() < 0 || b->width() < 0 ? kVariable : a->width() + b->width();
}

class Concatenate final : public Node {
  public:
    Concatenate(bool moveBlanks, NodePtr left, NodePtr right)
        : Node(ValueType::kText, SumWidth(left, right)),
          moveBlanks_(moveBlanks),
          left_(std::move(left)),
          right_(std::move(right)) {
        if (width() > 0) {
            text_.reserve(static_cast<size_t>(width()));
        }
    }
    bool Text(Context& c, std::string_view& out) override {
        std::string_view a, b;
        if (!left_->Text(c, a) || !right_->Text(c, b)) {
            return false;
        }
        if (moveBlanks_) {
            // text - text: the left side's trailing blanks move behind the right side.
            const std::string_view kept = TrimRight(a);
            text_.assign(kept);
            text_.append(b);
            text_.append(a.size() - kept.size(), ' ');
        } else {
            text_.assign(a);
            text_.append(b);
        }
        out = text_;
        return true;
    }

  private:
    bool moveBlanks_;
    NodePtr left_, right_;
    std::string text_;
};

bool Decide(BinaryOp op, int order) {
    switch (op) {
        case BinaryOp::kEqual:
        case BinaryOp::kExactEqual:
            return order == 0;
        case BinaryOp::kNotEqual:
            return order != 0;
        case BinaryOp::kLess:
            return order < 0;
        case BinaryOp::kLessEqual:
            return order <= 0;
        case BinaryOp::kGreater:
            return order > 0;
        case BinaryOp::kGreaterEqual:
            return order >= 0;
        default:
            return false;
    }
}

class TextComparison final : public Node {
  public:
    TextComparison(BinaryOp op, NodePtr left, NodePtr right)
        : Node(ValueType::kLogical, kVariable),
          op_(op),
          left_(std::move(left)),
          right_(std::move(right)) {}
    bool Logical(Context& c, bool& out) override {
        std::string_view a, b;
        if (!left_->Text(c, a) || !right_->Text(c, b)) {
            return false;
        }
        const TextMatch match = op_ == BinaryOp::kExactEqual ? TextMatch::kIdentical
                                : c.settings.exact           ? TextMatch::kPadded
                                                             : TextMatch::kPrefix;
        out = Decide(op_, CompareText(a, b, match));
        return true;
    }

  private:
    BinaryOp op_;
    NodePtr left_, right_;
};

class NumberComparison final : public Node {
  public:
    NumberComparison(BinaryOp op, NodePtr left, NodePtr right)
        : Node(ValueType::kLogical, kVariable),
          op_(op),
          left_(std::move(left)),
          right_(std::move(right)) {}
    bool Logical(Context& c, bool& out) override {
        double a, b;
        if (!left_->Number(c, a) || !right_->Number(c, b)) {
            return false;
        }
        out = Decide(op_, a < b ? -1 : (a > b ? 1 : 0));
        return true;
    }

  private:
    BinaryOp op_;
    NodePtr left_, right_;
};

class LogicalComparison final : public Node {
  public:
    LogicalComparison(BinaryOp op, NodePtr left, NodePtr right)
        : Node(ValueType::kLogical, kVariable),
          op_(op),
          left_(std::move(left)),
          right_(std::move(right)) {}
    bool Logical(Context& c, bool& out) override {
        bool a, b;
        if (!left_->Logical(c, a) || !right_->Logical(c, b)) {
            return false;
        }
        out = Decide(op_, static_cast<int>(a) - static_cast<int>(b));
        return true;
    }

  private:
    BinaryOp op_;
    NodePtr left_, right_;
};

class ContainedIn final : public Node {
  public:
    ContainedIn(NodePtr needle, NodePtr haystack)
        : Node(ValueType::kLogical, kVariable),
          needle_(std::move(needle)),
          haystack_(std::move(haystack)) {}
    bool Logical(Context& c, bool& out) override {
        std::string_view n, h;
        if (!needle_->Text(c, n) || !haystack_->Text(c, h)) {
            return false;
        }
        out = Contains(n, h);
        return true;
    }

  private:
    NodePtr needle_, haystack_;
};

// A run of .AND.s (or of .OR.s) is one node, so that a long filter, such as one key word
// clause per word typed, does not make the tree deep.
class Junction final : public Node {
  public:
    Junction(bool isAnd, NodePtr left, NodePtr right)
        : Node(ValueType::kLogical, kVariable), isAnd_(isAnd) {
        terms_.push_back(std::move(left));
        terms_.push_back(std::move(right));
    }
    bool isAnd() const { return isAnd_; }
    void Append(NodePtr term) { terms_.push_back(std::move(term)); }
    bool Logical(Context& c, bool& out) override {
        for (const NodePtr& term : terms_) {
            if (!term->Logical(c, out)) {
                return false;
            }
            if (out != isAnd_) {  // false for .AND., true for .OR. decides alone
                return true;
            }
        }
        return true;
    }

  private:
    bool isAnd_;
    std::vector<NodePtr> terms_;
};

class Not final : public Node {
  public:
    explicit Not(NodePtr operand)
        : Node(ValueType::kLogical, kVariable), operand_(std::move(operand)) {}
    bool Logical(Context& c, bool& out) override {
        if (!operand_->Logical(c, out)) {
            return false;
        }
        out = !out;
        return true;
    }

  private:
    NodePtr operand_;
};

class Negate final : public Node {
  public:
    explicit Negate(NodePtr operand)
        : Node(ValueType::kNumber, kVariable), operand_(std::move(operand)) {}
    bool Number(Context& c, double& out) override {
        if (!operand_->Number(c, out)) {
            return false;
        }
        out = -out;
        return true;
    }

  private:
    NodePtr operand_;
};

// ---- functions ----------------------------------------------------------------------------

class CaseChange final : public Node {
  public:
    CaseChange(bool upper, NodePtr arg)
        : Node(ValueType::kText, arg->width()), upper_(upper), arg_(std::move(arg)) {
        if (width() > 0) {
            text_.reserve(static_cast<size_t>(width()));
        }
    }
    bool upper() const { return upper_; }
    const Node* arg() const { return arg_.get(); }
    bool Text(Context& c, std::string_view& out) override {
        std::string_view a;
        if (!arg_->Text(c, a)) {
            return false;
        }
        if (upper_) {
            UpperInto(a, text_);
        } else {
            LowerInto(a, text_);
        }
        out = text_;
        return true;
    }

  private:
    bool upper_;
    NodePtr arg_;
    std::string text_;
};

class Trim final : public Node {
  public:
    Trim(Function kind, NodePtr arg)
        : Node(ValueType::kText, kVariable), kind_(kind), arg_(std::move(arg)) {}
    bool Text(Context& c, std::string_view& out) override {
        if (!arg_->Text(c, out)) {
            return false;
        }
        if (kind_ != Function::kRtrim) {
            out = TrimLeft(out);
        }
        if (kind_ != Function::kLtrim) {
            out = TrimRight(out);
        }
        return true;
    }

  private:
    Function kind_;
    NodePtr arg_;
};

class Str final : public Node {
  public:
    Str(int width, NodePtr value, NodePtr length, NodePtr decimals)
        : Node(ValueType::kText, width),
          value_(std::move(value)),
          length_(std::move(length)),
          decimals_(std::move(decimals)) {
        text_.reserve(width > 0 ? static_cast<size_t>(width) : 32);
    }
    bool Text(Context& c, std::string_view& out) override {
        double v, length = 10, decimals = 0;
        if (!value_->Number(c, v) || (length_ && !length_->Number(c, length)) ||
            (decimals_ && !decimals_->Number(c, decimals))) {
            return false;
        }
        if (!(length >= 1 && length <= kMaxStrLength) || !(decimals >= 0 && decimals <= 255)) {
            return false;
        }
        if (!FormatStr(v, static_cast<int>(length), static_cast<int>(decimals), text_)) {
            return false;
        }
        out = text_;
        return true;
    }

  private:
    NodePtr value_, length_, decimals_;
    std::string text_;
};

class Val final : public Node {
  public:
    explicit Val(NodePtr arg) : Node(ValueType::kNumber, kVariable), arg_(std::move(arg)) {}
    bool Number(Context& c, double& out) override {
        std::string_view a;
        if (!arg_->Text(c, a)) {
            return false;
        }
        out = ParseNumber(a);
        return true;
    }

  private:
    NodePtr arg_;
};

// The part of a text of `size` bytes that SUBSTR, LEFT and RIGHT take; start is 1-based and
// a negative start counts from the end. Counts beyond the text shrink to what is there.
struct Span {
    size_t from = 0, count = 0;
};

bool FiniteCount(double v) {
    return std::isfinite(v) && std::fabs(v) < 1e9;
}

Span SubstrSpan(size_t size, double start, bool hasCount, double count) {
    const auto n = static_cast<long long>(size);
    long long from = static_cast<long long>(start);
    if (from < 0) {
        from = n + from + 1;
    }
    from = std::clamp<long long>(from, 1, n + 1) - 1;
    long long take = hasCount ? static_cast<long long>(count) : n - from;
    take = std::clamp<long long>(take, 0, n - from);
    return {static_cast<size_t>(from), static_cast<size_t>(take)};
}

Span CutSpan(Function kind, size_t size, double start, bool hasCount, double count) {
    const auto n = static_cast<long long>(size);
    switch (kind) {
        case Function::kLeft: {
            const long long take = std::clamp<long long>(static_cast<long long>(start), 0, n);
            return {0, static_cast<size_t>(take)};
        }
        case Function::kRight: {
            const long long take = std::clamp<long long>(static_cast<long long>(start), 0, n);
            return {static_cast<size_t>(n - take), static_cast<size_t>(take)};
        }
        default:
            return SubstrSpan(size, start, hasCount, count);
    }
}

class Cut final : public Node {
  public:
    Cut(Function kind, int width, NodePtr text, NodePtr start, NodePtr count)
        : Node(ValueType::kText, width),
          kind_(kind),
          text_(std::move(text)),
          start_(std::move(start)),
          count_(std::move(count)) {}
    bool Text(Context& c, std::string_view& out) override {
        std::string_view t;
        double start, count = 0;
        if (!text_->Text(c, t) || !start_->Number(c, start) ||
            (count_ && !count_->Number(c, count))) {
            return false;
        }
        if (!FiniteCount(start) || (count_ && !FiniteCount(count))) {
            return false;
        }
        const Span s = CutSpan(kind_, t.size(), start, count_ != nullptr, count);
        out = t.substr(s.from, s.count);
        return true;
    }

  private:
    Function kind_;
    NodePtr text_, start_, count_;
};

class Len final : public Node {
  public:
    explicit Len(NodePtr arg) : Node(ValueType::kNumber, kVariable), arg_(std::move(arg)) {}
    bool Number(Context& c, double& out) override {
        std::string_view a;
        if (!arg_->Text(c, a)) {
            return false;
        }
        out = static_cast<double>(a.size());
        return true;
    }

  private:
    NodePtr arg_;
};

class DateToText final : public Node {
  public:
    DateToText(bool dtos, NodePtr arg)
        : Node(ValueType::kText, dtos ? 8 : kVariable), dtos_(dtos), arg_(std::move(arg)) {
        text_.reserve(10);
    }
    bool Text(Context& c, std::string_view& out) override {
        double d;
        if (!arg_->Number(c, d)) {
            return false;
        }
        text_.clear();
        if (dtos_) {
            AppendDtos(d, text_);
        } else {
            AppendDtoc(d, c.settings, text_);
        }
        out = text_;
        return true;
    }

  private:
    bool dtos_;
    NodePtr arg_;
    std::string text_;
};

class Ctod final : public Node {
  public:
    explicit Ctod(NodePtr arg) : Node(ValueType::kDate, kVariable), arg_(std::move(arg)) {}
    bool Number(Context& c, double& out) override {
        std::string_view a;
        if (!arg_->Text(c, a)) {
            return false;
        }
        out = ParseCtod(a, c.settings);
        return true;
    }

  private:
    NodePtr arg_;
};

class Today final : public Node {
  public:
    Today() : Node(ValueType::kDate, kVariable) {}
    bool Number(Context& c, double& out) override {
        out = c.settings.today != 0 ? c.settings.today : std::floor(rtl::Today()) + kJulianOffset;
        return true;
    }
};

class Deleted final : public Node {
  public:
    Deleted() : Node(ValueType::kLogical, kVariable) {}
    bool Logical(Context& c, bool& out) override {
        out = c.source.Deleted();
        return true;
    }
};

class RecNo final : public Node {
  public:
    RecNo() : Node(ValueType::kNumber, kVariable) {}
    bool Number(Context& c, double& out) override {
        out = c.source.RecNo();
        return true;
    }
};

class Iif final : public Node {
  public:
    Iif(NodePtr condition, NodePtr then, NodePtr otherwise)
        : Node(then->type(), then->width() == otherwise->width() ? then->width() : kVariable),
          condition_(std::move(condition)),
          then_(std::move(then)),
          otherwise_(std::move(otherwise)) {}
    bool Text(Context& c, std::string_view& out) override {
        Node* branch = Pick(c);
        return branch && branch->Text(c, out);
    }
    bool Number(Context& c, double& out) override {
        Node* branch = Pick(c);
        return branch && branch->Number(c, out);
    }
    bool Logical(Context& c, bool& out) override {
        Node* branch = Pick(c);
        return branch && branch->Logical(c, out);
    }

  private:
    Node* Pick(Context& c) {
        bool yes;
        if (!condition_->Logical(c, yes)) {
            return nullptr;
        }
        return yes ? then_.get() : otherwise_.get();
    }
    NodePtr condition_, then_, otherwise_;
};

class Empty final : public Node {
  public:
    explicit Empty(NodePtr arg) : Node(ValueType::kLogical, kVariable), arg_(std::move(arg)) {}
    bool Logical(Context& c, bool& out) override {
        switch (arg_->type()) {
            case ValueType::kText: {
                std::string_view t;
                if (!arg_->Text(c, t)) {
                    return false;
                }
                out = IsBlankText(t);
                return true;
            }
            case ValueType::kLogical: {
                bool b;
                if (!arg_->Logical(c, b)) {
                    return false;
                }
                out = !b;
                return true;
            }
            default: {
                double d;
                if (!arg_->Number(c, d)) {
                    return false;
                }
                out = d == 0;
                return true;
            }
        }
    }

  private:
    NodePtr arg_;
};

// ---- shortcuts on the record bytes ---------------------------------------------------------
// The filters the program builds compare fields with literals and look for literal words in
// upper-cased fields; these nodes do that on the record image without a copy or a call per
// operand.

class FieldLiteralComparison final : public Node {
  public:
    FieldLiteralComparison(BinaryOp op, bool fieldOnLeft, const CharField& field,
                           std::string literal)
        : Node(ValueType::kLogical, kVariable),
          op_(op),
          fieldOnLeft_(fieldOnLeft),
          offset_(field.offset()),
          length_(field.length()),
          literal_(std::move(literal)) {}
    bool Logical(Context& c, bool& out) override {
        const std::string_view field(c.record + offset_, length_);
        const TextMatch match = op_ == BinaryOp::kExactEqual ? TextMatch::kIdentical
                                : c.settings.exact           ? TextMatch::kPadded
                                                             : TextMatch::kPrefix;
        const int order = fieldOnLeft_ ? CompareText(field, literal_, match)
                                       : CompareText(literal_, field, match);
        out = Decide(op_, order);
        return true;
    }

  private:
    BinaryOp op_;
    bool fieldOnLeft_;
    std::uint32_t offset_;
    std::uint16_t length_;
    std::string literal_;
};

// "WORD" $ UPPER(FIELD): the field is folded byte by byte while it is searched.
class WordInUpperField final : public Node {
  public:
    WordInUpperField(std::string word, const CharField& field)
        : Node(ValueType::kLogical, kVariable),
          word_(std::move(word)),
          offset_(field.offset()),
          length_(field.length()),
          upper_(UpperTable()) {}
    bool Logical(Context& c, bool& out) override {
        out = false;
        const size_t n = word_.size();
        if (n == 0 || n > length_) {
            return true;
        }
        const auto* h = reinterpret_cast<const unsigned char*>(c.record + offset_);
        const auto* w = reinterpret_cast<const unsigned char*>(word_.data());
        const unsigned char first = w[0];
        for (size_t i = 0, last = length_ - n; i <= last; ++i) {
            if (upper_[h[i]] != first) {
                continue;
            }
            size_t j = 1;
            while (j < n && upper_[h[i + j]] == w[j]) {
                ++j;
            }
            if (j == n) {
                out = true;
                return true;
            }
        }
        return true;
    }

  private:
    std::string word_;
    std::uint32_t offset_;
    std::uint16_t length_;
    const unsigned char* upper_;
};

// ---- type rules ---------------------------------------------------------------------------

const NumberLiteral* AsNumberLiteral(const NodePtr& node) {
    return node ? dynamic_cast<const NumberLiteral*>(node.get()) : nullptr;
}

bool Expect(const std::vector<NodePtr>& args, size_t i, ValueType type, std::string_view name,
            std::string& error) {
    if (args[i]->type() == type) {
        return true;
    }
    error = std::string(name) + "() needs " + TypeName(type) + " as argument " +
            std::to_string(i + 1) + ", not " + TypeName(args[i]->type());
    return false;
}

NodePtr Mismatch(BinaryOp op, const NodePtr& left, const NodePtr& right, std::string& error) {
    error = std::string("Operator ") + OperatorName(op) + " cannot take " + TypeName(left->type()) +
            " and " + TypeName(right->type());
    return nullptr;
}

// The width of a SUBSTR, LEFT or RIGHT whose arguments are all fixed.
int CutWidth(Function kind, const std::vector<NodePtr>& args) {
    const NumberLiteral* start = AsNumberLiteral(args[1]);
    const NumberLiteral* count = args.size() > 2 ? AsNumberLiteral(args[2]) : nullptr;
    if (args[0]->width() < 0 || !start || (args.size() > 2 && !count) ||
        !FiniteCount(start->value()) || (count && !FiniteCount(count->value()))) {
        return kVariable;
    }
    const Span s = CutSpan(kind, static_cast<size_t>(args[0]->width()), start->value(),
                           count != nullptr, count ? count->value() : 0);
    return static_cast<int>(s.count);
}

}  // namespace

const char* TypeName(ValueType type) {
    switch (type) {
        case ValueType::kText:
            return "text";
        case ValueType::kNumber:
            return "a number";
        case ValueType::kDate:
            return "a date";
        case ValueType::kLogical:
            return "a logical";
    }
    return "?";
}

const char* OperatorName(BinaryOp op) {
    switch (op) {
        case BinaryOp::kAdd:
            return "+";
        case BinaryOp::kSubtract:
            return "-";
        case BinaryOp::kMultiply:
            return "*";
        case BinaryOp::kDivide:
            return "/";
        case BinaryOp::kModulo:
            return "%";
        case BinaryOp::kEqual:
            return "=";
        case BinaryOp::kExactEqual:
            return "==";
        case BinaryOp::kNotEqual:
            return "<>";
        case BinaryOp::kLess:
            return "<";
        case BinaryOp::kLessEqual:
            return "<=";
        case BinaryOp::kGreater:
            return ">";
        case BinaryOp::kGreaterEqual:
            return ">=";
        case BinaryOp::kContains:
            return "$";
        case BinaryOp::kAnd:
            return ".AND.";
        case BinaryOp::kOr:
            return ".OR.";
    }
    return "?";
}

NodePtr MakeTextLiteral(std::string text) {
    return std::make_unique<TextLiteral>(std::move(text));
}
NodePtr MakeNumberLiteral(double value) {
    return std::make_unique<NumberLiteral>(value);
}
NodePtr MakeLogicalLiteral(bool value) {
    return std::make_unique<LogicalLiteral>(value);
}

NodePtr MakeField(const FieldInfo& field, int index, std::string& error) {
    if (field.offset == 0 && field.type != 'M') {
        error = "Field " + field.name + " lies over the deletion flag";
        return nullptr;
    }
    switch (field.type) {
        case 'C':
            return std::make_unique<CharField>(field.offset, field.length);
        case 'N':
        case 'F':
            return std::make_unique<NumericField>(field.offset, field.length);
        case 'D':
            if (field.length != 8) {
                break;
            }
            return std::make_unique<DateField>(field.offset);
        case 'L':
            if (field.length < 1) {
                break;
            }
            return std::make_unique<LogicalField>(field.offset);
        case 'M':
            return std::make_unique<MemoField>(index);
        case 'I':
        case 'B':
        case 'Y':
            if (!IsBinaryNumberField(field.type, field.length)) {
                break;
            }
            return std::make_unique<BinaryNumberField>(field.offset, field.type);
        case 'T':
            if (!IsDateTimeField(field.type, field.length)) {
                break;
            }
            return std::make_unique<DateTimeField>(field.offset);
        default:
            break;
    }
    error = "Field " + field.name + " (type " + std::string(1, field.type) + ", width " +
            std::to_string(field.length) + ") cannot be used in an expression";
    return nullptr;
}

NodePtr MakeBinary(BinaryOp op, NodePtr left, NodePtr right, std::string& error) {
    const ValueType a = left->type(), b = right->type();
    switch (op) {
        case BinaryOp::kAdd:
            if (a == ValueType::kText && b == ValueType::kText) {
                return std::make_unique<Concatenate>(false, std::move(left), std::move(right));
            }
            if (IsNumeric(a) && IsNumeric(b)) {
                return std::make_unique<Arithmetic>(ValueType::kNumber, op, std::move(left),
                                                    std::move(right));
            }
            if ((a == ValueType::kDate && IsNumeric(b)) ||
                (IsNumeric(a) && b == ValueType::kDate)) {
                return std::make_unique<Arithmetic>(ValueType::kDate, op, std::move(left),
                                                    std::move(right));
            }
            return Mismatch(op, left, right, error);
        case BinaryOp::kSubtract:
            if (a == ValueType::kText && b == ValueType::kText) {
                return std::make_unique<Concatenate>(true, std::move(left), std::move(right));
            }
            if ((IsNumeric(a) && IsNumeric(b)) ||
                (a == ValueType::kDate && b == ValueType::kDate)) {
                return std::make_unique<Arithmetic>(ValueType::kNumber, op, std::move(left),
                                                    std::move(right));
            }
            if (a == ValueType::kDate && IsNumeric(b)) {
                return std::make_unique<Arithmetic>(ValueType::kDate, op, std::move(left),
                                                    std::move(right));
            }
            return Mismatch(op, left, right, error);
        case BinaryOp::kMultiply:
        case BinaryOp::kDivide:
        case BinaryOp::kModulo:
            if (IsNumeric(a) && IsNumeric(b)) {
                return std::make_unique<Arithmetic>(ValueType::kNumber, op, std::move(left),
                                                    std::move(right));
            }
            return Mismatch(op, left, right, error);
        case BinaryOp::kContains:
            if (a == ValueType::kText && b == ValueType::kText) {
                const auto* word = dynamic_cast<const TextLiteral*>(left.get());
                const auto* upper = dynamic_cast<const CaseChange*>(right.get());
                const auto* field = upper && upper->upper()
                                        ? dynamic_cast<const CharField*>(upper->arg())
                                        : nullptr;
                if (word && field) {
                    return std::make_unique<WordInUpperField>(word->text(), *field);
                }
                return std::make_unique<ContainedIn>(std::move(left), std::move(right));
            }
            return Mismatch(op, left, right, error);
        case BinaryOp::kAnd:
        case BinaryOp::kOr:
            if (a == ValueType::kLogical && b == ValueType::kLogical) {
                auto* run = dynamic_cast<Junction*>(left.get());
                if (run && run->isAnd() == (op == BinaryOp::kAnd)) {
                    run->Append(std::move(right));
                    return left;
                }
                return std::make_unique<Junction>(op == BinaryOp::kAnd, std::move(left),
                                                  std::move(right));
            }
            return Mismatch(op, left, right, error);
        default:  // the comparisons
            if (a != b) {
                return Mismatch(op, left, right, error);
            }
            if (a == ValueType::kText) {
                const auto* leftField = dynamic_cast<const CharField*>(left.get());
                const auto* rightField = dynamic_cast<const CharField*>(right.get());
                const auto* leftText = dynamic_cast<const TextLiteral*>(left.get());
                const auto* rightText = dynamic_cast<const TextLiteral*>(right.get());
                if (leftField && rightText) {
                    return std::make_unique<FieldLiteralComparison>(op, true, *leftField,
                                                                    rightText->text());
                }
                if (leftText && rightField) {
                    return std::make_unique<FieldLiteralComparison>(op, false, *rightField,
                                                                    leftText->text());
                }
                return std::make_unique<TextComparison>(op, std::move(left), std::move(right));
            }
            if (a == ValueType::kLogical) {
                return std::make_unique<LogicalComparison>(op, std::move(left), std::move(right));
            }
            return std::make_unique<NumberComparison>(op, std::move(left), std::move(right));
    }
}

NodePtr MakeUnary(UnaryOp op, NodePtr operand, std::string& error) {
    if (op == UnaryOp::kNot) {
        if (operand->type() != ValueType::kLogical) {
            error = std::string(".NOT. needs a logical, not ") + TypeName(operand->type());
            return nullptr;
        }
        return std::make_unique<Not>(std::move(operand));
    }
    if (operand->type() != ValueType::kNumber) {
        error = std::string("A sign needs a number, not ") + TypeName(operand->type());
        return nullptr;
    }
    if (op == UnaryOp::kPlus) {
        return operand;
    }
    return std::make_unique<Negate>(std::move(operand));
}

NodePtr MakeFunction(Function function, std::string_view name, std::vector<NodePtr> args,
                     std::string& error) {
    auto& a = args;
    switch (function) {
        case Function::kUpper:
        case Function::kLower:
            if (!Expect(a, 0, ValueType::kText, name, error)) {
                return nullptr;
            }
            return std::make_unique<CaseChange>(function == Function::kUpper, std::move(a[0]));
        case Function::kLtrim:
        case Function::kRtrim:
        case Function::kAlltrim:
            if (!Expect(a, 0, ValueType::kText, name, error)) {
                return nullptr;
            }
            return std::make_unique<Trim>(function, std::move(a[0]));
        case Function::kStr: {
            for (size_t i = 0; i < a.size(); ++i) {
                if (!Expect(a, i, ValueType::kNumber, name, error)) {
                    return nullptr;
                }
            }
            int width = 10;
            if (a.size() > 1) {
                const NumberLiteral* length = AsNumberLiteral(a[1]);
                if (length && !(length->value() >= 1 && length->value() <= kMaxStrLength)) {
                    error = std::string(name) + "() takes a length from 1 to " +
                            std::to_string(kMaxStrLength);
                    return nullptr;
                }
                width = length ? static_cast<int>(length->value()) : kVariable;
            }
            NodePtr length = a.size() > 1 ? std::move(a[1]) : nullptr;
            NodePtr decimals = a.size() > 2 ? std::move(a[2]) : nullptr;
            return std::make_unique<Str>(width, std::move(a[0]), std::move(length),
                                         std::move(decimals));
        }
        case Function::kVal:
            if (!Expect(a, 0, ValueType::kText, name, error)) {
                return nullptr;
            }
            return std::make_unique<Val>(std::move(a[0]));
        case Function::kSubstr:
        case Function::kLeft:
        case Function::kRight: {
            if (!Expect(a, 0, ValueType::kText, name, error)) {
                return nullptr;
            }
            for (size_t i = 1; i < a.size(); ++i) {
                if (!Expect(a, i, ValueType::kNumber, name, error)) {
                    return nullptr;
                }
            }
            const int width = CutWidth(function, a);
            NodePtr count = a.size() > 2 ? std::move(a[2]) : nullptr;
            return std::make_unique<Cut>(function, width, std::move(a[0]), std::move(a[1]),
                                         std::move(count));
        }
        case Function::kLen:
            if (!Expect(a, 0, ValueType::kText, name, error)) {
                return nullptr;
            }
            return std::make_unique<Len>(std::move(a[0]));
        case Function::kDtos:
        case Function::kDtoc:
            if (!Expect(a, 0, ValueType::kDate, name, error)) {
                return nullptr;
            }
            return std::make_unique<DateToText>(function == Function::kDtos, std::move(a[0]));
        case Function::kCtod:
            if (!Expect(a, 0, ValueType::kText, name, error)) {
                return nullptr;
            }
            return std::make_unique<Ctod>(std::move(a[0]));
        case Function::kDate:
            return std::make_unique<Today>();
        case Function::kDeleted:
            return std::make_unique<Deleted>();
        case Function::kRecno:
            return std::make_unique<RecNo>();
        case Function::kIif:
            if (!Expect(a, 0, ValueType::kLogical, name, error)) {
                return nullptr;
            }
            if (a[1]->type() != a[2]->type()) {
                error = std::string(name) + "() needs both answers of one type, not " +
                        TypeName(a[1]->type()) + " and " + TypeName(a[2]->type());
                return nullptr;
            }
            return std::make_unique<Iif>(std::move(a[0]), std::move(a[1]), std::move(a[2]));
        case Function::kEmpty:
            return std::make_unique<Empty>(std::move(a[0]));
    }
    error = "Unknown function";
    return nullptr;
}

}  // namespace xbase::expr
