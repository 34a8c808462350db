#include "session/programmer.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "link/open_failure.h"
#include "platform/input_file.h"
#include "platform/temp_file.h"
#include "script/line_kind.h"
#include "script/preprocessor.h"
#include "script/tokenizer.h"
#include "session/controller_reply.h"
#include "session/results_tee.h"
#include "session/run_record.h"
#include "session/run_text.h"
#include "session/window_texts.h"
#include "text/edit_writer.h"
#include "text/format_text.h"

namespace zentrip {

namespace {

constexpr int kLineSize = CPreprocessor::kRunReadSize;
constexpr int kLineBuffer = kLineSize + 3;  // plus a CR the run may add and the zero
constexpr std::int64_t kTimeRenewalSeconds = 120;
constexpr std::uint32_t kPrepareWaitMs = 300;
constexpr std::uint32_t kPollMs = 5;
constexpr int kDiscardLimit = 255;
constexpr std::uint32_t kOffHookPauseMs = 1000;
constexpr std::uint32_t kTimeRequestPauseMs = 5000;
constexpr std::uint32_t kClosePauseMs = 1000;
constexpr int kUnfoldSlack = 4;
// A window manager may keep the window from reaching its full height; the run then goes on
// after this many pumps rather than waiting for ever.
constexpr int kUnfoldPumpLimit = 100;

bool FileHolds(const char* key, const std::string& path) {
    SearchKey search;
    std::snprintf(search.key, sizeof search.key, "%s", key);
    search.flag = 1;
    return CTokenizer().FindLineInFile(&search, path.c_str(), nullptr, 1) > 0;
}

// A program holds text: no control bytes but tab, CR, LF and FF (a NUL or the like means a
// file that is not a program, or one damaged).
bool HoldsNonText(const std::string& path) {
    const FilePtr file = OpenInputFile(path.c_str());
    if (!file) return false;
    for (int ch; (ch = std::getc(file.get())) != EOF;) {
        const bool control = ch < 0x20 || ch == 0x7F;
        if (control && ch != '\t' && ch != '\r' && ch != '\n' && ch != '\f') return true;
    }
    return false;
}

}  // namespace

CProgrammer::CProgrammer(RunHost& host, Clock& clock)
    : CProgrammer(host, clock, PosixSerialOpener()) {}

CProgrammer::CProgrammer(RunHost& host, Clock& clock, SerialDeviceOpener& opener)
    : m_host(host), m_clock(clock), m_serialPort(opener), m_modem(m_serialPort, clock, host) {
    m_serialPort.SetDevicePathFn([this](int port) { return DevicePathOf(m_commSettings, port); });
}

CProgrammer::~CProgrammer() = default;

// Whole seconds on the monotonic tick count: a clock set back or forward during a session must
// not stall or rush the connect-time renewals.
std::int64_t CProgrammer::RunSeconds() {
    return static_cast<std::int64_t>(m_clock.TickMs() / 1000);
}

void CProgrammer::Show(std::string_view text) {
    CEditWriter().Append(m_tee ? static_cast<TextSink&>(*m_tee) : m_host.ResultsPane(), text);
    if (!m_recordTrouble.empty()) TellRecordTrouble(std::exchange(m_recordTrouble, {}));
}

void CProgrammer::ShowErrors() { m_host.SetTotalErrorsText(Format("%05d", m_errorCount)); }

void CProgrammer::ReportFailedLine(std::string_view why) {
    if (const std::optional<SourcePlace> place = m_places.Find(m_lineNumber)) {
        m_host.LineFailedAt(*place, why);
    }
}

void CProgrammer::StopProgramming() {
    RequestStop();
    if (!m_programmingActive) m_host.HideStatusDisplay();
}

void CProgrammer::AbortRun() {
    static_assert(std::atomic<bool>::is_always_lock_free);
    m_stopRequested = true;
    m_abortRequested = true;
}

bool CProgrammer::InitModem() {
    if (m_programmingActive) {
        m_host.MessageBox(kAlreadyProgramming, MessageBoxButtons::Ok, MessageBoxIcon::None);
        return false;
    }
    m_modem.InitModem(m_commSettings.port, m_commSettings.modemInitString);
    return true;
}

bool CProgrammer::HangUp() {
    if (m_programmingActive) return false;
    m_modem.HangUp(m_commSettings.port);
    return true;
}

void CProgrammer::ProgramFromFile() {
    if (m_programmingActive) {
        m_host.MessageBox(kAlreadyProgramming, MessageBoxButtons::Ok, MessageBoxIcon::None);
        return;
    }
    m_outcome = RunOutcome::NotStarted;
    m_host.ResultsPane().SetText("");
    m_stopRequested = false;
    m_abortRequested = false;
    m_session.m_sessionInProgress = false;
    m_session.m_remoteSession = false;
    m_directMode = false;
    m_lineNumber = 0;
    m_errorCount = 0;
    m_places.Clear();
    ShowErrors();

    if (m_workingFile.empty()) SelectWorkingFile();
    if (m_workingFile.empty()) return;

    // Only the working file itself is scanned; a key in an include file does not count.
    m_session.m_remoteSession = FileHolds("#session", m_workingFile);
    m_directMode = m_host.DirectModeChecked() || FileHolds("#direct", m_workingFile);
    if (HoldsNonText(m_workingFile)) {
        const std::string name = m_temporaryProgram ? "The editor" : m_workingFile;
        const std::string question = name + " holds bytes that are not text. Program it anyway?";
        if (m_host.MessageBox(question, MessageBoxButtons::YesNoDefaultNo, MessageBoxIcon::Stop) !=
            MessageBoxAnswer::Yes)
            return;
    }
    StartRecord();

    m_programmingActive = true;
    ShowFileInEditor(m_workingFile);

    if (!m_serialPort.Open(m_commSettings.port, m_commSettings.dataRate)) {
        std::string text = "Failed to open serial port!";
        if (m_host.NamesOpenFailures()) text += "\n" + OpenFailureReason(m_serialPort);
        m_host.MessageBox(text, MessageBoxButtons::Ok, MessageBoxIcon::None);
        m_notStartedStep = "the serial port could not be opened (" + m_serialPort.DevicePath() +
                           ": " + m_serialPort.OpenError() + ")";
        FinishRecord();
        m_programmingActive = false;
        return;
    }

    m_host.ShowStatusDisplay();
    for (int pumps = 0; pumps < kUnfoldPumpLimit; ++pumps) {
        const int unfolded = m_host.FullHeight() - kUnfoldSlack;
        m_host.AwaitHeight(unfolded);
        if (m_host.WindowHeight() >= unfolded) break;
    }

    if (m_directMode) {
        Show("Preparing controller for direct session.");
        m_serialPort.WriteByte('\r');
        m_serialPort.WriteByte('\r');
        m_clock.SleepMs(kPrepareWaitMs);
        char discarded = 0;
        for (int i = 0; i < kDiscardLimit && m_serialPort.ReadByte(&discarded) == 1; ++i)
            m_clock.SleepMs(kPollMs);
    }

    Show(Format("\rBeginning programming from %s\r\r", m_host.PaneText(m_workingFile).c_str()));

    CPreprocessor preprocessor(m_clock);
    preprocessor.SetWaitInterrupt(&m_abortRequested);
    m_places.Clear(m_workingFile);
    RecordIncludes(preprocessor);
    if (!preprocessor.OpenFile(m_workingFile.c_str())) {
        std::string reason;
        OpenInputFile(m_workingFile.c_str(), &reason);
        Show(Format("Error: Couldn't open %s\r", m_host.PaneText(m_workingFile).c_str()) + reason +
             "\r");
        // The status area is unfolded: its button folds it again.
        m_host.ShowStopButton(kHideStatusCaption);
        m_serialPort.Close();
        m_notStartedStep = "the program file could not be opened";
        FinishRecord();
        m_programmingActive = false;
        return;
    }
    // The run reads it through its open file from here on; a run killed now leaves nothing.
    if (m_temporaryProgram) m_temporaryProgram->Remove();

    m_host.ShowStopButton("STOP Programming");
    if (!m_session.m_remoteSession && !m_directMode) {
        m_serialPort.WriteString("ATH1\r");
        m_clock.SleepMs(kOffHookPauseMs);
        m_session.m_sessionInProgress = true;
    }

    m_host.EnableProgramButton(false);
    m_deadline = RunSeconds() + kTimeRenewalSeconds;
    m_host.PumpMessages();
    LoopEnd end = LoopEnd::Halted;
    if (!DeviceLostHalt()) end = m_stopRequested ? LoopEnd::UserHalt : RunLines(preprocessor);
    if (end == LoopEnd::UserHalt) {
        Show("\r\r** Programming halted by user. **\r");
        m_outcome = RunOutcome::HaltedByUser;
    }
    if (end == LoopEnd::EndOfFile) m_outcome = RunOutcome::Complete;
    EndRun();
}

CProgrammer::LoopEnd CProgrammer::RunLines(CPreprocessor& preprocessor) {
    char buffer[kLineBuffer] = {};
    for (;;) {
        const bool renewalDue = RunSeconds() >= m_deadline && m_session.m_remoteSession &&
                                !m_directMode && m_session.m_sessionInProgress;
        if (renewalDue) {
            Show("Requesting additional controller time.\r");
            m_clock.SleepMs(kTimeRequestPauseMs);
            std::string request = AdditionalTimeCommand(m_session);
            m_modem.ToneDial(request);
            m_deadline = RunSeconds() + kTimeRenewalSeconds;
        } else {
            ++m_lineNumber;
            m_host.SetLineNumberText(Format("%05d", m_lineNumber));
            const int length = preprocessor.ReadLine(buffer, kLineSize);
            if (length == CPreprocessor::kEndOfFile) return LoopEnd::EndOfFile;
            m_places.Record(m_lineNumber, preprocessor.LinePlace());
            if (length < 0) {
                Show(Format("[%5d] %s\n", m_lineNumber, buffer));
                ++m_errorCount;
                ShowErrors();
                Show(Format("\r\nFatal Error in Line %d (%s);\rProgramming halted.", m_lineNumber,
                            preprocessor.ErrorText()));
                ReportFailedLine(preprocessor.ErrorText());
                m_stopRequested = true;
                m_outcome = RunOutcome::HaltedFatal;
                return LoopEnd::Halted;
            }
            std::string line(buffer, std::strlen(buffer));
            NormaliseLineEnd(line);
            const bool hidden = preprocessor.IsHidden();
            if (!hidden) Show(Format("[%5d] %s", m_lineNumber, line.c_str()));
            if (line.size() >= 2 && !SendLine(line, hidden)) return LoopEnd::Halted;
        }
        m_host.PumpMessages();
        if (DeviceLostHalt()) return LoopEnd::Halted;
        if (m_stopRequested) return LoopEnd::UserHalt;
    }
}

// Delivers one line; false when the run halts because of it.
bool CProgrammer::SendLine(std::string& line, bool hidden) {
    if (!m_directMode && IsSessionLine(line)) {
        m_host.SetCursor(RunCursor::Wait);
        OpenRemoteSession(line, m_session, m_serialPort, m_modem, m_clock, m_host);
        m_host.SetCursor(RunCursor::Arrow);
        return true;
    }
    m_host.PumpMessages();
    if (!m_directMode) {
        if (line[0] != ';' && line[0] != '#' && m_session.m_sessionInProgress)
            m_modem.ToneDial(line);
        return true;
    }

    std::string verdict;
    if (SendLineDirect(m_serialPort, m_clock, line, &verdict) == 1) return true;
    // A cable that is gone gets no question, line after line: the run ends here.
    if (DeviceLostHalt()) return false;
    ++m_errorCount;
    ShowErrors();
    if (hidden) Show(Format("[%5d] %s", m_lineNumber, line.c_str()));
    Show(Format("Error in Line %d (%s) \r\n", m_lineNumber, verdict.c_str()));
    RecordFailedLine(line, verdict);
    ReportFailedLine("controller refused this line");
    const std::size_t noAnswer = verdict.find("failed to respond", 1);
    const bool ask = m_errorCount == 1 || (noAnswer != std::string::npos && noAnswer > 1);
    if (!ask) return true;
    const std::string question = Format(
        "==== Error reported by controller during upload. ====\r\n\r\nLINE FROM FILE:\r\n\r\n%s"
        "\r\n\r\n%s\r\n\r\nDo you want to continue programming?",
        line.c_str(), verdict.c_str());
    if (m_host.MessageBox(question, MessageBoxButtons::YesNo, MessageBoxIcon::Stop) ==
        MessageBoxAnswer::Yes)
        return true;
    Show("\r\n** Programming halted by error condition. **");
    m_stopRequested = true;
    m_outcome = RunOutcome::HaltedByError;
    return false;
}

bool CProgrammer::DeviceLostHalt() {
    if (m_outcome == RunOutcome::HaltedDeviceLost) return true;
    if (!m_serialPort.DeviceLost()) return false;
    Show(Format("\r\n** Programming halted: serial device %s lost (%s). **\r",
                m_serialPort.DevicePath().c_str(), m_serialPort.LostReason().c_str()));
    m_stopRequested = true;
    m_outcome = RunOutcome::HaltedDeviceLost;
    return true;
}

void CProgrammer::EndRun() {
    m_host.EnableProgramButton(true);
    m_host.SetStopButtonCaption(kHideStatusCaption);
    if (!m_stopRequested && !m_directMode) Show("\r\n ** Programming Complete ** \r\n");
    // Closing tones on a vanished device would be played nowhere.
    if (m_session.m_remoteSession && m_session.m_sessionInProgress &&
        m_outcome != RunOutcome::HaltedDeviceLost) {
        Show("\rClosing session with remote controller.\r");
        std::string command = CloseSessionCommand(m_session);
        m_modem.ToneDial(command);
    }
    m_serialPort.Close();
    m_host.PumpMessages();
    // The pause lets a modem settle before the hang-up; a vanished device has nothing to settle.
    if (m_outcome != RunOutcome::HaltedDeviceLost) m_clock.SleepMs(kClosePauseMs);
    if (m_directMode && !m_stopRequested)
        Show(Format("\r\n\r\nProgramming complete with %05d total errors", m_errorCount));
    m_modem.HangUp(m_commSettings.port);
    FinishRecord();
    m_programmingActive = false;
}

}  // namespace zentrip
