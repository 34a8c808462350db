#include "app/mini_term/mini_term_session.h"

#include <chrono>
#include <utility>

#include "link/open_failure.h"
#include "terminal/term_texts.h"

namespace zentrip {

namespace {

constexpr std::uint32_t kDataReceivedId = 1013;
// How long one wake-up may spend taking received bytes before the window gets a turn.
constexpr auto kDrainBudget = std::chrono::milliseconds(8);

}  // namespace

MiniTermSession::MiniTermSession(const CommSettings& settings, ClockFn clock, LogTimesFn logTimes,
                                 QObject* parent)
    : QObject(parent),
      m_settings(settings),
      m_clock(std::move(clock)),
      m_logTimes(std::move(logTimes)) {
    m_reopenTimer.setSingleShot(true);
    m_reopenTimer.setInterval(kReopenPauseMs);
    connect(&m_reopenTimer, &QTimer::timeout, this, &MiniTermSession::OpenAfterPause);
    m_lostTimer.setInterval(LostDeviceWatch::kPollMs);
    connect(&m_lostTimer, &QTimer::timeout, this, &MiniTermSession::LookForLostDevice);
    ApplySettings();
}

MiniTermSession::~MiniTermSession() {
    m_wake.NewGeneration();  // the reader's last wake-ups go nowhere
    m_closer.Abandon();
    m_port.Close();
}

// The port numbers lead to the devices of these settings (the transfers' opens included).
void MiniTermSession::ApplySettings() {
    m_port.SetDevicePathFn(
        [settings = m_settings](int port) { return DevicePathOf(settings, port); });
}

void MiniTermSession::ChangeSettings(const CommSettings& chosen) {
    TakePortChoice(m_settings, chosen);
    ApplySettings();
    Reopen();
}

void MiniTermSession::Exit() {
    if (m_exiting) return;
    m_exiting = true;
    m_reopenTimer.stop();
    m_lostTimer.stop();
    // A transfer answered here is cancelled; the exit goes on once its worker has let go of
    // the port.
    emit Exiting();
    if (m_holder != PortHolder::kTransfer) FinishExit();
}

void MiniTermSession::FinishExit() {
    HandOver([this] { emit Ended(); });
}

// Closes the port on the closer thread, then (back on this thread) runs `then`, unless a later
// hand-over has taken its place: what follows a close is always what was asked for last.
void MiniTermSession::HandOver(std::function<void()> then) {
    m_wake.NewGeneration();
    m_readerOpen = false;
    m_holder = PortHolder::kCloser;
    const unsigned handOver = ++m_handOvers;
    m_closer.Close(m_port, [this, handOver, then = std::move(then)] {
        m_holder = PortHolder::kSession;
        if (handOver == m_handOvers) then();
    });
}

void MiniTermSession::Reopen(std::optional<std::string> watchFailure) {
    if (m_exiting) return;
    m_lostTimer.stop();
    HandOver([this, watchFailure = std::move(watchFailure)] {
        if (m_exiting) return;
        m_watchFailedReopen = watchFailure;
        m_reopenTimer.start();
    });
}

void MiniTermSession::OpenAfterPause() {
    const auto watchFailure = std::exchange(m_watchFailedReopen, std::nullopt);
    if (OpenWithReader()) return SetTitle(TerminalOpenTitle(m_settings.port, m_settings.dataRate));
    // The device a transfer used may be gone for now (pulled during the transfer): it is
    // waited for as when it vanishes under the terminal, if the terminal had it open.
    if (watchFailure && !m_port.DevicePath().empty() && m_watch.Path() == m_port.DevicePath()) {
        return WatchLostDevice(watchFailure->empty() ? m_port.OpenError() : *watchFailure);
    }
    SetTitle(TerminalFailedTitle(m_settings.port, m_settings.dataRate, OpenFailureReason(m_port)));
}

bool MiniTermSession::OpenWithReader() {
    if (m_exiting || m_holder != PortHolder::kSession) return false;
    if (!m_port.Open(m_settings.port, m_settings.dataRate)) return false;
    const std::uint64_t generation = m_wake.NewGeneration();
    // On the reader thread: a wake-up without data, at most one outstanding.
    m_port.StartReader(
        [this, generation](std::uint32_t) {
            if (m_wake.Post(generation)) m_dataWake.Wake();
        },
        kDataReceivedId, 0);
    m_readerOpen = true;
    m_watch.Opened(m_port.DevicePath());
    return true;
}

void MiniTermSession::OnDataReceived() {
    if (!m_wake.Take() || !m_readerOpen || m_holder != PortHolder::kSession) return;
    const auto start = std::chrono::steady_clock::now();
    char chunk[CSerialPort::kChunkSize];
    bool drained = false;
    while (!drained) {
        const int n = m_port.Read(chunk, static_cast<int>(sizeof chunk));
        drained = n <= 0;
        if (drained) break;
        const std::string_view bytes(chunk, static_cast<std::size_t>(n));
        const std::int64_t now = m_clock();
        LogReceived(bytes, now);
        emit Received(bytes, now);
        if (std::chrono::steady_clock::now() - start > kDrainBudget) break;
    }
    if (!drained) {
        // More waits: come back after the window had its turn.
        if (m_wake.Post(m_wake.Generation())) m_dataWake.Wake();
    } else if (!m_port.ReaderRunning()) {
        OnDeviceLost();
    }
}

void MiniTermSession::OnDeviceLost() {
    HandOver([this] { WatchLostDevice(m_port.LostReason()); });
}

void MiniTermSession::WatchLostDevice(const std::string& reason) {
    m_watch.Lost(reason);
    SetTitle(TerminalLostTitle(m_watch.Path(), m_watch.Reason()));
    if (!m_exiting) m_lostTimer.start();
}

void MiniTermSession::LookForLostDevice() {
    if (m_holder != PortHolder::kSession) return;
    switch (m_watch.LookAndReopen([this] { return OpenWithReader(); })) {
        case LostDeviceWatch::Turn::kDifferent:
            SetTitle(TerminalOtherDeviceTitle(m_watch.Path(), m_watch.Reason()));
            break;
        case LostDeviceWatch::Turn::kEmptyAgain:
            SetTitle(TerminalLostTitle(m_watch.Path(), m_watch.Reason()));
            break;
        case LostDeviceWatch::Turn::kReturned:
            m_lostTimer.stop();
            SetTitle(TerminalReturnedTitle(m_settings.port, m_settings.dataRate, m_watch.Path()));
            break;
        case LostDeviceWatch::Turn::kNone:
            break;
    }
}

bool MiniTermSession::SendByte(char byte) {
    return m_holder == PortHolder::kSession && m_readerOpen && m_port.WriteByte(byte) == 1;
}

bool MiniTermSession::PrepareTransfer(TransferMode mode) {
    if (m_holder == PortHolder::kTransfer || m_exiting) return false;
    m_reopenTimer.stop();
    m_lostTimer.stop();
    if (mode == TransferMode::kXmodemTransmit) HandOver([] {});
    return true;
}

void MiniTermSession::BeginTransfer(std::function<void(CSerialPort& port)> show) {
    HandOver([this, show = std::move(show)] {
        m_holder = PortHolder::kTransfer;
        show(m_port);
    });
}

void MiniTermSession::TransferEnded() {
    m_holder = PortHolder::kSession;
    if (m_exiting) return FinishExit();
    Reopen(m_port.DeviceLost() ? m_port.LostReason() : std::string());
}

bool MiniTermSession::StartLog(const std::string& path, std::string* error) {
    if (!m_log.Start(path, DevicePathOf(m_settings, m_settings.port), error)) return false;
    m_logNote = LoggingNote(m_log.Path());
    UpdateTitle();
    return true;
}

void MiniTermSession::StopLog() {
    m_log.Stop();
    m_logNote.clear();
    UpdateTitle();
}

void MiniTermSession::LogReceived(std::string_view bytes, std::int64_t nowMs) {
    const std::string logged =
        m_logStamps.Stamp(bytes, m_logTimes() ? TimePrefix(nowMs) : std::string());
    std::string error;
    if (m_log.Append(logged, &error)) return;
    emit LoggingStopped();
    m_logNote = LoggingStoppedNote(m_log.Path(), error);
    UpdateTitle();
}

void MiniTermSession::SetTitle(std::string title) {
    m_title = std::move(title);
    UpdateTitle();
}

void MiniTermSession::UpdateTitle() { emit TitleChanged(m_title + m_logNote); }

}  // namespace zentrip
