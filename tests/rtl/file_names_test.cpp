// Finding files whatever their letter case, in a temporary folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "rtl/file_names.h"

namespace {

namespace fs = std::filesystem;

TEST(FindFileName, FindsANameWhateverItsLetterCase) {
    char pattern[] = "/tmp/quillet-names-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = std::string(pattern) + "/";
    for (const char* name : {"quilx.dbf", "Quilx.Fpt", "QUILX.CDX", "todo.ini", "qxbak.DBF",
                             "QXBAK.dbf", "QUILX.DBF.bad"}) {
        std::ofstream(dir + name) << "x";
    }
    struct Case {
        const char* wanted;
        const char* found;
    };
    const Case cases[] = {
        {"QUILX.DBF", "quilx.dbf"}, {"QUILX.FPT", "Quilx.Fpt"}, {"QUILX.CDX", "QUILX.CDX"},
        {"TODO.INI", "todo.ini"},   {"QXBAK.DBF", "QXBAK.dbf"},  // two spellings: the first in byte
                                                                 // order
        {"qxbak.DBF", "qxbak.DBF"},                              // the exact name first
        {"QUILX.INI", "QUILX.INI"},                              // none: the name as asked
        {"QUILX", "QUILX"},                                      // no prefix matches
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rtl::FindFileName(dir, c.wanted), c.found) << c.wanted;
    }
    EXPECT_EQ(rtl::FindFileName(dir + "missing/", "TODO.INI"), "TODO.INI");
    std::error_code error;
    fs::remove_all(pattern, error);
}

}  // namespace
