// Opening the task table, creating it when missing, upgrading the old six-field structure
// to the current seven fields, and opening the backup table the upgrade copies from.
#include "store/task_file.h"

#include <cstdio>
#include <filesystem>

#include "platform/xbase/sx.h"
#include "rtl/file_names.h"
#include "rtl/text.h"

namespace store {

namespace {

constexpr char kUpgradeNotice[] =
    "This version of QLX uses a new file structure\rwith the new PRIORITY field.\rYour existing "
    "data files are from an older version.\r\rThe program will now attempt to update the\rfiles "
    "to the new version. The old files\rwill be saved as QXBAK.DBF and QXBAK.FPT";
constexpr char kRenameFailed[] = "Unable to rename old QUILX.* files";

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

bool Rename(const std::string& from, const std::string& to) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return !error;
}

// "NAME.orphan", or "NAME.orphan.2", ".3"... when an earlier one is still there, so that no
// file set aside before is ever replaced.
std::string FreeOrphanPath(const std::string& path) {
    std::string candidate = path + ".orphan";
    for (int n = 2; Exists(candidate); ++n) {
        candidate = path + ".orphan." + std::to_string(n);
    }
    return candidate;
}

std::string FileNameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// The request's own words, then the engine's, which name the file at fault (the memo file
// or the index as often as the table) and what is wrong with it.
std::string OpenFailureMessage(bool forRebuild, const std::string& engineWords) {
    std::string text = forRebuild ? "Unable to open the Todo file (QUILX.DBF) for reindexing.\rThe "
                                    "file may be in use by another user"
                                  : "Unable to open the Todo file: QUILX.DBF";
    if (!engineWords.empty()) {
        text += "\r\r" + engineWords;
    }
    return text;
}

}  // namespace

TTaskStore::TTaskStore(std::string_view programDir, MessageSink& messages, StatusSink& status)
    : adaptor(messages),
      TodoTable(adaptor),
      ModTable(adaptor),
      programDir_(EngineAdaptor::WithDirectoryEnd(programDir)),
      messages_(messages),
      status_(status),
      plainRunner_(*this),
      runner_(&plainRunner_) {
    TodoDataSource.SetDataSet(&TodoTable);
    TodoEngine.SetDataSource(&TodoDataSource);
    ModDataSource.SetDataSet(&ModTable);
    ModEngine.SetDataSource(&ModDataSource);
}

TTaskStore::~TTaskStore() {
    TodoTable.Close();
    ModTable.Close();
}

std::string TTaskStore::FoundName(std::string_view fileName) const {
    return rtl::FindFileName(programDir_, fileName);
}

bool TTaskStore::Start() {
    return adaptor.Start() == dbi::kOk;
}

bool TTaskStore::CreateTaskTable() {
    createFailure_.clear();
    std::string path = FoundPath(kTaskTableName);
    std::vector<std::pair<std::string, std::string>> orphans;
    if (!SetOrphansAside(orphans)) {
        return false;
    }
    sx_ClearLastError();
    bool created = TodoEngine.CreateTable(path, 2, 7);
    if (created) {
        for (const TaskFieldDef& f : kTaskFields) {
            TodoEngine.AddField(f.name, f.type, f.width, 0);
        }
        created = TodoEngine.WriteNewTable() && Exists(path);
    }
    if (!created) {
        createFailure_ = sx_LastStatus().message();
        // Nothing new was made, so the files found stay where they were for the next try.
        for (const auto& [from, to] : orphans) {
            Rename(to, from);
        }
        return false;
    }
    if (!orphans.empty()) {
        std::string kept;
        for (const auto& [from, to] : orphans) {
            kept += (kept.empty() ? "" : " and ") + FileNameOf(to);
        }
        messages_.ShowInformation(
            "QUILX.DBF was not found, so a new empty task file was made.\r"
            "The files found without it are kept as " +
            kept + ".");
    }
    return true;
}

