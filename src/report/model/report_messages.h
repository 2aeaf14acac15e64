// The report engine's own failure texts, as a person sees them (the doubled spaces are the
// program's own).
#pragma once

#include <string_view>

namespace report {

constexpr std::string_view kNoPrinters = "No printers are defined, aborting print job.";
constexpr std::string_view kNotPrinting = "Invalid method call.  Report is not printing.";
constexpr std::string_view kAlreadyPrinting = "Invalid method call.  Report already printing.";
constexpr std::string_view kCanvasNotActive = "Error!  Canvas not yet active.";
constexpr std::string_view kFilerNeedsForm =
    "TReportFiler.Owner must be a TForm if no printers are defined.";
constexpr std::string_view kMemoBufferRange =
    "TMemoBuf.PrintEnd must be greater than TMemoBuf.PrintStart";

}  // namespace report
