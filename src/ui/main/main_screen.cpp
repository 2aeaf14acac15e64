// The main window's creation, first activation, closing, help and About commands.
#include "ui/main/main_screen.h"

#include <QLabel>
#include <QShortcut>

#include "app/about_box.h"
#include "app/format_sets.h"
#include "app/just_one.h"
#include "app/message_boxes.h"
#include "controls/explorer_button.h"
#include "platform/ui/application.h"
#include "platform/ui/help_viewer.h"
#include "platform/ui/message_box.h"
#include "store/task_file.h"
#include "ui/rebuild/rebuild_ind.h"
#include "ui_main_screen.h"

namespace {
constexpr int kHelpContext = 1009;
constexpr int kClientWidth = 618;
constexpr int kClientHeight = 405;
}  // namespace

// The store's words for a person: messages in the information box, status texts in the
// start-up status panel, painted at once.
class TMainScreen::Sinks : public store::MessageSink, public store::StatusSink {
  public:
    explicit Sinks(QLabel*& caption) : caption_(caption) {}
    void ShowInformation(std::string_view text) override { ::ShowInformation(text); }
    void ShowStatus(std::string_view text) override {
        if (caption_ != nullptr) {
            caption_->setText(ui::MessageTextFromAnsi(text));
        }
        ui::ProcessMessages();
    }

  private:
    QLabel*& caption_;
};

TMainScreen::TMainScreen(const std::string& programDir, QWidget* parent)
    : ui::TForm(parent), ui_(std::make_unique<Ui::TMainScreen>()) {
    // A later instance ends inside this constructor, before anything is shown or opened.
    JustOne1 = new TJustOne(this);

    ui_->setupUi(this);
    // Where the desktop gives a new window no focus (focus-stealing prevention, focus that
    // follows the mouse, no window manager), activation never comes: the first activation
    // then runs as soon as the window has been shown. Once run, FormActivate does nothing.
    connect(this, &ui::TForm::shown, this, &TMainScreen::FormActivate, Qt::QueuedConnection);
    // The designed size is the client area, below the menu bar.
    resize(kClientWidth, kClientHeight + ui_->MainMenu->sizeHint().height());
    ui_->UpdateStatus->raise();
    // Alt+X belongs to the File menu's Exit item, which takes the key before any control;
    // the Exit button's accelerator on the same key would leave it to neither.
    const QList<QShortcut*> accelerators = ui_->ExitButton->findChildren<QShortcut*>();
    for (QShortcut* accelerator : accelerators) {
        accelerator->setEnabled(false);
    }

    sinks_ = std::make_unique<Sinks>(ui_->UpdateStatusCaption);
    store_ = std::make_unique<store::TTaskStore>(programDir, *sinks_, *sinks_);
    rebuildWindow_ = std::make_unique<store::RebuildWindowRunner>(*store_);
    store_->SetRebuildRunner(rebuildWindow_.get());
    engineStarted_ = store_->Start();
    store_->EngineEnv1.SetDeleted(true);
}

TMainScreen::~TMainScreen() = default;

QFrame* TMainScreen::TaskPanel() const {
    return ui_->TaskPanel;
}

QFrame* TMainScreen::UpdateStatus() const {
    return ui_->UpdateStatus;
}

QLabel* TMainScreen::UpdateStatusCaption() const {
    return ui_->UpdateStatusCaption;
}

QLabel* TMainScreen::TaskCountLabel() const {
    return ui_->TaskCountLabel;
}

controls::TExplorerButton* TMainScreen::ExitButton() const {
    return ui_->ExitButton;
}

void TMainScreen::FormCreate() {
    store_->TodoEngine.SysProp(1009, 0);
    SaveUserFormats();
    UseInternalFormats();
    firstActivation_ = true;
    DateFilterIndex = 0;
    PriorityFilterIndex = 0;
    ShowDoneFlag = false;
    KeyFilterText.clear();
    helpFile_ = QString::fromStdString(store_->FoundPath("QUILX.HLP"));
    OrderNumber = 1;
}

void TMainScreen::FormActivate() {
    if (!firstActivation_ || activating_) {
        return;
    }
    activating_ = true;
    ui::SetScreenCursor(ui::ScreenCursor::HourGlass);
    ui_->TaskPanel->hide();
    store_->TodoTable.Tag = -1;
    if (!engineStarted_ || !store_->OpenTaskTable(false)) {
        // Nothing else of the start-up runs; the close path saves and closes what it can.
        firstActivation_ = false;
        activating_ = false;
        ui::SetScreenCursor(ui::ScreenCursor::Default);
        close();
        return;
    }
    store_->TodoTable.Tag = 0;
    ui::ProcessMessages();
    ShowTaskCount();
    ui_->TaskPanel->show();

    // No show command reaches a program here; a window the session already made iconic
    // (a minimised start) stays so, any other is shown.
    if ((windowState() & Qt::WindowMinimized) != 0) {
        ui::MinimizeApplication();
    } else {
        show();
    }
    ui_->UpdateStatus->hide();
    ui::ProcessMessages();
    firstActivation_ = false;
    ui_->ExitButton->setVisible(true);
    activating_ = false;
    ui::SetScreenCursor(ui::ScreenCursor::Default);
}

void TMainScreen::ShowTaskCount() {
    const int count = store_->TodoEngine.FilteredCount();
    ui_->TaskCountLabel->setText(count == 1 ? QStringLiteral("1 task")
                                            : QStringLiteral("%1 tasks").arg(count));
}

void TMainScreen::FormCloseQuery(bool& canClose) {
    ui::ProcessMessages();
    if (store_->TodoTable.Active()) {
        store_->TodoEngine.PostIfEditing();
    }
    store_->TodoTable.Close();
    ui::ProcessMessages();
    canClose = true;
}

void TMainScreen::FormClose() {
    // Everything the window holds was given back when the close was allowed.
}

void TMainScreen::FormDestroy() {
    // The store goes with the window; nothing else is held yet.
}

void TMainScreen::mnuHelpAboutClick() {
    ui::FormPtr<TSplashform> about = ui::CreateForm<TSplashform>(this);
    ui::CentreForm(about.get());
    about->OKButton()->setVisible(true);
    about->ShowModal();
}

void TMainScreen::HelpButtonClick() {
    ui::ShowHelp(helpFile_, kHelpContext);
}

void TMainScreen::Contents1Click() {
    ui::ShowHelp(helpFile_, kHelpContext);
}

void TMainScreen::ExitButtonClick() {
    if (ui_->ExitButton->isEnabled()) {
        close();
    }
}

void TMainScreen::eXit1Click() {
    close();
}
