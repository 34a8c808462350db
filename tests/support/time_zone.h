// The system's time zone set for a while (TZ), the one before back when the object goes.
// Header-only, so the unit tests of the core folders can use it.
#pragma once

#include <ctime>

#include "tests/support/scoped_env.h"

namespace zentrip::testing {

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) : m_zone("TZ", zone) { tzset(); }

private:
    // Declared first, so it goes last: the zone is read again once TZ is back.
    struct ReadZoneAtEnd {
        ~ReadZoneAtEnd() { tzset(); }
    } m_readAtEnd;
    ScopedEnv m_zone;
};

}  // namespace zentrip::testing
