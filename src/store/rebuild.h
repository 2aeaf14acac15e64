// Pack and index rebuild of the task table: the gauge arithmetic of the progress reports, the
// twelve steps of the work, and the hook through which the work is started (a window in the
// program, a plain run without one here).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace store {

class TTaskStore;

// The rebuild window's state as far as the progress reports move its gauge (0 to 100).
class RebuildGauge {
  public:
    void SetPackPhase(bool pack) { PackPhase = pack; }
    // A percentage done of the running pack, or of the tag being built.
    void Report(int percent);
    // A key-down event: a code with a bit of 0x7000 set is a report of -code (16 bits); it
    // is taken and the code cleared. Any other key is left alone.
    bool KeyDown(std::uint16_t& key);
    void SetPosition(int position);
    int Position() const { return position_; }

    bool PackPhase = false;
    int ProgressTotal = 0;
    int LastProgress = 0;

  private:
    int position_ = 0;
};

// What the work shows on its window; the plain run shows nothing.
class RebuildView {
  public:
    virtual ~RebuildView() = default;
    virtual void ShowGauge(bool visible) = 0;
    virtual void SetLabel(std::string_view text) = 0;
    virtual void ShowLabel() = 0;
    virtual void GaugeChanged(int position) = 0;  // pending window messages are processed
};

// The work of a rebuild on the store's task table, which must be open exclusively. Runs
// once; false when the pack or a tag build failed (the work then ends at that point, with
// the display updates resumed, deleted records hidden again and the filter and order put
// back). A later Run does nothing and answers how the work went.
// FailureText gives the engine's words for the failure, read when it happened, so that the
// clean-up after it cannot replace them.
class TRebuildWork {
  public:
    TRebuildWork(TTaskStore& store, RebuildView* view) : store_(store), view_(view) {}
    bool Run(bool packFirst);
    bool Ran() const { return ran_; }
    bool CanCloseNow() const { return canCloseNow_; }
    const std::string& FailureText() const { return failureText_; }
    const RebuildGauge& Gauge() const { return gauge_; }
    RebuildGauge& Gauge() { return gauge_; }

  private:
    void Progress(int percent);
    bool Finish(bool ok);
    bool Fail();

    TTaskStore& store_;
    RebuildView* view_;
    RebuildGauge gauge_;
    bool ran_ = false;
    bool ok_ = false;
    bool canCloseNow_ = false;
    std::string failureText_;
    std::string filter_;  // the filter and order in force before the work
    int order_ = 0;
};

// How the task file starts a rebuild.
class RebuildRunner {
  public:
    virtual ~RebuildRunner() = default;
    virtual void RunRebuildWindow(bool packFirst) = 0;
};

// A rebuild without a window.
class PlainRebuildRunner : public RebuildRunner {
  public:
    explicit PlainRebuildRunner(TTaskStore& store) : store_(store) {}
    void RunRebuildWindow(bool packFirst) override;
    bool LastResult() const { return lastResult_; }

  private:
    TTaskStore& store_;
    bool lastResult_ = false;
};

}  // namespace store
