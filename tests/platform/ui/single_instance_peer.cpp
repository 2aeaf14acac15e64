// A second process for the single-instance tests. "hold NAME TITLE": takes the lock, shows a
// window titled TITLE and answers activation requests, reporting each on its output, until
// killed. "try NAME": tries the lock once; exit code 0 acquired, 1 held elsewhere, 2 failed.
#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <cstring>

#include "platform/ui/single_instance.h"

namespace {
void Say(const char* text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (argc == 3 && std::strcmp(argv[1], "try") == 0) {
        ui::InstanceLock lock(QString::fromLocal8Bit(argv[2]));
        switch (lock.Acquire()) {
            case ui::InstanceLock::Status::Acquired:
                return 0;
            case ui::InstanceLock::Status::HeldElsewhere:
                return 1;
            case ui::InstanceLock::Status::Failed:
                return 2;
        }
    }
    if (argc != 4 || std::strcmp(argv[1], "hold") != 0) {
        Say("usage: hold NAME TITLE | try NAME");
        return 64;
    }
    QApplication application(argc, argv);
    const QString name = QString::fromLocal8Bit(argv[2]);
    ui::InstanceLock lock(name);
    if (lock.Acquire() != ui::InstanceLock::Status::Acquired) {
        Say("NOT ACQUIRED");
        return 1;
    }
    QWidget window;
    window.setWindowTitle(QString::fromLocal8Bit(argv[3]));
    window.show();
    window.showMinimized();
    ui::InstanceServer server;
    QObject::connect(&server, &ui::InstanceServer::windowActivated, [](QWidget* found) {
        Say(found->isMinimized() ? "ACTIVATED MINIMIZED" : "ACTIVATED");
    });
    if (!server.Listen(name)) {
        Say("NO SERVER");
        return 2;
    }
    Say("READY");
    return QApplication::exec();
}
