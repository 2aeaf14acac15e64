// The expression compiler (tokens, precedence parsing, name lookup) and the compiled
// Expression that evaluates the tree per record.
#include "platform/xbase/expr.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/xbase/expr_nodes.h"
#include "platform/xbase/expr_support.h"

namespace xbase {
namespace {

using expr::BinaryOp;
using expr::Function;
using expr::Node;
using expr::NodePtr;
using expr::UnaryOp;

// Deeper trees are refused, so that neither compiling nor evaluating can exhaust the stack.
constexpr int kMaxDepth = 200;

enum class Tok {
    kEnd,
    kNumber,
    kText,
    kName,
    kLeft,
    kRight,
    kComma,
    kArrow,
    kPlus,
    kMinus,
    kStar,
    kSlash,
    kPercent,
    kDollar,
    kEqual,
    kExactEqual,
    kNotEqual,
    kLess,
    kLessEqual,
    kGreater,
    kGreaterEqual,
    kAnd,
    kOr,
    kNot,
    kTrue,
    kFalse,
};

struct Token {
    Tok kind = Tok::kEnd;
    size_t pos = 0;         // byte offset in the source, for messages
    std::string_view text;  // the name, the number's digits, or the text literal's contents
};

bool IsAlpha(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAlnum(char c) {
    return IsAlpha(c) || IsDigit(c);
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) {
            return false;
        }
    }
    return true;
}

// A character of the source as a person can read it in a message.
std::string Shown(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F) {
        return std::string("'") + c + "'";
    }
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", u);
    return buffer;
}

std::string At(size_t pos) {
    return " at position " + std::to_string(pos + 1);
}

class Lexer {
  public:
    explicit Lexer(std::string_view src) : src_(src) {}

    // The whole source as tokens, ending with kEnd; false with `error` set on a bad token.
    bool Run(std::vector<Token>& tokens, std::string& error) {
        for (;;) {
            Token t;
            if (!Next(t, error)) {
                return false;
            }
            tokens.push_back(t);
            if (t.kind == Tok::kEnd) {
                return true;
            }
        }
    }

  private:
    char Peek(size_t ahead = 0) const {
        return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : '\0';
    }

    bool Next(Token& t, std::string& error) {
        while (pos_ < src_.size() && (src_[pos_] == ' ' || src_[pos_] == '\t' ||
                                      src_[pos_] == '\r' || src_[pos_] == '\n')) {
            ++pos_;
        }
        t.pos = pos_;
        if (pos_ >= src_.size()) {
            t.kind = Tok::kEnd;
            return true;
        }
        const char c = src_[pos_];
        if (IsDigit(c) || (c == '.' && IsDigit(Peek(1)))) {
            return Number(t);
        }
        if (c == '.') {
            return Dotted(t, error);
        }
        if (IsAlpha(c)) {
            size_t end = pos_;
            while (end < src_.size() && IsAlnum(src_[end])) {
                ++end;
            }
            t.kind = Tok::kName;
            t.text = src_.substr(pos_, end - pos_);
            pos_ = end;
            return true;
        }
        if (c == '"' || c == '\'' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const size_t end = src_.find(close, pos_ + 1);
            if (end == std::string_view::npos) {
                error = "The text that starts" + At(pos_) + " has no closing " + Shown(close);
                return false;
            }
            t.kind = Tok::kText;
            t.text = src_.substr(pos_ + 1, end - pos_ - 1);
            pos_ = end + 1;
            return true;
        }
        const char n = Peek(1);
        size_t length = 1;
        switch (c) {
            case '(':
                t.kind = Tok::kLeft;
                break;
            case ')':
                t.kind = Tok::kRight;
                break;
            case ',':
                t.kind = Tok::kComma;
                break;
            case '+':
                t.kind = Tok::kPlus;
                break;
            case '*':
                t.kind = Tok::kStar;
                break;
            case '/':
                t.kind = Tok::kSlash;
                break;
            case '%':
                t.kind = Tok::kPercent;
                break;
            case '$':
                t.kind = Tok::kDollar;
                break;
            case '#':
                t.kind = Tok::kNotEqual;
                break;
            case '-':
                t.kind = n == '>' ? Tok::kArrow : Tok::kMinus;
                length = n == '>' ? 2 : 1;
                break;
            case '=':
                t.kind = n == '=' ? Tok::kExactEqual : Tok::kEqual;
                length = n == '=' ? 2 : 1;
                break;
            case '!':
                t.kind = n == '=' ? Tok::kNotEqual : Tok::kNot;
                length = n == '=' ? 2 : 1;
                break;
            case '<':
                if (n == '=') {
                    t.kind = Tok::kLessEqual, length = 2;
                } else if (n == '>') {
                    t.kind = Tok::kNotEqual, length = 2;
                } else {
                    t.kind = Tok::kLess;
                }
                break;
            case '>':
                t.kind = n == '=' ? Tok::kGreaterEqual : Tok::kGreater;
                length = n == '=' ? 2 : 1;
                break;
            default:
                error = "Unexpected character " + Shown(c) + At(pos_);
                return false;
        }
        t.text = src_.substr(pos_, length);
        pos_ += length;
        return true;
    }

