// Tests of xbtool's commands as a user runs them: outputs, exit codes and messages.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

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

}  // namespace
