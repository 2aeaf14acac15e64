// Tests of xbtool's commands as a user runs them: outputs, exit codes and messages.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Result {
    int code = -1;
    std::string out;
};

class XbtoolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char dir[] = "/tmp/xbtool-test-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
        table_ = dir_ + "/T.DBF";
    }
    void TearDown() override { ASSERT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0); }

    // Runs xbtool with `args` (shell words); standard error goes to dir_/err.
    Result Tool(const std::string& args, const std::string& input = {}) {
        std::string in = dir_ + "/in";
        std::ofstream(in, std::ios::binary) << input;
        std::string command = std::string(XBTOOL) + " " + args + " <" + in + " 2>" + dir_ + "/err";
        Result r;
        FILE* pipe = popen(command.c_str(), "r");
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            r.out.append(buffer, n);
        }
        int status = pclose(pipe);
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return r;
    }
    std::string Err() {
        std::ifstream in(dir_ + "/err");
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    std::string dir_;
    std::string table_;
};

TEST_F(XbtoolTest, CreateAppendDumpRoundTripsEveryKindOfCell) {
    ASSERT_EQ(Tool("create " + table_ + " 'NAME C(10); QTY N(6,2); BORN D; OK L; NOTES M'").code,
              0);
    const std::string csv =
        "NAME,QTY,BORN,OK,NOTES\r\n"
        "Bob,12.5,19991231,T,hello memo\r\n"
        "\"Zo\xC3\xAB, \"\"Z\"\"\",-3,,F,\"two\r\nlines\"\r\n"
        ",,,,\r\n";
    ASSERT_EQ(Tool("append " + table_, csv).code, 0) << Err();
    Result dump = Tool("dump " + table_);
    ASSERT_EQ(dump.code, 0);
    EXPECT_EQ(dump.out,
              "_DELETED,NAME,QTY,BORN,OK,NOTES\r\n"
              ",Bob,12.50,19991231,T,hello memo\r\n"
              ",\"Zo\xC3\xAB, \"\"Z\"\"\",-3.00,,F,\"two\r\nlines\"\r\n"
              ",,,,,\r\n");
    Result info = Tool("info " + table_);
    EXPECT_EQ(info.code, 0);
    EXPECT_NE(info.out.find("version: 0xF5\nrecords: 3\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("QTY        N   6  2"), std::string::npos);
}

TEST_F(XbtoolTest, CountListAndPackFollowDeletedRecords) {
    ASSERT_EQ(Tool("create " + table_ + " 'N N(4); KEYS C(20)'").code, 0);
    std::string csv = "N,KEYS\n";
    for (int i = 1; i <= 6; ++i) {
        csv += std::to_string(i) + "," + (i % 2 ? "work" : "home") + "\n";
    }
    ASSERT_EQ(Tool("append " + table_, csv).code, 0);
    // Delete record 3 through the engine's own file bytes: flag of record 3.
    {
        std::fstream f(table_, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(32 + 2 * 32 + 1 + 2 * 25);
        f.put('*');
    }
    EXPECT_EQ(Tool("count " + table_ + " '\"WORK\"$UPPER(KEYS)'").out, "2\n");
    EXPECT_EQ(Tool("count " + table_ + " '\"WORK\"$UPPER(KEYS)' --all").out, "3\n");
    EXPECT_EQ(Tool("list " + table_ + " 'N > 1'").out, "2\n4\n5\n6\n");
    EXPECT_EQ(Tool("pack " + table_).code, 0);
    EXPECT_EQ(Tool("list " + table_ + " 'N > 1' --all").out, "2\n3\n4\n5\n");
    EXPECT_EQ(Tool("dump " + table_).out.substr(0, 18), "_DELETED,N,KEYS\r\n,");
}

TEST_F(XbtoolTest, UsageAndEngineErrorsHaveTheirExitCodes) {
    EXPECT_EQ(Tool("").code, 1);
    EXPECT_EQ(Tool("frobnicate x").code, 1);
    EXPECT_EQ(Tool("dump").code, 1);
    EXPECT_EQ(Tool("create " + table_ + " 'NAME C'").code, 1);  // no width
    EXPECT_EQ(Tool("create " + table_ + " 'NAME Q(3)'").code, 2);
    EXPECT_NE(Err().find("xbtool: "), std::string::npos);
    Result missing = Tool("dump " + dir_ + "/NONE.DBF");
    EXPECT_EQ(missing.code, 2);
    EXPECT_NE(Err().find("NONE.DBF"), std::string::npos);
    std::ofstream(dir_ + "/BAD.DBF") << "not a table at all, just text long enough to look";
    EXPECT_EQ(Tool("info " + dir_ + "/BAD.DBF").code, 2);
    ASSERT_EQ(Tool("create " + table_ + " 'N N(3)'").code, 0);
    EXPECT_EQ(Tool("append " + table_, "N\n12345\n").code, 2);  // too wide for the field
    EXPECT_EQ(Tool("append " + table_, "NOPE\n1\n").code, 2);
    EXPECT_EQ(Tool("count " + table_ + " 'N >'").code, 2);
}

// Tables of the later family written elsewhere: version 0x30 with I, T, Y, B and memo fields,
// the structural index beside them as NAME.CDX in upper case while the table is lower case,
// and tag headers carrying the option bit 0x04 (options 0x64) that other writers set.
class ForeignTableTest : public XbtoolTest {
  protected:
    void SetUp() override {
        XbtoolTest::SetUp();
        if (std::system("/usr/bin/python3 -c 'import dbf' 2>/dev/null") != 0) {
            GTEST_SKIP() << "python3-dbf is not installed";
        }
        table_ = dir_ + "/calls.dbf";
        std::ofstream(dir_ + "/write.py") << R"(import sys, dbf, datetime
t = dbf.Table(sys.argv[1], 'NAME C(10); ID I; WHEN T; PRICE Y; RATE B; NOTE M',
              dbf_type='vfp', codepage='cp1252')
t.open(dbf.READ_WRITE)
t.append(('Bob', 7, datetime.datetime(2026, 3, 4, 5, 6, 7), 12.25, 2.5, 'hello'))
t.append(('alice', -2, None, -0.5, -1e10, ''))
t.append(('Carl', 0, datetime.datetime(1999, 12, 31, 23, 59, 59), 0, 0.125, 'x' * 100))
t.close()
)";
        ASSERT_EQ(std::system(("/usr/bin/python3 " + dir_ + "/write.py " + table_).c_str()), 0);
    }

    // Builds the tags, then gives the index the shape other writers leave: upper-case name,
    // option bit 0x04 in every tag header. Answers how many headers were marked.
    int MakeForeignIndex() {
        const char* tags[][2] = {{"ID", "ID"},
                                 {"WHEN", "WHEN"},
                                 {"PRICE", "PRICE"},
                                 {"RATE", "RATE"},
                                 {"NAME", "UPPER(NAME)"}};
        for (const auto& t : tags) {
            EXPECT_EQ(Tool("index " + table_ + " " + t[0] + " '" + t[1] + "'").code, 0) << Err();
        }
        EXPECT_EQ(Tool("index " + table_ + " POS ID --for 'ID>0' --descending").code, 0);
        std::filesystem::rename(dir_ + "/calls.cdx", dir_ + "/calls.CDX");
        std::fstream f(dir_ + "/calls.CDX", std::ios::in | std::ios::out | std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
        int marked = 0;
        for (std::size_t at = 1024; at + 1024 <= bytes.size(); at += 512) {
            const char* page = bytes.data() + at;
            bool header = page[15] == 1 && (page[14] & 0x60) == 0x60 &&
                          std::all_of(page + 16, page + 502, [](char c) { return c == 0; });
            if (header) {
                f.seekp(static_cast<std::streamoff>(at + 14));
                f.put(static_cast<char>(page[14] | 0x04));
                ++marked;
            }
        }
        return marked;
    }
};

TEST_F(ForeignTableTest, DumpShowsIntegerDateTimeCurrencyAndDoubleFieldsAsValues) {
    Result dump = Tool("dump " + table_);
    ASSERT_EQ(dump.code, 0) << Err();
    EXPECT_EQ(dump.out,
              "_DELETED,NAME,ID,WHEN,PRICE,RATE,NOTE\r\n"
              ",Bob,7,20260304 05:06:07,12.2500,2.5,hello\r\n"
              ",alice,-2,,-0.5000,-10000000000,\r\n"
              ",Carl,0,19991231 23:59:59,0.0000,0.125," +
                  std::string(100, 'x') + "\r\n");
}

TEST_F(ForeignTableTest, StructuralIndexInAnotherCaseWithOptionBitFourIsFoundAndKeptRight) {
    ASSERT_EQ(MakeForeignIndex(), 6);
    Result tags = Tool("tags " + table_);
    ASSERT_EQ(tags.code, 0) << Err();
    EXPECT_NE(tags.out.find("6\tPOS\tID\tID>0\tdescending\t1"), std::string::npos) << tags.out;
    EXPECT_EQ(Tool("check " + table_).code, 0) << Err();
    EXPECT_EQ(Tool("seek " + table_ + " ID -2").out, "2\n");
    EXPECT_EQ(Tool("walk " + table_ + " WHEN").out, "2\t\n3\t19991231\n1\t20260304\n");

    // Writes keep every tag right and go to the index found, not to a new one.
    EXPECT_EQ(
        Tool("append " + table_, "NAME,ID,WHEN,PRICE,RATE\nDora,-7,20260101,3.5,-0.25\n").code, 0)
        << Err();
    EXPECT_EQ(Tool("check " + table_).code, 0) << Err();
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/calls.cdx"));
    EXPECT_EQ(Tool("walk " + table_ + " ID").out, "4\t-7\n2\t-2\n3\t0\n1\t7\n");

    // Integer tags keep 4-byte keys with the sign bit flipped and date-time tags the day number
    // with the time as its fraction: an independent reader decodes the same values.
    if (std::system("command -v index_dump >/dev/null 2>&1") == 0) {
        auto reader = [&](const std::string& tag) {
            FILE* pipe =
                popen(("index_dump --type=num " + dir_ + "/calls.CDX " + tag).c_str(), "r");
            std::string out;
            char buffer[256];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
                out.append(buffer, n);
            }
            pclose(pipe);
            return out;
        };
        EXPECT_EQ(reader("POS"), "7 1\n");
        EXPECT_EQ(reader("WHEN"), "0 2\n2451544.99998843 3\n2461042 4\n2461104.21258102 1\n");
    }
}

// Tables and indexes written by another program of the family, kept byte for byte in
// data/foreign: every command says what it found, and a tag the engine cannot read is named
// with the reason instead of the index going missing without a word.
TEST_F(XbtoolTest, ForeignFixturesListWalkSeekAndCheckTheirTagsOrSayWhyNot) {
    for (const char* name : {"calls", "contacts"}) {
        for (const char* ext : {".dbf", ".CDX", ".FPT"}) {
            std::filesystem::copy_file(std::string(XBASE_TEST_DATA) + "/foreign/" + name + ext,
                                       dir_ + "/" + name + ext);
        }
    }
    const std::string calls = dir_ + "/calls.dbf";
    const std::string contacts = dir_ + "/contacts.dbf";
    const std::string unreadable =
        "key of tag TYPE_ID (contact_type_id): Unknown field contact_type_id at position 1";
    struct Case {
        std::string args;
        int code;
        std::string out;
        std::string err;  // a part of standard error; empty: nothing there
    };
    const Case cases[] = {
        {"tags " + calls, 0,
         "1\tCALL_ID\tcall_id\t\tascending\t16\n2\tCONTACT_ID\tcontact_id\t\tascending\t16\n", ""},
        {"check " + calls, 0, "2 tags agree with the table\n", ""},
        {"seek " + calls + " CONTACT_ID 3", 0, "12\n", ""},
        {"seek " + calls + " CONTACT_ID 6", 3, "", ""},
        {"tags " + contacts, 0,
         "1\tCONTACT_ID\tcontact_id\t\tascending\t5\n2\tTYPE_ID\tcontact_type_id\t\tascending "
         "unreadable: " +
             unreadable + "\t5\n",
         ""},
        {"walk " + contacts + " CONTACT_ID", 0, "1\t1\n2\t2\n3\t3\n4\t4\n5\t5\n", ""},
        {"check " + contacts, 4,
         "TYPE_ID\tunreadable\ttag TYPE_ID cannot be read: " + unreadable +
             "\n0 missing, 0 extra, 0 misordered, 0 broken, 1 unreadable\n",
         ""},
        {"walk " + contacts + " TYPE_ID", 2, "", "tag TYPE_ID cannot be read: " + unreadable},
        {"seek " + contacts + " TYPE_ID 1", 2, "", "tag TYPE_ID cannot be read: " + unreadable},
        {"append " + contacts, 2, "",
         "can only be read: tag TYPE_ID cannot be kept up to date (" + unreadable + ")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        Result r = Tool(c.args, "CONTACT_ID\n9\n");
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.out, c.out);
        if (c.err.empty()) {
            EXPECT_EQ(Err(), "");
        } else {
            EXPECT_NE(Err().find(c.err), std::string::npos) << Err();
        }
    }
    // The seek landed on the first of the three calls of contact 3 (records 12 to 14).
    EXPECT_EQ(Tool("walk " + calls + " CONTACT_ID").out.substr(0, 8), "1\t1\n2\t1\n");
}

// An index the engine cannot open leaves the table open without it: the tool says why rather
// than listing no tags as if there were none.
TEST_F(XbtoolTest, DamagedIndexIsReportedNotTakenForNoTags) {
    ASSERT_EQ(Tool("create " + table_ + " 'N N(4)'").code, 0);
    ASSERT_EQ(Tool("index " + table_ + " N N").code, 0) << Err();
    std::fstream f(dir_ + "/T.CDX", std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(14);
    f.put(0x10);  // the directory's options: no longer a compound index
    f.close();
    Result tags = Tool("tags " + table_);
    EXPECT_EQ(tags.code, 0);
    EXPECT_EQ(tags.out, "");
    EXPECT_NE(Err().find("not a compound index directory"), std::string::npos) << Err();
}

TEST_F(XbtoolTest, RepairSetsAHidingCountAfterKeepingACopy) {
    ASSERT_EQ(Tool("create " + table_ + " 'NAME C(10)'").code, 0);
    ASSERT_EQ(Tool("append " + table_, "NAME\r\nann\r\nbob\r\ncid\r\n").code, 0);
    EXPECT_EQ(Tool("repair " + table_).code, 0);  // nothing to repair
    EXPECT_FALSE(std::filesystem::exists(table_ + ".bak"));
    {
        std::fstream f(table_, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4);
        f.put(1);
    }
    Result dump = Tool("dump " + table_);
    EXPECT_EQ(std::count(dump.out.begin(), dump.out.end(), '\n'), 2) << dump.out;  // header + 1
    Result r = Tool("repair " + table_);
    EXPECT_EQ(r.code, 0) << Err();
    EXPECT_NE(r.out.find("1 -> 3"), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(table_ + ".bak"));
    EXPECT_EQ(Tool("count " + table_ + " '.T.'").out, "3\n");
    {
        std::fstream f(table_, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4);
        f.put(2);
    }
    EXPECT_EQ(Tool("repair " + table_).code, 2);  // the copy of before is never overwritten
    EXPECT_NE(Err().find(".bak exists"), std::string::npos) << Err();
    EXPECT_EQ(Tool("repair").code, 1);
}

}  // namespace