    // Digits with at most one decimal point; "1.AND." is the number 1 followed by .AND.
    bool Number(Token& t) {
        size_t end = pos_;
        while (end < src_.size() && IsDigit(src_[end])) {
            ++end;
        }
        if (end < src_.size() && src_[end] == '.' &&
            !(end + 1 < src_.size() && IsAlpha(src_[end + 1]))) {
            ++end;
            while (end < src_.size() && IsDigit(src_[end])) {
                ++end;
            }
        }
        t.kind = Tok::kNumber;
        t.text = src_.substr(pos_, end - pos_);
        pos_ = end;
        return true;
    }

    // .T. .F. .Y. .N. .AND. .OR. .NOT.
    bool Dotted(Token& t, std::string& error) {
        size_t end = pos_ + 1;
        while (end < src_.size() && IsAlpha(src_[end])) {
            ++end;
        }
        const std::string_view word = src_.substr(pos_ + 1, end - pos_ - 1);
        if (end >= src_.size() || src_[end] != '.') {
            error = "Unexpected '.'" + At(pos_);
            return false;
        }
        static constexpr std::array<std::pair<std::string_view, Tok>, 7> kWords = {{
            {"T", Tok::kTrue},
            {"Y", Tok::kTrue},
            {"F", Tok::kFalse},
            {"N", Tok::kFalse},
            {"AND", Tok::kAnd},
            {"OR", Tok::kOr},
            {"NOT", Tok::kNot},
        }};
        for (const auto& [name, kind] : kWords) {
            if (SameName(word, name)) {
                t.kind = kind;
                t.text = src_.substr(pos_, end + 1 - pos_);
                pos_ = end + 1;
                return true;
            }
        }
        error = "Unknown operator ." + std::string(word) + "." + At(pos_);
        return false;
    }

    std::string_view src_;
    size_t pos_ = 0;
};

struct FunctionInfo {
    std::string_view name;
    Function id;
    int minArgs, maxArgs;
};

