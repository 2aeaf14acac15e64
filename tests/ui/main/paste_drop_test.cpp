// Pasting and dropping whatever a clipboard or a drag may carry into every text control of the
// main window and its dialogs: nothing crashes, and only text the control accepts gets in.
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ansi_input.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "report/report_setup.h"
#include "store_test_support.h"
#include "ui/dialogs/task_editor.h"
#include "ui/main/filter_form.h"
#include "ui/main/main_screen.h"
#include "ui/main/task_grid.h"
#include "widget_test_support.h"

namespace {

// What a paste or a drop of a payload may leave in a control.
enum class Outcome {
    kNothingIn,       // no text: every control keeps its text
    kTextIn,          // plain text: all of it in a note, what fits in a one-line edit
    kAsChecked,       // any bytes: in as far as the control's checks let them
    kRefusedByAnsi,   // text the task file cannot hold: refused where Windows-1252 is checked
};

struct Payload {
    const char* name;
    // Null for a clipboard that holds nothing at all (a drag always carries data).
    std::unique_ptr<QMimeData> (*make)();
    Outcome outcome;
};

std::unique_ptr<QMimeData> Nothing() {
    return nullptr;
}

// What an X display's clipboard offers when no program owns it: data without a format.
std::unique_ptr<QMimeData> NoFormats() {
    return std::make_unique<QMimeData>();
}

std::unique_ptr<QMimeData> EmptyText() {
    auto data = std::make_unique<QMimeData>();
    data->setText(QString());
    return data;
}

QString HugeText() {
    QString line(79, QLatin1Char('x'));
    line += QLatin1Char('\n');
    return line.repeated(4096);  // 320 KiB, far past any field and any note typed by hand
}

std::unique_ptr<QMimeData> Huge() {
    auto data = std::make_unique<QMimeData>();
    data->setText(HugeText());
    return data;
}

QByteArray EveryByte() {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i) {
        bytes.append(static_cast<char>(i));
    }
    return bytes.repeated(16);
}

std::unique_ptr<QMimeData> BinaryOnly() {
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("application/octet-stream"), EveryByte());
    return data;
}

std::unique_ptr<QMimeData> BinaryAsText() {
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("text/plain"), EveryByte());
    return data;
}

std::unique_ptr<QMimeData> BeyondAnsi() {
    auto data = std::make_unique<QMimeData>();
    data->setText(QStringLiteral("Caf\u00e9 \u4e2d\u6587"));
    return data;
}

std::unique_ptr<QMimeData> HtmlOnly() {
    auto data = std::make_unique<QMimeData>();
    data->setHtml(QStringLiteral("<p><b>Caf\u00e9</b> \u4e2d\u6587</p>"));
    return data;
}

std::unique_ptr<QMimeData> ImageOnly() {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::red);
    auto data = std::make_unique<QMimeData>();
    data->setImageData(image);
    return data;
}

const Payload kPayloads[] = {
    {"nothing", Nothing, Outcome::kNothingIn},
    {"no formats", NoFormats, Outcome::kNothingIn},
    {"empty text", EmptyText, Outcome::kNothingIn},
    {"huge text", Huge, Outcome::kTextIn},
    {"binary only", BinaryOnly, Outcome::kNothingIn},
    {"binary as text", BinaryAsText, Outcome::kAsChecked},
    {"text beyond Windows-1252", BeyondAnsi, Outcome::kRefusedByAnsi},
    {"HTML only", HtmlOnly, Outcome::kNothingIn},
    {"image only", ImageOnly, Outcome::kNothingIn},
};

// A text control, whichever kind, seen through what the checks below need.
class TextControl {
  public:
    explicit TextControl(QWidget* widget)
        : widget_(widget),
          line_(qobject_cast<QLineEdit*>(widget)),
          memo_(qobject_cast<QPlainTextEdit*>(widget)) {}

    QString Name() const { return widget_->objectName(); }
    QString Text() const { return line_ != nullptr ? line_->text() : memo_->toPlainText(); }
    void SetText(const QString& text) {
        line_ != nullptr ? line_->setText(text) : memo_->setPlainText(text);
    }
    int MaxLength() const { return line_ != nullptr ? line_->maxLength() : -1; }
    bool ChecksAnsi() const {
        return line_ != nullptr
                   ? qobject_cast<const ui::AnsiValidator*>(line_->validator()) != nullptr
                   : qobject_cast<ui::TAnsiMemo*>(memo_) != nullptr;
    }
    // A multi-line edit takes drops on its viewport.
    QWidget* DropTarget() const { return line_ != nullptr ? line_ : memo_->viewport(); }