// A memo file or index left without its table would be overwritten by the new table's own,
// or, for the index, taken for the new table's and point at records it does not have. They
// may hold the only copy of years of notes, so they are renamed, never removed.
bool TTaskStore::SetOrphansAside(std::vector<std::pair<std::string, std::string>>& orphans) {
    for (const char* name : {kTaskMemoName, kTaskIndexName}) {
        const std::string path = FoundPath(name);
        if (!Exists(path)) {
            continue;
        }
        const std::string aside = FreeOrphanPath(path);
        std::error_code error;
        std::filesystem::rename(path, aside, error);
        if (error) {
            for (const auto& [from, to] : orphans) {
                Rename(to, from);
            }
            orphans.clear();
            createFailure_ =
                FileNameOf(path) + " without its table could not be set aside: " + error.message();
            return false;
        }
        orphans.emplace_back(path, aside);
    }
    return true;
}

bool TTaskStore::IsOldTaskStructure(TTable& recordSet) {
    recordSet.Close();
    if (recordSet.UpdateFieldDefs() != dbi::kOk) {
        return false;
    }
    auto has = [&](std::string_view name) {
        for (const FieldDesc& d : recordSet.FieldDefs()) {
            if (d.name == name) {
                return true;
            }
        }
        return false;
    };
    using namespace task_field;
    return has(kDate) && has(kTime) && has(kDescript) && has(kNote) && has(kDone) && has(kKeys) &&
           !has(kPriority);
}

bool TTaskStore::OpenBackupTable() {
    ModTable.SetDatabaseName(programDir_);
    ModTable.SetTableName(FoundName(kBackupTableName));
    if (!Exists(FoundPath(kBackupTableName))) {
        return false;
    }
    ModTable.Close();
    ModTable.SetExclusive(true);
    return ModTable.Open() == dbi::kOk;
}

bool TTaskStore::OpenTaskTable(bool forRebuild) {
    TodoTable.Close();
    TodoTable.SetDatabaseName(programDir_);
    TodoTable.SetTableName(FoundName(kTaskTableName));
    if (!Exists(FoundPath(kTaskTableName)) && !CreateTaskTable()) {
        messages_.ShowInformation(createFailure_.empty()
                                      ? std::string("Unable to open or create QUILX.DBF")
                                      : "Unable to open or create QUILX.DBF\r\r" + createFailure_);
        return false;
    }
    if (IsOldTaskStructure(TodoTable)) {
        messages_.ShowInformation(kUpgradeNotice);
        bool upgraded = UpgradeTaskTable();
        messages_.ShowInformation(upgraded ? "File update was successful"
                                           : "There was an error updating the files.");
        // An upgrade stopped before the new table was made leaves the old one in place; the
        // windows need the PRIORITY field, so it is not opened for them.
        if (!upgraded && IsOldTaskStructure(TodoTable)) {
            messages_.ShowInformation(OpenFailureMessage(forRebuild, {}));
            return false;
        }
    }
    indexRebuiltAtOpen_ = false;
    Status("Opening files...");
    // Each step that fails keeps the engine's words for the message; the first failure ends
    // the open.
    std::string words;
    auto openTable = [&](bool exclusive) {
        TodoTable.Close();
        TodoTable.SetExclusive(exclusive);
        sx_ClearLastError();
        if (TodoTable.Open() != dbi::kOk) {
            words = sx_LastStatus().message();
            return false;
        }
        return true;
    };

    bool opened = openTable(forRebuild);
    // Records past the header's count (an append stopped before it counted its record) make
    // the engine open the table read-only, so that nothing writes over them: nor can the index
    // be rebuilt, and setting it aside would only leave the table without one.
    const std::intptr_t hidden = opened ? TodoEngine.SysProp(SxProp::kRecordsBeyondCount, 0) : 0;
    // An index the engine could not read (empty, cut short, overwritten), or one a writer
    // left half-written, is rebuilt as a missing one is; the damaged file stays beside the
    // table for whoever wants it.
    if (opened && hidden == 0 && Exists(FoundPath(kTaskIndexName)) &&
        (!HasAllTags() || TodoEngine.SysProp(SxProp::kIndexInterrupted, 0) != 0)) {
        TodoTable.Close();
        opened = SetIndexAside(words) && openTable(forRebuild);
        indexRebuiltAtOpen_ = opened;
    }
    if (opened && hidden == 0 && !Exists(FoundPath(kTaskIndexName))) {
        Status("Creating indexes...");
        opened = openTable(true);
        if (opened) {
            runner_->RunRebuildWindow(false);
            DropIncompleteIndex();
            opened = openTable(forRebuild);
        }
    }
    if (opened) {
        TodoEngine.SetOrder(TodoEngine.TagOrder(kDateTimeTag));
        TodoEngine.SysProp(SxProp::kSetUserNumber, 3);
        sx_ClearLastError();
        if (TodoTable.First() != dbi::kOk) {
            words = sx_LastStatus().message();
            opened = false;
        }
    }
    if (opened && !forRebuild) {
        // A table shown read-only is not written to, nor is its companion.
        uidReport_ = hidden == 0 ? Uids.OpenForWriting(programDir_) : UidReport{};
        if (hidden > 0) {
            Uids.OpenReadOnly(programDir_);
        }
    }
    if (!opened) {
        TodoTable.Close();
        messages_.ShowInformation(OpenFailureMessage(forRebuild, words));
    } else if (hidden > 0) {
        messages_.ShowInformation(
            "QUILX.DBF holds " + std::to_string(hidden) +
            " more record(s) than its header counts, left by a program that stopped while "
            "adding a task.\rThe tasks are shown read-only so that nothing is written over "
            "them; \"xbtool repair QUILX.DBF\" counts them in.");
    }
    return opened;
}