constexpr std::array<FunctionInfo, 21> kFunctions = {{
    {"UPPER", Function::kUpper, 1, 1},      {"LOWER", Function::kLower, 1, 1},
    {"LTRIM", Function::kLtrim, 1, 1},      {"RTRIM", Function::kRtrim, 1, 1},
    {"TRIM", Function::kRtrim, 1, 1},       {"ALLTRIM", Function::kAlltrim, 1, 1},
    {"STR", Function::kStr, 1, 3},          {"VAL", Function::kVal, 1, 1},
    {"SUBSTR", Function::kSubstr, 2, 3},    {"LEFT", Function::kLeft, 2, 2},
    {"RIGHT", Function::kRight, 2, 2},      {"LEN", Function::kLen, 1, 1},
    {"DTOS", Function::kDtos, 1, 1},        {"DTOC", Function::kDtoc, 1, 1},
    {"CTOD", Function::kCtod, 1, 1},        {"DATE", Function::kDate, 0, 0},
    {"DELETED", Function::kDeleted, 0, 0},  {"RECNO", Function::kRecno, 0, 0},
    {"IIF", Function::kIif, 3, 3},          {"EMPTY", Function::kEmpty, 1, 1},
    {"SUBSTRING", Function::kSubstr, 2, 3},
}};

// A function by its name or by an abbreviation of at least four letters (as xBase allows).
const FunctionInfo* FindFunction(std::string_view name) {
    for (const auto& f : kFunctions) {
        if (SameName(name, f.name)) {
            return &f;
        }
    }
    if (name.size() < 4) {
        return nullptr;
    }
    for (const auto& f : kFunctions) {
        if (name.size() < f.name.size() && SameName(name, f.name.substr(0, name.size()))) {
            return &f;
        }
    }
    return nullptr;
}

class Parser {
  public:
    Parser(const std::vector<Token>& tokens, std::span<const FieldInfo> fields,
           std::string_view alias)
        : tokens_(tokens), fields_(fields), alias_(alias) {}

    NodePtr Parse(std::string& error) {
        NodePtr root = Or();
        if (root && Current().kind != Tok::kEnd) {
            Fail("Unexpected " + Describe(Current()) + At(Current().pos));
            root.reset();
        }
        if (!root) {
            error = error_;
        }
        return root;
    }

  private:
    const Token& Current() const { return tokens_[at_]; }
    const Token& Ahead() const { return tokens_[at_ + 1 < tokens_.size() ? at_ + 1 : at_]; }
    void Advance() {
        if (at_ + 1 < tokens_.size()) {
            ++at_;
        }
    }

    NodePtr Fail(std::string message) {
        if (error_.empty()) {
            error_ = std::move(message);
        }
        return nullptr;
    }

    static std::string Describe(const Token& t) {
        switch (t.kind) {
            case Tok::kEnd:
                return "end of the expression";
            case Tok::kText:
                return "text \"" + std::string(t.text) + "\"";
            default:
                return "'" + std::string(t.text) + "'";
        }
    }

    // Words that are operators only where an operator may stand.
    bool IsWord(std::string_view word) const {
        return Current().kind == Tok::kName && SameName(Current().text, word);
    }

    NodePtr Combine(BinaryOp op, NodePtr left, NodePtr right, size_t pos) {
        const Node* leftNode = left.get();
        const int leftDepth = left->depth(), rightDepth = right->depth();
        if (1 + std::max(leftDepth, rightDepth) > kMaxDepth) {
            return Fail("The expression is nested too deeply");
        }
        std::string error;
        NodePtr node = expr::MakeBinary(op, std::move(left), std::move(right), error);
        if (!node) {
            return Fail(error + At(pos));
        }
        // A run of .AND.s or .OR.s grows its first node instead of nesting.
        node->setDepth(node.get() == leftNode ? std::max(leftDepth, rightDepth + 1)
                                              : 1 + std::max(leftDepth, rightDepth));
        return node;
    }

    NodePtr Or() {
        NodePtr left = And();
        while (left && (Current().kind == Tok::kOr || IsWord("OR"))) {
            const size_t pos = Current().pos;
            Advance();
            NodePtr right = And();
            if (!right) {
                return nullptr;
            }
            left = Combine(BinaryOp::kOr, std::move(left), std::move(right), pos);
        }
        return left;
    }

    NodePtr And() {
        NodePtr left = NotTerm();
        while (left && (Current().kind == Tok::kAnd || IsWord("AND"))) {
            const size_t pos = Current().pos;
            Advance();
            NodePtr right = NotTerm();
            if (!right) {
                return nullptr;
            }
            left = Combine(BinaryOp::kAnd, std::move(left), std::move(right), pos);
        }
        return left;
    }