    void Paste() { QTest::keyClick(widget_, Qt::Key_V, Qt::ControlModifier); }
    void Drop(const QMimeData& data) {
        QWidget* target = DropTarget();
        const QPoint centre = target->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
    }

  private:
    QPointer<QWidget> widget_;
    QLineEdit* line_;
    QPlainTextEdit* memo_;
};

std::vector<TextControl> TextControlsOf(QWidget& window) {
    std::vector<TextControl> controls;
    for (QLineEdit* line : window.findChildren<QLineEdit*>()) {
        controls.emplace_back(line);
    }
    for (QPlainTextEdit* memo : window.findChildren<QPlainTextEdit*>()) {
        controls.emplace_back(memo);
    }
    return controls;
}

class PasteAndDrop : public store_test::StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        previous_ = ui::SetMessageBoxPresenter(
            [](const ui::MessageBoxRequest&) { return ui::kIdOk; });
    }
    void TearDown() override {
        QGuiApplication::clipboard()->clear();
        ui::SetMessageBoxPresenter(previous_);
        StoreTest::TearDown();
    }

    // Every payload, pasted and then dropped, into every text control of `window`.
    void Exercise(QWidget& window, int expectedControls) {
        std::vector<TextControl> controls = TextControlsOf(window);
        ASSERT_EQ(static_cast<int>(controls.size()), expectedControls);
        const QString seed = QStringLiteral("Seed");
        for (TextControl& control : controls) {
            for (const Payload& payload : kPayloads) {
                for (const bool drop : {false, true}) {
                    SCOPED_TRACE(control.Name().toStdString() + ", " + payload.name +
                                 (drop ? ", dropped" : ", pasted"));
                    std::unique_ptr<QMimeData> data = payload.make();
                    if (drop && data == nullptr) {
                        continue;
                    }
                    control.SetText(seed);
                    if (drop) {
                        control.Drop(*data);
                    } else {
                        // The clipboard takes the data over; an empty one answers null.
                        QGuiApplication::clipboard()->setMimeData(data.release());
                        control.Paste();
                    }
                    CheckOutcome(control, payload, seed);
                }
            }
        }
    }

    static void CheckOutcome(const TextControl& control, const Payload& payload,
                             const QString& seed) {
        const QString after = control.Text();
        if (payload.outcome == Outcome::kNothingIn ||
            (payload.outcome == Outcome::kRefusedByAnsi && control.ChecksAnsi())) {
            EXPECT_EQ(after, seed);
        }
        if (payload.outcome == Outcome::kTextIn && control.MaxLength() < 0) {
            EXPECT_EQ(after.size(), seed.size() + HugeText().size());
        }
        if (control.MaxLength() >= 0) {
            EXPECT_LE(after.size(), control.MaxLength());
        }
        if (control.ChecksAnsi()) {
            EXPECT_TRUE(ui::IsAnsiText(after));
        }
    }

    ui::MessageBoxPresenter previous_;
    ui::test::ConnectionGuard guard_;
};

TEST_F(PasteAndDrop, NoDataOfAnyKindCrashesATextControlOrGetsInUnchecked) {
    MakeTaskFile("QUILX.DBF", {{"20260105", "09:30", "Call the plumber", "Before ten", false,
                                "home", "A"}},
                 true);
    ui::FormPtr<TMainScreen> form = ui::CreateForm<TMainScreen>(Dir());
    ui::SetMainForm(form.get());
    form->show();
    form->FormActivate();
    ui::ProcessMessages();
    ASSERT_EQ(form->GridModel().rowCount(), 1);

    // The notes pane, the grid's own editor of a task's text, and the find box's text.
    QTableView* grid = form->ActiveGrid();
    grid->setCurrentIndex(form->GridModel().index(0, TaskGridModel::kTask));
    ASSERT_FALSE(form->ActiveNotes()->isReadOnly());
    grid->edit(grid->currentIndex());
    Exercise(*form, 3);
    form->ActiveGrid()->setFocus();  // the cell's edit ends
    ui::ProcessMessages();

    auto editor = ui::CreateForm<TTaskEditor>(std::vector<std::string>{"home", "work"});
    editor->show();
    Exercise(*editor, 5);  // task, key words, date, time, notes
    editor.reset();

    auto filter = ui::CreateForm<TFilterForm>(std::vector<std::string>{"home"});
    filter->show();
    Exercise(*filter, 1);
    filter.reset();

    auto report = ui::CreateForm<report::TReportSetup>(form->Store());
    report->show();
    Exercise(*report, 4);  // the report's title and the three page titles
    report.reset();

    form->close();
    ui::SetMainForm(nullptr);
}

}  // namespace
