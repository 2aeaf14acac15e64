// Structural indexes written by another program of the family (data/foreign): their tags are
// read, walked and sought through the engine, and checked against the table; a tag whose keys
// cannot be computed is named with the reason, and keeps its table from being written.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/xbase/cdx_area.h"
#include "platform/xbase/work_area.h"
#include "table_test_util.h"

namespace {

class ForeignIndexTest : public xbase_test::EngineTest {
  protected:
    // Plants data/foreign/NAME.{dbf,CDX,FPT} in the memory file system under /f/.
    void Plant(const std::string& name) {
        for (const char* ext : {".dbf", ".CDX", ".FPT"}) {
            std::ifstream in(std::string(XBASE_TEST_DATA) + "/foreign/" + name + ext,
                             std::ios::binary);
            ASSERT_TRUE(in) << name << ext;
            fs_.SetContents("/f/" + name + ext,
                            std::vector<char>(std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()));
        }
    }

    // The records in the order of `field`'s values (ties in record order), as a tag on the
    // field by itself must hold them.
    static std::vector<int> SortedBy(const std::string& field) {
        std::vector<std::pair<double, int>> rows;
        for (int n = 1; n <= sx_RecCount(); ++n) {
            sx_Go(n);
            rows.emplace_back(sx_GetDouble(field), n);
        }
        std::sort(rows.begin(), rows.end());
        std::vector<int> out;
        for (const auto& row : rows) {
            out.push_back(row.second);
        }
        return out;
    }

    static std::vector<int> Walk() {
        std::vector<int> out;
        for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
            out.push_back(sx_RecNo());
        }
        return out;
    }

    static std::vector<int> WalkBack() {
        std::vector<int> out;
        for (sx_GoBottom(); !sx_Eof();) {
            out.push_back(sx_RecNo());
            sx_Skip(-1);
            if (sx_Bof()) {
                break;
            }
        }
        std::reverse(out.begin(), out.end());
        return out;
    }

    // Every tag of the open table against its records.
    static xbase::CheckReport Check() {
        xbase::CheckReport report;
        EXPECT_TRUE(xbase::CurrentArea()->indexes->Check(report).ok());
        return report;
    }

    // Walks tag `tag` both ways and seeks every value of `field` in it, against the records
    // sorted here.
    static void ExpectTagFollowsField(const std::string& tag, const std::string& field) {
        SCOPED_TRACE(tag);
        const std::vector<int> sorted = SortedBy(field);
        ASSERT_TRUE(sx_SetOrder(sx_TagArea(tag)));
        EXPECT_EQ(Walk(), sorted);
        EXPECT_EQ(WalkBack(), sorted);
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            sx_Go(sorted[i]);
            const long value = sx_GetLong(field);
            if (i > 0) {
                sx_Go(sorted[i - 1]);
                if (sx_GetLong(field) == value) {
                    continue;  // a seek lands on the first record of a value
                }
            }
            EXPECT_TRUE(sx_Seek(std::to_string(value))) << value;
            EXPECT_EQ(sx_RecNo(), sorted[i]) << value;
        }
        sx_Go(sorted.back());
        EXPECT_FALSE(sx_Seek(std::to_string(sx_GetLong(field) + 1)));
    }
};

