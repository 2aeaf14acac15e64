// Expressions compiled against a hand-built task-like record and evaluated on it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "platform/xbase/expr.h"

namespace xbase {
namespace {

// A record image built field by field, with memos kept beside it.
class TestRecord final : public RecordSource {
  public:
    TestRecord() {
        Add("DATE", 'C', 8);
        Add("TIME", 'C', 5);
        Add("DESCRIPT", 'C', 50);
        Add("NOTE", 'M', 10);
        Add("DONE", 'L', 1);
        Add("KEYS", 'C', 60);
        Add("PRIORITY", 'C', 1);
        Add("QTY", 'N', 8, 2);
        Add("BORN", 'D', 8);
        image_.assign(size_, ' ');
    }

    void Set(const std::string& name, std::string_view value) {
        for (const FieldInfo& f : fields_) {
            if (f.name == name) {
                std::string padded(value.substr(0, f.length));
                padded.resize(f.length, ' ');
                // Numbers sit at the right of their field.
                if (f.type == 'N' && value.size() < f.length) {
                    padded = std::string(f.length - value.size(), ' ') + std::string(value);
                }
                image_.replace(f.offset, f.length, padded);
                return;
            }
        }
        ADD_FAILURE() << "no field " << name;
    }
    void SetMemo(std::string text) { memo_ = std::move(text); }
    void SetDeleted(bool deleted) { image_[0] = deleted ? '*' : ' '; }
    void SetRecNo(std::uint32_t n) { recNo_ = n; }

    mutable int lastMemoIndex = -1;

    std::span<const FieldInfo> Fields() const { return fields_; }
    const char* Record() const override { return image_.data(); }
    std::uint32_t RecNo() const override { return recNo_; }
    bool Deleted() const override { return image_[0] == '*'; }
    std::string Memo(int fieldIndex) const override {
        lastMemoIndex = fieldIndex;
        return fields_[static_cast<size_t>(fieldIndex)].type == 'M' ? memo_ : std::string();
    }

  private:
    void Add(const char* name, char type, std::uint16_t length, std::uint8_t decimals = 0) {
        fields_.push_back({name, type, size_, length, decimals});
        size_ += length;
    }

    std::vector<FieldInfo> fields_;
    std::uint32_t size_ = 1;  // the deletion flag
    std::string image_;
    std::string memo_;
    std::uint32_t recNo_ = 1;
};

class Expr : public ::testing::Test {
  protected:
    std::unique_ptr<Expression> Compile(std::string_view text) {
        std::unique_ptr<Expression> expression;
        Status s = CompileExpression(text, record_.Fields(), "QUILX", expression);
        EXPECT_TRUE(s.ok() && expression) << text << ": " << s.message();
        return expression;
    }
    std::string CompileError(std::string_view text) {
        std::unique_ptr<Expression> expression;
        Status s = CompileExpression(text, record_.Fields(), "QUILX", expression);
        EXPECT_FALSE(expression) << text << " compiled";
        EXPECT_EQ(s.code(), ErrorCode::kBadExpression) << text;
        EXPECT_FALSE(s.message().empty()) << text;
        return s.message();
    }
    // The expression is kept until the next call, since text answers live in it.
    bool Eval(std::string_view text, Value& v) {
        last_ = Compile(text);
        return last_ && last_->Evaluate(record_, settings_, v);
    }
    bool Logical(std::string_view text) {
        Value v;
        EXPECT_TRUE(Eval(text, v)) << text;
        EXPECT_EQ(v.type, ValueType::kLogical) << text;
        return v.logical;
    }
    std::string Text(std::string_view text) {
        Value v;
        EXPECT_TRUE(Eval(text, v)) << text;
        EXPECT_EQ(v.type, ValueType::kText) << text;
        return std::string(v.text);
    }
    double Number(std::string_view text) {
        Value v;
        EXPECT_TRUE(Eval(text, v)) << text;
        EXPECT_TRUE(v.type == ValueType::kNumber || v.type == ValueType::kDate) << text;
        return v.number;
    }

