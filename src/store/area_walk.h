// A walk over a record set's work area that leaves no trace: the engine's record and current
// work area are given back when it ends. Private to the store.
#pragma once

#include "platform/xbase/sx.h"

namespace store {

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
