// The task file: the task table's components as the main window holds them, and opening,
// creating and upgrading QUILX.DBF with its memo and compound index.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/engine_adaptor.h"
#include "store/engine_component.h"
#include "store/rebuild.h"
#include "store/record_set.h"
#include "store/sinks.h"
#include "store/task_record.h"
#include "store/task_uids.h"

namespace store {

inline constexpr char kTaskTableName[] = "QUILX.DBF";
inline constexpr char kTaskMemoName[] = "QUILX.FPT";
inline constexpr char kTaskIndexName[] = "QUILX.CDX";
inline constexpr char kDamagedIndexName[] = "QUILX.CDX.bad";
inline constexpr char kBackupTableName[] = "QXBAK.DBF";
inline constexpr char kBackupMemoName[] = "QXBAK.FPT";

// The index tags, in the order that gives their order numbers.
struct TaskTag {
    const char* name;
    const char* expression;
    const char* condition;
};
inline constexpr TaskTag kTaskTags[] = {
    {kDateTimeTag, "DATE+TIME", "not Deleted()"},
    {task_field::kDescript, "upper(DESCRIPT)", ""},
    {task_field::kDone, "DONE", ""},
    {task_field::kKeys, "upper(KEYS)", ""},
    {task_field::kPriority, "upper(PRIORITY)+DATE+TIME", ""},
};

// What another program's change to the task file alters: the table's record count, and the
// times the table and the index were last written.
struct TaskFileStamp {
    int records = 0;
    std::int64_t tableWritten = 0;
    std::int64_t indexWritten = 0;
    bool operator==(const TaskFileStamp&) const = default;
};

class TTaskStore {
  public:
    // programDir: the directory of the program file, where the task files live.
    TTaskStore(std::string_view programDir, MessageSink& messages, StatusSink& status);
    ~TTaskStore();
    TTaskStore(const TTaskStore&) = delete;
    TTaskStore& operator=(const TTaskStore&) = delete;

    // Starts the engine for the store; false (after the adaptor's notice) when it is unusable.
    bool Start();
    const std::string& ProgramDir() const { return programDir_; }
    std::string PathOf(std::string_view fileName) const {
        return programDir_ + std::string(fileName);
    }
    // The name under which a task file exists, whatever its letter case (files copied from
    // another system), or `fileName` itself when it does not; and its path.
    std::string FoundName(std::string_view fileName) const;
    std::string FoundPath(std::string_view fileName) const { return PathOf(FoundName(fileName)); }
    void SetRebuildRunner(RebuildRunner* runner) {
        runner_ = runner != nullptr ? runner : &plainRunner_;
    }
    MessageSink& Messages() { return messages_; }

    bool OpenTaskTable(bool forRebuild);
    bool CreateTaskTable();
    bool IsOldTaskStructure(TTable& recordSet);
    bool UpgradeTaskTable();
    bool OpenBackupTable();
    // Sets the index aside as QUILX.CDX.bad and builds it again from the table, then opens
    // the table as the window holds it, in the DATETIME order. Put off, the table is open
    // again with the index as it was; failed, the table could not be opened (after a message).
    enum class Repair { kRebuilt, kPutOff, kFailed };
    Repair RepairIndex();
    // Whether the last open set a damaged index aside and built it again.
    bool IndexRebuiltAtOpen() const { return indexRebuiltAtOpen_; }
    // The open task file's stamp, read afresh (the count from the table's header).
    TaskFileStamp Stamp();

    // What the last open for the window found of the tasks' UIDs, for the message line.
    const UidReport& LastUidReport() const { return uidReport_; }

    EngineAdaptor adaptor;
    TTable TodoTable;
    TDataSource TodoDataSource;
    TEngineComponent TodoEngine;
    TTable ModTable;
    TDataSource ModDataSource;
    TEngineComponent ModEngine;
    TEngineEnv EngineEnv1;
    TTaskUids Uids;

  private:
    void Status(std::string_view text) { status_.ShowStatus(text); }
    bool CopyOldRecords();
    // Renames a memo file and index found without their table to "NAME.orphan" (pairs of old
    // and new paths); false, with the reason in createFailure_ and nothing renamed, when one
    // cannot be moved.
    bool SetOrphansAside(std::vector<std::pair<std::string, std::string>>& orphans);
    void DropIncompleteIndex();
    // Renames the index to QUILX.CDX.bad; the reason in `words` when it cannot be moved.
    bool SetIndexAside(std::string& words);
    bool HasAllTags();

    std::string programDir_;
    MessageSink& messages_;
    StatusSink& status_;
    PlainRebuildRunner plainRunner_;
    RebuildRunner* runner_;
    bool indexRebuiltAtOpen_ = false;
    std::string createFailure_;  // why the last CreateTaskTable failed, for the message
    UidReport uidReport_;
};

}  // namespace store
