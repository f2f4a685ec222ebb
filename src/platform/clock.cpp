#include "platform/clock.hpp"

namespace clicktrove::platform {

SystemClock& SystemClock::instance() {
    static SystemClock clock;
    return clock;
}

}  // namespace clicktrove::platform
