// The evaluation tree of a compiled expression: one node per operator, function, field and
// literal, each typed at compile time. Private to the engine.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xbase/expr.h"

namespace xbase::expr {

// What one evaluation sees; built once per Expression::Evaluate.
struct Context {
    const RecordSource& source;
    const char* record;
    const EvalSettings& settings;
};

// A node answers through the one method of its type (dates through Number, as Julian days).
// Text answers may point into the record image or into storage of the node or its children,
// valid until the node is evaluated again. False means a run-time failure.
class Node {
  public:
    Node(ValueType type, int width) : type_(type), width_(width) {}
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    ValueType type() const { return type_; }
    // The fixed length of a text answer, or -1 when it varies.
    int width() const { return width_; }
    // Depth of the tree below and including this node.
    int depth() const { return depth_; }
    void setDepth(int depth) { depth_ = depth; }
    // A literal, whose answer never changes (the parser reads literal arguments through it).
    virtual bool IsLiteral() const { return false; }

    virtual bool Text(Context&, std::string_view&) { return false; }
    virtual bool Number(Context&, double&) { return false; }
    virtual bool Logical(Context&, bool&) { return false; }

  private:
    ValueType type_;
    int width_;
    int depth_ = 1;
};

using NodePtr = std::unique_ptr<Node>;

enum class BinaryOp {
    kAdd,
    kSubtract,
    kMultiply,
    kDivide,
    kModulo,
    kEqual,
    kExactEqual,
    kNotEqual,
    kLess,
    kLessEqual,
    kGreater,
    kGreaterEqual,
    kContains,
    kAnd,
    kOr,
};
enum class UnaryOp { kNot, kNegate, kPlus };
enum class Function {
    kUpper,
    kLower,
    kLtrim,
    kRtrim,
    kAlltrim,
    kStr,
    kVal,
    kSubstr,
    kLeft,
    kRight,
    kLen,
    kDtos,
    kDtoc,
    kCtod,
    kDate,
    kDeleted,
    kRecno,
    kIif,
    kEmpty,
};

const char* TypeName(ValueType type);
const char* OperatorName(BinaryOp op);

NodePtr MakeTextLiteral(std::string text);
NodePtr MakeNumberLiteral(double value);
NodePtr MakeLogicalLiteral(bool value);
// A field of the record; `index` is its place in the field list. Null with `error` set for
// a type that expressions cannot read.
NodePtr MakeField(const FieldInfo& field, int index, std::string& error);
// The operators and functions check their operand types; null with `error` set when they do
// not fit. `name` is the function's name as written, for messages.
NodePtr MakeBinary(BinaryOp op, NodePtr left, NodePtr right, std::string& error);
NodePtr MakeUnary(UnaryOp op, NodePtr operand, std::string& error);
NodePtr MakeFunction(Function function, std::string_view name, std::vector<NodePtr> args,
                     std::string& error);

}  // namespace xbase::expr