TEST_F(ForeignIndexTest, TagsAreWalkedSoughtAndCheckedLikeTheTableSortedHere) {
    struct Case {
        const char* table;
        std::vector<std::string> tags;
        std::vector<std::pair<std::string, std::string>> readable;  // tag, its field
    };
    const Case cases[] = {
        {"calls",
         {"CALL_ID", "CONTACT_ID"},
         {{"CALL_ID", "CALL_ID"}, {"CONTACT_ID", "CONTACT_ID"}}},
        {"contacts", {"CONTACT_ID", "TYPE_ID"}, {{"CONTACT_ID", "CONTACT_ID"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        Plant(c.table);
        sx_ClearLastError();
        ASSERT_NE(sx_Use("/f/" + std::string(c.table) + ".dbf", "", 1, 2), 0);
        EXPECT_TRUE(sx_LastStatus().ok()) << sx_LastStatus().message();
        ASSERT_EQ(sx_SysProp(SxProp::kOrderCount, 0), static_cast<int>(c.tags.size()));
        for (std::size_t i = 0; i < c.tags.size(); ++i) {
            EXPECT_EQ(sx_TagName(static_cast<int>(i) + 1), c.tags[i]);
        }
        for (const auto& [tag, field] : c.readable) {
            ExpectTagFollowsField(tag, field);
        }
        xbase::CheckReport report = Check();
        EXPECT_EQ(report.missing + report.extra + report.misordered + report.structural, 0u);
        EXPECT_EQ(report.unreadable, c.tags.size() - c.readable.size());
        sx_Close();
    }
}

// The tag's key names the field by a long name kept outside the table; the table has only its
// first ten letters. Guessing the field would risk keys of another one, so the tag is named
// as unreadable, with the reason, and the table is not opened for writing.
TEST_F(ForeignIndexTest, TagNamingAFieldTheTableDoesNotHoldIsUnreadableAndKeepsTheTableUnwritten) {
    Plant("contacts");
    const std::vector<char> index = fs_.Contents("/f/contacts.CDX");
    ASSERT_NE(sx_Use("/f/contacts.dbf", "", 1, 2), 0);
    const xbase::TagInfo* tag = xbase::CurrentArea()->indexes->Tag(2);
    ASSERT_NE(tag, nullptr);
    EXPECT_NE(tag->unreadable.find("contact_type_id"), std::string::npos) << tag->unreadable;
    EXPECT_FALSE(sx_SetOrder(2));
    xbase::CheckReport report = Check();
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(report.problems[0].kind, xbase::CheckProblem::Kind::kUnreadable);
    EXPECT_EQ(report.problems[0].tag, "TYPE_ID");
    sx_Close();

    for (int mode : {0, 2}) {
        SCOPED_TRACE(mode);
        sx_ClearLastError();
        EXPECT_EQ(sx_Use("/f/contacts.dbf", "", mode, 2), 0);
        EXPECT_EQ(sx_LastStatus().code(), xbase::ErrorCode::kNotSupported);
        EXPECT_NE(sx_LastStatus().message().find("TYPE_ID"), std::string::npos)
            << sx_LastStatus().message();
    }
    EXPECT_EQ(fs_.Contents("/f/contacts.CDX"), index);
}

// Writes go into the other program's nodes (leaves marked 0x04) and keep every tag right,
// a new date-time tag among them.
TEST_F(ForeignIndexTest, WritesAndANewDateTimeTagKeepTheForeignIndexRight) {
    Plant("calls");
    ASSERT_NE(sx_Use("/f/calls.dbf", "", 2, 2), 0);
    ASSERT_TRUE(sx_AppendBlank());
    ASSERT_TRUE(sx_Replace("CALL_ID", SxReplace::kText, "-3"));
    ASSERT_TRUE(sx_Replace("CONTACT_ID", SxReplace::kText, "2"));
    ASSERT_TRUE(
        sx_Replace("CALL_DATE", SxReplace::kFloating, 2449354.0 + 8.0 / 24));  // 1 Jan 1994, 08:00
    sx_Go(5);
    ASSERT_TRUE(sx_Replace("CONTACT_ID", SxReplace::kText, "9"));
    ASSERT_TRUE(sx_Commit());
    ASSERT_NE(sx_IndexTag("", "WHEN", "CALL_DATE", 0, false, ""), 0) << sx_LastStatus().message();
    sx_Close();

    ASSERT_NE(sx_Use("/f/calls.dbf", "", 1, 2), 0);
    EXPECT_EQ(sx_SysProp(SxProp::kOrderCount, 0), 3);
    EXPECT_TRUE(Check().ok());
    ExpectTagFollowsField("CALL_ID", "CALL_ID");
    ExpectTagFollowsField("CONTACT_ID", "CONTACT_ID");
    sx_SetOrder(sx_TagArea("WHEN"));
    EXPECT_EQ(Walk(), SortedBy("CALL_DATE"));
    EXPECT_EQ(Walk().front(), 17);
}

}  // namespace
