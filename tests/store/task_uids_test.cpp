// Task UIDs on real files: given at the first open, kept across reopening, edits and packs
// (the program's own and another program's), renewed only for the tasks that cannot be matched,
// and a damaged companion table made again; the UID texts themselves.
#include "store/task_uids.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>

#include "platform/xbase/sx.h"
#include "store/task_file.h"
#include "store_test_support.h"

namespace store {
namespace {

using store_test::Task;

Task Named(const char* descript) {
    Task task;
    task.descript = descript;
    return task;
}

class TaskUidsTest : public store_test::StoreTest {
  protected:
    // What another program does to QUILX.DBF, opened exclusively on an area of its own.
    void ByAnotherProgram(const std::function<void()>& change) {
        const int area = sx_Use(PathOf(kTaskTableName), "OTHERPRG", 2, 2);
        ASSERT_NE(area, 0) << sx_LastStatus().message();
        change();
        ASSERT_TRUE(sx_Commit());
        ASSERT_TRUE(sx_Close());
    }
    std::vector<std::string> UidsOf(const TTaskUids& uids, int records) {
        std::vector<std::string> found;
        for (int n = 1; n <= records; ++n) {
            found.push_back(uids.StoredUid(n));
        }
        return found;
    }
};

void DeleteRecord(int record) {
    ASSERT_TRUE(sx_Go(record));
    ASSERT_TRUE(sx_Delete());
}

void SetDescription(int record, const std::string& text) {
    ASSERT_TRUE(sx_Go(record));
    ASSERT_TRUE(sx_Replace("DESCRIPT", SxReplace::kText, text));
}

TEST_F(TaskUidsTest, UidsSurviveReopeningAndPacksAndOnlyUnmatchedTasksAreRenewed) {
    struct Case {
        const char* name;
        std::function<void()> otherProgram;  // run on QUILX.DBF between two opens
        std::vector<int> origin;  // per record after: the first open's record it came from; 0 new
        int given;
        int renewed;
    };
    const std::vector<Case> cases = {
        {"unchanged", [] {}, {1, 2, 3, 4}, 0, 0},
        {"another program appended a task",
         [] {
             ASSERT_TRUE(sx_AppendBlank());
             ASSERT_TRUE(sx_Replace("DESCRIPT", SxReplace::kText, "Added elsewhere"));
         },
         {1, 2, 3, 4, 0},
         1,
         0},
        {"another program packed",
         [] {
             DeleteRecord(2);
             ASSERT_TRUE(sx_Pack());
         },
         {1, 3, 4},
         0,
         0},
        {"another program packed and changed a moved task",
         [] {
             DeleteRecord(1);
             ASSERT_TRUE(sx_Pack());
             SetDescription(2, "Changed elsewhere");
         },
         {2, 0, 4},
         0,
         1},
        {"another program changed a task in place",
         [] { SetDescription(4, "Changed elsewhere"); },
         {1, 2, 3, 0},
         0,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        MakeTaskFile(kTaskTableName,
                     {Named("Pay rent"), Named("Call the bank"), Named("Pay rent"),
                      Named("Water the plants")},
                     false);
        TTaskUids first;
        const UidReport made = first.OpenForWriting(Dir());
        EXPECT_EQ(made.given, 4);  // a task file of four tasks without its companion, quietly
        EXPECT_EQ(made.StatusText(), "");
        const std::vector<std::string> before = UidsOf(first, 4);
        EXPECT_EQ(std::set<std::string>(before.begin(), before.end()).size(), 4u);
        // The UIDs a reader derived before this first open, as quillet-report does.
        EXPECT_EQ(before[1],
                  DerivedUid(2, TaskEntry{.descript = "Call the bank", .priority = "B"}));
        first.Close();

        ByAnotherProgram(c.otherProgram);

        TTaskUids second;
        const UidReport report = second.OpenForWriting(Dir());
        EXPECT_FALSE(report.rebuilt);
        EXPECT_EQ(report.given, c.given);
        EXPECT_EQ(report.renewed, c.renewed);
        EXPECT_EQ(report.StatusText(),
                  c.renewed == 0 ? ""
                                 : "1 task was given a new identity, as the task file was packed "
                                   "or changed by another program.");
        const std::vector<std::string> after = UidsOf(second, static_cast<int>(c.origin.size()));
        for (std::size_t i = 0; i < c.origin.size(); ++i) {
            if (c.origin[i] > 0) {
                EXPECT_EQ(after[i], before[static_cast<std::size_t>(c.origin[i]) - 1])
                    << "record " << i + 1;
            } else {
                EXPECT_FALSE(after[i].empty());
                EXPECT_EQ(std::count(before.begin(), before.end(), after[i]), 0);
            }
        }
        // What the second open settled is what a reader finds.
        TTaskUids reader;
        EXPECT_TRUE(reader.OpenReadOnly(Dir()).ok());
        EXPECT_EQ(UidsOf(reader, static_cast<int>(c.origin.size())), after);
    }
}

TEST_F(TaskUidsTest, ProgramsOwnEditsAddsAndPackKeepEveryUid) {
    MakeTaskFile(kTaskTableName, {Named("One"), Named("Two"), Named("Three")}, false);
    TTaskUids uids;
    uids.OpenForWriting(Dir());
    std::vector<std::string> before = UidsOf(uids, 3);

    // The program edits record 2 and appends record 4, noting both.
    ByAnotherProgram([] {
        SetDescription(2, "Two, edited");
        ASSERT_TRUE(sx_AppendBlank());
        ASSERT_TRUE(sx_Replace("DESCRIPT", SxReplace::kText, "Four"));
        DeleteRecord(1);
    });
    ASSERT_TRUE(uids.Note(2, "Two, edited").ok());
    ASSERT_TRUE(uids.Note(4, "Four").ok());
    const std::string fourth = uids.StoredUid(4);
    EXPECT_FALSE(fourth.empty());
    EXPECT_EQ(uids.StoredUid(2), before[1]);

    // Its pack of the deleted first record renumbers the rows.
    ByAnotherProgram([] { ASSERT_TRUE(sx_Pack()); });
    ASSERT_TRUE(uids.Renumber({true, false, false, false}).ok());
    EXPECT_EQ(UidsOf(uids, 3), (std::vector<std::string>{before[1], before[2], fourth}));

    TTaskUids reopened;
    const UidReport report = reopened.OpenForWriting(Dir());
    EXPECT_EQ(report.given + report.renewed, 0) << report.StatusText();
    EXPECT_TRUE(report.StatusText().empty());
    EXPECT_EQ(UidsOf(reopened, 3), (std::vector<std::string>{before[1], before[2], fourth}));
}

TEST_F(TaskUidsTest, ImportedUidsAreRememberedAfterTheirTaskIsPackedAway) {
    MakeTaskFile(kTaskTableName, {Named("Mine"), Named("From a calendar")}, false);
    TTaskUids uids;
    uids.OpenForWriting(Dir());
    const std::string longUid(150, 'x');
    // The row of record 2 was made at the open; an import appends its own task instead.
    ByAnotherProgram([] {
        ASSERT_TRUE(sx_AppendBlank());
        ASSERT_TRUE(sx_Replace("DESCRIPT", SxReplace::kText, "Imported"));
    });
    ASSERT_TRUE(uids.Note(3, "Imported", false, longUid, true).ok());
    EXPECT_TRUE(uids.WasImported(longUid));
    EXPECT_TRUE(uids.IsPresent(longUid));
    EXPECT_EQ(uids.StoredUid(3).size(), static_cast<std::size_t>(kUidWidth));

    ByAnotherProgram([] {
        DeleteRecord(3);
        ASSERT_TRUE(sx_Pack());
    });
    ASSERT_TRUE(uids.Renumber({false, false, true}).ok());
    for (int pass = 0; pass < 2; ++pass) {
        TTaskUids reopened;
        reopened.OpenForWriting(Dir());
        EXPECT_TRUE(reopened.WasImported(longUid));
        EXPECT_FALSE(reopened.IsPresent(longUid));
        EXPECT_FALSE(reopened.WasImported(reopened.StoredUid(1)));
    }
}

TEST_F(TaskUidsTest, ADamagedCompanionIsMadeAgainAndSaidSo) {
    MakeTaskFile(kTaskTableName, {Named("One"), Named("Two")}, false);
    for (const char* bytes : {"", "not a table at all, but some words"}) {
        std::ofstream(PathOf(kUidTableName), std::ios::binary) << bytes;
        TTaskUids uids;
        const UidReport report = uids.OpenForWriting(Dir());
        EXPECT_TRUE(report.rebuilt);
        EXPECT_EQ(report.given, 2);
        EXPECT_EQ(report.StatusText(),
                  "QUILXID.DBF was damaged and has been made again; 2 tasks "
                  "were given new identities.");
        TTaskUids reader;
        EXPECT_TRUE(reader.OpenReadOnly(Dir()).ok());
        EXPECT_EQ(reader.StoredUid(2), uids.StoredUid(2));
    }
    // A new, empty task file has nothing to lose and says nothing.
    TearDown();
    SetUp();
    MakeTaskFile(kTaskTableName, {}, false);
    TTaskUids fresh;
    EXPECT_TRUE(fresh.OpenForWriting(Dir()).StatusText().empty());
}

// xxxxxxxx-xxxx-Vxxx-Nxxx-xxxxxxxxxxxx@quillet in lower-case hex, V the version and N one of
// 8, 9, a, b. (Not std::regex: GCC 12 warns inside it under the sanitizers.)
bool HasUuidShape(const std::string& uid, char version) {
    const std::string suffix = "@quillet";
    if (uid.size() != 36 + suffix.size() || uid.substr(36) != suffix) {
        return false;
    }
    for (std::size_t i = 0; i < 36; ++i) {
        const char c = uid[i];
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
        if (dash ? c != '-' : !hex) {
            return false;
        }
    }
    return uid[14] == version && std::string("89ab").find(uid[19]) != std::string::npos;
}

TEST_F(TaskUidsTest, UidTextsAreRandomForNewTasksAndDerivedStablyForOthers) {
    const std::string random = NewRandomUid();
    EXPECT_NE(random, NewRandomUid());
    EXPECT_TRUE(HasUuidShape(random, '4')) << random;
    const TaskEntry entry{.date = "20260301", .time = "09:30", .descript = "Dentist"};
    TaskEntry edited = entry;
    edited.note = "Bring the card";
    EXPECT_EQ(DerivedUid(7, entry), DerivedUid(7, entry));
    EXPECT_NE(DerivedUid(7, entry), DerivedUid(8, entry));
    EXPECT_NE(DerivedUid(7, entry), DerivedUid(7, edited));
    EXPECT_TRUE(HasUuidShape(DerivedUid(7, entry), '8')) << DerivedUid(7, entry);
    // A reader without a companion table derives every UID.
    MakeTaskFile(kTaskTableName, {Named("Dentist")}, false);
    TTaskUids reader;
    EXPECT_FALSE(reader.OpenReadOnly(Dir()).ok());
    EXPECT_EQ(reader.UidOf(1, entry), DerivedUid(1, entry));
}

}  // namespace
}  // namespace store
