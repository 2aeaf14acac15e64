// Lock waits: polling with short sleeps, so that a timeout is kept without signals.
#include "platform/xbase/lock.h"

#include <chrono>
#include <thread>

namespace xbase {

bool LockWithin(File& file, std::uint64_t offset, std::uint64_t length, LockKind kind,
                int timeoutSeconds) {
    if (file.Lock(offset, length, kind, false)) {
        return true;
    }
    if (timeoutSeconds == 0) {
        return false;
    }
    if (timeoutSeconds < 0) {
        return file.Lock(offset, length, kind, true);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (file.Lock(offset, length, kind, false)) {
            return true;
        }
    }
    return false;
}

}  // namespace xbase
