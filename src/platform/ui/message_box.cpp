// Message boxes: decoding the style flags, the replaceable presenter, the standard Qt box.
#include "platform/ui/message_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

#include "platform/ui/application.h"
#include "rtl/ansi.h"

namespace ui {
namespace {

MessageBoxPresenter& Presenter() {
    static MessageBoxPresenter presenter;
    return presenter;
}

QMessageBox::StandardButton StandardButtonFor(int result) {
    switch (result) {
        case kIdOk:
            return QMessageBox::Ok;
        case kIdCancel:
            return QMessageBox::Cancel;
        case kIdAbort:
            return QMessageBox::Abort;
        case kIdRetry:
            return QMessageBox::Retry;
        case kIdIgnore:
            return QMessageBox::Ignore;
        case kIdYes:
            return QMessageBox::Yes;
        case kIdNo:
            return QMessageBox::No;
        default:
            return QMessageBox::NoButton;
    }
}

// A box that cannot be dismissed keeps Escape from reaching Qt's own escape-button guess.
class EscapeBlocker : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

std::vector<int> MessageBoxRequest::Buttons() const {
    switch (flags & kMbButtonMask) {
        case kMbOkCancel:
            return {kIdOk, kIdCancel};
        case kMbAbortRetryIgnore:
            return {kIdAbort, kIdRetry, kIdIgnore};
        case kMbYesNoCancel:
            return {kIdYes, kIdNo, kIdCancel};
        case kMbYesNo:
            return {kIdYes, kIdNo};
        case kMbRetryCancel:
            return {kIdRetry, kIdCancel};
        default:
            return {kIdOk};
    }
}

MessageIcon MessageBoxRequest::Icon() const {
    switch (flags & kMbIconMask) {
        case kMbIconHand:
            return MessageIcon::Hand;
        case kMbIconQuestion:
            return MessageIcon::Question;
        case kMbIconExclamation:
            return MessageIcon::Exclamation;
        case kMbIconInformation:
            return MessageIcon::Information;
        default:
            return MessageIcon::None;
    }
}

int MessageBoxRequest::DefaultResult() const {
    const std::vector<int> buttons = Buttons();
    const std::size_t index = (flags & kMbDefButtonMask) >> 8;
    // A default beyond the last button falls back to the first, as the host does.
    return index < buttons.size() ? buttons[index] : buttons.front();
}

int MessageBoxRequest::EscapeResult() const {
    const std::vector<int> buttons = Buttons();
    if (std::find(buttons.begin(), buttons.end(), kIdCancel) != buttons.end()) {
        return kIdCancel;
    }
    return buttons.size() == 1 ? buttons.front() : 0;
}

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) {
    MessageBoxPresenter previous = std::move(Presenter());
    Presenter() = std::move(presenter);
    return previous;
}

QString MessageTextFromAnsi(std::string_view ansi) {
    QString text = QString::fromStdString(rtl::AnsiToUtf8(ansi));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

int MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
    return MessageBox(MessageTextFromAnsi(text), MessageTextFromAnsi(caption), flags);
}

int MessageBox(const QString& text, const QString& caption, unsigned flags) {
    const MessageBoxRequest request{text, caption, flags};
    const int answer = Presenter() ? Presenter()(request) : PresentStandardMessageBox(request);
    const std::vector<int> buttons = request.Buttons();
    if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end()) {
        return request.DefaultResult();
    }
    return answer;
}

int PresentStandardMessageBox(const MessageBoxRequest& request) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return request.DefaultResult();  // no windows to show a box in
    }
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr) {
        parent = QApplication::activeWindow();
    }
    if (parent == nullptr) {
        parent = MainForm();
    }

    QMessageBox box(parent);
    box.setWindowTitle(request.caption);
    box.setText(request.text);
    box.setTextFormat(Qt::PlainText);
    box.setWindowFlag(Qt::WindowCloseButtonHint, request.EscapeResult() != 0);
    switch (request.Icon()) {
        case MessageIcon::Hand:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MessageIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::None:
            break;
    }

    QList<std::pair<QAbstractButton*, int>> results;
    for (int result : request.Buttons()) {
        QPushButton* button = box.addButton(StandardButtonFor(result));
        results.append({button, result});
        if (result == request.DefaultResult()) {
            box.setDefaultButton(button);
        }
        if (result == request.EscapeResult()) {
            box.setEscapeButton(button);
        }
    }
    EscapeBlocker blocker;
    if (request.EscapeResult() == 0) {
        box.installEventFilter(&blocker);
    }
    box.exec();

    QAbstractButton* pressed = box.clickedButton();
    for (const auto& [button, result] : results) {
        if (button == pressed) {
            return result;
        }
    }
    // Closed without a button (only possible where Escape is allowed).
    return request.EscapeResult() != 0 ? request.EscapeResult() : request.DefaultResult();
}

}  // namespace ui
