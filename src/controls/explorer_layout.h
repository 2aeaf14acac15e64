// The explorer button's layout arithmetic: where the glyph and the caption stand.
#pragma once

#include "platform/ui/painting.h"

namespace controls {

enum class TButtonLayout { blBitmapTop, blBitmapBottom, blBitmapLeft, blBitmapRight };

struct ExplorerLayoutInput {
    int width = 0;            // W
    int height = 0;           // H
    int textWidth = 0;        // measured caption width (0 when no caption is shown)
    int textHeight = 0;       // measured caption height (0 when no caption is shown)
    bool hasCaption = false;  // a caption is shown (not icon-only, not empty)
    int bitmapWidth = 0;      // 0 when there is no glyph
    int bitmapHeight = 0;
    bool popupMark = false;  // the mark is drawn: the option is set and a menu is assigned
    TButtonLayout layout = TButtonLayout::blBitmapTop;
    ui::TAlignment alignment = ui::TAlignment::taCenter;
    bool wordWrap = false;
};

struct ExplorerLayout {
    int glyphLeft = 0;
    int glyphTop = 0;
    int glyphHeight = 0;
    int textLeft = 0;
    int textTop = 0;
    int textWidth = 0;
    int textHeight = 0;
};

ExplorerLayout layoutExplorerButton(const ExplorerLayoutInput& in);

}  // namespace controls
