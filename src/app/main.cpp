// Program entry: starts the application and runs its main window until it closes.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));

    QWidget mainWindow;
    mainWindow.setWindowTitle(QStringLiteral("Quillet"));
    mainWindow.resize(618, 405);  // client area
    mainWindow.move(144, 99);     // frame position, as designed
    mainWindow.show();
    return QApplication::exec();
}
