// Rolling backups of the task file: a checked copy in backups/QUILX-YYYYMMDD-HHMMSS/ at most
// once a day, the last 14 kept, and the restore of one, finished at the next start when a
// kill stopped it halfway.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "platform/xbase/status.h"

namespace xbase {
class FileSystem;
}

namespace store {

inline constexpr char kBackupsFolder[] = "backups";
inline constexpr int kBackupsKept = 14;

struct BackupEntry {
    std::string name;     // QUILX-YYYYMMDD-HHMMSS
    std::string taken;    // YYYY-MM-DD HH:MM:SS, local time
    int tasks = -1;       // tasks not deleted; -1 when the backup does not open and read whole
    std::string failure;  // why it does not, when it does not
};

// The files are read and written through `files` (tests fail its Nth write); folders are made,
// listed and removed directly. `dir` is the task file's folder, ending in "/".
class Backups {
  public:
    explicit Backups(std::string dir);
    Backups(std::string dir, xbase::FileSystem& files);

    // The backups, newest first, each opened and read whole to count its tasks.
    std::vector<BackupEntry> List() const;

    // Takes a backup unless one was taken on the day of `now` already; an empty name in
    // `made` when none was due. Older backups beyond the newest 14 whole ones are removed,
    // and only after the new one opened and read whole; a damaged one is not counted.
    xbase::Status TakeDaily(std::time_t now, std::string* made = nullptr);
    // Takes a backup whatever the day.
    xbase::Status Take(std::time_t now, std::string* made = nullptr);

    // Puts the backup `name` in place of the task file after taking one more backup of the
    // files it replaces; the index is removed, to be built again at the next open. Refused,
    // with nothing changed, for an unknown name, a backup that does not open and read whole,
    // or a task file that another program has open.
    xbase::Status Restore(const std::string& name, std::time_t now, std::string* keptAs = nullptr);

    // Completes a restore that was committed but not finished when the process ended, or
    // drops the files of one that was not committed. Called before the task file is opened.
    xbase::Status FinishInterruptedRestore();

    std::string FolderOf(const std::string& name) const;

  private:
    enum class Check { kGate, kKeepAnyway };
    xbase::Status TakeNamed(const std::string& name, Check check);
    xbase::Status Prune();
    std::string FreeName(std::time_t now) const;

    std::string dir_;
    xbase::FileSystem& files_;
};

class TTaskStore;

// The menu's restore: closes the task table, restores the backup `name`, and opens the table
// again as the window holds it, its index built anew. The restore's outcome goes to `status`
// (a refused restore leaves the task file as it was); false when the table could not be
// opened again (the store has said why).
bool RestoreAndReopen(TTaskStore& store, const std::string& name, std::time_t now,
                      xbase::Status& status);

// The backup's name for a moment: QUILX-YYYYMMDD-HHMMSS in local time.
std::string BackupNameAt(std::time_t moment);
// Whether `name` is a backup's name; when it is, its moment as YYYY-MM-DD HH:MM:SS.
bool IsBackupName(const std::string& name, std::string* taken = nullptr);

// The tasks of the table at `tablePath` (not deleted), reading every record and note through
// the engine, opened read-only in a work area of its own; the current area is kept. -1, with
// the reason in `failure`, when the table does not open or a record or note does not read.
int CountTasksReadingAll(const std::string& tablePath, std::string& failure);

// The command line for a person whose Quillet will not start: "--backups [--dir DIR]" and
// "--restore NAME [--dir DIR]". Answers whether `arguments` (without the program's name) ask
// for one of them.
bool IsBackupCommandLine(const std::vector<std::string>& arguments);
// Runs it over `defaultDir` unless --dir names another folder; the lines for standard output
// and for standard error are appended to `out` and `err`. Exit code: 0 done, 1 failed (one
// line on `err`), 2 a bad command line.
int RunBackupCommandLine(const std::vector<std::string>& arguments, const std::string& defaultDir,
                         std::string& out, std::string& err);

}  // namespace store
