#pragma once

#include <exception>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

// Runs work(t) for t = 0 .. threads-1 at once: t = 0 on the calling thread,
// the others on threads of their own, and returns when all have finished.
// The work shares its items out itself (an atomic counter or its index t).
// When no more threads can be had (address space or process limits), the
// work of the missing ones runs on the calling thread. An exception of any
// work (std::bad_alloc) reaches the caller once every thread has ended.
template <class Work>
void runOnThreads(int threads, Work work)
{
    std::vector<std::thread> pool;
    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(threads > 0 ? threads : 1));
    const auto guarded = [&work, &errors](int t) {
        try {
            work(t);
        } catch (...) {
            errors[static_cast<std::size_t>(t)] = std::current_exception();
        }
    };
    // A thread that cannot be had (std::system_error) or whose start needs
    // memory there is none of (std::bad_alloc) leaves its work here: an
    // exception past this point would end the program with threads running.
    int started = 1;
    try {
        pool.reserve(static_cast<std::size_t>(threads > 1 ? threads - 1 : 0));
        for (; started < threads; ++started)
            pool.emplace_back(guarded, started);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    for (int t = started; t < threads; ++t)
        guarded(t);
    guarded(0);
    for (std::thread& t : pool)
        t.join();
    for (const std::exception_ptr& e : errors)
        if (e)
            std::rethrow_exception(e);
}