    TestRecord record_;
    EvalSettings settings_;
    std::unique_ptr<Expression> last_;
};

TEST_F(Expr, FieldsReadAsTheirTypesWithBlanksGivingEmptyValues) {
    EXPECT_EQ(Text("DESCRIPT"), std::string(50, ' '));
    EXPECT_EQ(Number("QTY"), 0);
    EXPECT_EQ(Number("BORN"), 0);
    EXPECT_EQ(Text("DTOS(BORN)"), "        ");
    EXPECT_FALSE(Logical("DONE"));
    EXPECT_EQ(Text("NOTE"), "");

    record_.Set("DESCRIPT", "Buy milk");
    record_.Set("QTY", "-12.50");
    record_.Set("BORN", "20260229");  // no such day: reads as blank
    record_.Set("DONE", "T");
    record_.SetMemo("line one\r\nline two");
    EXPECT_EQ(Text("TRIM(descript)"), "Buy milk");
    EXPECT_EQ(Number("QTY"), -12.5);
    EXPECT_EQ(Number("BORN"), 0);
    EXPECT_TRUE(Logical("DONE"));
    EXPECT_EQ(Text("NOTE"), "line one\r\nline two");
    EXPECT_EQ(Number("LEN(NOTE)"), 18);

    record_.Set("BORN", "20000101");
    EXPECT_EQ(Number("BORN"), 2451545);
    EXPECT_EQ(Text("DTOS(BORN)"), "20000101");
    EXPECT_EQ(Text("DTOS(BORN + 366)"), "20010101");
    EXPECT_EQ(Number("BORN - CTOD('12/31/99')"), 1);
}

TEST_F(Expr, NamesResolveInAnyCaseWithTheTablesAliasOnly) {
    record_.Set("PRIORITY", "A");
    EXPECT_EQ(Text("quilx->priority"), "A");
    EXPECT_EQ(Text("Quilx -> Priority"), "A");
    EXPECT_NE(CompileError("OTHER->PRIORITY").find("alias"), std::string::npos);
    EXPECT_NE(CompileError("PRIORITIES").find("PRIORITIES"), std::string::npos);
    // Functions may be cut to four letters, not fewer.
    EXPECT_EQ(Text("uppe(subs('abcdef', 2, 3))"), "BCD");
    EXPECT_EQ(Text("ALLT('  x  ')"), "x");
    CompileError("UPP('a')");
    CompileError("SUBSTRX('a', 1)");
}

TEST_F(Expr, MalformedExpressionsFailWithAMessage) {
    for (const char* text : {"",
                             "   ",
                             "DESCRIPT +",
                             "(DONE",
                             "DONE)",
                             "'open",
                             "[open",
                             "UPPER()",
                             "LEFT('a')",
                             "IIF(DONE, 'a')",
                             "DONE .XOR. DONE",
                             "1 + 'a'",
                             "'a' * 'b'",
                             "-'a'",
                             ".NOT. 'a'",
                             "QTY $ KEYS",
                             "IIF(QTY, 1, 2)",
                             "IIF(DONE, 1, 'a')",
                             "DATE = 1",
                             "DONE = 1",
                             "STR(1, 0)",
                             "STR(1, 300)",
                             "@",
                             "NOTE & 1",
                             "1 2",
                             "DTOS(DATE)",
                             "UPPER(1)",
                             "QUILX->",
                             "a..b"}) {
        CompileError(text);
    }
    EXPECT_NE(CompileError("DESCRIPT = 1").find("position 10"), std::string::npos);
}

TEST_F(Expr, TextEqualityFollowsSetExact) {
    record_.Set("KEYS", "abc");
    // Exact off: the left side is compared over the right side's length only.
    EXPECT_TRUE(Logical("'abc' = 'ab'"));
    EXPECT_FALSE(Logical("'ab' = 'abc'"));
    EXPECT_TRUE(Logical("KEYS = ''"));
    EXPECT_TRUE(Logical("KEYS = 'abc'"));
    EXPECT_FALSE(Logical("KEYS <> 'ab'"));
    EXPECT_FALSE(Logical("'abc' == 'ab'"));
    EXPECT_FALSE(Logical("KEYS == 'abc'"));  // the field's trailing blanks count
    EXPECT_TRUE(Logical("TRIM(KEYS) == 'abc'"));

    settings_.exact = true;
    EXPECT_FALSE(Logical("'abc' = 'ab'"));
    EXPECT_TRUE(Logical("KEYS = 'abc'"));  // blanks at the end do not count
    EXPECT_TRUE(Logical("'abc' = KEYS"));
    EXPECT_TRUE(Logical("'abc' <> 'ab'"));
    EXPECT_FALSE(Logical("KEYS == 'abc'"));
}

TEST_F(Expr, TextOrderIsUnsignedByteOrder) {
    EXPECT_TRUE(Logical("'20260101' <= '20261231'"));
    EXPECT_TRUE(Logical("'        ' < '19000101'"));  // a blank date sorts first
    EXPECT_TRUE(Logical("'Z' < 'a'"));
    EXPECT_TRUE(Logical("'\xE9' > 'z'"));
    EXPECT_TRUE(Logical("'ab' < 'abc'"));
    EXPECT_FALSE(Logical("'abc' < 'ab'"));  // exact off: equal over "ab"
    settings_.exact = true;
    EXPECT_TRUE(Logical("'abc' > 'ab'"));
    EXPECT_FALSE(Logical("'ab ' > 'ab'"));
}

TEST_F(Expr, ContainsFindsTheNeedleAnywhereButNeverAnEmptyOne) {
    record_.Set("KEYS", "home, work");
    EXPECT_TRUE(Logical("'WORK' $ UPPER(KEYS)"));
    EXPECT_TRUE(Logical("'ORK' $ UPPER(KEYS)"));
    EXPECT_FALSE(Logical("'WORK' $ KEYS"));
    EXPECT_FALSE(Logical("'' $ KEYS"));
    EXPECT_FALSE(Logical("KEYS $ 'home'"));  // the field's blanks are part of it
    EXPECT_TRUE(Logical("'home, work ' $ KEYS"));
}

// Comparisons of a field with a literal and words looked for in an upper-cased field run on
// the record bytes directly; they must answer exactly as the general evaluation does (the
// "+ ''" below forces that general path).
TEST_F(Expr, RecordByteShortcutsAgreeWithTheGeneralPath) {
    const char* ops[] = {"=", "==", "<>", "<", "<=", ">", ">="};
    const char* literals[] = {"''", "'2026'", "'20260101'", "'20260101 '", "'20260101  x'", "' '"};
    const char* words[] = {"'WORK'",
                           "'work'",
                           "'K, H'",
                           "''",
                           "'\xC9T\xC9'",
                           "'"
                           "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
                           "'"};
    const char* dates[] = {"20260101", "2026", "", "20251231", "20260102"};
    const char* keys[] = {"work, home", "Work", "\xE9t\xE9", "", "xwork"};
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const char* op : ops) {
        for (const char* literal : literals) {
            pairs.push_back(
                {std::string("DATE ") + op + literal, std::string("DATE + '' ") + op + literal});
            pairs.push_back(
                {std::string(literal) + op + " DATE", std::string(literal) + op + " DATE + ''"});
        }
    }
    for (const char* word : words) {
        pairs.push_back(
            {std::string(word) + " $ UPPER(KEYS)", std::string(word) + " $ UPPER(KEYS) + ''"});
    }
    for (bool exact : {false, true}) {
        settings_.exact = exact;
        for (size_t i = 0; i < std::size(dates); ++i) {
            record_.Set("DATE", dates[i]);
            record_.Set("KEYS", keys[i]);
            for (const auto& [direct, general] : pairs) {
                EXPECT_EQ(Logical(direct), Logical(general))
                    << direct << " on " << dates[i] << "/" << keys[i] << " exact " << exact;
            }
        }
    }
    record_.Set("KEYS", "\xE9t\xE9");
    EXPECT_TRUE(Logical("'\xC9T\xC9' $ UPPER(KEYS)"));
    EXPECT_FALSE(Logical("'work' $ UPPER(KEYS)"));
}

TEST_F(Expr, OperatorsBindAsInXbase) {
    EXPECT_EQ(Number("1 + 2 * 3"), 7);
    EXPECT_EQ(Number("(1 + 2) * 3"), 9);
    EXPECT_EQ(Number("10 - 4 - 3"), 3);
    EXPECT_EQ(Number("-2 * -3"), 6);
    EXPECT_EQ(Number("7 % 3"), 1);
    EXPECT_EQ(Number("-7 % 3"), 2);
    EXPECT_EQ(Number("1.5 + .25"), 1.75);
    EXPECT_TRUE(Logical(".T. .or. .F. .and. .F."));  // .AND. binds tighter
    EXPECT_FALSE(Logical(".not. .T. .or. .F."));     // so does .NOT.
    EXPECT_TRUE(Logical("!.F. and not .F."));
    EXPECT_TRUE(Logical("1 < 2 AND 2 > 1 Or .F."));
    EXPECT_TRUE(Logical("1 = 1.AND.2 = 2"));
}

TEST_F(Expr, TextMinusMovesTheLeftBlanksToTheEnd) {
    EXPECT_EQ(Text("'ab  ' - 'cd'"), "abcd  ");
    EXPECT_EQ(Text("'ab  ' + 'cd'"), "ab  cd");
    record_.Set("TIME", "9:30");
    EXPECT_EQ(Text("TIME - '!'"), "9:30! ");
}

TEST_F(Expr, RunTimeFailuresAnswerFalseAndShortCircuitSkipsThem) {
    Value v;
    EXPECT_FALSE(Eval("1 / 0", v));
    EXPECT_FALSE(Eval("QTY % 0 = 1", v));
    EXPECT_FALSE(Eval("STR(1, QTY)", v));  // a length of 0
    EXPECT_FALSE(Logical(".F. .and. 1 / 0 = 1"));
    EXPECT_TRUE(Logical(".T. .or. 1 / 0 = 1"));
    EXPECT_EQ(Number("IIF(QTY = 0, 5, 1 / QTY)"), 5);
}

TEST_F(Expr, StrRoundsHalfAwayAndShowsStarsWhenTooNarrow) {
    EXPECT_EQ(Text("STR(42)"), "        42");
    EXPECT_EQ(Text("STR(2.5)"), "         3");
    EXPECT_EQ(Text("STR(-2.5)"), "        -3");
    EXPECT_EQ(Text("STR(1.005, 6, 2)"), "  1.01");
    EXPECT_EQ(Text("STR(123.456, 6, 2)"), "123.46");
    EXPECT_EQ(Text("STR(12345.6, 6, 2)"), " 12346");
    EXPECT_EQ(Text("STR(1234567, 6)"), "******");
    EXPECT_EQ(Text("STR(-0.001, 5, 2)"), " 0.00");
    EXPECT_EQ(Text("LTRIM(STR(-17, 19))"), "-17");
    EXPECT_EQ(Compile("STR(QTY, 8, 2)")->Width(), 8);
}

TEST_F(Expr, ValReadsTheLeadingNumber) {
    EXPECT_EQ(Number("VAL('  -12.5kg')"), -12.5);
    EXPECT_EQ(Number("VAL('abc')"), 0);
    EXPECT_EQ(Number("VAL('')"), 0);
    EXPECT_EQ(Number("VAL('+.5')"), 0.5);
    EXPECT_EQ(Number("VAL('1e5')"), 1);
    EXPECT_EQ(Number("VAL('3.')"), 3);
}

TEST_F(Expr, CuttingFunctionsStayInsideTheText) {
    EXPECT_EQ(Text("SUBSTR('abcdef', 3)"), "cdef");
    EXPECT_EQ(Text("SUBSTR('abcdef', 3, 2)"), "cd");
    EXPECT_EQ(Text("SUBSTR('abcdef', 5, 99)"), "ef");
    EXPECT_EQ(Text("SUBSTR('abcdef', 9, 2)"), "");
    EXPECT_EQ(Text("SUBSTR('abcdef', 0, 2)"), "ab");
    EXPECT_EQ(Text("SUBSTR('abcdef', -2)"), "ef");
    EXPECT_EQ(Text("SUBSTR('abcdef', -99, 1)"), "a");
    EXPECT_EQ(Text("SUBSTR('abcdef', 2, -1)"), "");
    EXPECT_EQ(Text("LEFT('abc', 2) + RIGHT('abc', 2)"), "abbc");
    EXPECT_EQ(Text("LEFT('abc', -1) + RIGHT('abc', 99)"), "abc");
    Value v;
    EXPECT_FALSE(Eval("SUBSTR('abc', 1000000000000)", v));  // no count that large
    EXPECT_EQ(Compile("SUBSTR(DESCRIPT, 49, 5)")->Width(), 2);
    EXPECT_EQ(Compile("LEFT(KEYS, 10)")->Width(), 10);
    EXPECT_EQ(Compile("LEFT(KEYS, QTY)")->Width(), 0);
}

TEST_F(Expr, CaseTrimLengthAndEmpty) {
    EXPECT_EQ(Text("UPPER('abc\xE9\xFF') + LOWER('ABC\xC9')"),
              "ABC\xC9\x9F"
              "abc\xE9");
    EXPECT_EQ(Text("'[' + LTRIM('  a  ') + '|' + RTRIM('  a  ') + '|' + ALLTRIM('  a  ') + ']'"),
              "[a  |  a|a]");
    EXPECT_EQ(Number("LEN(DESCRIPT) + LEN(TRIM(DESCRIPT))"), 50);
    EXPECT_TRUE(Logical("EMPTY(DESCRIPT) .and. EMPTY(QTY) .and. EMPTY(BORN) .and. EMPTY(DONE)"));
    EXPECT_TRUE(Logical("EMPTY(' \t\r\n')"));
    EXPECT_FALSE(Logical("EMPTY('.') .or. EMPTY(1) .or. EMPTY(.T.) .or. EMPTY(DATE())"));
}

TEST_F(Expr, RecordFunctions) {
    record_.SetRecNo(17);
    EXPECT_EQ(Number("RECNO()"), 17);
    EXPECT_FALSE(Logical("DELETED()"));
    EXPECT_TRUE(Logical("not Deleted()"));
    record_.SetDeleted(true);
    EXPECT_TRUE(Logical("deleted()"));
    EXPECT_FALSE(Logical("not Deleted()"));
    EXPECT_EQ(Text("IIF(DELETED(), 'gone', 'here')"), "gone");
}

TEST_F(Expr, DatesThroughTheDateFormats) {
    settings_.today = 2461042;  // 2026-01-01
    EXPECT_EQ(Text("DTOS(DATE())"), "20260101");
    EXPECT_EQ(Text("DTOS(DATE() - 1)"), "20251231");
    EXPECT_EQ(Text("DTOC(DATE())"), "01/01/26");
    settings_.century = true;
    EXPECT_EQ(Text("DTOC(DATE() + 45)"), "02/15/2026");
    EXPECT_EQ(Text("DTOC(BORN)"), "  /  /    ");
    const struct {
        int code;
        const char* shown;
        const char* typed;
    } formats[] = {
        {1, "2026.02.15", "26.2.15"},    {2, "15/02/2026", "15/2/26"},
        {3, "15/02/2026", "15/02/1926"}, {4, "15.02.2026", "15.2.26"},
        {5, "15-02-2026", "15-02-26"},   {6, "15-02-2026", "15-2-26"},
        {99, "02/15/2026", "2/15/26"},
    };
    for (const auto& f : formats) {
        settings_.dateFormat = f.code;
        EXPECT_EQ(Text("DTOC(DATE() + 45)"), f.shown) << f.code;
        // Two-digit years are of the 1900s.
        EXPECT_EQ(Text(std::string("DTOS(CTOD('") + f.typed + "'))"), "19260215") << f.code;
    }
    settings_.dateFormat = 0;
    for (const char* bad :
         {"", "13/01/26", "02/30/2026", "1/2", "1/2/3/4", "a1/2/26", "1/2/12345"}) {
        EXPECT_EQ(Number(std::string("CTOD('") + bad + "')"), 0) << bad;
    }
    EXPECT_TRUE(Logical("CTOD('03/01/2026') - CTOD('02/28/2026') = 1"));
    EXPECT_TRUE(Logical("CTOD('01/01/2026') > CTOD('12/31/2025')"));
}

TEST_F(Expr, TaskIndexKeysHaveTheirFixedWidths) {
    record_.Set("DATE", "20260315");
    record_.Set("TIME", "09:30");
    record_.Set("DESCRIPT", "call Bob");
    record_.Set("KEYS", "work");
    record_.Set("PRIORITY", "b");
    auto dateTime = Compile("DATE+TIME");
    auto descript = Compile("upper(DESCRIPT)");
    auto done = Compile("DONE");
    auto keys = Compile("upper(KEYS)");
    auto priority = Compile("upper(PRIORITY)+DATE+TIME");
    EXPECT_EQ(dateTime->Width(), 13);
    EXPECT_EQ(descript->Width(), 50);
    EXPECT_EQ(done->Type(), ValueType::kLogical);
    EXPECT_EQ(keys->Width(), 60);
    EXPECT_EQ(priority->Width(), 14);
    Value v;
    ASSERT_TRUE(priority->Evaluate(record_, settings_, v));
    EXPECT_EQ(v.text, "B2026031509:30");
    ASSERT_TRUE(descript->Evaluate(record_, settings_, v));
    EXPECT_EQ(v.text, "CALL BOB" + std::string(42, ' '));
    EXPECT_EQ(Compile("DTOS(BORN)")->Width(), 8);
    EXPECT_EQ(Compile("TRIM(KEYS)")->Width(), 0);
    EXPECT_EQ(Compile("IIF(DONE, KEYS, DESCRIPT)")->Width(), 0);
    EXPECT_EQ(Compile("IIF(DONE, DATE, 'x' + TIME + 'yy')")->Width(), 8);
}

TEST_F(Expr, TextResultsOutliveTheRecordTheyCameFrom) {
    record_.Set("DESCRIPT", "first");
    auto e = Compile("DESCRIPT");
    Value v;
    ASSERT_TRUE(e->Evaluate(record_, settings_, v));
    record_.Set("DESCRIPT", "second");
    EXPECT_EQ(v.text.substr(0, 5), "first");
}

TEST_F(Expr, TheTaskFilterSelectsTheRightRecords) {
    auto filter = Compile(
        "(DATE >=\"20260101\" and DATE <=\"20261231\").and.(PRIORITY=\"A\").and.(.not.DONE)"
        ".and.(\"WORK\"$UPPER(KEYS).or.\"HOME\"$UPPER(KEYS))");
    const struct {
        const char* date;
        const char* priority;
        const char* done;
        const char* keys;
        bool passes;
    } rows[] = {
        {"20260615", "A", "F", "Work, garden", true}, {"20260615", "A", "F", "house", false},
        {"20260615", "A", "T", "home", false},        {"20260615", "B", "F", "home", false},
        {"20251231", "A", "F", "home", false},        {"20261231", "A", "F", "x,homework", true},
        {"        ", "A", "F", "home", false},        {"2026", "A", "F", "home", false},
        {"20270101", "A", " ", "home", false},        {"20260101", "A", " ", "HOME", true},
    };
    for (const auto& row : rows) {
        record_.Set("DATE", row.date);
        record_.Set("PRIORITY", row.priority);
        record_.Set("DONE", row.done);
        record_.Set("KEYS", row.keys);
        Value v;
        ASSERT_TRUE(filter->Evaluate(record_, settings_, v));
        EXPECT_EQ(v.logical, row.passes) << row.date << " " << row.keys;
    }
}

TEST_F(Expr, ValuesFormatAsText) {
    EXPECT_EQ(FormatValue(Value{ValueType::kNumber, {}, 42, false}, settings_), "        42");
    EXPECT_EQ(FormatValue(Value{ValueType::kNumber, {}, -1.25, false}, settings_), "     -1.25");
    EXPECT_EQ(FormatValue(Value{ValueType::kLogical, {}, 0, true}, settings_), ".T.");
    EXPECT_EQ(FormatValue(Value{ValueType::kDate, {}, 2451545, false}, settings_), "01/01/00");
    EXPECT_EQ(FormatValue(Value{ValueType::kText, "ab ", 0, false}, settings_), "ab ");
    EXPECT_EQ(FormatValue(Value{ValueType::kNumber, {}, 1e300, false}, settings_),
              std::string(20, '*'));
    EXPECT_EQ(FormatValue(Value{ValueType::kNumber, {}, 123456789012345.0, false}, settings_),
              "123456789012345");
}

TEST_F(Expr, NestingIsLimitedInsteadOfExhaustingTheStack) {
    const std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
    EXPECT_NE(CompileError(deep).find("deeply"), std::string::npos);
    std::string chain = "1";
    for (int i = 0; i < 5000; ++i) {
        chain += "+1";
    }
    CompileError(chain);
    CompileError(std::string(5000, '-') + "1");
    CompileError(std::string(5000, '!') + ".T.");
    std::string calls;
    for (int i = 0; i < 5000; ++i) {
        calls += "UPPER(";
    }
    CompileError(calls + "'a'" + std::string(5000, ')'));
    EXPECT_EQ(Number(std::string(150, '(') + "1" + std::string(150, ')')), 1);
    // A key word clause per word typed: long runs of .OR. and .AND. are no nesting.
    record_.Set("KEYS", "w999");
    std::string words = "(.F.";
    for (int i = 0; i < 1000; ++i) {
        words += ".or.\"W" + std::to_string(i) + "\"$UPPER(KEYS)";
    }
    words += ")";
    EXPECT_TRUE(Logical(words + ".and..T..and.(1=1)"));
    EXPECT_FALSE(Logical(words + ".and..T..and.(1=1).and..F."));
    record_.Set("KEYS", "w1000");
    EXPECT_TRUE(Logical(words));  // W100 is in W1000
    record_.Set("KEYS", "x");
    EXPECT_FALSE(Logical(words));
}

// Pieces of expressions thrown together at random must compile or fail cleanly, and what
// compiles must evaluate without harm; a fixed text width must be the width answered.
TEST_F(Expr, RandomExpressionsNeverHarm) {
    const char* pieces[] = {
        "DATE", "TIME",    "NOTE",   "DONE",    "KEYS",  "QTY",   "BORN",    "(",
        ")",    ",",       "+",      "-",       "*",     "/",     "%",       "$",
        "=",    "==",      "<>",     "<",       ">=",    ".and.", "or",      "not",
        "!",    "'ab'",    "[x]",    "\"",      "1",     "0",     "-1",      ".5",
        "STR(", "SUBSTR(", "LEFT(",  "IIF(",    "CTOD(", "DTOS(", "VAL(",    "UPPER(",
        "LEN(", "EMPTY(",  "DATE()", "RECNO()", ".T.",   "->",    "QUILX->", "TRIM("};
    std::mt19937 random(12345);
    int compiled = 0;
    record_.SetMemo("memo text");
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int count = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) {
            text += pieces[random() % std::size(pieces)];
            text += ' ';
        }
        std::unique_ptr<Expression> expression;
        Status s = CompileExpression(text, record_.Fields(), "QUILX", expression);
        ASSERT_EQ(!expression, !s.ok()) << text;
        if (!expression) {
            ASSERT_FALSE(s.message().empty()) << text;
            continue;
        }
        ++compiled;
        Value v;
        if (expression->Width() > 0 && expression->Evaluate(record_, settings_, v)) {
            EXPECT_EQ(v.text.size(), static_cast<size_t>(expression->Width())) << text;
        }
    }
    EXPECT_GT(compiled, 100);
}

