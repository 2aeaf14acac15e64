// Tests of saving tasks through the store as the main window does: fields and notes posted
// together keep every tag of QUILX.CDX right, checked by the engine's own index check.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/xbase/file_system.h"
#include "platform/xbase/sx.h"
#include "store/task_file.h"
#include "store_test_support.h"

namespace store {
namespace {

// Passes everything to the operating system's file system, except that writes to files whose
// names end in `name` fail from the `failFrom`-th on (counted from arming), as on a full disk.
class FailingFileSystem : public store_test::PassThroughFileSystem {
  public:
    void Arm(std::string name, int failFrom) {
        name_ = std::move(name);
        failFrom_ = failFrom;
        writes_ = 0;
    }
    std::unique_ptr<xbase::File> Open(const std::string& path, xbase::OpenMode mode) override {
        auto file = PassThroughFileSystem::Open(path, mode);
        if (!file) {
            return file;
        }
        return std::make_unique<FailingFile>(*this, path, std::move(file));
    }

  private:
    class FailingFile : public xbase::File {
      public:
        FailingFile(FailingFileSystem& owner, std::string path, std::unique_ptr<xbase::File> file)
            : owner_(owner), path_(std::move(path)), file_(std::move(file)) {}
        bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n, std::size_t& got) override {
            return file_->ReadAt(offset, buffer, n, got);
        }
        bool WriteAt(std::uint64_t offset, const void* buffer, std::size_t n) override {
            return !owner_.Fails(path_) && file_->WriteAt(offset, buffer, n);
        }
        bool Size(std::uint64_t& size) override { return file_->Size(size); }
        bool Truncate(std::uint64_t size) override {
            return !owner_.Fails(path_) && file_->Truncate(size);
        }
        bool Sync() override { return file_->Sync(); }
        bool Lock(std::uint64_t offset, std::uint64_t length, xbase::LockKind kind,
                  bool wait) override {
            return file_->Lock(offset, length, kind, wait);
        }
        bool Unlock(std::uint64_t offset, std::uint64_t length) override {
            return file_->Unlock(offset, length);
        }

      private:
        FailingFileSystem& owner_;
        std::string path_;
        std::unique_ptr<xbase::File> file_;
    };
    bool Fails(const std::string& path) {
        if (name_.empty() || path.size() < name_.size() ||
            path.compare(path.size() - name_.size(), name_.size(), name_) != 0) {
            return false;
        }
        return ++writes_ >= failFrom_;
    }

    std::string name_;
    int failFrom_ = 0;
    int writes_ = 0;
};

class TaskSaveTest : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        OpenStore();
    }
    void TearDown() override {
        store_.reset();
        sx_UseFileSystem(nullptr);
        StoreTest::TearDown();
    }

    void OpenStore() {
        store_ = std::make_unique<TTaskStore>(Dir(), sink, sink);
        ASSERT_TRUE(store_->Start());
        ASSERT_TRUE(store_->OpenTaskTable(false));
    }

    // What the engine's index check (xbtool check) finds wrong with the task table's tags.
    std::string IndexProblems() { return store_test::IndexProblems(store_->TodoTable.Handle()); }

    // The task table of the store open now (a reopened store has a table of its own).
    TTable& Table() { return store_->TodoTable; }
    TField& Field(const char* name) { return *store_->TodoTable.FieldByName(name); }

    FailingFileSystem files_;  // outlives the store, whose open files may be its own
    std::unique_ptr<TTaskStore> store_;
};

struct TaskValues {
    std::string date, time, descript, note, keys, priority;
    bool done = false;
    bool deleted = false;
};

void SetFields(TTable& t, const TaskValues& v, bool withNote) {
    ASSERT_TRUE(t.FieldByName("DATE")->SetAsString(v.date));
    ASSERT_TRUE(t.FieldByName("TIME")->SetAsString(v.time));
    ASSERT_TRUE(t.FieldByName("DESCRIPT")->SetAsString(v.descript));
    ASSERT_TRUE(t.FieldByName("KEYS")->SetAsString(v.keys));
    ASSERT_TRUE(t.FieldByName("PRIORITY")->SetAsString(v.priority));
    ASSERT_TRUE(t.FieldByName("DONE")->SetAsBoolean(v.done));
    if (withNote) {
        ASSERT_TRUE(t.FieldByName("NOTE")->SetAsString(v.note));
    }
}

