// The instance lock taken at start, and the hand-over of a later instance to the first.
#include "app/just_one.h"

#include <unistd.h>

#include <cstdio>

#include "platform/ui/single_instance.h"

namespace {

// Set to any value, a later instance writes on its error stream what the first instance
// answered to the hand-over ("FOUND", "NONE" or "NO SERVER"); nothing else changes.
constexpr char kReportHandover[] = "QUILLET_REPORT_HANDOVER";

QString FilePart(const QString& path) {
    qsizetype cut = -1;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path[i] == QLatin1Char('/') || path[i] == QLatin1Char('\\') ||
            path[i] == QLatin1Char(':')) {
            cut = i;
        }
    }
    return path.mid(cut + 1).left(255);
}

}  // namespace

QString SearchTitleFor(const QString& fileName) {
    if (fileName.contains(QStringLiteral(".EXE"))) {
        return fileName.left(fileName.size() - 4);
    }
    if (!fileName.contains(QLatin1Char('.'))) {
        return fileName;
    }
    return {};
}

TPreviousInstance& PreviousInstance() {
    static TPreviousInstance record;
    return record;
}

void PreparePreviousInstance(const QString& argument0) {
    TPreviousInstance& record = PreviousInstance();
    const QString fileName = FilePart(argument0);
    record.mutexName = ui::InstanceNameFor(fileName);
    record.searchTitle = SearchTitleFor(fileName);
    record.mutex = std::make_unique<ui::InstanceLock>(record.mutexName);
    switch (record.mutex->Acquire()) {
        case ui::InstanceLock::Status::Acquired:
            record.previousInstance = false;
            break;
        case ui::InstanceLock::Status::HeldElsewhere:
            record.previousInstance = true;
            record.mutex.reset();
            break;
        case ui::InstanceLock::Status::Failed:
            // No lock to be had: this instance runs on its own, as when the mutex cannot be made.
            record.previousInstance = false;
            record.mutex.reset();
            break;
    }
}

TJustOne::TJustOne(QObject* owner) : QObject(owner) {
    TPreviousInstance& record = PreviousInstance();
    if (!record.previousInstance) {
        if (record.mutex != nullptr && record.mutex->Held()) {
            // The first instance's windows are titled with the application title, not with
            // the executable's base name a later instance searches for; the main form is the
            // window the user means to see again, so that name answers for it.
            server_ = new ui::InstanceServer(this);
            if (server_->Listen(record.mutexName)) {
                server_->AnswerForMainForm(record.searchTitle);
            }
        }
        return;
    }
    // The search of this process's own windows (renaming the one found) has nothing to do
    // here: the search runs in the first instance, which sees only its own windows.
    ui::ActivationResult result = ui::ActivationResult::NotFound;
    if (!record.searchTitle.isEmpty()) {
        result = ui::ActivateRunningInstance(record.mutexName, record.searchTitle);
    }
    if (qEnvironmentVariableIsSet(kReportHandover)) {
        const char* text = result == ui::ActivationResult::Activated  ? "FOUND\n"
                           : result == ui::ActivationResult::NotFound ? "NONE\n"
                                                                      : "NO SERVER\n";
        std::fputs(text, stderr);
        std::fflush(stderr);
    }
    ::_exit(0);
}

TJustOne::~TJustOne() = default;
