// The rebuild's work and gauge. The engine's progress callback stands in for the key-down
// reports the window receives: in the pack phase the gauge shows the pack's percentage; in
// the index phase it shows a quarter of the rises summed over all tags, so it stands full
// from the fifth tag on.
#include "store/rebuild.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "rtl/rounding.h"
#include "store/task_file.h"

namespace store {

namespace {

// Which records the pack is about to remove, read before it, so that the tasks' UIDs can be
// renumbered as the records are. A record that cannot be read counts as kept; the next open
// matches the UIDs again whatever this gets wrong.
std::vector<bool> RecordsToRemove(TTable& table) {
    const int previous = sx_Select(table.Handle());
    std::vector<bool> deleted(static_cast<std::size_t>(std::max(sx_RecCount(), 0)));
    for (std::size_t n = 0; n < deleted.size(); ++n) {
        deleted[n] = sx_Go(static_cast<int>(n) + 1) && sx_Deleted();
    }
    sx_Select(previous);
    return deleted;
}

}  // namespace

void RebuildGauge::SetPosition(int position) {
    position_ = std::clamp(position, 0, 100);
}

void RebuildGauge::Report(int percent) {
    if (PackPhase) {
        SetPosition(percent);
        return;
    }
    if (percent > LastProgress) {
        ProgressTotal += percent - LastProgress;
    }
    LastProgress = percent;
    SetPosition(rtl::RoundHalfEvenInt(ProgressTotal * 0.25));
}

bool RebuildGauge::KeyDown(std::uint16_t& key) {
    if ((key & 0x7000) == 0) {
        return false;
    }
    Report(-static_cast<int>(static_cast<std::int16_t>(key)));
    key = 0;
    return true;
}

void TRebuildWork::Progress(int percent) {
    gauge_.Report(percent);
    if (view_ != nullptr) {
        view_->GaugeChanged(gauge_.Position());
    }
}

// The end of the work, also after a failed pack or tag build: the window must be able to
// close, and the table goes back to the windows with deleted records hidden and the filter
// and order it had (an order whose tag was not built changes nothing).
bool TRebuildWork::Finish(bool ok) {
    TTaskStore& s = store_;
    s.EngineEnv1.SetDeleted(true);
    s.TodoEngine.SetGaugeHook(nullptr);
    if (view_ != nullptr) {
        view_->ShowGauge(false);
    }
    gauge_.SetPosition(0);
    s.TodoEngine.ApplyFilter(filter_);
    s.TodoEngine.SetOrder(order_);
    s.TodoTable.EnableControls();
    canCloseNow_ = true;
    ok_ = ok;
    return ok;
}

bool TRebuildWork::Fail() {
    failureText_ = sx_LastStatus().message();
    if (failureText_.empty()) {
        failureText_ = "Engine Error : " + std::to_string(static_cast<int>(sx_LastStatus().code()));
    }
    return Finish(false);
}

bool TRebuildWork::Run(bool packFirst) {
    if (ran_) {
        return ok_;  // a second activation while the work runs, or after it, does nothing
    }
    ran_ = true;
    sx_ClearLastError();
    TTaskStore& s = store_;
    TTable& table = s.TodoTable;
    TEngineComponent& engine = s.TodoEngine;

    table.DisableControls();
    if (view_ != nullptr) {
        view_->ShowGauge(true);
        view_->SetLabel({});
        view_->ShowLabel();
    }
    s.EngineEnv1.SetDeleted(false);
    filter_ = engine.FilterText();
    engine.ApplyFilter({});
    order_ = engine.IndexOrder();

    std::string name = table.TableName();
    std::string indexFile =
        s.ProgramDir() + name.substr(0, name.size() >= 3 ? name.size() - 3 : 0) + "CDX";
    engine.CloseIndexes();
    std::remove(indexFile.c_str());  // a missing file is fine

    auto hook = [this](int percent) { Progress(percent); };
    if (packFirst) {
        if (view_ != nullptr) {
            view_->SetLabel("Permanently removing deleted tasks");
        }
        gauge_.SetPackPhase(true);
        gauge_.SetPosition(0);
        const std::vector<bool> removed = RecordsToRemove(table);
        engine.SetGaugeHook(hook);
        bool packed = engine.Pack();
        engine.SetGaugeHook(nullptr);
        if (!packed) {
            return Fail();
        }
        s.Uids.Renumber(removed);
    }
    if (view_ != nullptr) {
        view_->SetLabel("Rebuilding indexes");
    }
    gauge_.SetPackPhase(false);
    engine.SetGaugeHook(hook);
    for (const TaskTag& tag : kTaskTags) {
        if (engine.CreateTag({}, tag.name, tag.expression, 0, false, tag.condition) == 0) {
            return Fail();
        }
    }
    engine.SetOrder(engine.TagOrder(kDateTimeTag));
    return Finish(true);
}

void PlainRebuildRunner::RunRebuildWindow(bool packFirst) {
    TRebuildWork work(store_, nullptr);
    lastResult_ = work.Run(packFirst);
}

}  // namespace store
