#include "terminal/lost_device_watch.h"

namespace zentrip {

LostDeviceWatch::LostDeviceWatch(IdentityFn identityOf) : m_identityOf(std::move(identityOf)) {}

std::optional<DeviceIdentity> LostDeviceWatch::DefaultIdentity(const std::string& path) {
    return ReadDeviceIdentity(path);
}

void LostDeviceWatch::Opened(const std::string& path) {
    m_path = path;
    m_device = m_identityOf(path);
    m_lost = false;
    m_reason.clear();
}

void LostDeviceWatch::Lost(const std::string& reason) {
    m_lost = true;
    m_reason = reason;
    m_lastSight = Sight::kNothing;
}

LostDeviceWatch::Look LostDeviceWatch::LookAgain() {
    const auto now = m_identityOf(m_path);
    Sight sight = Sight::kNothing;
    if (now) sight = m_device && SameDevice(*m_device, *now) ? Sight::kBack : Sight::kDifferent;
    const bool changed = sight != m_lastSight;
    m_lastSight = sight;
    return {sight, changed};
}

LostDeviceWatch::Turn LostDeviceWatch::LookAndReopen(const std::function<bool()>& reopen) {
    const Look look = LookAgain();
    switch (look.sight) {
        case Sight::kBack:
            return reopen() ? Turn::kReturned : Turn::kNone;
        case Sight::kDifferent:
            return look.changed ? Turn::kDifferent : Turn::kNone;
        case Sight::kNothing:
            break;
    }
    return look.changed ? Turn::kEmptyAgain : Turn::kNone;
}

bool LostDeviceWatch::SameDevice(const DeviceIdentity& was, const DeviceIdentity& now) {
    if (!was.characterDevice || !now.characterDevice) return false;
    if (!was.hardware.empty()) return now.hardware == was.hardware;
    return now.hardware.empty() && now.number == was.number &&
           now.nodeFileSystem == was.nodeFileSystem && now.nodeInode == was.nodeInode &&
           now.nodeChangedNs == was.nodeChangedNs;
}

}  // namespace zentrip
