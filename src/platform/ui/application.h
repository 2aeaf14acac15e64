// The application as the windows see it: title, main form, pending messages, screen cursor,
// mouse capture, keyboard state, screen metrics, window placement and topmost windows.
#pragma once

#include <QCursor>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <optional>

namespace ui {

// --- Title and main form -------------------------------------------------------------------

// The application title (task bar, message box captions). Kept apart from Qt's display
// name, which the platform would append to every window title.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

// The main form: the window dialogs are centred over; null before one is set.
void SetMainForm(QWidget* form);
QWidget* MainForm();

// Announces when the application as a whole stops or starts being the active one (the user
// clicked a window of another program, or came back). Popups that close on deactivation
// connect to it. Exists once a QGuiApplication does.
class ApplicationEvents : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

  Q_SIGNALS:
    void deactivated();
    void activated();
};
ApplicationEvents* Events();

// Minimises the main form (the application's only task-bar window).
void MinimizeApplication();

// Lets every pending event (posted events, timers, paints, input) be processed once. Long
// operations call it between steps so that progress paints and Cancel/Stop buttons act.
void ProcessMessages();

// --- Cursor, capture, keyboard ---------------------------------------------------------------

// The screen cursor: Default shows each widget's own cursor; the others override it
// everywhere until the cursor is set back to Default. Custom is a picture of the program's own.
enum class ScreenCursor { Default, Arrow, HourGlass, Custom };
void SetScreenCursor(ScreenCursor cursor);
// A cursor picture of the program's own (the preview's magnifier, the help-mode pointer).
void SetScreenCursor(const QCursor& cursor);
ScreenCursor CurrentScreenCursor();

// Mouse capture: every mouse event goes to `widget` until released. Null releases.
void SetMouseCapture(QWidget* widget);
QWidget* MouseCapture();

// State of the modifier keys and mouse buttons at this moment (not the queued state).
struct KeyboardState {
    bool shift = false;
    bool control = false;
    bool alt = false;
    bool leftButton = false;
    bool rightButton = false;
    bool middleButton = false;
};
KeyboardState CurrentKeyboardState();

// --- Screen ----------------------------------------------------------------------------------

// Size of the primary screen in pixels and its logical density in dots per inch.
struct ScreenMetrics {
    int width = 0;
    int height = 0;
    int dotsPerInch = 96;
};
ScreenMetrics CurrentScreenMetrics();
// Tests fix the metrics (e.g. a 1024 x 768 screen at 120 dpi); nullopt goes back to the real ones.
void OverrideScreenMetrics(std::optional<ScreenMetrics> metrics);

// --- Window placement ------------------------------------------------------------------------

// A form's outer rectangle (frame included) in screen pixels, as placement is stored.
QRect FormBounds(const QWidget* form);
// Moves the form so its outer rectangle starts at `topLeft`; the size stays.
void SetFormPosition(QWidget* form, QPoint topLeft);
// Gives the form this outer rectangle (the client size follows from the frame). The frame
// is known once the window is shown; before that the frame counts as zero wide.
void SetFormBounds(QWidget* form, const QRect& bounds);

// The top-left corner that centres a box of `size` over `area`; each half truncates towards
// zero, so a box larger than the area gets a negative offset of half the difference.
QPoint CentredPosition(QSize size, const QRect& area);

// What the windowing system knows of a form's placement.
struct WindowPlacement {
    QRect normalBounds;  // outer rectangle when neither maximised nor minimised
    bool maximized = false;
    bool minimized = false;
};
WindowPlacement FormPlacement(const QWidget* form);

// Places a dialog before it is shown: centred over the main form, or on the screen when the
// main form is maximised, absent, or the form's class is the one named TMainForm.
void CentreForm(QWidget* form);

// Brings a form forward: restored when minimised, else raised and activated.
void BringFormToFront(QWidget* form);

// Keeps a top-level window above all others (or not). A visible window is shown again, as
// the platform only reads the flag when a window is mapped.
void SetTopmost(QWidget* window, bool topmost);
bool IsTopmost(const QWidget* window);

}  // namespace ui
