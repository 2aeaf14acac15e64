// The print-status window's texts by the state of its run.
#include "report/print_status.h"

namespace report {

std::string RunningButtonCaption(bool toPrinter) {
    return toPrinter ? "Cancel" : "Stop";
}

std::string FinalStatusFormat(bool toPrinter, bool aborted, bool stopped) {
    if (aborted) {
        return toPrinter ? "\rPrint Canceled!" : "\rPreview Canceled!";
    }
    if (stopped) {
        return "\rPreview Stopped at page %p!";
    }
    return toPrinter ? "\rPrint Completed!" : "\rPreview Ready!";
}

}  // namespace report
