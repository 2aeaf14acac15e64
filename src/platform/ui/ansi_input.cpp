// Refusing input that Windows-1252 cannot hold, in one-line and multi-line edits.
#include "platform/ui/ansi_input.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>

#include "rtl/ansi.h"

namespace ui {

QString FromAnsi(std::string_view text) {
    return QString::fromStdString(rtl::AnsiToUtf8(text));
}

std::string ToAnsi(const QString& text) {
    return rtl::Utf8ToAnsi(text.toStdString());
}

bool IsAnsiText(const QString& text) {
    for (const char32_t cp : text.toUcs4()) {
        char byte = 0;
        if (!rtl::CodePointToAnsi(cp, byte)) {
            return false;
        }
    }
    return true;
}

QValidator::State AnsiValidator::validate(QString& input, int&) const {
    return IsAnsiText(input) ? Acceptable : Invalid;
}

void RefuseNonAnsiInput(QLineEdit* edit) {
    edit->setValidator(new AnsiValidator(edit));
}

void TAnsiMemo::keyPressEvent(QKeyEvent* event) {
    if (!IsAnsiText(event->text())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TAnsiMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (!IsAnsiText(event->commitString())) {
        // The composition is dropped as a whole, so nothing half-entered stays behind.
        QInputMethodEvent cleared(QString(), {});
        QPlainTextEdit::inputMethodEvent(&cleared);
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

bool TAnsiMemo::canInsertFromMimeData(const QMimeData* source) const {
    return source != nullptr && source->hasText() && IsAnsiText(source->text()) &&
           QPlainTextEdit::canInsertFromMimeData(source);
}

// Only the plain text is taken, and handed on alone: the widget's own paste reads the first
// of the data's formats without asking whether there is one, and an empty clipboard has none.
void TAnsiMemo::insertFromMimeData(const QMimeData* source) {
    if (source == nullptr || !source->hasText()) {
        return;
    }
    const QString text = source->text();
    if (!IsAnsiText(text)) {
        return;
    }
    QMimeData plain;
    plain.setText(text);
    QPlainTextEdit::insertFromMimeData(&plain);
}

}  // namespace ui