    // A NOT word is the operator unless it names a field (NOT->X, or a field called NOT
    // followed by an operator or the end).
    bool AtNot() const {
        if (Current().kind == Tok::kNot) {
            return true;
        }
        if (!IsWord("NOT")) {
            return false;
        }
        switch (Ahead().kind) {
            case Tok::kName:
            case Tok::kNumber:
            case Tok::kText:
            case Tok::kLeft:
            case Tok::kNot:
            case Tok::kTrue:
            case Tok::kFalse:
            case Tok::kMinus:
            case Tok::kPlus:
                return true;
            default:
                return false;
        }
    }

    NodePtr NotTerm() {
        if (!AtNot()) {
            return Relation();
        }
        const size_t pos = Current().pos;
        if (++nesting_ > kMaxDepth) {
            return Fail("The expression is nested too deeply");
        }
        Advance();
        NodePtr operand = NotTerm();
        --nesting_;
        return Unary(UnaryOp::kNot, std::move(operand), pos);
    }

    NodePtr Unary(UnaryOp op, NodePtr operand, size_t pos) {
        if (!operand) {
            return nullptr;
        }
        const int depth = operand->depth() + 1;
        if (depth > kMaxDepth) {
            return Fail("The expression is nested too deeply");
        }
        std::string error;
        NodePtr node = expr::MakeUnary(op, std::move(operand), error);
        if (!node) {
            return Fail(error + At(pos));
        }
        node->setDepth(depth);
        return node;
    }

    static bool RelationOf(Tok kind, BinaryOp& op) {
        switch (kind) {
            case Tok::kEqual:
                op = BinaryOp::kEqual;
                return true;
            case Tok::kExactEqual:
                op = BinaryOp::kExactEqual;
                return true;
            case Tok::kNotEqual:
                op = BinaryOp::kNotEqual;
                return true;
            case Tok::kLess:
                op = BinaryOp::kLess;
                return true;
            case Tok::kLessEqual:
                op = BinaryOp::kLessEqual;
                return true;
            case Tok::kGreater:
                op = BinaryOp::kGreater;
                return true;
            case Tok::kGreaterEqual:
                op = BinaryOp::kGreaterEqual;
                return true;
            case Tok::kDollar:
                op = BinaryOp::kContains;
                return true;
            default:
                return false;
        }
    }

    NodePtr Relation() {
        NodePtr left = Sum();
        BinaryOp op;
        while (left && RelationOf(Current().kind, op)) {
            const size_t pos = Current().pos;
            Advance();
            NodePtr right = Sum();
            if (!right) {
                return nullptr;
            }
            left = Combine(op, std::move(left), std::move(right), pos);
        }
        return left;
    }

    NodePtr Sum() {
        NodePtr left = Product();
        while (left && (Current().kind == Tok::kPlus || Current().kind == Tok::kMinus)) {
            const BinaryOp op = Current().kind == Tok::kPlus ? BinaryOp::kAdd : BinaryOp::kSubtract;
            const size_t pos = Current().pos;
            Advance();
            NodePtr right = Product();
            if (!right) {
                return nullptr;
            }
            left = Combine(op, std::move(left), std::move(right), pos);
        }
        return left;
    }

    NodePtr Product() {
        NodePtr left = Sign();
        for (;;) {
            BinaryOp op;
            switch (Current().kind) {
                case Tok::kStar:
                    op = BinaryOp::kMultiply;
                    break;
                case Tok::kSlash:
                    op = BinaryOp::kDivide;
                    break;
                case Tok::kPercent:
                    op = BinaryOp::kModulo;
                    break;
                default:
                    return left;
            }
            if (!left) {
                return nullptr;
            }
            const size_t pos = Current().pos;
            Advance();
            NodePtr right = Sign();
            if (!right) {
                return nullptr;
            }
            left = Combine(op, std::move(left), std::move(right), pos);
        }
    }

