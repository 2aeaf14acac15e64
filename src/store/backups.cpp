// Rolling backups of the task file and their restore. A backup is built in a ".partial" folder,
// checked by reading it whole through the engine, and only then given its name; a restore
// stages the backup's files beside the task file, commits with a mark file, then renames:
//
//   staged (*.restoring written and synced) --commit mark QUILX.restore--> committed
//   committed --index removed, staged files renamed over the task file, mark removed--> done
//
// A kill before the mark leaves the task file as it was (the staged files are dropped at the
// next start); a kill after it is finished at the next start (FinishInterruptedRestore).
#include "store/backups.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/xbase/file_system.h"
#include "platform/xbase/table_files.h"
#include "platform/xbase/sx.h"
#include "store/task_file.h"

namespace store {
namespace {

namespace fs = std::filesystem;

// The files a backup holds; a companion file added beside the task table belongs here. A
// backup taken before the tasks had UIDs holds no QUILXID.DBF; restoring it keeps the one in
// place, whose rows the next open matches to the restored tasks as far as they agree.
constexpr const char* kBackedUpFiles[] = {kTaskTableName, kTaskMemoName, kUidTableName};

constexpr char kPartialSuffix[] = ".partial";
constexpr char kStagedSuffix[] = ".restoring";
constexpr char kRestoreMark[] = "QUILX.restore";
constexpr std::size_t kCopyChunk = 1 << 20;

xbase::Status Failed(std::string words) {
    return {xbase::ErrorCode::kWriteFailed, std::move(words)};
}

// Copies `from` to `to` (which must not exist) and makes the copy durable.
xbase::Status CopyFile(xbase::FileSystem& files, const std::string& from, const std::string& to) {
    std::unique_ptr<xbase::File> source = files.Open(from, xbase::OpenMode::kReadOnly);
    if (!source) {
        return {xbase::ErrorCode::kOpenFailed, "Cannot open " + from};
    }
    std::unique_ptr<xbase::File> target = files.Open(to, xbase::OpenMode::kCreate);
    if (!target) {
        return xbase::WriteFailure(to);
    }
    std::uint64_t size = 0;
    if (!source->Size(size)) {
        return {xbase::ErrorCode::kReadFailed, "Cannot read " + from};
    }
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(size, kCopyChunk)));
    for (std::uint64_t at = 0; at < size;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(size - at, kCopyChunk));
        std::size_t got = 0;
        if (!source->ReadAt(at, buffer.data(), want, got) || got != want) {
            return {xbase::ErrorCode::kReadFailed, "Cannot read " + from};
        }
        if (!target->WriteAt(at, buffer.data(), want)) {
            return xbase::WriteFailure(to);
        }
        at += want;
    }
    if (!target->Sync()) {
        return xbase::WriteFailure(to);
    }
    return xbase::Status::Ok();
}

// The name the file has in `dir` whatever its letter case, or the name itself.
std::string Found(xbase::FileSystem& files, const std::string& dir, const char* name) {
    const std::string found = files.FindIgnoringCase(dir + name);
    return found.empty() ? dir + name : found;
}

// Whether a backup looks whole without reading it through: its table holds every record its
// header counts, and its memo file is there. What damage befalls a backup after it was read
// back whole is mostly a cut-off file, and such a one is not counted among those kept.
bool LooksWhole(xbase::FileSystem& files, const std::string& folder) {
    return files.Exists(folder + "/" + kTaskMemoName) &&
           xbase::TableLooksWhole(files, folder + "/" + kTaskTableName);
}

void RemoveFolder(const std::string& path) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

// Holds a byte-range lock on the task table for as long as it lives.
class TableLock {
  public:
    TableLock(xbase::FileSystem& files, const std::string& table, std::uint64_t byte)
        : file_(files.Open(table, xbase::OpenMode::kReadWrite)), byte_(byte) {
        held_ = file_ && file_->Lock(byte_, 1, xbase::LockKind::kExclusive, false);
    }
    ~TableLock() {
        if (held_) {
            file_->Unlock(byte_, 1);
        }
    }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;
    bool Held() const { return held_; }

  private:
    std::unique_ptr<xbase::File> file_;
    std::uint64_t byte_;
    bool held_ = false;
};

}  // namespace

std::string BackupNameAt(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    char name[32];
    std::strftime(name, sizeof name, "QUILX-%Y%m%d-%H%M%S", &local);
    return name;
}