TEST_F(Expr, WordsAndLiteralsLexAsInXbase) {
    EXPECT_EQ(Text("[say \"hi\"] + \"it's\""), "say \"hi\"it's");
    EXPECT_TRUE(Logical("1=1.AND..NOT.2=3"));
    EXPECT_TRUE(Logical("NOT .F. AND .T. OR .F."));
    EXPECT_TRUE(Logical(".y. .and. !.n."));
    EXPECT_EQ(Number("3.+.5"), 3.5);
    CompileError("'it''s'");  // no doubled quotes inside a text: two texts side by side
}

TEST_F(Expr, MemosAreAskedForByTheirPlaceInTheFieldList) {
    record_.SetMemo("text");
    EXPECT_EQ(Text("NOTE + '!'"), "text!");
    EXPECT_EQ(record_.lastMemoIndex, 3);
    EXPECT_TRUE(Logical("'ex' $ NOTE"));
}

TEST_F(Expr, NumericKeysReadThroughStrAsTheAdaptorAsksForThem) {
    record_.Set("QTY", "1234.50");
    EXPECT_EQ(Text("LTRIM(STR(QTY, 19))"), "1235");
    EXPECT_EQ(Text("LTRIM(STR(QTY, 19, 2))"), "1234.50");
    Value v;
    ASSERT_TRUE(Eval("BORN + 1", v));
    EXPECT_EQ(v.type, ValueType::kDate);
    ASSERT_TRUE(Eval("BORN - BORN", v));
    EXPECT_EQ(v.type, ValueType::kNumber);
}

}  // namespace

