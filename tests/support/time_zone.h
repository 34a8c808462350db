// The system's time zone set for a while (TZ), the one before back when the object goes.
// Header-only, so the unit tests of the core folders can use it.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace zentrip::testing {

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* tz = std::getenv("TZ")) m_before = tz;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_before) {
            setenv("TZ", m_before->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> m_before;
};

}  // namespace zentrip::testing