// The newest damaged index is the one the message names, QUILX.CDX.bad; one set aside
// before is never replaced but moves to the first free QUILX.CDX.bad.2, .3...
bool TTaskStore::SetIndexAside(std::string& words) {
    const std::string index = FoundPath(kTaskIndexName);
    const std::string aside = PathOf(kDamagedIndexName);
    std::error_code error;
    if (Exists(aside)) {
        std::string older = aside + ".2";
        for (int n = 3; Exists(older); ++n) {
            older = aside + "." + std::to_string(n);
        }
        std::filesystem::rename(aside, older, error);
    }
    if (!error) {
        std::filesystem::rename(index, aside, error);
    }
    if (error) {
        words = FileNameOf(index) + " could not be set aside: " + error.message();
        return false;
    }
    return true;
}

TTaskStore::Repair TTaskStore::RepairIndex() {
    // The rebuild needs the table to itself. While another program holds it, or when the
    // index cannot be moved, the index stays as it is rather than leave the table without one.
    TodoTable.Close();
    TodoTable.SetExclusive(true);
    const bool alone = TodoTable.Open() == dbi::kOk;
    TodoTable.Close();
    std::string words;
    const bool setAside = alone && (!Exists(FoundPath(kTaskIndexName)) || SetIndexAside(words));
    if (!OpenTaskTable(false)) {
        return Repair::kFailed;
    }
    return setAside ? Repair::kRebuilt : Repair::kPutOff;
}

TaskFileStamp TTaskStore::Stamp() {
    auto written = [this](const char* name) -> std::int64_t {
        std::error_code error;
        const auto time = std::filesystem::last_write_time(FoundPath(name), error);
        return error ? 0 : static_cast<std::int64_t>(time.time_since_epoch().count());
    };
    return {TodoEngine.RecordCount(), written(kTaskTableName), written(kTaskIndexName)};
}

// A rebuild that failed part-way (its error already shown) leaves an index file without all
// its tags, which every later open would take as whole; without the file, the next open
// builds the tags again.
void TTaskStore::DropIncompleteIndex() {
    if (!HasAllTags()) {
        TodoEngine.CloseIndexes();
        std::remove(FoundPath(kTaskIndexName).c_str());
    }
}

