// Offscreen application, connection guard and modal helper for the window tests.
#include "widget_test_support.h"

#include <QApplication>
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <mutex>

namespace ui::test {
namespace {

struct GuardState {
    std::mutex mutex;
    QStringList warnings;
    QtMessageHandler previous = nullptr;
    int depth = 0;
};

GuardState& Guard() {
    static GuardState state;
    return state;
}

void GuardHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    GuardState& state = Guard();
    if (type == QtWarningMsg && IsConnectionWarning(message)) {
        std::lock_guard lock(state.mutex);
        state.warnings.append(message);
        return;
    }
    if (state.previous != nullptr) {
        state.previous(type, context, message);
    }
}

}  // namespace

bool IsConnectionWarning(const QString& message) {
    static const char* const kPatterns[] = {
        "QMetaObject::connectSlotsByName: No matching signal",
        "QObject::connect: No such slot",
        "QObject::connect: No such signal",
        "QObject::connect: Cannot connect",
        "QObject::connect: Parentheses expected",
        "QObject::connect: Incompatible sender/receiver arguments",
    };
    for (const char* pattern : kPatterns) {
        if (message.contains(QLatin1String(pattern))) {
            return true;
        }
    }
    return false;
}

ConnectionGuard::ConnectionGuard() {
    GuardState& state = Guard();
    if (state.depth++ == 0) {
        state.previous = qInstallMessageHandler(GuardHandler);
    }
}

ConnectionGuard::~ConnectionGuard() {
    GuardState& state = Guard();
    const QStringList warnings = Take();
    if (--state.depth == 0) {
        qInstallMessageHandler(state.previous);
        state.previous = nullptr;
    }
    for (const QString& warning : warnings) {
        ADD_FAILURE() << "connection failed: " << warning.toStdString();
    }
}

QStringList ConnectionGuard::Warnings() const {
    std::lock_guard lock(Guard().mutex);
    return Guard().warnings;
}

QStringList ConnectionGuard::Take() {
    std::lock_guard lock(Guard().mutex);
    QStringList warnings;
    warnings.swap(Guard().warnings);
    return warnings;
}

namespace {

RuntimeFolders& Runtime() {
    static RuntimeFolders folders;
    return folders;
}

}  // namespace

const RuntimeFolders& TestRuntimeFolders() {
    return Runtime();
}

void PrepareEnvironment() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    RuntimeFolders& folders = Runtime();
    if (!folders.own.isEmpty()) {
        return;
    }
    folders.inherited = qEnvironmentVariable("XDG_RUNTIME_DIR");
    // mkdtemp makes the folder private (0700), as a runtime folder is.
    QByteArray pattern = QFile::encodeName(QDir::tempPath() + QStringLiteral("/quillet-test-run-") +
                                           QString::number(::getpid()) + QStringLiteral("-XXXXXX"));
    if (::mkdtemp(pattern.data()) != nullptr) {
        folders.own = QFile::decodeName(pattern);
        qputenv("XDG_RUNTIME_DIR", pattern);
        // Nothing listens there: the windows' notifications never reach the person's desktop.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + pattern + "/no-bus");
    }
}

int RunWidgetTests(int argc, char** argv) {
    PrepareEnvironment();
    testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (!Runtime().own.isEmpty()) {
        QDir(Runtime().own).removeRecursively();
    }
    return result;
}

namespace {

struct ModalWaiter {
    std::function<void(QWidget*)> action;
    int triesLeft = 500;  // only keeps a broken test from hanging
};

// Polls from the modal loop itself until a modal window is up.
void PollForModal(const std::shared_ptr<ModalWaiter>& waiter) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) {
        const std::function<void(QWidget*)> action = std::move(waiter->action);
        action(modal);
        return;
    }
    if (--waiter->triesLeft <= 0) {
        ADD_FAILURE() << "no modal window was shown";
        return;
    }
    QTimer::singleShot(10, [waiter] { PollForModal(waiter); });
}

}  // namespace

void WhenModalShown(std::function<void(QWidget*)> action) {
    auto waiter = std::make_shared<ModalWaiter>();
    waiter->action = std::move(action);
    QTimer::singleShot(0, [waiter] { PollForModal(waiter); });
}

void WhenPopupShown(std::function<void(QMenu*)> action) {
    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [action = std::move(action), poll](int triesLeft) {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            action(menu);
            *poll = nullptr;
            return;
        }
        if (triesLeft <= 0) {
            ADD_FAILURE() << "no pop-up menu was shown";
            *poll = nullptr;
            return;
        }
        QTimer::singleShot(10, [poll, triesLeft] { (*poll)(triesLeft - 1); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(500); });
}

void Choose(QMenu* menu, const QString& text) {
    const QList<QAction*> items = menu->actions();
    for (QAction* action : items) {
        if (action->text() == text || action->objectName() == text) {
            menu->close();
            action->trigger();
            return;
        }
    }
    ADD_FAILURE() << "no item " << text.toStdString();
    menu->close();
}

}  // namespace ui::test
