// TerminationSignals: SIGTERM, SIGHUP and SIGINT as a Qt signal on the window thread. The
// handler only writes the signal's number to a socket pair; a socket notifier reads it in
// the event loop, where the window can close the way its Close command does.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace zentrip {

class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;  // restores the previous handlers
    // False when the signals could not be caught (no socket pair, or another instance has
    // them): they then end the program as they would without this.
    bool Ok() const { return m_notifier != nullptr; }

signals:
    void Received(int signalNumber);

private:
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace zentrip
