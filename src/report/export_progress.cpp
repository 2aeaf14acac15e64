// The export's hourglass, its progress window and the pending messages let through during the
// walk.
#include "report/export_progress.h"

#include <QCoreApplication>
#include <QCursor>

#include "controls/gauge.h"
#include "platform/ui/application.h"
#include "ui_export_progress.h"

namespace report {

TExportProgress::TExportProgress(QWidget* parent)
    : ui::TDialog(parent), ui_(std::make_unique<Ui::TExportProgress>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    // The export goes on while the window shows: nothing else of the program may be used.
    setWindowModality(Qt::ApplicationModal);
}

TExportProgress::~TExportProgress() = default;

controls::TGauge* TExportProgress::Gauge1() const {
    return ui_->Gauge1;
}

void TExportProgress::CancelButtonClick() {
    cancelPressed_ = true;
}

// Closing the window from its frame is a Cancel; the window itself goes when the export ends.
void TExportProgress::FormCloseQuery(bool& canClose) {
    CancelButtonClick();
    canClose = false;
}

ExportProgress::ExportProgress(QWidget* owner, Pace pace) : owner_(owner), pace_(pace) {
    clock_.start();
    ui::SetScreenCursor(ui::ScreenCursor::HourGlass);
}

ExportProgress::~ExportProgress() {
    window_.reset();
    ui::SetScreenCursor(ui::ScreenCursor::Default);
}

bool ExportProgress::Step(int visited, int expected) {
    const qint64 now = clock_.elapsed();
    if (messagesAt_ >= 0 && now - messagesAt_ < pace_.messagesEvery.count()) {
        return true;
    }
    messagesAt_ = now;
    if (!window_ && now >= pace_.showAfter.count()) {
        window_ = ui::CreateForm<TExportProgress>(owner_);
        ui::CentreForm(window_.get());
        (void)window_->Gauge1()->setMaxValue(std::max(expected, 1));
        window_->show();
        // Busy, yet Cancel can be clicked.
        ui::SetScreenCursor(QCursor(Qt::BusyCursor));
    }
    if (window_) {
        window_->Gauge1()->setProgress(std::min(visited, window_->Gauge1()->maxValue()));
        ui::ProcessMessages();
        return !window_->CancelPressed();
    }
    // Before the window, clicks and keys wait: they would act on a dialog that is busy.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
}

}  // namespace report
