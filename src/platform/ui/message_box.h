// Standard message boxes with the host's style flags and result codes, and the seam through
// which tests answer them without a person.
#pragma once

#include <QString>

#include <functional>
#include <string_view>
#include <vector>

namespace ui {

// Style flags: one button set, optionally one icon and one default-button choice.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbOkCancel = 0x1;
inline constexpr unsigned kMbAbortRetryIgnore = 0x2;
inline constexpr unsigned kMbYesNoCancel = 0x3;
inline constexpr unsigned kMbYesNo = 0x4;
inline constexpr unsigned kMbRetryCancel = 0x5;
inline constexpr unsigned kMbButtonMask = 0xF;

inline constexpr unsigned kMbIconHand = 0x10;  // also "stop" and "error"
inline constexpr unsigned kMbIconQuestion = 0x20;
inline constexpr unsigned kMbIconExclamation = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr unsigned kMbIconMask = 0xF0;

inline constexpr unsigned kMbDefButton1 = 0x000;
inline constexpr unsigned kMbDefButton2 = 0x100;
inline constexpr unsigned kMbDefButton3 = 0x200;
inline constexpr unsigned kMbDefButtonMask = 0xF00;

// Results: the button pressed.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

enum class MessageIcon { None, Hand, Question, Exclamation, Information };

// One box, decoded from its flags. Texts are Unicode; line breaks are "\n".
struct MessageBoxRequest {
    QString text;
    QString caption;
    unsigned flags = kMbOk;

    // The result codes of the buttons, left to right (an unknown button set gives OK).
    std::vector<int> Buttons() const;
    MessageIcon Icon() const;
    // The result of the button that has the focus when the box opens.
    int DefaultResult() const;
    // What Escape or closing the box gives: Cancel when there is such a button, OK for an
    // OK-only box, 0 when the box cannot be dismissed that way (Yes/No, Abort/Retry/Ignore).
    int EscapeResult() const;
};

// Shows the box and returns the result code of the button pressed.
using MessageBoxPresenter = std::function<int(const MessageBoxRequest&)>;

// Replaces the presenter (tests answer boxes this way) and returns the one before; an empty
// presenter restores the standard one.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);

// Shows a box through the presenter in force. Text and caption are Windows-1252 bytes whose
// "\r\n" or lone "\r" break lines. A presenter's answer that is not one of the box's buttons
// is taken as the box's default button.
int MessageBox(std::string_view text, std::string_view caption, unsigned flags);
int MessageBox(const QString& text, const QString& caption, unsigned flags);

// The standard presenter: a modal Qt message box on the active window.
int PresentStandardMessageBox(const MessageBoxRequest& request);

// Windows-1252 text with CR or CR LF line ends to Unicode with LF line ends.
QString MessageTextFromAnsi(std::string_view ansi);

}  // namespace ui