    NodePtr Sign() {
        if (Current().kind != Tok::kMinus && Current().kind != Tok::kPlus) {
            return Primary();
        }
        const UnaryOp op = Current().kind == Tok::kMinus ? UnaryOp::kNegate : UnaryOp::kPlus;
        const size_t pos = Current().pos;
        if (++nesting_ > kMaxDepth) {
            return Fail("The expression is nested too deeply");
        }
        Advance();
        NodePtr operand = Sign();
        --nesting_;
        return Unary(op, std::move(operand), pos);
    }

    NodePtr Primary() {
        const Token t = Current();
        switch (t.kind) {
            case Tok::kNumber: {
                Advance();
                return expr::MakeNumberLiteral(expr::ParseNumber(t.text));
            }
            case Tok::kText:
                Advance();
                return expr::MakeTextLiteral(std::string(t.text));
            case Tok::kTrue:
                Advance();
                return expr::MakeLogicalLiteral(true);
            case Tok::kFalse:
                Advance();
                return expr::MakeLogicalLiteral(false);
            case Tok::kLeft: {
                if (++nesting_ > kMaxDepth) {
                    return Fail("The expression is nested too deeply");
                }
                Advance();
                NodePtr inner = Or();
                --nesting_;
                if (!inner) {
                    return nullptr;
                }
                if (Current().kind != Tok::kRight) {
                    return Fail("Expected ')' but found " + Describe(Current()) +
                                At(Current().pos));
                }
                Advance();
                return inner;
            }
            case Tok::kName:
                if (Ahead().kind == Tok::kLeft) {
                    return Call();
                }
                return Field();
            default:
                return Fail("Expected a value but found " + Describe(t) + At(t.pos));
        }
    }

    NodePtr Field() {
        Token name = Current();
        Advance();
        if (Current().kind == Tok::kArrow) {
            if (alias_.empty() || !SameName(name.text, alias_)) {
                return Fail("Unknown alias " + std::string(name.text) + At(name.pos));
            }
            Advance();
            if (Current().kind != Tok::kName) {
                return Fail("Expected a field name after '->'" + At(Current().pos));
            }
            name = Current();
            Advance();
        }
        for (size_t i = 0; i < fields_.size(); ++i) {
            if (SameName(name.text, fields_[i].name)) {
                std::string error;
                NodePtr node = expr::MakeField(fields_[i], static_cast<int>(i), error);
                return node ? std::move(node) : Fail(error + At(name.pos));
            }
        }
        return Fail("Unknown field " + std::string(name.text) + At(name.pos));
    }

    NodePtr Call() {
        const Token name = Current();
        const FunctionInfo* info = FindFunction(name.text);
        if (!info) {
            return Fail("Unknown function " + std::string(name.text) + "()" + At(name.pos));
        }
        if (++nesting_ > kMaxDepth) {
            return Fail("The expression is nested too deeply");
        }
        Advance();  // the name
        Advance();  // (
        std::vector<NodePtr> args;
        int depth = 1;
        if (Current().kind != Tok::kRight) {
            for (;;) {
                NodePtr arg = Or();
                if (!arg) {
                    return nullptr;
                }
                depth = std::max(depth, arg->depth() + 1);
                args.push_back(std::move(arg));
                if (Current().kind != Tok::kComma) {
                    break;
                }
                Advance();
            }
        }
        --nesting_;
        if (Current().kind != Tok::kRight) {
            return Fail("Expected ')' but found " + Describe(Current()) + At(Current().pos));
        }
        Advance();
        const int count = static_cast<int>(args.size());
        if (count < info->minArgs || count > info->maxArgs) {
            std::string wanted = std::to_string(info->minArgs);
            if (info->maxArgs != info->minArgs) {
                wanted += " to " + std::to_string(info->maxArgs);
            }
            return Fail(std::string(name.text) + "() takes " + wanted +
                        (info->maxArgs == 1 ? " argument" : " arguments") + ", not " +
                        std::to_string(count) + At(name.pos));
        }
        if (depth > kMaxDepth) {
            return Fail("The expression is nested too deeply");
        }
        std::string error;
        NodePtr node = expr::MakeFunction(info->id, name.text, std::move(args), error);
        if (!node) {
            return Fail(error + At(name.pos));
        }
        node->setDepth(depth);
        return node;
    }

