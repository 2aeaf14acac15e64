// Program entry: the single-instance check, the application's fonts, colours and title, then
// the main window until it closes.
#include <QApplication>

#include "app/just_one.h"
#include "app/shell_utils.h"
#include "platform/ui/application.h"
#include "platform/ui/fonts.h"
#include "platform/ui/system_colors.h"
#include "ui/main/main_screen.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    PreparePreviousInstance(argc > 0 ? QString::fromLocal8Bit(argv[0]) : QString());
    ui::installFontMapping();
    QApplication::setPalette(ui::classicPalette());
    QApplication::setFont(ui::dialogFont());
    ui::ProcessMessages();
    ui::SetApplicationTitle(QStringLiteral("Quillet"));

    ui::FormPtr<TMainScreen> mainScreen = ui::CreateForm<TMainScreen>(GetProgramDir());
    ui::SetMainForm(mainScreen.get());
    mainScreen->show();
    ui::ProcessMessages();
    const int result = QApplication::exec();
    ui::SetMainForm(nullptr);
    return result;
}
