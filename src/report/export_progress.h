// The sign of life of an export from the report dialog: the hourglass from the start and, once
// the export runs past half a second, TExportProgress, a window with a gauge of the tasks
// written and Cancel.
#pragma once

#include <QElapsedTimer>

#include <chrono>
#include <memory>

#include "platform/ui/forms.h"

namespace Ui {
class TExportProgress;
}
namespace controls {
class TGauge;
}

namespace report {

class TExportProgress : public ui::TDialog {
    Q_OBJECT

  public:
    explicit TExportProgress(QWidget* parent = nullptr);
    ~TExportProgress() override;

    controls::TGauge* Gauge1() const;
    bool CancelPressed() const { return cancelPressed_; }

  public Q_SLOTS:
    void CancelButtonClick();
    void FormCloseQuery(bool& canClose);

  private:
    std::unique_ptr<Ui::TExportProgress> ui_;
    bool cancelPressed_ = false;
};

// Lives as long as one export. Step is the walk's progress: it lets pending messages through
// now and then, shows the window over `owner` once the export has run `showAfter`, moves its
// gauge, and answers false once Cancel was pressed.
class ExportProgress {
  public:
    struct Pace {
        std::chrono::milliseconds showAfter{500};
        // Often enough for the gauge and Cancel to answer at once, seldom enough that the
        // messages cost the walk nothing to speak of.
        std::chrono::milliseconds messagesEvery{50};
    };

    explicit ExportProgress(QWidget* owner, Pace pace);
    explicit ExportProgress(QWidget* owner) : ExportProgress(owner, Pace{}) {}
    ~ExportProgress();
    ExportProgress(const ExportProgress&) = delete;
    ExportProgress& operator=(const ExportProgress&) = delete;

    bool Step(int visited, int expected);
    // The window, once shown.
    TExportProgress* Window() const { return window_.get(); }

  private:
    QWidget* owner_;
    Pace pace_;
    QElapsedTimer clock_;
    qint64 messagesAt_ = -1;
    ui::FormPtr<TExportProgress> window_;
};

}  // namespace report
