// Program entry: sets up the application's fonts, colours and title, then runs the main window
// until it closes.
#include <QApplication>
#include <QWidget>

#include "platform/ui/application.h"
#include "platform/ui/fonts.h"
#include "platform/ui/system_colors.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    ui::installFontMapping();
    QApplication::setPalette(ui::classicPalette());
    QApplication::setFont(ui::dialogFont());
    ui::SetApplicationTitle(QStringLiteral("Quillet"));

    QWidget mainWindow;
    mainWindow.setWindowTitle(QStringLiteral("Quillet"));
    mainWindow.resize(618, 405);  // client area
    mainWindow.move(144, 99);     // frame position, as designed
    ui::SetMainForm(&mainWindow);
    mainWindow.show();
    return QApplication::exec();
}