bool IsBackupName(const std::string& name, std::string* taken) {
    constexpr std::string_view kShape = "QUILX-99999999-999999";
    if (name.size() != kShape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (kShape[i] == '9' ? !digit : name[i] != kShape[i]) {
            return false;
        }
    }
    if (taken != nullptr) {
        *taken = name.substr(6, 4) + "-" + name.substr(10, 2) + "-" + name.substr(12, 2) + " " +
                 name.substr(15, 2) + ":" + name.substr(17, 2) + ":" + name.substr(19, 2);
    }
    return true;
}

int CountTasksReadingAll(const std::string& tablePath, std::string& failure) {
    constexpr int kReadOnly = 1;
    const int previous = sx_Select(0);
    sx_ClearLastError();
    // An alias of its own: the task table open in the window already goes by the file's name.
    const int area = sx_Use(tablePath, "QXCHECK", kReadOnly, 2);
    if (area == 0) {
        failure = sx_LastStatus().message();
        sx_ClearLastError();
        sx_Select(previous);
        return -1;
    }
    std::vector<std::string> memos;
    for (int i = 1; i <= sx_FieldCount(); ++i) {
        const std::string name = sx_FieldName(i);
        if (sx_FieldType(name) == "M") {
            memos.push_back(name);
        }
    }
    std::vector<char> image(static_cast<std::size_t>(sx_RecSize()));
    int tasks = 0;
    const int records = sx_RecCount();
    for (int n = 1; n <= records && failure.empty(); ++n) {
        if (!sx_Go(n) || !sx_GetRecord(image)) {
            failure = "record " + std::to_string(n) + ": " + sx_LastStatus().message();
            break;
        }
        for (const std::string& memo : memos) {
            sx_GetMemo(memo);
        }
        if (!sx_LastStatus().ok()) {
            failure = "record " + std::to_string(n) + ": " + sx_LastStatus().message();
        }
        tasks += !image.empty() && image[0] != '*' ? 1 : 0;
    }
    sx_ClearLastError();
    sx_Close();
    sx_Select(previous);
    return failure.empty() ? tasks : -1;
}

Backups::Backups(std::string dir) : Backups(std::move(dir), xbase::FileSystem::Default()) {}

Backups::Backups(std::string dir, xbase::FileSystem& files) : dir_(std::move(dir)), files_(files) {
    if (!dir_.empty() && dir_.back() != '/') {
        dir_ += '/';
    }
}

std::string Backups::FolderOf(const std::string& name) const {
    return dir_ + kBackupsFolder + "/" + name;
}

std::vector<BackupEntry> Backups::List() const {
    std::vector<BackupEntry> entries;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_ + kBackupsFolder, error)) {
        BackupEntry backup;
        backup.name = entry.path().filename().string();
        if (entry.is_directory(error) && IsBackupName(backup.name, &backup.taken)) {
            entries.push_back(std::move(backup));
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const BackupEntry& a, const BackupEntry& b) { return a.name > b.name; });
    for (BackupEntry& backup : entries) {
        backup.tasks =
            CountTasksReadingAll(FolderOf(backup.name) + "/" + kTaskTableName, backup.failure);
    }
    return entries;
}

std::string Backups::FreeName(std::time_t now) const {
    std::error_code error;
    while (fs::exists(FolderOf(BackupNameAt(now)), error)) {
        ++now;
    }
    return BackupNameAt(now);
}

xbase::Status Backups::TakeDaily(std::time_t now, std::string* made) {
    const std::string today = BackupNameAt(now).substr(0, 14);  // QUILX-YYYYMMDD
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_ + kBackupsFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (IsBackupName(name) && name.compare(0, today.size(), today) == 0) {
            if (made != nullptr) {
                made->clear();
            }
            return xbase::Status::Ok();
        }
    }
    return Take(now, made);
}

xbase::Status Backups::Take(std::time_t now, std::string* made) {
    const std::string name = FreeName(now);
    xbase::Status status = TakeNamed(name, Check::kGate);
    if (status.ok()) {
        status = Prune();
    }
    if (made != nullptr) {
        *made = status.ok() ? name : std::string();
    }
    return status;
}

