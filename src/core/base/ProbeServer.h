#pragma once

#include <QByteArray>
#include <mutex>

// Runs work that may crash in a helper process first. Some libraries the
// readers use (HDF5 above all) can crash on a damaged file, and nothing in
// this process can catch that: the helper meets the crash instead, and the
// caller does the same work itself only when the helper came through.
//
// The helper is a copy of this process made with fork() once, ideally early
// while the process is small (start()), and kept: a request then costs the
// work alone, not a copy of a process that may hold gigabytes. It reads
// requests (bytes the handler understands) one at a time; a helper that
// crashed is made again at the next request. It ends when this process
// closes its end (the destructor, or this process ending).
//
// The helper has one thread. A handler that waits for a lock some other
// thread held at the fork waits until the time limit (TimedOut) like one
// that loops: made at start-up, before other threads do any such work, the
// helper does not meet such a lock.
class ProbeServer
{
public:
    enum class Outcome {
        Survived,    // the handler returned in the helper
        Crashed,     // the helper died of a signal or ended during the request
        TimedOut,    // no answer within the limit; the helper is killed
        Unavailable  // no helper could be made (no memory, too many processes)
    };
    // Runs in the helper only, on each request.
    using Handler = void (*)(const QByteArray& request);

    explicit ProbeServer(Handler handler);
    ~ProbeServer();
    ProbeServer(const ProbeServer&) = delete;
    ProbeServer& operator=(const ProbeServer&) = delete;

    // Makes the helper now when there is none.
    void start();
    // The handler's run of `request` in the helper, given timeLimitMs.
    Outcome run(const QByteArray& request, int timeLimitMs);

private:
    bool startLocked();
    void stopLocked(bool kill);

    Handler m_handler;
    std::mutex m_lock;
    int m_socket = -1;
    long m_pid = -1;
};
