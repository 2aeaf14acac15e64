// Layout arithmetic of the explorer button. All divisions truncate toward zero, as C++ does.
#include "controls/explorer_layout.h"

#include <algorithm>

namespace controls {

ExplorerLayout layoutExplorerButton(const ExplorerLayoutInput& in) {
    using ui::TAlignment;
    const int W = in.width;
    const int H = in.height;
    int tw = in.hasCaption ? in.textWidth : 0;
    const int th = in.hasCaption ? in.textHeight : 0;
    const int sp = in.hasCaption ? 2 : 0;
    tw = std::min(tw, W - 4);

    ExplorerLayout out;
    out.textHeight = th;

    const bool hasGlyph = in.bitmapWidth > 0 && in.bitmapHeight > 0;
    const int gw = in.bitmapWidth + (in.popupMark ? 10 : 0);
    const int gh = in.bitmapHeight;
    out.glyphHeight = gh;

    if (!hasGlyph) {
        int textWidth = tw;
        if (in.popupMark) {
            textWidth = std::min(tw, W - 14);
            tw += 10;
        }
        out.textTop = (H - th) / 2;
        switch (in.alignment) {
            case TAlignment::taLeftJustify:
                out.textLeft = 3;
                break;
            case TAlignment::taRightJustify:
                out.textLeft = W - tw - 3;
                break;
            case TAlignment::taCenter:
                out.textLeft = (W - tw) / 2;
                break;
        }
        out.textWidth = textWidth;
    } else if (in.layout == TButtonLayout::blBitmapTop ||
               in.layout == TButtonLayout::blBitmapBottom) {
        if (in.layout == TButtonLayout::blBitmapTop) {
            out.glyphTop = (H - th - gh - sp) / 2;
            out.textTop = out.glyphTop + gh + sp;
        } else {
            out.textTop = (H - th - gh - sp) / 2;
            out.glyphTop = out.textTop + th + sp;
        }
        switch (in.alignment) {
            case TAlignment::taLeftJustify:
                out.glyphLeft = 3;
                out.textLeft = 3;
                break;
            case TAlignment::taRightJustify:
                out.glyphLeft = W - gw - 3;
                out.textLeft = W - tw - 3;
                break;
            case TAlignment::taCenter:
                out.glyphLeft = (W - gw) / 2;
                out.textLeft = (W - tw) / 2;
                break;
        }
        out.textWidth = tw;
    } else {
        if (tw + gw + sp > W - 4) {
            tw = W - sp - gw - 4;
        }
        out.glyphTop = (H - gh) / 2;
        out.textTop = (H - th) / 2;
        if (in.layout == TButtonLayout::blBitmapLeft) {
            switch (in.alignment) {
                case TAlignment::taLeftJustify:
                    out.glyphLeft = 3;
                    out.textLeft = gw + sp + 3;
                    break;
                case TAlignment::taRightJustify:
                    out.textLeft = W - tw - 3;
                    out.glyphLeft = out.textLeft - gw - sp;
                    break;
                case TAlignment::taCenter:
                    out.glyphLeft = (W - tw - gw - sp) / 2;
                    out.textLeft = out.glyphLeft + gw + sp;
                    break;
            }
        } else {
            switch (in.alignment) {
                case TAlignment::taLeftJustify:
                    out.textLeft = 3;
                    out.glyphLeft = tw + 3 + sp;
                    break;
                case TAlignment::taRightJustify:
                    out.glyphLeft = W - gw - 3;
                    out.textLeft = out.glyphLeft - tw - sp;
                    break;
                case TAlignment::taCenter:
                    out.textLeft = (W - tw - gw - sp) / 2;
                    out.glyphLeft = out.textLeft + tw + sp;
                    break;
            }
        }
        out.textWidth = tw;
    }

    if (in.wordWrap && out.textLeft + out.textWidth > W - 5) {
        out.textWidth = W - out.textLeft - 5;
    }
    out.textWidth = std::max(0, out.textWidth);
    return out;
}

}  // namespace controls