xbase::Status Backups::TakeNamed(const std::string& name, Check check) {
    const std::string table = Found(files_, dir_, kTaskTableName);
    if (!files_.Exists(table)) {
        return {xbase::ErrorCode::kOpenFailed, "There is no task file in " + dir_};
    }
    std::error_code error;
    fs::create_directories(dir_ + kBackupsFolder, error);
    // Folders left by a backup that was stopped midway.
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_ + kBackupsFolder, error)) {
        const std::string found = entry.path().filename().string();
        if (found.size() > sizeof kPartialSuffix && found.ends_with(kPartialSuffix)) {
            RemoveFolder(entry.path().string());
        }
    }
    const std::string partial = FolderOf(name) + kPartialSuffix;
    if (!fs::create_directory(partial, error)) {
        return Failed("Cannot make the folder " + partial + ": " + error.message());
    }
    xbase::Status status;
    {
        // Appends and header rewrites wait while the copy is taken, so the table's count and
        // its records agree. The table is copied before its notes: a saver writes a note
        // before the record that points at it, so every note a copied record points at is
        // already in the memo file when that is copied.
        TableLock lock(files_, table, xbase::TableHeaderLockByte());
        if (!lock.Held()) {
            status = {xbase::ErrorCode::kLockFailed, "The task file is being written to"};
        }
        for (const char* file : kBackedUpFiles) {
            const std::string from = Found(files_, dir_, file);
            if (status.ok() && files_.Exists(from)) {
                status = CopyFile(files_, from, partial + "/" + file);
            }
        }
    }
    if (status.ok() && !files_.SyncDirectory(partial)) {
        status = xbase::WriteFailure(partial);
    }
    if (status.ok() && check == Check::kGate) {
        std::string failure;
        if (CountTasksReadingAll(partial + "/" + kTaskTableName, failure) < 0) {
            status = {xbase::ErrorCode::kCorrupt, "The copy does not read back: " + failure};
        }
    }
    if (status.ok() && !files_.Rename(partial, FolderOf(name))) {
        status = xbase::WriteFailure(FolderOf(name));
    }
    if (status.ok() && !files_.SyncDirectory(dir_ + kBackupsFolder)) {
        status = xbase::WriteFailure(dir_ + kBackupsFolder);
    }
    if (!status.ok()) {
        RemoveFolder(partial);
    }
    return status;
}

xbase::Status Backups::Prune() {
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_ + kBackupsFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (IsBackupName(name)) {
            names.push_back(name);
        }
    }
    // Newest first; a damaged backup is kept for the person to see but does not count, so it
    // never costs an older one that is whole.
    std::sort(names.begin(), names.end(), std::greater<>());
    int whole = 0;
    for (const std::string& name : names) {
        if (whole >= kBackupsKept) {
            RemoveFolder(FolderOf(name));
        } else if (LooksWhole(files_, FolderOf(name))) {
            ++whole;
        }
    }
    return xbase::Status::Ok();
}

xbase::Status Backups::Restore(const std::string& name, std::time_t now, std::string* keptAs) {
    std::error_code error;
    if (!IsBackupName(name) || !fs::is_directory(FolderOf(name), error)) {
        return {xbase::ErrorCode::kOpenFailed, "There is no backup named " + name};
    }
    std::string failure;
    if (CountTasksReadingAll(FolderOf(name) + "/" + kTaskTableName, failure) < 0) {
        return {xbase::ErrorCode::kCorrupt, "The backup " + name + " does not open: " + failure};
    }
    const std::string table = Found(files_, dir_, kTaskTableName);
    const bool hasTable = files_.Exists(table);
    TableLock open(files_, table, xbase::TableOpenLockByte());
    if (hasTable && !open.Held()) {
        return {xbase::ErrorCode::kLockFailed, "Close Quillet first"};
    }
    xbase::Status status = FinishInterruptedRestore();
    // The files replaced are kept whatever state they are in: they may be all there is.
    const std::string kept = FreeName(now);
    if (status.ok() && hasTable) {
        status = TakeNamed(kept, Check::kKeepAnyway);
    }
    for (const char* file : kBackedUpFiles) {
        const std::string from = FolderOf(name) + "/" + file;
        if (status.ok() && files_.Exists(from)) {
            status = CopyFile(files_, from, dir_ + file + kStagedSuffix);
        }
    }
    const std::string mark = dir_ + kRestoreMark;
    if (status.ok()) {
        std::unique_ptr<xbase::File> file = files_.Open(mark + ".new", xbase::OpenMode::kCreate);
        if (!file || !file->WriteAt(0, name.data(), name.size()) || !file->Sync()) {
            status = xbase::WriteFailure(mark);
        }
    }
    if (status.ok() && (!files_.SyncDirectory(dir_) || !files_.Rename(mark + ".new", mark) ||
                        !files_.SyncDirectory(dir_))) {
        status = xbase::WriteFailure(mark);
    }
    if (!status.ok()) {
        files_.Remove(mark + ".new");
        for (const char* file : kBackedUpFiles) {
            files_.Remove(dir_ + file + kStagedSuffix);
        }
        return status;
    }
    if (keptAs != nullptr) {
        *keptAs = hasTable ? kept : std::string();
    }
    return FinishInterruptedRestore();
}

