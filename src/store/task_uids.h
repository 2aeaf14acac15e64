// Task identities: the companion table QUILXID.DBF beside the task table, which gives every
// task a UID that outlives edits and packs, and remembers the UIDs already imported.
//
// The task table keeps its seven fields, so a task's UID is kept in a row of its own:
//
//   field     type  width  meaning
//   RECNO     N     10     the task's record number in QUILX.DBF; 0 for a UID only remembered
//                          as imported, whose task was since deleted and packed away
//   UID       C     100    the UID (a longer outside UID is kept cut, with a digest of the whole)
//   MARK      C     8      a digest of the task's description when the row was last written
//   IMPORTED  L     1      the UID came in through an import
//
// Matching after another program's pack: record numbers change only when a pack removes
// records, and a pack keeps the order of the records it keeps. So at each open every row's
// MARK is compared with its task's description; where any differ, the tasks not matched are
// matched in record order to the rows not matched with the same MARK (the shift a pack makes),
// and those still unmatched get new UIDs, which the open reports. Quillet keeps MARK current
// as it changes tasks, so its own edits never look like another program's (a kill between a
// change and its mark costs that one task its UID, no more).
//
// Crash safety: a row is appended or changed in place and made durable at once; a whole new
// table (a rebuild, a renumbering) is written beside the old one and renamed over it. A
// renumbering lost to a crash after the pack is found and mended by the matching above.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/xbase/status.h"
#include "store/task_record.h"

namespace store {

inline constexpr char kUidTableName[] = "QUILXID.DBF";
inline constexpr int kUidWidth = 100;

// A fresh random UID: RFC 4122 version-4 text with the program's suffix.
std::string NewRandomUid();
// A UID for a task that has none stored: the same record number and contents give the same
// UID, in the same form as the random ones.
std::string DerivedUid(std::int32_t record, const TaskEntry& entry);
// The form a UID is stored and compared in: itself, or when wider than the field, its head
// and a digest of the whole.
std::string StoredUidForm(std::string_view uid);
// The digest of a description that a row keeps to know its task again.
std::string DescriptionMark(std::string_view descript);

// What opening the companion table for writing found and did.
struct UidReport {
    int given = 0;         // tasks that had no UID (a new companion, or added by another program)
    int renewed = 0;       // tasks whose row no longer matched them
    bool rebuilt = false;  // the table was damaged and was made again
    std::string problem;   // why it was rebuilt, or why it cannot be written (empty: fine)
    // The words for the message line; empty when there is nothing to say.
    std::string StatusText() const;
};

class TTaskUids {
  public:
    // For reading only (quillet-report): the rows of the companion table in `dir` (ending
    // in "/"). A missing or damaged table reads as empty, every UID then derived; the reason
    // is answered.
    xbase::Status OpenReadOnly(const std::string& dir);

    // For writing (the program): loads the rows and matches them against the task table
    // QUILX.DBF in `dir`, which is read on an area of its own (it may be open shared
    // elsewhere). Every task without a UID gets the one UidOf derives for it, so that a reader's
    // export before this open and one after agree; a missing or damaged companion table is
    // made again (a damaged one said). Never fails the task file's open: the report says what
    // happened.
    UidReport OpenForWriting(const std::string& dir);

    bool IsOpen() const { return open_; }
    // The stored UID of record `record`; empty when it has none.
    std::string StoredUid(std::int32_t record) const;
    // The stored UID, or for a task that has none, the derived one.
    std::string UidOf(std::int32_t record, const TaskEntry& entry) const;
    // Whether `uid` came in through an import before, or is the UID of a task not deleted.
    bool WasImported(std::string_view uid) const;
    bool IsPresent(std::string_view uid) const;

    // After the program appended or changed record `record` (`deleted`: it is marked deleted
    // now): a task without a UID gets `uid`, or a fresh one when none is given (remembered as
    // imported when `imported`); a task with one, its description's mark.
    xbase::Status Note(std::int32_t record, std::string_view descript, bool deleted = false,
                       std::string_view uid = {}, bool imported = false);
    // Undo of an import forgets that its tasks' UIDs came in, so that the file can be
    // imported again; Redo remembers it again.
    xbase::Status SetImported(std::int32_t record, bool imported);
    // After the program's pack: `deleted` says, for records 1..n before it, which the pack
    // removed; the rows are renumbered, those of removed tasks dropped (imported UIDs are
    // remembered with record 0).
    xbase::Status Renumber(const std::vector<bool>& deleted);
    // Writes the whole table afresh from the rows in memory.
    xbase::Status Rewrite();
    void Close();

    std::size_t Rows() const { return rows_.size(); }

  private:
    struct Row {
        std::int32_t record = 0;
        std::string uid;
        std::string mark;
        bool imported = false;
        bool deleted = false;  // the task's deleted mark, kept in memory only
    };
    xbase::Status Load(const std::string& path);
    xbase::Status Append(const Row& row);
    xbase::Status Update(std::size_t index);
    void Index();

    std::string dir_;
    bool open_ = false;
    bool writable_ = false;
    std::vector<Row> rows_;  // in the companion table's record order
    std::unordered_map<std::int32_t, std::size_t> byRecord_;
    std::unordered_set<std::string> imported_;
    std::unordered_set<std::string> present_;
};

}  // namespace store
