// Feeds arbitrary bytes from the sending side through CXmodem::Receive on the fake line in
// virtual time. The first byte picks the line: bits 0-1 the data rate (300, 1200, 9600 or
// 115200 bps), bit 2 whether bytes come paced at that rate, bit 3 bursts of 8 (a UART's FIFO).
// The rest is the sender's replies: a delay byte (in 50 ms steps), a length byte and that many
// bytes; the n-th reply goes on the line when the engine writes for the n-th time.
//
// Every run receives over an existing file and checks the promises of Receive:
//   - it ends within the time-outs its rules allow after the last byte came;
//   - success leaves a file made only of blocks that were on the line whole, CRC included, in
//     order; failure leaves the old file as it was and keeps nothing but such blocks beside it.
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "fuzz/scratch_dir.h"
#include "terminal/xmodem_test_util.h"

namespace {

using zentrip::testing::FakeRig;
using zentrip::testing::TempDir;

constexpr std::uint32_t kRates[] = {300, 1200, 9600, 115200};
constexpr std::uint64_t kStepMs = 50;
constexpr char kOld[] = "the file that was there";

// The sender's side: hands out the next reply for every write of the engine and keeps all that
// went on the line.
class Replies {
public:
    Replies(FakeRig& rig, std::string_view script) : m_script(script) {
        rig.line.SetResponder([this, &rig](std::string_view, zentrip::FakeSerialLine& line) {
            if (m_script.size() < 2) return;
            const std::uint64_t delay = static_cast<std::uint8_t>(m_script[0]) * kStepMs;
            const std::size_t length =
                std::min<std::size_t>(static_cast<std::uint8_t>(m_script[1]), m_script.size() - 2);
            const std::string_view reply = m_script.substr(2, length);
            m_script.remove_prefix(2 + length);
            line.Feed(reply, rig.Now() + delay);
            m_sent += reply;
        });
    }
    const std::string& Sent() const { return m_sent; }

private:
    std::string_view m_script;
    std::string m_sent;
};

// True when `file` is whole blocks, each found on the line as a good CRC block with the next
// number, in order.
bool MadeOfGoodBlocks(const std::string& file, const std::string& line) {
    if (file.size() % 128 != 0) return false;
    std::size_t from = 0;
    for (std::size_t at = 0; at < file.size(); at += 128) {
        const int number = static_cast<int>(at / 128 + 1);
        const std::size_t found =
            line.find(zentrip::testing::WireBlock(number, file.substr(at, 128), true), from);
        if (found == std::string::npos) return false;
        from = found + 133;
    }
    return true;
}

// The longest a receive may go on once the line is silent: the byte it waits for, then eleven
// failed attempts, each two one-second waits for a first byte and one quiet purge round. Waits
// may overrun by one 20 ms poll.
std::uint64_t SilentLimitMs(std::uint32_t rate) {
    const std::uint64_t quiet = std::max<std::uint64_t>(10, (90'000 + rate - 1) / rate);
    return 1020 + quiet + 11 * (2 * 1020 + quiet);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t line = data[0];
    const std::uint32_t rate = kRates[line & 3];
    const std::string dir = zentrip::fuzz::ScratchDir();
    const std::string out = dir + "/out.bin";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directory(dir);
    {
        std::FILE* old = std::fopen(out.c_str(), "wb");
        if (old == nullptr) std::abort();
        std::fputs(kOld, old);
        std::fclose(old);
    }

    FakeRig rig(rate);
    if (line & 4) rig.line.SetPace(rate, (line & 8) ? 8 : 1);
    Replies replies(rig, std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    const int result = rig.engine.Receive(out);

    FUZZ_CHECK(rig.Now() <= rig.line.LastDueTick() + SilentLimitMs(rate));
    const std::string part = TempDir::Read(out + ".part");
    if (result == zentrip::kXmodemSuccess) {
        FUZZ_CHECK(MadeOfGoodBlocks(TempDir::Read(out), replies.Sent()));
        FUZZ_CHECK(!std::filesystem::exists(out + ".part"));
    } else {
        FUZZ_CHECK(result == zentrip::kXmodemTooManyReceiveTries);
        FUZZ_CHECK(TempDir::Read(out) == kOld);
        FUZZ_CHECK(MadeOfGoodBlocks(part, replies.Sent()));
    }
    // Nothing else is left behind: no temporary file.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        (void)entry;
        ++files;
    }
    FUZZ_CHECK(files == (std::filesystem::exists(out + ".part") ? 2 : 1));
    return 0;
}
