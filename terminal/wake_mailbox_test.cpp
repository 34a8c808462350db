// Wake-ups are coalesced, never lost, and those of a closed port's generation are dropped.
#include "terminal/wake_mailbox.h"

#include <gtest/gtest.h>

namespace zentrip {
namespace {

TEST(WakeMailbox, CoalescesAndDropsOldGenerations) {
    WakeMailbox mailbox;
    const std::uint64_t first = mailbox.NewGeneration();
    EXPECT_FALSE(mailbox.Take()) << "a wake-up with nothing posted finds no work";

    EXPECT_TRUE(mailbox.Post(first)) << "the first post sends a wake-up";
    EXPECT_FALSE(mailbox.Post(first)) << "later ones ride on it";
    EXPECT_TRUE(mailbox.Take());
    EXPECT_FALSE(mailbox.Take());

    EXPECT_TRUE(mailbox.Post(first));
    const std::uint64_t second = mailbox.NewGeneration();
    EXPECT_FALSE(mailbox.Post(first)) << "the old port's reader is ignored";
    EXPECT_FALSE(mailbox.Post(second)) << "the wake-up still outstanding will carry it";
    EXPECT_TRUE(mailbox.Take()) << "so the new port's data is not stranded";

    mailbox.NewGeneration();
    EXPECT_FALSE(mailbox.Post(second));
    EXPECT_FALSE(mailbox.Take()) << "work of the old generation is not reported";
}

}  // namespace
}  // namespace zentrip
