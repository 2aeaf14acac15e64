// Round trips with independent xBase tools (Debian's python3-dbfread, python3-dbf and Perl
// XBase): tables the engine writes read back identically there, and tables python3-dbf
// writes with FPT memos read identically here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/xbase/sx.h"

namespace {

std::string Capture(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return "popen failed";
    }
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    pclose(pipe);
    return out;
}

bool Have(const std::string& check) {
    return std::system((check + " >/dev/null 2>&1").c_str()) == 0;
}

class InteropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sx_CloseAll();
        sx_UseFileSystem(nullptr);
        sx_SetDeleted(false);
        sx_SetMemoBlockSize(64);
        char dir[] = "/tmp/xbase-interop-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
    }
    void TearDown() override {
        sx_CloseAll();
        ASSERT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
    }
    std::string Script(const std::string& name, const std::string& text) {
        std::string path = dir_ + "/" + name;
        std::ofstream(path) << text;
        return path;
    }
    std::string dir_;
};

// Every field type, blanks, a deleted record, a long memo, memos whose block use is exact,
// Windows-1252 letters.
void WriteSample(const std::string& path) {
    ASSERT_NE(sx_CreateNew(path, "", 2, 6), 0);
    sx_CreateField("NAME", "C", 12, 0);
    sx_CreateField("QTY", "N", 8, 2);
    sx_CreateField("COUNT", "N", 5, 0);
    sx_CreateField("BORN", "D", 8, 0);
    sx_CreateField("OK", "L", 1, 0);
    sx_CreateField("NOTES", "M", 10, 0);
    ASSERT_NE(sx_CreateExec(), 0);
    struct Row {
        const char* name;
        double qty;
        int count;
        const char* born;
        bool ok;
        std::string notes;
        bool deleted;
    };
    const Row rows[] = {
        {"Bob", 12.5, 7, "19991231", true, "hello memo", false},
        {"Zo\xEB \x80", -3, -42, "20260229", false, std::string(56, 'x'), false},  // invalid date
        {"long", 0.01, 0, "20000101", true, std::string(9000, 'L') + "\r\nend", false},
        {"gone", 1, 1, "20100101", false, "deleted note", true},
        {"exact", 99999.99, 99999, "18991230", false, std::string(120, 'e'), false},
    };
    for (const Row& r : rows) {
        ASSERT_TRUE(sx_AppendBlank());
        sx_Replace("NAME", SxReplace::kText, r.name);
        sx_Replace("QTY", SxReplace::kFloating, r.qty);
        sx_Replace("COUNT", SxReplace::kLong, r.count);
        sx_Replace("BORN", SxReplace::kText, r.born);  // the invalid one stays blank
        sx_Replace("OK", SxReplace::kLogical, r.ok);
        sx_Replace("NOTES", SxReplace::kMemo, r.notes);
        if (r.deleted) {
            sx_Delete();
        }
    }
    ASSERT_TRUE(sx_AppendBlank());  // all blank
    ASSERT_TRUE(sx_Close());
}

const char kExpectedRecords[] =
    "0|Bob|12.5|7|1999-12-31|True|10:hello memo\n"
    "0|Zo\xC3\xAB \xE2\x82\xAC|-3.0|-42|None|False|56:xxxxxxxxxx\n"
    "0|long|0.01|0|2000-01-01|True|9005:LLLLLLLLLL\n"
    "1|gone|1.0|1|2010-01-01|False|12:deleted no\n"
    "0|exact|99999.99|99999|1899-12-30|False|120:eeeeeeeeee\n"
    "0||None|None|None|None|None\n";

