// Button looks, help and the clock of the task editing dialogs.
#include "ui/dialogs/dialog_parts.h"

#include <QKeySequence>
#include <QShortcut>
#include <QString>

#include <cmath>
#include <utility>

#include "controls/explorer_button.h"
#include "platform/ui/help_viewer.h"
#include "store/program_folder.h"

namespace dialogs {

using controls::TButtonLayout;
using controls::TButtonOption;

void UseGlyphLeft(const QList<controls::TExplorerButton*>& buttons) {
    for (controls::TExplorerButton* button : buttons) {
        button->setLayout(TButtonLayout::blBitmapLeft);
        button->setOptions(button->options().setFlag(TButtonOption::boMonoDisplay, false));
    }
}

void UseGlyphOnly(const QList<controls::TExplorerButton*>& buttons) {
    for (controls::TExplorerButton* button : buttons) {
        button->setOptions(button->options()
                               .setFlag(TButtonOption::boMonoDisplay, false)
                               .setFlag(TButtonOption::boIconOnly));
    }
}

void ShowHelpContext(int context) {
    QString file = ui::ProgramHelpFile();
    if (file.isEmpty()) {  // a dialog shown before the main window found the file
        file = QString::fromStdString(store::GetHelpFileName());
    }
    ui::ShowHelp(file, context);
}

void HelpOnF1(QWidget* dialog, controls::TExplorerButton* helpButton) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), dialog);
    QObject::connect(key, &QShortcut::activated, helpButton, &controls::TExplorerButton::click);
}

namespace {
std::function<rtl::TDateTime()>& Clock() {
    static std::function<rtl::TDateTime()> clock;
    return clock;
}
}  // namespace

rtl::TDateTime Now() {
    return Clock() ? Clock()() : rtl::Now();
}

rtl::TDateTime Today() {
    return std::trunc(Now());
}

rtl::TDateTime TimeOfDay() {
    const rtl::TDateTime now = Now();
    return std::fabs(now - std::trunc(now));
}

void SetClockForTests(std::function<rtl::TDateTime()> clock) {
    Clock() = std::move(clock);
}

}  // namespace dialogs
