// TRebuildInd: the window that packs the task table and rebuilds its index tags under a
// gauge, and RebuildWindowRunner, through which the task file shows it.
#pragma once

#include <QEvent>

#include <memory>
#include <string_view>

#include "platform/ui/forms.h"
#include "store/rebuild.h"

namespace Ui {
class TRebuildInd;
}
namespace controls {
class TGauge;
}
class QKeyEvent;
class QLabel;

namespace store {

class TTaskStore;

// Runs the rebuild once, at its first activation, on the store's task table (which must be
// open exclusively), then posts itself a close request. It cannot be closed before the work
// has returned, whether the work succeeded or not.
class TRebuildInd : public ui::TDialog, public RebuildView {
    Q_OBJECT

  public:
    // The private request that closes the window once the work has returned.
    static constexpr QEvent::Type kCloseRequest = static_cast<QEvent::Type>(QEvent::User + 42);

    explicit TRebuildInd(TTaskStore& store, QWidget* parent = nullptr);
    ~TRebuildInd() override;

    // Set by the caller before the window is shown: pack the table before indexing.
    bool PackFirst = false;
    bool CanCloseNow() const { return work_.CanCloseNow(); }
    // True once the work has run; false also when the pack or a tag build failed.
    bool Succeeded() const { return succeeded_; }
    const RebuildGauge& Gauge() const { return work_.Gauge(); }

    controls::TGauge* Gauge1() const;
    QLabel* WhatAmIDoing() const;

    void ShowGauge(bool visible) override;
    void SetLabel(std::string_view text) override;
    void ShowLabel() override;
    void GaugeChanged(int position) override;

  public Q_SLOTS:
    void FormCreate();
    void FormActivate();
    void FormCloseQuery(bool& canClose);
    void FormKeyDown(QKeyEvent* event);

  protected:
    bool event(QEvent* event) override;

  private:
    void ShowFailure();

    std::unique_ptr<Ui::TRebuildInd> ui_;
    TRebuildWork work_;
    bool started_ = false;
    bool succeeded_ = false;
};

// Shows the rebuild window modally, centred over the main form, until its work is done.
class RebuildWindowRunner : public RebuildRunner {
  public:
    explicit RebuildWindowRunner(TTaskStore& store) : store_(store) {}
    void RunRebuildWindow(bool packFirst) override;

  private:
    TTaskStore& store_;
};

}  // namespace store
