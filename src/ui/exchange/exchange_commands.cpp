// The import and export commands of the main window, from the file dialog to the message line.
#include "ui/exchange/exchange_commands.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "app/message_boxes.h"
#include "platform/ui/application.h"
#include "rtl/ansi.h"
#include "store/task_file.h"
#include "store/task_history.h"
#include "ui/exchange/import_form.h"
#include "ui/exchange/zone_conversion.h"

namespace exchange_flow {

namespace {

const QString kICalendarFilter = QStringLiteral("iCalendar files (*.ics)");
const QString kCsvFilter = QStringLiteral("CSV files (*.csv)");

bool AskInImportWindow(const ImportReading& reading, QWidget* parent) {
    ui::FormPtr<TImportForm> form = ui::CreateForm<TImportForm>(reading, parent);
    ui::CentreForm(form.get());
    return form->ShowModal() == ui::kModalOk;
}

}  // namespace

ImportDone ImportFromFile(store::TTaskStore& store, store::TTaskHistory& history,
                          const std::string& path,
                          const std::function<bool(const ImportReading&)>& ask) {
    const ImportReading reading = ReadImportFile(path, SystemZones(), store.Uids);
    // The message boxes speak the task file's code page; a file name may not.
    const std::string name = rtl::Utf8ToAnsi(path);
    if (!reading.ok()) {
        ShowInformation(name + " cannot be imported.\r" + rtl::Utf8ToAnsi(reading.failure) +
                        "\r\rNo task was added.");
        return {};
    }
    if (reading.plan.tasks.empty()) {
        ShowInformation("There are no new tasks in " + name + ".\r" + ImportSummary(reading));
        return {};
    }
    if (!ask(reading)) {
        return {};
    }
    int added = 0;
    if (store::AddImportedTasks(store, reading.plan, history, added) != store::dbi::kOk) {
        ShowInformation("The tasks could not be added: " + store.TodoTable.LastErrorText() +
                        "\r\rNo task was added.");
        return {};
    }
    return {added, QString::fromLocal8Bit(ImportDoneLine(reading, added))};
}

ImportDone RunImportCommand(store::TTaskStore& store, store::TTaskHistory& history,
                            QWidget* parent) {
    const QString path = QFileDialog::getOpenFileName(
        parent, QStringLiteral("Import Tasks"), QDir::homePath(),
        kICalendarFilter + QStringLiteral(";;") + kCsvFilter + QStringLiteral(";;All files (*)"));
    if (path.isEmpty()) {
        return {};
    }
    return ImportFromFile(
        store, history, QFile::encodeName(path).toStdString(),
        [parent](const ImportReading& reading) { return AskInImportWindow(reading, parent); });
}

QString RunExportCommand(store::TTaskStore& store, QWidget* parent) {
    QString filter = kICalendarFilter;
    QString path = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Export Tasks"), QDir::home().filePath(QStringLiteral("tasks.ics")),
        kICalendarFilter + QStringLiteral(";;") + kCsvFilter, &filter);
    if (path.isEmpty()) {
        return {};
    }
    const bool icalendar = filter != kCsvFilter;
    const QString extension = icalendar ? QStringLiteral(".ics") : QStringLiteral(".csv");
    if (!path.endsWith(extension, Qt::CaseInsensitive) && QFileInfo(path).suffix().isEmpty()) {
        path += extension;
    }
    ui::SetScreenCursor(ui::ScreenCursor::HourGlass);
    const xbase::Status status =
        ExportTaskSet(store, QFile::encodeName(path).toStdString(), icalendar);
    ui::SetScreenCursor(ui::ScreenCursor::Default);
    if (!status.ok()) {
        ShowInformation("The tasks could not be exported.\r\r" + rtl::Utf8ToAnsi(status.message()));
        return {};
    }
    return QStringLiteral("The tasks shown were exported to ") + path;
}

}  // namespace exchange_flow
