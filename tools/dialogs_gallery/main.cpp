// The dialogs gallery: shows the task editor, the date selector and the time dialog filled
// with sample data; with --screenshot DIR it saves a picture of each into DIR and ends.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "controls/calendar.h"
#include "platform/fonts/fonts.h"
#include "platform/ui/ansi_input.h"
#include "platform/ui/system_colors.h"
#include "rtl/date_time.h"
#include "ui/dialogs/date_selector.h"
#include "ui/dialogs/set_time_dialog.h"
#include "ui/dialogs/task_editor.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setPalette(ui::classicPalette());
    ui::installFontMapping();
    QApplication::setFont(ui::dialogFont());

    QString screenshots;
    const QStringList args = QApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--screenshot"));
    if (at >= 0 && at + 1 < args.size()) {
        screenshots = args[at + 1];
    }

    auto editor = ui::CreateForm<TTaskEditor>(std::vector<std::string>{"home", "work", "school"});
    editor->TaskLabel()->setText(QStringLiteral("Editing Task"));
    editor->Task()->setText(QStringLiteral("Renew the library books"));
    editor->KeyWords()->setText(QStringLiteral("home errands"));
    editor->DateEdit()->setText(QStringLiteral("12/24/2026"));
    editor->TimeEdit()->setText(QStringLiteral("5:30 PM"));
    editor->pHigh()->setChecked(true);
    editor->Notes()->setPlainText(
        QStringLiteral("Three books, due before the holidays.\n"
                       "Ask about the reserved one."));
    editor->move(20, 20);
    editor->show();

    auto selector = ui::CreateForm<TDateSelector>();
    rtl::TDateTime day = 0;
    rtl::TryEncodeDate(2026, 12, 8, day);
    selector->Calendar()->setCalendarDate(day);
    selector->move(440, 20);
    selector->show();

    auto timeDialog = ui::CreateForm<TSetTimeDialog>();
    rtl::TDateTime time = 0;
    rtl::TryEncodeTime(17, 30, 0, 0, time);
    timeDialog->SetSelectedTime(time);
    timeDialog->move(440, 320);
    timeDialog->show();
    timeDialog->FormActivate();

    if (!screenshots.isEmpty()) {
        QTimer::singleShot(400, editor.get(), [&]() {
            QDir().mkpath(screenshots);
            const std::pair<QWidget*, const char*> shots[] = {
                {editor.get(), "task_editor.png"},
                {selector.get(), "date_selector.png"},
                {timeDialog.get(), "set_time_dialog.png"},
            };
            bool saved = true;
            for (const auto& [window, name] : shots) {
                const QString file = QDir(screenshots).filePath(QLatin1String(name));
                const bool ok = window->grab().save(file);
                std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "saved" : "could not save",
                             qPrintable(file));
                saved = saved && ok;
            }
            QApplication::exit(saved ? EXIT_SUCCESS : EXIT_FAILURE);
        });
    }
    return QApplication::exec();
}