// Every combination of key fields changed together with the note, or without it, in one post.
TEST_F(TaskSaveTest, EditOfKeyFieldsWithNoteKeepsEveryTag) {
    struct Case {
        const char* field;
        const char* value;
    };
    const Case cases[] = {{"DATE", "20300101"}, {"TIME", "23:59"}, {"DESCRIPT", "zzz moved"},
                          {"KEYS", "new keys"}, {"PRIORITY", "A"}, {"DONE", "T"}};
    TTable& t = store_->TodoTable;
    for (const char* note : std::vector<const char*>{"a note", "", nullptr}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.field) + (note == nullptr
                                                     ? " without a note"
                                                     : " with note '" + std::string(note) + "'"));
            for (int i = 0; i < 3; ++i) {
                ASSERT_EQ(t.Append(), dbi::kOk);
                SetFields(
                    t, {"2001010" + std::to_string(i + 1), "09:00", "task", "old note", "k", "B"},
                    true);
                ASSERT_EQ(t.Post(), dbi::kOk);
            }
            ASSERT_EQ(t.Edit(), dbi::kOk);
            int record = *t.GetBookmark();
            ASSERT_TRUE(Field(c.field).SetAsString(c.value));
            if (note != nullptr) {
                ASSERT_TRUE(Field("NOTE").SetAsString(note));
            }
            ASSERT_EQ(t.Post(), dbi::kOk);
            EXPECT_EQ(IndexProblems(), "");
            // The record is found under its new key and listed once.
            ASSERT_EQ(t.GotoBookmark(record), dbi::kOk);
            EXPECT_EQ(Field("NOTE").AsString(), note == nullptr ? "old note" : note);
            if (std::string(c.field) == "DATE") {
                EXPECT_TRUE(store_->TodoEngine.Seek("20300101"));
            }
            ASSERT_EQ(t.Edit(), dbi::kOk);
            ASSERT_TRUE(Field("NOTE").SetAsString("again"));
            ASSERT_EQ(t.Post(), dbi::kOk);
            EXPECT_EQ(IndexProblems(), "");
            int listed = 0;
            for (t.First(); !t.Eof() && !t.IsEmpty(); t.Next()) {
                listed += *t.GetBookmark() == record ? 1 : 0;
            }
            EXPECT_EQ(listed, 1);
        }
    }
}

