// The readable source of a form's what's-this help list, from which the build makes the
// stored form. One entry per line, in list order:
//   Name                      an entry without text
//   Name = "text" "more"      an entry with a text; quoted pieces join, also on the lines
//          "more still"       that follow, which start with a quote
// Inside quotes \r, \n, \t, \" and \\ stand for themselves. Lines starting with # are notes.
#pragma once

#include <QByteArrayView>

#include "controls/help_data.h"

namespace controls {

// A refused source names its line (from 1) in the error's offset.
THelpResult<THelpText> ParseHelpSource(QByteArrayView source);

}  // namespace controls
