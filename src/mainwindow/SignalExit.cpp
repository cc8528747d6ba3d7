#include "mainwindow/SignalExit.h"

#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The write end of the pipe of the installed instance; -1 when none.
volatile sig_atomic_t writeEnd = -1;
} // namespace

SignalExit::SignalExit(QObject* parent) : QObject(parent) {
    if (writeEnd != -1 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, m_pipe) != 0)
        return;
    for (const int fd : m_pipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    m_notifier = new QSocketNotifier(m_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalExit::readSignal);
    writeEnd = m_pipe[0];

    struct sigaction action {};
    action.sa_handler = &SignalExit::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_installed = ::sigaction(SIGTERM, &action, &m_previousTerm) == 0 &&
                  ::sigaction(SIGINT, &action, &m_previousInt) == 0;
}

SignalExit::~SignalExit() {
    if (m_installed) {
        ::sigaction(SIGTERM, &m_previousTerm, nullptr);
        ::sigaction(SIGINT, &m_previousInt, nullptr);
    }
    if (m_pipe[0] >= 0) {
        writeEnd = -1;
        delete m_notifier;
        ::close(m_pipe[0]);
        ::close(m_pipe[1]);
    }
}

void SignalExit::handle(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    if (writeEnd >= 0)
        (void)!::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

void SignalExit::readSignal() {
    unsigned char byte = 0;
    while (::read(m_pipe[1], &byte, 1) == 1)
        emit exitRequested(byte);
}