TEST_F(InteropTest, DbfreadReadsWhatTheEngineWrites) {
    if (!Have("/usr/bin/python3 -c 'import dbfread'")) {
        GTEST_SKIP() << "python3-dbfread is not installed";
    }
    std::string table = dir_ + "/sample.dbf";
    WriteSample(table);
    // dbfread hands live and deleted records separately; walk the raw file order instead.
    std::string script = Script("read.py", R"(import sys
from dbfread import DBF
t = DBF(sys.argv[1], encoding='cp1252', load=True)
print(hex(t.header.dbversion), t.header.numrecords, t.header.language_driver)
live = list(t.records); dead = list(t.deleted)
order = []
with open(sys.argv[1], 'rb') as f:
    data = f.read()
for i in range(t.header.numrecords):
    order.append(data[t.header.headerlen + i * t.header.recordlen] == 0x2a)
for deleted in order:
    r = (dead if deleted else live).pop(0)
    out = [str(int(deleted))]
    for k, v in r.items():
        if k == 'NOTES':
            out.append('None' if not v else '%d:%s' % (len(v), v[:10]))
        elif v is None or v == '':
            out.append('None' if k != 'NAME' else '')
        else:
            out.append(str(v))
    print('|'.join(out))
)");
    std::string out = Capture("/usr/bin/python3 " + script + " " + table + " 2>&1");
    EXPECT_EQ(out, std::string("0xf5 6 3\n") + kExpectedRecords);
}

TEST_F(InteropTest, PerlXBaseReadsWhatTheEngineWrites) {
    if (!Have("perl -MXBase -e 1")) {
        GTEST_SKIP() << "libdbd-xbase-perl is not installed";
    }
    std::string table = dir_ + "/sample.dbf";
    WriteSample(table);
    std::string out = Capture(
        "perl -MXBase -e '$t = XBase->new(\"" + table +
        "\") or die XBase->errstr; for $i (0 .. $t->last_record) { @r = $t->get_record($i); "
        "$r[6] = defined $r[6] ? length($r[6]) . \":\" . substr($r[6], 0, 10) : \"undef\"; "
        "print join(\"|\", map { $_ // \"undef\" } @r), \"\\n\" }' 2>&1");
    EXPECT_EQ(out,
              "0|Bob|12.5|7|19991231|1|10:hello memo\n"
              "0|Zo\xEB \x80|-3|-42|undef|0|56:xxxxxxxxxx\n"
              "0|long|0.01|0|20000101|1|9005:LLLLLLLLLL\n"
              "1|gone|1|1|20100101|0|12:deleted no\n"
              "0|exact|99999.99|99999|18991230|0|120:eeeeeeeeee\n"
              "0||undef|undef|undef|undef|undef\n");
}

