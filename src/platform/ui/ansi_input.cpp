// Refusing input that Windows-1252 cannot hold, in one-line and multi-line edits.
#include "platform/ui/ansi_input.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QToolTip>

#include <algorithm>

#include "rtl/ansi.h"

namespace ui {

QString FromAnsi(std::string_view text) {
    return QString::fromStdString(rtl::AnsiToUtf8(text));
}

std::string ToAnsi(const QString& text) {
    return rtl::Utf8ToAnsi(text.toStdString());
}

QString NoteFromAnsi(std::string_view note) {
    QString text = FromAnsi(note);
    text.remove(QLatin1Char('\r'));
    return text;
}

std::string NoteToAnsi(const QString& text) {
    std::string note;
    for (char c : ToAnsi(text)) {
        if (c == '\n') {
            note += "\r\n";
        } else {
            note += c;
        }
    }
    return note;
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

QString RefusalReason(const QString& text) {
    QString refused;
    for (const char32_t cp : text.toUcs4()) {
        char byte = 0;
        if (!rtl::CodePointToAnsi(cp, byte)) {
            refused = QString::fromUcs4(&cp, 1);
            break;
        }
    }
    if (refused.isEmpty()) {
        return QStringLiteral("This field cannot hold a line break or a control character");
    }
    return QStringLiteral("Quillet's task file cannot hold '%1'").arg(refused);
}

void RefuseInput(QWidget* field, const QString& text) {
    QApplication::beep();
    if (field == nullptr) {
        return;
    }
    const QString reason = RefusalReason(text);
    if (auto* sink = dynamic_cast<InputRefusalSink*>(field->window())) {
        sink->ShowInputRefusal(reason);
        return;
    }
    // A tooltip at every refused key would stand in the way of the typing; the first one
    // tells the person all they need.
    static constexpr char kExplained[] = "quilletRefusalExplained";
    if (field->property(kExplained).toBool()) {
        return;
    }
    field->setProperty(kExplained, true);
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), reason, field);
}

namespace {
qsizetype ControlCount(const QString& text) {
    return std::count_if(text.begin(), text.end(),
                         [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}
}  // namespace

AnsiValidator::AnsiValidator(QLineEdit* edit) : QValidator(edit) {
    heldControls_ = ControlCount(edit->text());
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { heldControls_ = ControlCount(text); });
}

QValidator::State AnsiValidator::validate(QString& input, int&) const {
    if (IsAnsiText(input) && ControlCount(input) <= heldControls_) {
        return Acceptable;
    }
    // The edit asks only about text a person typed, pasted or dropped; what the program sets
    // comes from the task file and always passes.
    RefuseInput(qobject_cast<QWidget*>(parent()), input);
    return Invalid;
}

void RefuseNonAnsiInput(QLineEdit* edit) {
    edit->setValidator(new AnsiValidator(edit));
}

void TAnsiMemo::keyPressEvent(QKeyEvent* event) {
    if (!IsAnsiText(event->text())) {
        RefuseInput(this, event->text());
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TAnsiMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (!IsAnsiText(event->commitString())) {
        RefuseInput(this, event->commitString());
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
        RefuseInput(this, text);
        return;
    }
    QMimeData plain;
    plain.setText(text);
    QPlainTextEdit::insertFromMimeData(&plain);
}

}  // namespace ui
