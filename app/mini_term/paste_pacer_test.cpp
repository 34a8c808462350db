// Pasted text leaves no faster than the line carries it.
#include "app/mini_term/paste_pacer.h"

#include <gtest/gtest.h>

namespace zentrip {
namespace {

TEST(PastePacer, SendsAtTheLinesPace) {
    struct Case {
        std::uint32_t rate;
        int ticks;
        std::size_t sent;
    };
    // 10 bits a byte: 960 bytes a second at 9600 bps; at 300 bps 3 bits a tick, so the
    // fourth tick carries the first byte.
    for (const Case c : {Case{9600, 100, 960}, Case{9600, 1, 9}, Case{300, 3, 0}, Case{300, 4, 1},
                         Case{230400, 1, 230}}) {
        PastePacer pacer;
        pacer.Add(std::string(2000, 'x'));
        std::string sent;
        for (int tick = 0; tick < c.ticks; ++tick) sent += pacer.Take(c.rate);
        EXPECT_EQ(sent.size(), c.sent) << c.rate << " bps, " << c.ticks << " ticks";
    }
}

TEST(PastePacer, SendsEveryByteInOrderAndEnds) {
    PastePacer pacer;
    pacer.Add("abc");
    pacer.Add("de");
    std::string sent;
    while (!pacer.Empty()) sent += pacer.Take(1200);
    EXPECT_EQ(sent, "abcde");
}

}  // namespace
}  // namespace zentrip