bool TTaskStore::HasAllTags() {
    for (const TaskTag& tag : kTaskTags) {
        if (TodoEngine.TagOrder(tag.name) == 0) {
            return false;
        }
    }
    return true;
}

bool TTaskStore::CopyOldRecords() {
    TField* priority = TodoTable.FieldByName(task_field::kPriority);
    TField* note = TodoTable.FieldByName(task_field::kNote);
    TField* oldNote = ModTable.FieldByName(task_field::kNote);
    TField* oldDone = ModTable.FieldByName(task_field::kDone);
    TField* done = TodoTable.FieldByName(task_field::kDone);
    if (priority == nullptr || note == nullptr || oldNote == nullptr || oldDone == nullptr ||
        done == nullptr) {
        return false;
    }
    int count = 0;
    if (ModTable.First() != dbi::kOk) {
        return false;
    }
    while (!ModTable.Eof() && !ModTable.IsEmpty()) {
        if (TodoTable.Append() != dbi::kOk || !priority->SetAsString("B")) {
            return false;
        }
        for (const char* name :
             {task_field::kDate, task_field::kTime, task_field::kDescript, task_field::kKeys}) {
            TField* from = ModTable.FieldByName(name);
            TField* to = TodoTable.FieldByName(name);
            if (from == nullptr || to == nullptr || !to->SetAsString(from->AsString())) {
                return false;
            }
        }
        if (!done->SetAsBoolean(oldDone->AsBoolean()) ||
            !note->SetAsString(rtl::PadMemoText(oldNote->AsString()))) {
            return false;
        }
        if (TodoTable.Post() != dbi::kOk) {
            return false;
        }
        if (TodoTable.State() != TDataSetState::dsBrowse && TodoTable.Post() != dbi::kOk) {
            return false;
        }
        if (ModTable.Next() != dbi::kOk) {
            return false;
        }
        ++count;
        Status("Appended " + std::to_string(count) + " old TODO records...");
    }
    return true;
}

bool TTaskStore::UpgradeTaskTable() {
    Status("Backing up old TODO Files...");
    TodoTable.DisableControls();
    bool result = false;
    [&] {
        // The files as found, whatever their letter case; the backup under its own names.
        const std::string dbf = FoundPath(kTaskTableName), fpt = FoundPath(kTaskMemoName),
                          cdx = FoundPath(kTaskIndexName), bakDbf = PathOf(kBackupTableName),
                          bakFpt = PathOf(kBackupMemoName);
        std::remove(FoundPath(kBackupTableName).c_str());
        std::remove(FoundPath(kBackupMemoName).c_str());
        std::remove(cdx.c_str());
        if (!Rename(fpt, bakFpt)) {
            messages_.ShowInformation(kRenameFailed);
            return;
        }
        if (!Rename(dbf, bakDbf)) {
            // The table must not stay without its memo file.
            Rename(bakFpt, fpt);
            messages_.ShowInformation(kRenameFailed);
            return;
        }
        if (!Exists(bakDbf) || !Exists(bakFpt)) {
            messages_.ShowInformation(kRenameFailed);
            return;
        }
        Status("Creating new style TODO Files...");
        if (!CreateTaskTable()) {
            messages_.ShowInformation("Unable to create new QUILX.* files");
            return;
        }
        if (!OpenTaskTable(true)) {
            messages_.ShowInformation("Unable to open new QUILX.* files");
            return;
        }
        TodoEngine.SetOrder(0);
        if (!OpenBackupTable()) {
            messages_.ShowInformation("Unable to append records from old QUILX.* files");
            return;
        }
        Status("Appending from old style TODO Files...");
        if (CopyOldRecords()) {
            result = true;
        } else {
            TodoTable.Cancel();
            messages_.ShowInformation(
                "Unknown error while appending records from old QUILX.* files");
        }
    }();
    TodoTable.EnableControls();
    TodoTable.Close();
    ModTable.Close();
    return result;
}

}  // namespace store