    const std::vector<Token>& tokens_;
    std::span<const FieldInfo> fields_;
    std::string_view alias_;
    size_t at_ = 0;
    int nesting_ = 0;
    std::string error_;
};

class CompiledExpression final : public Expression {
  public:
    explicit CompiledExpression(NodePtr root) : root_(std::move(root)) {
        if (root_->width() > 0) {
            text_.reserve(static_cast<size_t>(root_->width()));
        }
    }

    ValueType Type() const override { return root_->type(); }
    int Width() const override {
        return root_->type() == ValueType::kText && root_->width() > 0 ? root_->width() : 0;
    }

    bool Evaluate(const RecordSource& record, const EvalSettings& settings, Value& out) override {
        expr::Context context{record, record.Record(), settings};
        if (!context.record) {
            return false;  // no current record to read
        }
        out.type = root_->type();
        switch (out.type) {
            case ValueType::kText: {
                std::string_view text;
                if (!root_->Text(context, text)) {
                    return false;
                }
                // The answer may point into the record; the caller may keep it longer.
                text_.assign(text);
                out.text = text_;
                return true;
            }
            case ValueType::kLogical:
                return root_->Logical(context, out.logical);
            default:
                return root_->Number(context, out.number);
        }
    }

  private:
    NodePtr root_;
    std::string text_;
};

}  // namespace

Status CompileExpression(std::string_view text, std::span<const FieldInfo> fields,
                         std::string_view alias, std::unique_ptr<Expression>& expression) {
    expression.reset();
    std::vector<Token> tokens;
    std::string error;
    if (!Lexer(text).Run(tokens, error)) {
        return {ErrorCode::kBadExpression, error};
    }
    if (tokens.size() == 1) {
        return {ErrorCode::kBadExpression, "The expression is empty"};
    }
    NodePtr root = Parser(tokens, fields, alias).Parse(error);
    if (!root) {
        return {ErrorCode::kBadExpression, error};
    }
    expression = std::make_unique<CompiledExpression>(std::move(root));
    return Status::Ok();
}

std::string FormatValue(const Value& value, const EvalSettings& settings) {
    std::string out;
    switch (value.type) {
        case ValueType::kText:
            out.assign(value.text);
            break;
        case ValueType::kLogical:
            out = value.logical ? ".T." : ".F.";
            break;
        case ValueType::kDate:
            expr::AppendDtoc(value.number, settings, out);
            break;
        case ValueType::kNumber: {
            // As few decimals as show the value (up to 10), in at least 10 characters; what
            // no 20 digits hold shows as asterisks.
            if (!(std::fabs(value.number) < 1e15)) {
                expr::FormatStr(value.number, 20, 0, out);
                break;
            }
            int decimals = 0;
            while (decimals < 10) {
                std::string probe;
                expr::FormatStr(value.number, expr::kMaxStrLength, decimals, probe);
                if (expr::ParseNumber(probe) == value.number) {
                    break;
                }
                ++decimals;
            }
            expr::FormatStr(value.number, expr::kMaxStrLength, decimals, out);
            const std::string_view shown = expr::TrimLeft(out);
            const size_t width = std::max<size_t>(10, shown.size());
            out = std::string(width - shown.size(), ' ') + std::string(shown);
            break;
        }
    }
    return out;
}

}  // namespace xbase
