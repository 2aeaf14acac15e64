// Program entry: the backup and import commands of the command line (no window), the
// single-instance check, the application's id, icon, fonts, colours and title, its printers,
// then the main window until it closes; a start that cannot reach the task file ends the process.
#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_icon.h"
#include "app/just_one.h"
#include "app/message_boxes.h"
#include "platform/fonts/fonts.h"
#include "platform/print_system/system_printers.h"
#include "platform/ui/application.h"
#include "platform/ui/system_colors.h"
#include "store/backups.h"
#include "store/program_folder.h"
#include "ui/exchange/task_exchange.h"
#include "ui/exchange/zone_conversion.h"
#include "ui/main/main_screen.h"

namespace {

// The backup commands, for a person whose Quillet will not start: no display, no window.
int RunBackupCommand(const std::vector<std::string>& arguments) {
    std::string out;
    std::string err;
    const int code =
        store::RunBackupCommandLine(arguments, store::ChosenProgramFolder().dir, out, err);
    std::fputs(out.c_str(), stdout);
    std::fputs(err.c_str(), stderr);
    return code;
}

// The import command: the tasks of an iCalendar or CSV file added without asking.
int RunImportCommand(const std::vector<std::string>& arguments) {
    std::string out;
    std::string err;
    const int code = exchange_flow::RunImportCommandLine(
        arguments, store::ChosenProgramFolder().dir, exchange_flow::SystemZones(), out, err);
    std::fputs(out.c_str(), stdout);
    std::fputs(err.c_str(), stderr);
    return code;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (store::IsBackupCommandLine(arguments)) {
        return RunBackupCommand(arguments);
    }
    if (exchange_flow::IsImportCommandLine(arguments)) {
        return RunImportCommand(arguments);
    }
    QApplication application(argc, argv);
    // The desktop matches the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QLatin1String(kApplicationId));
    QApplication::setWindowIcon(ApplicationIcon());
    PreparePreviousInstance(argc > 0 ? QString::fromLocal8Bit(argv[0]) : QString());
    ui::installFontMapping();
    QApplication::setPalette(ui::classicPalette());
    QApplication::setFont(ui::dialogFont());
    ui::ProcessMessages();
    ui::SetApplicationTitle(QStringLiteral("Quillet"));
    print::RegisterPrinters();

    const store::ProgramFolder& folder = store::ChosenProgramFolder();
    if (folder.dir.empty()) {
        ShowInformation(folder.failure);
        return 1;
    }
    // A restore killed after it was committed is finished before the table is opened, so the
    // window never opens a table beside a memo file of another moment. A later instance only
    // hands over to the first, which may be restoring right now.
    if (!PreviousInstance().previousInstance) {
        store::Backups(folder.dir).FinishInterruptedRestore();
    }
    ui::FormPtr<TMainScreen> mainScreen = ui::CreateForm<TMainScreen>(folder.dir);
    mainScreen->SetStartNotice(folder.notice);
    ui::SetMainForm(mainScreen.get());
    mainScreen->show();
    ui::ProcessMessages();
    // The first activation may already have failed and closed the window before the loop
    // runs, when closing the last window can no longer end it; nothing may stay behind
    // holding the single-instance lock.
    const int result = mainScreen->StartFailed() ? 1 : QApplication::exec();
    ui::SetMainForm(nullptr);
    return mainScreen->StartFailed() ? 1 : result;
}