// Counts the heap allocations of this test binary, so that the evaluation of the program's
// filter and keys can be shown to need none once its buffers are warm.
namespace alloc_count {
std::atomic<long> allocations{0};
}

}  // namespace xbase

void* operator new(std::size_t size) {
    xbase::alloc_count::allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
// Kept out of line: inlined, the compiler would see free() meet a pointer from new.
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace xbase {
namespace {

TEST_F(Expr, EvaluatingFiltersAndKeysDoesNotAllocate) {
    const long atStart = alloc_count::allocations.load();
    std::unique_ptr<Expression> all[] = {
        Compile("(DATE >=\"20260101\" and DATE <=\"20261231\").and.(PRIORITY=\"A\").and."
                "(.not.DONE).and.(\"WORK\"$UPPER(KEYS).or.\"HOME\"$UPPER(KEYS))"),
        Compile("DATE+TIME"),
        Compile("upper(DESCRIPT)"),
        Compile("upper(PRIORITY)+DATE+TIME"),
        Compile("not Deleted()"),
        Compile("DTOS(BORN) + STR(QTY, 8, 2) + LTRIM(KEYS) - TIME"),
        Compile("IIF(EMPTY(KEYS), SUBSTR(DESCRIPT, 2, 4), LEFT(KEYS, 4))")};
    ASSERT_GT(alloc_count::allocations.load(), atStart);  // the count sees compiling
    const char* keys[] = {"work", "Home, car", "", "garden"};
    Value v;
    for (const char* k : keys) {  // warm the buffers
        record_.Set("KEYS", k);
        for (auto& e : all) {
            ASSERT_TRUE(e->Evaluate(record_, settings_, v));
        }
    }
    for (const char* k : keys) {
        record_.Set("KEYS", k);
        record_.Set("PRIORITY", "A");
        const long before = alloc_count::allocations.load();
        for (auto& e : all) {
            ASSERT_TRUE(e->Evaluate(record_, settings_, v));
        }
        EXPECT_EQ(alloc_count::allocations.load(), before) << k;
    }
}

}  // namespace
}  // namespace xbase
