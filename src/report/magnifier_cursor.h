// The preview's magnifier pointer: a magnifying glass drawn at the screen's pixel ratio, so
// that it stays sharp on a screen scaled by 2.
#pragma once

#include <QCursor>

namespace report {

// The hot spot is the middle of the lens.
QCursor MagnifierCursor(qreal devicePixelRatio);

}  // namespace report
