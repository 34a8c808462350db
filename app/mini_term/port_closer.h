// Closes a CSerialPort on a thread of its own, because a close may wait: for the reader to see
// its stop request, for written bytes to leave a slow line. The window thread hands the port
// over, does not touch it until the close is done, and gets its continuation back as a queued
// call. Requests made while a close runs wait behind it.
#pragma once

#include <QObject>
#include <functional>
#include <thread>
#include <vector>

#include "app/common/thread_wake.h"
#include "link/serial_port.h"

namespace zentrip {

class PortCloser : public QObject {
    Q_OBJECT

public:
    explicit PortCloser(QObject* parent = nullptr) : QObject(parent) {}
    ~PortCloser() override;  // waits for a close still running

    // Closes the port, then runs `then` on this object's thread.
    void Close(CSerialPort& port, std::function<void()> then);
    // Waits for a close still running and forgets what was to follow it.
    void Abandon();

private:
    void Finished();

    std::thread m_thread;
    std::vector<std::function<void()>> m_then;
    ThreadWake m_finished{this, [this] { Finished(); }};
};

}  // namespace zentrip
