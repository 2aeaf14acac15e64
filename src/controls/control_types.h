// Small property types that several controls share.
#pragma once

namespace controls {

// Whether a control draws its one-pixel border.
enum class TBorderStyle { bsNone, bsSingle };

}  // namespace controls
