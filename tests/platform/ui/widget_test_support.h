// Test support for windows: an offscreen application for the test binary's main, a guard
// against .ui connections that name a missing signal or slot, and answering modal windows
// and pop-up menus.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QMenu;

#include <functional>

namespace ui::test {

// Chooses the offscreen platform when none is set, and a fresh private runtime folder for
// this run whatever XDG_RUNTIME_DIR was, so that a Quillet the person runs (whose lock and
// socket live in their runtime folder) neither disturbs the tests nor is disturbed by them,
// and a session bus address where none listens; call before the application is made.
void PrepareEnvironment();

// The runtime folder this run made for itself (empty when it could not), and the one the run
// was started with.
struct RuntimeFolders {
    QString own;
    QString inherited;
};
const RuntimeFolders& TestRuntimeFolders();

// main() of a test binary whose tests need widgets: QUILLET_UI_TEST_MAIN() at file scope.
int RunWidgetTests(int argc, char** argv);
#define QUILLET_UI_TEST_MAIN()                         \
    int main(int argc, char** argv) {                  \
        return ::ui::test::RunWidgetTests(argc, argv); \
    }

// While alive, records the warnings Qt gives for a connection that cannot be made (a
// misspelt handler in a .ui file is only such a warning at run time) and fails the running
// test with each of them when it ends. Other messages go to the handler installed before.
class ConnectionGuard {
  public:
    ConnectionGuard();
    ~ConnectionGuard();
    ConnectionGuard(const ConnectionGuard&) = delete;
    ConnectionGuard& operator=(const ConnectionGuard&) = delete;

    // The connection warnings so far; Take() also clears them, so they fail nothing.
    QStringList Warnings() const;
    QStringList Take();
};

// True when `message` is one of the warnings ConnectionGuard collects.
bool IsConnectionWarning(const QString& message);

// Runs `action` on the next modal window once it is shown, from the event loop that shows
// it. Call it just before ShowModal or a message box.
void WhenModalShown(std::function<void(QWidget*)> action);

// Runs `action` on the next pop-up menu once it shows, from the loop that shows it.
void WhenPopupShown(std::function<void(QMenu*)> action);

// Closes a showing menu and chooses its item captioned `text` (as shown) or named `text`.
void Choose(QMenu* menu, const QString& text);

}  // namespace ui::test