TEST_F(InteropTest, EngineReadsWhatPythonDbfWritesWithFptMemos) {
    if (!Have("/usr/bin/python3 -c 'import dbf'")) {
        GTEST_SKIP() << "python3-dbf is not installed";
    }
    for (int blockSize : {64, 512}) {
        SCOPED_TRACE(blockSize);
        std::string table = dir_ + "/people" + std::to_string(blockSize) + ".dbf";
        std::string script = Script("write.py", R"(import sys, dbf, datetime
t = dbf.Table(sys.argv[1], 'NAME C(10); QTY N(6,2); BORN D; OK L; NOTES M',
              dbf_type='fp', memo_size=int(sys.argv[2]), codepage='cp1252')
t.open(dbf.READ_WRITE)
t.append(('Bob', 12.5, datetime.date(1999, 12, 31), True, 'hello memo'))
t.append(('alice\xe9', -3, None, False, 'x' * 70))
t.append(('Carl',))
t.append(('Dora', 1, datetime.date(2026, 1, 2), True, 'y' * 5000))
dbf.delete(t[2])
t.close()
)");
        ASSERT_EQ(Capture("/usr/bin/python3 " + script + " " + table + " " +
                          std::to_string(blockSize == 64 ? 64 : 512) + " 2>&1"),
                  "");
        ASSERT_NE(sx_Use(table, "", 1, 2), 0) << sx_LastStatus().message();
        ASSERT_EQ(sx_RecCount(), 4);
        sx_Go(1);
        EXPECT_EQ(sx_GetTrimString("NAME"), "Bob");
        EXPECT_DOUBLE_EQ(sx_GetDouble("QTY"), 12.5);
        EXPECT_EQ(sx_GetString("BORN"), "19991231");
        EXPECT_TRUE(sx_GetLogical("OK"));
        EXPECT_EQ(sx_GetMemo("NOTES"), "hello memo");
        sx_Go(2);
        EXPECT_EQ(sx_GetTrimString("NAME"), "alice\xE9");
        EXPECT_EQ(sx_GetString("BORN"), "        ");
        EXPECT_FALSE(sx_GetLogical("OK"));
        EXPECT_EQ(sx_GetMemo("NOTES"), std::string(70, 'x'));
        sx_Go(3);
        EXPECT_TRUE(sx_Deleted());
        EXPECT_EQ(sx_GetMemo("NOTES"), "");
        sx_Go(4);
        EXPECT_EQ(sx_GetMemo("NOTES"), std::string(5000, 'y'));
        sx_SetDeleted(true);
        EXPECT_EQ(sx_QueryRecCount(), 3);
        sx_SetDeleted(false);
        sx_CloseAll();

        // And the engine may write to it: dbf reads the additions back.
        ASSERT_NE(sx_Use(table, "", 2, 2), 0);
        ASSERT_TRUE(sx_AppendBlank());
        sx_Replace("NAME", SxReplace::kText, "Eve");
        sx_Replace("NOTES", SxReplace::kMemo, "added by the engine");
        ASSERT_TRUE(sx_Close());
        std::string reader = Script("reread.py", R"(import sys, dbf
t = dbf.Table(sys.argv[1]); t.open()
print(len(t), t[4].name.strip(), t[4].notes, t[3].notes[:3])
)");
        EXPECT_EQ(Capture("/usr/bin/python3 " + reader + " " + table + " 2>&1"),
                  "5 Eve added by the engine yyy\n");
    }
}

// A table open shared here while python3-dbf changes a record, appends one and deletes one
// between two calls: the next calls read the file afresh, memo included.
TEST_F(InteropTest, ChangesOfAForeignWriterAreSeenByTheNextCall) {
    if (!Have("/usr/bin/python3 -c 'import dbf'")) {
        GTEST_SKIP() << "python3-dbf is not installed";
    }
    std::string table = dir_ + "/shared.dbf";
    ASSERT_NE(sx_CreateNew(table, "", 2, 3), 0);
    sx_CreateField("NAME", "C", 10, 0);
    sx_CreateField("QTY", "N", 6, 0);
    sx_CreateField("NOTES", "M", 10, 0);
    ASSERT_NE(sx_CreateExec(), 0);
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(sx_AppendBlank());
        sx_Replace("NAME", SxReplace::kText, "row" + std::to_string(i));
        sx_Replace("QTY", SxReplace::kLong, i);
        sx_Replace("NOTES", SxReplace::kMemo, "note " + std::to_string(i));
    }
    ASSERT_TRUE(sx_Close());
    ASSERT_NE(sx_Use(table, "", 0, 2), 0);
    auto look = [] {
        std::string seen = std::to_string(sx_RecCount()) + ":";
        for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
            seen += " " + sx_GetTrimString("NAME") + "/" + std::to_string(sx_GetLong("QTY")) + "/" +
                    sx_GetMemo("NOTES") + (sx_Deleted() ? "/deleted" : "");
        }
        return seen;
    };
    ASSERT_EQ(look(), "3: row1/1/note 1 row2/2/note 2 row3/3/note 3");
    std::string script = Script("change.py", R"(import sys, dbf
t = dbf.Table(sys.argv[1]); t.open(dbf.READ_WRITE)
with t[1] as r:
    r.qty = 20
    r.notes = 'changed elsewhere'
t.append(('row4', 4, 'note 4'))
dbf.delete(t[0])
t.close()
)");
    ASSERT_EQ(Capture("/usr/bin/python3 " + script + " " + table + " 2>&1"), "");
    EXPECT_EQ(look(),
              "4: row1/1/note 1/deleted row2/20/changed elsewhere row3/3/note 3 row4/4/note 4");
}

}  // namespace
