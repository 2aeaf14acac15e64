// What the print-status window says and offers at each point of a run: the caption of its
// button while the report runs, and the status line it ends with.
#pragma once

#include <string>

namespace report {

// "Cancel" while printing, "Stop" while a preview is built; "OK" once the run has ended.
std::string RunningButtonCaption(bool toPrinter);
inline constexpr char kEndedButtonCaption[] = "OK";

// The status format a run ends with: a cancel (the report aborted) before a stop (the preview
// ended early by the person), before completion. "%p" stands for the page reached.
std::string FinalStatusFormat(bool toPrinter, bool aborted, bool stopped);

inline constexpr char kCancelPrinting[] = "Cancel Printing?";

}  // namespace report
