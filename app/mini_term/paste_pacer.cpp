#include "app/mini_term/paste_pacer.h"

#include <algorithm>

namespace zentrip {

namespace {

constexpr std::uint64_t kBitsPerByte = 10;

}  // namespace

void PastePacer::Clear() {
    m_pending.clear();
    m_sent = 0;
    m_bits = 0;
}

std::string PastePacer::Take(std::uint32_t rate) {
    m_bits += std::uint64_t{rate} * kTickMs / 1000;
    const std::size_t due = std::min<std::size_t>(m_bits / kBitsPerByte, m_pending.size() - m_sent);
    m_bits -= due * kBitsPerByte;
    std::string taken = m_pending.substr(m_sent, due);
    m_sent += due;
    if (Empty()) Clear();  // what is pasted later starts afresh
    return taken;
}

}  // namespace zentrip
