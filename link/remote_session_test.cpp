#include "link/remote_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/modem_fixture.h"

namespace zentrip {
namespace {

using testing::Writes;

class RemoteSessionTest : public testing::ModemLineTest {
protected:
    void SetUp() override { ASSERT_TRUE(port.Open(1, 2400)); }
    void Open(std::string_view text) { OpenRemoteSession(text, state, port, modem, clock, host); }

    SessionState state;
};

TEST_F(RemoteSessionTest, DialsWaitsAndRequestsTheDefaultThreeMinutes) {
    Open("#session 4711 555-0199\r");
    // "4711" "79" "030" " *" ";\r": 13 characters, 2 x 13 + 26 steps.
    EXPECT_EQ(Recorded(), (Writes{{0, "ATH1\r"},
                                  {1000, "ATDT 555-0199;\r"},
                                  {16000, "ATDT "},
                                  {16000, "471179030 *;\r"}}));
    EXPECT_EQ(clock.TickMs(), 16000u + (2 * 13 + 26) * 100);
    EXPECT_TRUE(state.m_sessionInProgress);
    EXPECT_TRUE(state.m_remoteSession);
    EXPECT_EQ(state.m_password, "4711");
    EXPECT_EQ(host.editor.Text(),
              "#session 4711 555-0199\r\nDialing controller @ 555-0199\r\nWaiting for answer...\r\n"
              "Requesting time - 3 minutes.\r\n");
}

TEST_F(RemoteSessionTest, MinutesBecomeThreeDigitsOfTenTimesTheNumber) {
    const std::pair<const char*, const char*> cases[] = {
        {"10", "100"}, {"150", "500"}, {"soon", "000"}, {"7x", "070"}, {"-5", "050"}};
    for (const auto& [minutes, digits] : cases) {
        SessionState fresh;
        state = fresh;
        const std::size_t before = line.Writes().size();
        Open(std::string("#session 12 \"555 0199\" ") + minutes + "\r");
        const auto writes = line.Writes();
        ASSERT_EQ(writes.size(), before + 4) << minutes;
        EXPECT_EQ(writes[before + 1].bytes, "ATDT 555 0199;\r");
        EXPECT_EQ(writes[before + 3].bytes, std::string("1279") + digits + " *;\r") << minutes;
    }
}

TEST_F(RemoteSessionTest, RefusedLinesSendNothingAndLeaveTheFlags) {
    Open("#session\r");
    EXPECT_EQ(host.editor.Text(),
              "#session\r\n** ERROR: Control operator password missing. **\r\n");
    EXPECT_EQ(state.m_password, "");

    host.editor.SetText("");
    state.m_password = "old";
    Open("#SESSION 99\r");
    EXPECT_EQ(host.editor.Text(), "#SESSION 99\r\n** ERROR: Telephone number missing. **\r\n");
    EXPECT_EQ(state.m_password, "99");  // kept although the line was refused

    host.editor.SetText("");
    Open("#session " + std::string(32, '1') + " 555\r");
    EXPECT_NE(host.editor.Text().find("password longer than 31"), std::string::npos);
    Open("#session 1 " + std::string(64, '5') + "\r");
    EXPECT_NE(host.editor.Text().find("number longer than 63"), std::string::npos);

    EXPECT_TRUE(line.Writes().empty());
    EXPECT_EQ(clock.TickMs(), 0u);
    EXPECT_FALSE(state.m_sessionInProgress);
    EXPECT_FALSE(state.m_remoteSession);
}

TEST_F(RemoteSessionTest, ASecondSessionLineIsRefusedAsAlreadyInProgress) {
    state.m_sessionInProgress = true;
    state.m_password = "1234";
    Open("#session 99 555\r");
    EXPECT_EQ(host.editor.Text(),
              "#session 99 555\r\n\r\n** Error: Remote session already in progress.\r\n");
    EXPECT_EQ(state.m_password, "1234");
    EXPECT_FALSE(state.m_remoteSession);
    EXPECT_TRUE(line.Writes().empty());
}

TEST_F(RemoteSessionTest, APasswordWithAHashSendsTheRequestCutThere) {
    Open("#session 12#4 555\r");
    const auto writes = line.Writes();
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[3].bytes, "12;\r");
    EXPECT_EQ(AdditionalTimeCommand(state), "12#4 79 030 *");
    EXPECT_EQ(CloseSessionCommand(state), "12#4 79 001 *");
}

}  // namespace
}  // namespace zentrip
