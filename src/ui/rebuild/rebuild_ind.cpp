// The rebuild window: runs the work once at its first activation, moves its gauge on the
// engine's progress reports, refuses every close until the work has returned, and then
// closes itself through a request it posts to itself.
#include "ui/rebuild/rebuild_ind.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>

#include "controls/gauge.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "store/task_file.h"
#include "ui_rebuild_ind.h"

namespace store {

TRebuildInd::TRebuildInd(TTaskStore& store, QWidget* parent)
    : ui::TDialog(parent), ui_(std::make_unique<Ui::TRebuildInd>()), work_(store, this) {
    ui_->setupUi(this);
    setFixedSize(size());
    // The engine's progress does not come as key presses, but the keys the user presses
    // while the work runs are previewed here so that no control acts on them.
    SetKeyPreview(true);
    // The work starts at the first activation. A window manager may withhold activation
    // from a window the user did not ask for; the work then starts once the modal loop
    // runs, so the window never waits for a focus that does not come.
    connect(this, &ui::TDialog::shown, this, &TRebuildInd::FormActivate, Qt::QueuedConnection);
}

TRebuildInd::~TRebuildInd() = default;

controls::TGauge* TRebuildInd::Gauge1() const {
    return ui_->Gauge1;
}

QLabel* TRebuildInd::WhatAmIDoing() const {
    return ui_->WhatAmIDoing;
}

void TRebuildInd::FormCreate() {
    PackFirst = false;
    work_.Gauge() = RebuildGauge{};
}

void TRebuildInd::FormActivate() {
    // Activated again (a box shown during the work hands the activation back, or the
    // start-up fallback arrives after the activation): the work runs once only.
    if (started_) {
        return;
    }
    started_ = true;
    succeeded_ = work_.Run(PackFirst);
    ui_->Gauge1->setProgress(work_.Gauge().Position());
    if (!succeeded_) {
        ShowFailure();
    }
    QCoreApplication::postEvent(this, new QEvent(kCloseRequest));
}

void TRebuildInd::FormCloseQuery(bool& canClose) {
    canClose = work_.CanCloseNow();
}

void TRebuildInd::FormKeyDown(QKeyEvent* event) {
    // No key stops the work or moves the gauge; afterwards keys are left alone.
    if (started_ && !work_.CanCloseNow()) {
        event->accept();
    }
}

bool TRebuildInd::event(QEvent* event) {
    if (event->type() == kCloseRequest) {
        close();
        return true;
    }
    return ui::TDialog::event(event);
}

void TRebuildInd::ShowGauge(bool visible) {
    ui_->Gauge1->setVisible(visible);
}

void TRebuildInd::SetLabel(std::string_view text) {
    ui_->WhatAmIDoing->setText(ui::MessageTextFromAnsi(text));
}

void TRebuildInd::ShowLabel() {
    ui_->WhatAmIDoing->show();
}

void TRebuildInd::GaugeChanged(int position) {
    ui_->Gauge1->setProgress(position);
    ui::ProcessMessages();
}

// A failed pack or tag build is the engine's error, shown in the application's error box
// with the engine's own words; the window then closes as after a finished run.
void TRebuildInd::ShowFailure() {
    ui::MessageBox(work_.FailureText(), ui::ApplicationTitle().toStdString(),
                   ui::kMbOk | ui::kMbIconHand);
}

void RebuildWindowRunner::RunRebuildWindow(bool packFirst) {
    ui::FormPtr<TRebuildInd> window = ui::CreateForm<TRebuildInd>(store_, ui::MainForm());
    ui::CentreForm(window.get());
    window->PackFirst = packFirst;
    window->ShowModal();
}

}  // namespace store
