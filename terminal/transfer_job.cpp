#include "terminal/transfer_job.h"

#include <utility>

namespace zentrip {

TransferJob::TransferJob(TransferMode mode, CSerialPort* port, int comPort, std::uint32_t rate,
                         std::string path, Clock& clock)
    : m_mode(mode), m_path(std::move(path)), m_engine(port, comPort, rate, clock) {
    m_engine.SetMode(mode == TransferMode::kXmodemTransmit ? CXmodem::kModeUnchosen
                                                           : CXmodem::kModeCrc);
    m_engine.SetOwner([this] {
        {
            const std::lock_guard<std::mutex> lock(m_cancelLock);
            if (m_cancel.load(std::memory_order_relaxed)) m_engine.Cancel();
        }
        if (m_onProgress) m_onProgress();
    });
}

TransferJob::~TransferJob() {
    if (!m_worker.joinable()) return;
    Cancel();
    m_worker.join();
}

void TransferJob::Start(WakeFn progress, WakeFn ended) {
    if (m_started) return;
    m_started = true;
    m_onProgress = std::move(progress);
    m_onEnded = std::move(ended);
    m_worker = std::thread([this] {
        switch (m_mode) {
            case TransferMode::kXmodemTransmit:
                m_result = m_engine.Transmit(m_path);
                break;
            case TransferMode::kXmodemReceive:
                m_result = m_engine.Receive(m_path);
                break;
            case TransferMode::kTextTransmit:
                m_result = m_engine.TransmitText(m_path);
                break;
        }
        m_ended.store(true, std::memory_order_release);
        if (m_onEnded) m_onEnded();
    });
}

void TransferJob::Cancel() {
    const std::lock_guard<std::mutex> lock(m_cancelLock);
    m_cancel.store(true, std::memory_order_release);
    m_engine.Cancel();
}

bool TransferJob::Cancelled() const {
    return m_cancel.load(std::memory_order_acquire) || m_engine.CancelRequested();
}

int TransferJob::Finish() {
    if (m_worker.joinable()) m_worker.join();
    return m_result;
}

}  // namespace zentrip
