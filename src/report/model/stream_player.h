// Plays the commands of one page of a report stream onto any drawing surface: the printing
// device's painter, or a page image. The surface decides how inches become dots.
#pragma once

#include "report/model/report_surface.h"
#include "report/model/stream_reader.h"

namespace report::stream {

enum class PlayerKind { Printer, Preview };

struct PlayOptions {
    PlayerKind kind = PlayerKind::Printer;
    // Device dots per inch at the player's zoom: code 54 shrinks a font that runs wider than it
    // did when recorded in steps of 1.1 of these dots.
    double dotsPerInch = 96;
};

// Goes to page n (as far towards it as the links go) and plays it to its end code. `played`
// receives the page record that was shown.
Status PlayPage(StreamReader& reader, int n, ReportSurface& target, const PlayOptions& options,
                PageRecord& played);

}  // namespace report::stream