// A long random mix of appends, edits, deletes and recalls, with and without notes, through
// the record set; every tag is checked after each step and every record against a model.
TEST_F(TaskSaveTest, RandomMixOfSavesKeepsEveryTagRight) {
    std::mt19937 random(20261208);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto someValues = [&] {
        TaskValues v;
        v.date = "2001" + std::string(1, static_cast<char>('0' + pick(2))) +
                 std::to_string(1 + pick(9)) + "1" + std::to_string(pick(3));
        v.time = pick(4) == 0 ? "" : "1" + std::to_string(pick(10)) + ":00";
        v.descript = "task " + std::to_string(pick(50));
        v.keys = pick(3) == 0 ? "" : "key" + std::to_string(pick(5));
        v.priority = std::string(1, static_cast<char>('A' + pick(3)));
        v.done = pick(2) == 0;
        switch (pick(4)) {
            case 0:
                v.note = "";
                break;
            case 1:
                v.note = "short note " + std::to_string(pick(100));
                break;
            default:
                v.note = std::string(static_cast<std::size_t>(30 + pick(300)),
                                     static_cast<char>('a' + pick(26)));
        }
        return v;
    };
    TTable& t = store_->TodoTable;
    std::map<int, TaskValues> model;  // by record number
    for (int step = 0; step < 600; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        int action = model.empty() ? 0 : pick(10);
        auto chosen = model.begin();
        std::advance(chosen, model.empty() ? 0 : pick(static_cast<int>(model.size())));
        if (action <= 2) {  // append, with a note or without
            TaskValues v = someValues();
            bool withNote = pick(2) == 0;
            if (!withNote) {
                v.note.clear();
            }
            ASSERT_EQ(t.Append(), dbi::kOk);
            SetFields(t, v, withNote);
            ASSERT_EQ(t.Post(), dbi::kOk);
            model[*t.GetBookmark()] = v;
        } else if (action <= 7 && !chosen->second.deleted) {  // edit some fields, note or not
            TaskValues v = someValues();
            TaskValues& m = chosen->second;
            ASSERT_EQ(t.GotoBookmark(chosen->first), dbi::kOk);
            ASSERT_EQ(t.GetBookmark(), chosen->first);
            ASSERT_EQ(t.Edit(), dbi::kOk);
            if (pick(2) == 0) {
                ASSERT_TRUE(Field("DATE").SetAsString(m.date = v.date));
            }
            if (pick(2) == 0) {
                ASSERT_TRUE(Field("TIME").SetAsString(m.time = v.time));
            }
            if (pick(3) == 0) {
                ASSERT_TRUE(Field("DESCRIPT").SetAsString(m.descript = v.descript));
            }
            if (pick(3) == 0) {
                ASSERT_TRUE(Field("KEYS").SetAsString(m.keys = v.keys));
            }
            if (pick(2) == 0) {
                ASSERT_TRUE(Field("PRIORITY").SetAsString(m.priority = v.priority));
            }
            if (pick(3) == 0) {
                ASSERT_TRUE(Field("DONE").SetAsBoolean(m.done = v.done));
            }
            if (pick(3) != 0) {
                ASSERT_TRUE(Field("NOTE").SetAsString(m.note = v.note));
            }
            ASSERT_EQ(t.Post(), dbi::kOk);
        } else if (action <= 8 && !chosen->second.deleted) {
            ASSERT_EQ(t.GotoBookmark(chosen->first), dbi::kOk);
            ASSERT_EQ(t.GetBookmark(), chosen->first);
            ASSERT_EQ(t.Delete(), dbi::kOk);
            chosen->second.deleted = true;
        } else if (chosen->second.deleted) {
            // The set never stands on a deleted record (the DATETIME tag leaves them out):
            // the recall goes to the engine.
            int previous = sx_Select(t.Handle());
            ASSERT_TRUE(sx_Go(chosen->first));
            ASSERT_TRUE(sx_Recall());
            sx_Select(previous);
            chosen->second.deleted = false;
        }
        ASSERT_EQ(IndexProblems(), "");
    }
    // Every record holds what was saved, the note included, after the files are reopened.
    store_.reset();
    sx_CloseAll();
    OpenStore();
    EXPECT_EQ(IndexProblems(), "");
    for (const auto& [record, v] : model) {
        SCOPED_TRACE("record " + std::to_string(record));
        int area = sx_Select(store_->TodoTable.Handle());
        ASSERT_TRUE(sx_Go(record));
        EXPECT_EQ(sx_GetTrimString("DATE"), v.date);
        EXPECT_EQ(sx_GetTrimString("TIME"), v.time);
        EXPECT_EQ(sx_GetTrimString("DESCRIPT"), v.descript);
        EXPECT_EQ(sx_GetTrimString("KEYS"), v.keys);
        EXPECT_EQ(sx_GetTrimString("PRIORITY"), v.priority);
        EXPECT_EQ(sx_GetLogical("DONE"), v.done);
        EXPECT_EQ(sx_GetMemo("NOTE"), v.note);
        EXPECT_EQ(sx_Deleted(), v.deleted);
        sx_Select(area);
    }
}

