// LostDeviceWatch: when a terminal's serial device vanishes, tells when the same device is
// back at its path, so that the terminal never takes another program's device for it. It
// remembers the device at each open (see DeviceIdentity) and, while the device is lost, is
// asked to look again every kPollMs (LookAndReopen):
// - a device with hardware behind it (a USB adapter) is back when the same adapter is at the
//   path again, whatever node or number it got this time;
// - a device without (a pseudo-terminal) is back only as the very same node: one made anew at
//   the path, even with the same number, belongs to whoever made it (nodes are told apart by
//   their change time, so one made within the clock tick of the lost one's making would pass
//   for it; a device that was opened and lost has lived longer than that);
// - anything else at the path is a different device, left alone until it goes.
// Used by the Mini Terminal window and the console terminal alike; no threads, no waiting.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/device_identity.h"

namespace zentrip {

class LostDeviceWatch {
public:
    static constexpr int kPollMs = 250;

    using IdentityFn = std::function<std::optional<DeviceIdentity>(const std::string& path)>;
    // identityOf: how a path's device is told (tests give another sysfs).
    explicit LostDeviceWatch(IdentityFn identityOf = DefaultIdentity);

    // The device at path was just opened: it is the one a loss waits for.
    void Opened(const std::string& path);
    // It vanished, for this reason (the system's words).
    void Lost(const std::string& reason);
    bool IsLost() const { return m_lost; }
    const std::string& Path() const { return m_path; }
    const std::string& Reason() const { return m_reason; }

    enum class Sight { kNothing, kDifferent, kBack };
    struct Look {
        Sight sight;
        bool changed;  // it differs from what the look before saw (or from the loss itself)
    };
    // One look at the path while the device is lost.
    Look LookAgain();

    // What a look while lost comes to, for the terminal to report: a different device appeared,
    // the path is empty again after one, or the same device is back and open again.
    enum class Turn { kNone, kDifferent, kEmptyAgain, kReturned };
    // One look, and when the same device is back, `reopen` (true: it is open again and
    // Opened() was told); a reopen that fails is tried again at the next look.
    Turn LookAndReopen(const std::function<bool()>& reopen);

    static bool SameDevice(const DeviceIdentity& was, const DeviceIdentity& now);

private:
    static std::optional<DeviceIdentity> DefaultIdentity(const std::string& path);

    IdentityFn m_identityOf;
    std::string m_path;
    std::optional<DeviceIdentity> m_device;  // nothing when it could not be told at the open
    bool m_lost = false;
    std::string m_reason;
    Sight m_lastSight = Sight::kNothing;
};

}  // namespace zentrip
