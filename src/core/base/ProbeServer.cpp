#include "base/ProbeServer.h"

#include <QElapsedTimer>
#include <QtGlobal>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/common_interface_defs.h>
#define ORV_PROBE_SANITIZED 1
#endif
#endif

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

bool readAll(int fd, void* to, std::size_t bytes)
{
    auto* p = static_cast<char*>(to);
    while (bytes > 0) {
        const ssize_t n = ::read(fd, p, bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        bytes -= std::size_t(n);
    }
    return true;
}

bool sendAll(int fd, const void* from, std::size_t bytes)
{
    const auto* p = static_cast<const char*>(from);
    while (bytes > 0) {
        // No SIGPIPE when the helper is gone: that is an answer, not an end.
        const ssize_t n = ::send(fd, p, bytes, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        bytes -= std::size_t(n);
    }
    return true;
}

[[noreturn]] void serve(int fd, ProbeServer::Handler handler)
{
    qInstallMessageHandler(quiet);
    // A crash here is expected now and then: it ends the helper at once,
    // past any handler this process had (a test framework's stack dump, a
    // sanitizer's report), and leaves no core file.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS})
        ::signal(sig, SIG_DFL);
    ::signal(SIGPIPE, SIG_IGN);
#ifdef ORV_PROBE_SANITIZED
    // A sanitizer's report here ends the helper, not a test run or a fuzzer
    // (whose callback would file the input as its own crash).
    __sanitizer_set_death_callback(nullptr);
#endif
    for (;;) {
        std::uint32_t size = 0;
        if (!readAll(fd, &size, sizeof size))
            ::_exit(0);
        QByteArray request(int(size), Qt::Uninitialized);
        if (!readAll(fd, request.data(), size))
            ::_exit(0);
        handler(request);
        const char done = 'k';
        if (!sendAll(fd, &done, 1))
            ::_exit(0);
    }
}

}

ProbeServer::ProbeServer(Handler handler) : m_handler(handler) {}

ProbeServer::~ProbeServer()
{
    const std::lock_guard<std::mutex> hold(m_lock);
    stopLocked(false);
}

void ProbeServer::start()
{
    const std::lock_guard<std::mutex> hold(m_lock);
    startLocked();
}

bool ProbeServer::startLocked()
{
    if (m_pid > 0)
        return true;
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return false;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (pid == 0) {
        ::close(fds[0]);
        serve(fds[1], m_handler);
    }
    ::close(fds[1]);
    m_socket = fds[0];
    m_pid = pid;
    return true;
}

void ProbeServer::stopLocked(bool kill)
{
    if (m_pid <= 0)
        return;
    // Closing our end ends a waiting helper; one that is stuck is killed.
    ::close(m_socket);
    m_socket = -1;
    if (kill)
        ::kill(pid_t(m_pid), SIGKILL);
    int status = 0;
    while (::waitpid(pid_t(m_pid), &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

ProbeServer::Outcome ProbeServer::run(const QByteArray& request, int timeLimitMs)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    if (!startLocked())
        return Outcome::Unavailable;
    const std::uint32_t size = std::uint32_t(request.size());
    if (!sendAll(m_socket, &size, sizeof size) || !sendAll(m_socket, request.constData(), size)) {
        // A helper that ended since the last request: make it again, once.
        stopLocked(true);
        if (!startLocked())
            return Outcome::Unavailable;
        if (!sendAll(m_socket, &size, sizeof size) || !sendAll(m_socket, request.constData(), size)) {
            stopLocked(true);
            return Outcome::Unavailable;
        }
    }
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const int left = timeLimitMs - int(clock.elapsed());
        pollfd p{m_socket, POLLIN, 0};
        const int r = left > 0 ? ::poll(&p, 1, left) : 0;
        if (r < 0 && errno == EINTR)
            continue;
        if (r == 0) {
            stopLocked(true);
            return Outcome::TimedOut;
        }
        char answer = 0;
        const ssize_t n = r > 0 ? ::read(m_socket, &answer, 1) : -1;
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 1 && answer == 'k')
            return Outcome::Survived;
        stopLocked(true);
        return Outcome::Crashed;
    }
}