xbase::Status Backups::FinishInterruptedRestore() {
    const std::string mark = dir_ + kRestoreMark;
    files_.Remove(mark + ".new");
    if (!files_.Exists(mark)) {
        for (const char* file : kBackedUpFiles) {
            files_.Remove(dir_ + file + kStagedSuffix);
        }
        return xbase::Status::Ok();
    }
    // The index describes the records replaced; the next open builds it again.
    const std::string index = Found(files_, dir_, kTaskIndexName);
    if (files_.Exists(index) && !files_.Remove(index)) {
        return xbase::WriteFailure(index);
    }
    for (const char* file : kBackedUpFiles) {
        const std::string staged = dir_ + file + kStagedSuffix;
        if (files_.Exists(staged) && !files_.Rename(staged, Found(files_, dir_, file))) {
            return xbase::WriteFailure(dir_ + file);
        }
    }
    if (!files_.SyncDirectory(dir_) || !files_.Remove(mark) || !files_.SyncDirectory(dir_)) {
        return xbase::WriteFailure(mark);
    }
    return xbase::Status::Ok();
}

bool RestoreAndReopen(TTaskStore& store, const std::string& name, std::time_t now,
                      xbase::Status& status) {
    // The table's own open lock would otherwise read as another program holding the file.
    store.TodoTable.Close();
    status = Backups(store.ProgramDir()).Restore(name, now);
    return store.OpenTaskTable(false);
}

bool IsBackupCommandLine(const std::vector<std::string>& arguments) {
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const std::string& a) { return a == "--backups" || a == "--restore"; });
}

int RunBackupCommandLine(const std::vector<std::string>& arguments, const std::string& defaultDir,
                         std::string& out, std::string& err) {
    bool list = false;
    bool restore = false;
    std::string name;
    std::string dir = defaultDir;
    bool dirGiven = false;
    bool bad = false;
    for (std::size_t i = 0; i < arguments.size() && !bad; ++i) {
        const std::string& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (a == "--backups" && !list && !restore) {
            list = true;
        } else if (a == "--restore" && !list && !restore && hasValue) {
            restore = true;
            name = arguments[++i];
        } else if (a == "--dir" && !dirGiven && hasValue && !arguments[i + 1].empty()) {
            dirGiven = true;
            dir = arguments[++i];
        } else {
            bad = true;
        }
    }
    if (bad || (!list && !restore)) {
        err += "Usage: quillet --backups [--dir DIR]\n       quillet --restore NAME [--dir DIR]\n";
        return 2;
    }
    if (dir.empty()) {
        err += "There is no folder for the task file\n";
        return 1;
    }
    std::error_code error;
    if (!fs::is_directory(dir, error)) {
        err += "There is no folder " + dir + "\n";
        return 1;
    }
    Backups backups(dir);
    if (list) {
        // The list is what the person restores from next: a restore stopped midway is finished
        // first, as the next start would.
        const xbase::Status finished = backups.FinishInterruptedRestore();
        if (!finished.ok()) {
            err += finished.message() + "\n";
            return 1;
        }
        for (const BackupEntry& backup : backups.List()) {
            out += backup.name + "\t" + backup.taken + "\t" +
                   (backup.tasks < 0 ? "does not open" : std::to_string(backup.tasks) + " tasks") +
                   "\n";
        }
        return 0;
    }
    std::string keptAs;
    const xbase::Status status = backups.Restore(name, std::time(nullptr), &keptAs);
    if (!status.ok()) {
        err += status.message() + "\n";
        return 1;
    }
    return 0;
}

}  // namespace store
