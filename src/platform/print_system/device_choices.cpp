// The printer and settings the two printing dialogs offer and keep.
#include "platform/print_system/device_choices.h"

#include <algorithm>

#include "platform/print/paper.h"

namespace print {

namespace {

constexpr int kMostCopies = 999;

}  // namespace

DeviceChoices::DeviceChoices(TReportDevice& device) : device_(device) {
    device_.Refresh();
    printers_ = device_.Printers();
    ChoosePrinter(device_.PrinterIndex());
}

QStringList DeviceChoices::PrinterNames() const {
    QStringList names;
    for (const TReportDeviceItem& item : printers_) {
        names.append(item.name);
    }
    return names;
}

const TReportDeviceItem& DeviceChoices::PrinterItem() const {
    static const TReportDeviceItem kNone;
    return printer_ < 0 ? kNone : printers_[static_cast<std::size_t>(printer_)];
}

void DeviceChoices::ChoosePrinter(int index) {
    if (index < 0 || index >= static_cast<int>(printers_.size())) {
        return;
    }
    printer_ = index;
    settings_ = device_.SettingsOf(index);
    papers_ = device_.PapersOf(index);
}

void DeviceChoices::SetCopies(int copies) {
    settings_.copies = std::clamp(copies, 1, kMostCopies);
}

QStringList DeviceChoices::PaperNames() const {
    QStringList names;
    for (const QPageSize& paper : papers_) {
        names.append(paper.name());
    }
    return names;
}

int DeviceChoices::Paper() const {
    const std::optional<QPageSize> paper = FindPaper(papers_, settings_);
    if (!paper) {
        return -1;
    }
    for (std::size_t i = 0; i < papers_.size(); ++i) {
        if (papers_[i].key() == paper->key()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void DeviceChoices::ChoosePaper(int index) {
    if (index >= 0 && index < static_cast<int>(papers_.size())) {
        SetPaper(settings_, papers_[static_cast<std::size_t>(index)]);
    }
}

void DeviceChoices::Apply() {
    if (printer_ < 0) {
        return;
    }
    device_.SetPrinterIndex(printer_);
    device_.Settings() = settings_;
}

}  // namespace print
