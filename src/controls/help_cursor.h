// The help-mode pointer: an arrow with a question mark beside it, drawn at the screen's pixel
// ratio so that it stays sharp on a screen scaled by 2.
#pragma once

#include <QCursor>
#include <QImage>

namespace controls {

// The hot spot is the arrow's tip.
QCursor HelpCursor(qreal devicePixelRatio);
// The picture itself, `devicePixelRatio` device pixels to each logical one.
QImage HelpCursorImage(qreal devicePixelRatio);

}  // namespace controls
