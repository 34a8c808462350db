#include "terminal/crc16.h"

namespace zentrip {

std::uint16_t Crc16Update(std::uint16_t crc, std::uint8_t byte) {
    crc = static_cast<std::uint16_t>(crc ^ (byte << 8));
    for (int bit = 0; bit < 8; ++bit) {
        crc = (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021)
                             : static_cast<std::uint16_t>(crc << 1);
    }
    return crc;
}

std::uint16_t Crc16(const void* data, std::size_t length) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < length; ++i) crc = Crc16Update(crc, bytes[i]);
    return crc;
}

}  // namespace zentrip