// Failed writes answer the code of what went wrong (a write refused: 11015), not "File Open
// Error" or a refused lock; a failed append leaves no record behind, whichever write fails.
TEST_F(TaskSaveTest, FailedWritesCarryTheirOwnCodeAndLeaveNoRecordBehind) {
    FailingFileSystem& files = files_;
    store_.reset();
    sx_CloseAll();
    sx_UseFileSystem(&files);
    OpenStore();
    TTable& t = store_->TodoTable;
    auto append = [&](const std::string& descript, const char* note) {
        EXPECT_EQ(t.Append(), dbi::kOk);
        SetFields(t, {"20010101", "09:00", descript, note == nullptr ? "" : note, "k", "B"},
                  note != nullptr);
        return t.Post();
    };
    ASSERT_EQ(append("first", "a note"), dbi::kOk);
    const std::string writeFailed = "Engine Error : 11015";
    struct Case {
        const char* what;
        const char* file;
        int failFrom;
        std::function<DbiResult()> run;
    };
    const Case cases[] = {
        {"append", "QUILX.DBF", 1, [&] { return append("second", nullptr); }},
        {"append with a note", "QUILX.FPT", 1, [&] { return append("second", "note"); }},
        {"modify", "QUILX.DBF", 1,
         [&] {
             t.First();
             t.Edit();
             Field("DESCRIPT").SetAsString("changed");
             return t.Post();
         }},
        {"memo write", "QUILX.FPT", 1,
         [&] {
             t.First();
             t.Edit();
             Field("NOTE").SetAsString(std::string(300, 'n'));
             return t.Post();
         }},
        {"delete", "QUILX.DBF", 1,
         [&] {
             t.First();
             return t.Delete();
         }},
    };
    auto visible = [&] {
        int count = 0;
        for (t.First(); !t.Eof() && !t.IsEmpty(); t.Next()) {
            ++count;
        }
        return count;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int before = visible();
        int records = store_->TodoEngine.RecordCount();
        files.Arm(c.file, c.failFrom);
        EXPECT_EQ(c.run(), 11015);
        EXPECT_EQ(t.LastErrorText(), writeFailed);
        files.Arm("", 0);
        t.Cancel();
        // Nothing of the failed change shows, nor is it written later by the cancel.
        EXPECT_EQ(visible(), before);
        t.First();
        EXPECT_EQ(Field("DESCRIPT").AsString(), "first");
        EXPECT_EQ(Field("NOTE").AsString(), "a note");
        // An append whose note failed is taken back whole, not left as a deleted record.
        EXPECT_EQ(store_->TodoEngine.RecordCount(), records);
    }
    // Whichever write of an append fails, the table has the whole record or none.
    for (int failFrom = 1; failFrom <= 4; ++failFrom) {
        SCOPED_TRACE("append failing from write " + std::to_string(failFrom));
        int before = store_->TodoEngine.RecordCount();
        files.Arm("QUILX.DBF", failFrom);
        DbiResult r = append("try " + std::to_string(failFrom), nullptr);
        files.Arm("", 0);
        t.Cancel();
        int after = store_->TodoEngine.RecordCount();
        if (r != dbi::kOk) {
            EXPECT_EQ(after, before);
        } else {
            ASSERT_EQ(after, before + 1);
            int area = sx_Select(t.Handle());
            sx_Go(after);
            EXPECT_EQ(sx_GetTrimString("DESCRIPT"), "try " + std::to_string(failFrom));
            sx_Select(area);
        }
    }
    EXPECT_EQ(IndexProblems(), "");
}

// A note whose memo cannot be read is reported through the record set, never shown as an
// empty note; a save that leaves it as shown keeps the memo pointer, so the note can still be
// recovered, while a new text replaces it.
TEST_F(TaskSaveTest, UnreadableNoteIsReportedAndKeptThroughASave) {
    ASSERT_EQ(Table().Append(), dbi::kOk);
    SetFields(Table(), {"20010101", "09:00", "task", "the note", "k", "B"}, true);
    ASSERT_EQ(Table().Post(), dbi::kOk);
    store_.reset();
    sx_CloseAll();
    // The memo's length is made to run past the end of the file.
    const std::string fpt = PathOf("QUILX.FPT");
    std::vector<char> good;
    {
        std::ifstream in(fpt, std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(good.size(), 520u);
    std::vector<char> bad = good;
    bad[516] = bad[517] = bad[518] = bad[519] = '\x7F';
    auto writeMemoFile = [&](const std::vector<char>& bytes) {
        std::ofstream(fpt, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    };
    struct Case {
        const char* what;
        const char* assigned;  // null: the note is not assigned
        const char* afterRepair;
    };
    const Case cases[] = {
        {"the note assigned as shown", "", "the note"},
        {"the note not assigned", nullptr, "the note"},
        {"a new note typed", "a new note", "a new note"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeMemoFile(bad);
        OpenStore();
        ASSERT_EQ(Table().First(), dbi::kOk);
        EXPECT_EQ(Field("NOTE").AsString(), "");
        EXPECT_EQ(Table().LastErrorText(), "Engine Error : 11012");
        ASSERT_EQ(Table().Edit(), dbi::kOk);
        ASSERT_TRUE(Field("DESCRIPT").SetAsString(c.what));
        if (c.assigned != nullptr) {
            ASSERT_TRUE(Field("NOTE").SetAsString(c.assigned));
        }
        ASSERT_EQ(Table().Post(), dbi::kOk);
        store_.reset();
        sx_CloseAll();
        // Mending the memo file (the damaged block, the rest as the save left it) gives the
        // note back unless a new one replaced it.
        std::vector<char> now;
        {
            std::ifstream in(fpt, std::ios::binary);
            now.assign(std::istreambuf_iterator<char>(in), {});
        }
        std::copy(good.begin(), good.end(), now.begin());
        writeMemoFile(now);
        OpenStore();
        ASSERT_EQ(Table().First(), dbi::kOk);
        EXPECT_EQ(Field("DESCRIPT").AsString(), c.what);
        EXPECT_EQ(Field("NOTE").AsString(), c.afterRepair);
        store_.reset();
        sx_CloseAll();
    }
    OpenStore();
}

}  // namespace
}  // namespace store
