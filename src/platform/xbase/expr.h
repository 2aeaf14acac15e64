// xBase expressions: compiled once against a table's fields, then evaluated per record
// without allocating. Used by filters, sx_Eval* and index keys.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/xbase/status.h"

namespace xbase {

// One field of a table, as the record image holds it.
struct FieldInfo {
    std::string name;          // upper case, at most 10 characters
    char type = 'C';           // 'C', 'N', 'F', 'D', 'L', 'M' (others may appear in foreign files)
    std::uint32_t offset = 0;  // byte offset in the record image; byte 0 is the deletion flag
    std::uint16_t length = 0;
    std::uint8_t decimals = 0;
};

enum class ValueType { kText, kNumber, kDate, kLogical };

// What an expression may ask of the record it is evaluated on.
class RecordSource {
  public:
    virtual ~RecordSource() = default;
    virtual const char* Record() const = 0;  // the whole image, deletion flag first
    virtual std::uint32_t RecNo() const = 0;
    virtual bool Deleted() const = 0;
    // The text of memo field `fieldIndex` (its 0-based place in the field list the expression
    // was compiled against) of the current record ("" when empty or unreadable).
    virtual std::string Memo(int fieldIndex) const = 0;
};

// The settings an evaluation follows (SET EXACT, the date format of CTOD and DTOC, the century).
struct EvalSettings {
    bool exact = false;
    bool century = false;
    // The sx_SetDateFormat code, for DTOC and CTOD: 0 American mm/dd/yy, 1 ANSI yy.mm.dd,
    // 2 British and 3 French dd/mm/yy, 4 German dd.mm.yy, 5 Italian and 6 Spanish dd-mm-yy;
    // other codes read as American. The century setting writes years with four digits; CTOD
    // reads a year of one or two digits as one of the 1900s either way.
    int dateFormat = 0;
    // The Julian day number DATE() answers; 0 reads the local clock at each evaluation.
    double today = 0;
};

// The result of one evaluation. Texts point into storage owned by the expression and stay
// valid until its next evaluation.
struct Value {
    ValueType type = ValueType::kLogical;
    std::string_view text;
    double number = 0;  // numbers; dates as a Julian day number (0 for a blank date)
    bool logical = false;
};

class Expression {
  public:
    virtual ~Expression() = default;
    virtual ValueType Type() const = 0;
    // For text results: the fixed width the result always has when it has one (an index
    // key's length), else 0.
    virtual int Width() const = 0;
    // False when the evaluation failed (a run-time type error); `out` is then unspecified.
    virtual bool Evaluate(const RecordSource& record, const EvalSettings& settings, Value& out) = 0;
};

// `alias` is the table's alias, so that `ALIAS->FIELD` resolves; other aliases fail. The
// fields must lie inside every record image the expression is later evaluated on (the
// table checks its descriptors against the record length when it opens). A text that does
// not compile answers kBadExpression with why, and leaves `expression` empty.
Status CompileExpression(std::string_view text, std::span<const FieldInfo> fields,
                         std::string_view alias, std::unique_ptr<Expression>& expression);

// A value as text, the way the engine hands any result back as a string: texts as they are,
// numbers as STR(n) with the decimals they need (at most 10 wide unless they need more), dates
// as DTOC under `settings`, logicals as ".T." / ".F.".
std::string FormatValue(const Value& value, const EvalSettings& settings);

// Julian day numbers of calendar dates (0 = no date), as date values carry them.
double JulianDay(int year, int month, int day);  // 0 when the parts name no real date
bool JulianToDate(double julianDay, int& year, int& month,
                  int& day);  // false for 0 or out of range

}  // namespace xbase
