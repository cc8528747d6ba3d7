#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (a logout, `kill`, Ctrl+C in a terminal) into a signal of the event
// loop, so the window can shut down as Exit does. The handler only writes one byte to a pipe;
// the rest runs on the user-interface thread. One instance at a time; its end restores the
// handlers that were in place before.
class SignalExit : public QObject {
    Q_OBJECT
public:
    explicit SignalExit(QObject* parent = nullptr);
    ~SignalExit() override;
    SignalExit(const SignalExit&) = delete;
    SignalExit& operator=(const SignalExit&) = delete;

    // False when the pipe or the handlers could not be set up (the process then ends by the
    // default action, as without this object).
    bool isInstalled() const { return m_installed; }

signals:
    void exitRequested(int signalNumber);

private:
    static void handle(int signalNumber);
    void readSignal();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
    bool m_installed = false;
    struct sigaction m_previousTerm {};
    struct sigaction m_previousInt {};
};
