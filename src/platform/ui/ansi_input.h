// Text input limited to what the task file can store: characters of Windows-1252 only. A
// typed character or a pasted text holding any other character is refused, not changed, with
// a beep and the reason. Also the two conversions between the store's Windows-1252 texts and
// the widgets' texts.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QValidator>

#include <string>
#include <string_view>

class QLineEdit;

namespace ui {

// A stored Windows-1252 text as the widgets show it, and back ("?" for what the code page
// cannot hold; input refused below never gets that far).
QString FromAnsi(std::string_view text);
std::string ToAnsi(const QString& text);
// The same for a stored note, whose lines are joined by CR LF where a multi-line edit has LF.
QString NoteFromAnsi(std::string_view note);
std::string NoteToAnsi(const QString& text);

// True when every character of `text` has a Windows-1252 byte.
bool IsAnsiText(const QString& text);

// A window that explains refused input itself (the main window, on its message line)
// implements this; in any other window the reason shows as a tooltip at the field.
class InputRefusalSink {
  public:
    virtual void ShowInputRefusal(const QString& reason) = 0;

  protected:
    ~InputRefusalSink() = default;
};

// "Quillet's task file cannot hold 'λ'", naming the first character of `text` that
// Windows-1252 has no byte for; for a text the code page holds, the reason a one-line field
// refuses it: a line break or another control character.
QString RefusalReason(const QString& text);

// Refuses `text` offered to `field`: a beep, and the reason through the field's window when
// it is an InputRefusalSink, else as a tooltip at the field the first time the field refuses.
void RefuseInput(QWidget* field, const QString& text);

// For one-line edits: a text that holds a character outside Windows-1252, or more control
// characters (line breaks, tabs) than the field already held, is invalid, so the edit refuses
// the key, paste or drop that would bring it in. A line break inside a description or a key
// word would break every line-based view and export of the task; one already stored by
// another program stays editable.
class AnsiValidator : public QValidator {
    Q_OBJECT

  public:
    explicit AnsiValidator(QLineEdit* edit);
    State validate(QString& input, int& position) const override;

  private:
    qsizetype heldControls_ = 0;  // control characters of the field's text as last changed
};

// Gives a one-line edit an AnsiValidator of its own.
void RefuseNonAnsiInput(QLineEdit* edit);

// A multi-line edit that refuses typed, pasted, dropped and composed text holding a
// character outside Windows-1252. Text set by the program is taken as given.
class TAnsiMemo : public QPlainTextEdit {
    Q_OBJECT

  public:
    using QPlainTextEdit::QPlainTextEdit;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

}  // namespace ui
