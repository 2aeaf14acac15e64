// Private to the store: a scope that works on a record set's work area behind the set's back
// and leaves the engine as it found it.
#pragma once

#include "platform/xbase/sx.h"

namespace store {

// Selects the set's work area for the life of the scope, and on leaving puts the engine back
// on the record it stood on and selects the area that was current before.
class AreaWalk {
  public:
    explicit AreaWalk(int area) : area_(area) {
        previous_ = sx_Select(area_);
        record_ = sx_RecNo();
        eof_ = sx_Eof();
    }
    ~AreaWalk() {
        sx_Go(eof_ ? 0 : record_);
        if (previous_ != 0 && previous_ != area_) {
            sx_Select(previous_);
        }
    }
    AreaWalk(const AreaWalk&) = delete;
    AreaWalk& operator=(const AreaWalk&) = delete;

  private:
    int area_;
    int previous_ = 0;
    int record_ = 0;
    bool eof_ = true;
};

}  // namespace store
