// CRC-16/XMODEM (polynomial 0x1021, initial value 0, most significant bit first, no reflection,
// no final XOR), fed one byte at a time as XMODEM blocks are read or received.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zentrip {

std::uint16_t Crc16Update(std::uint16_t crc, std::uint8_t byte);
std::uint16_t Crc16(const void* data, std::size_t length);

}  // namespace zentrip
