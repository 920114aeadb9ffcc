#pragma once

#include <thread>
#include <vector>

// Runs work(t) for t = 0 .. threads-1 at once: t = 0 on the calling thread,
// the others on threads of their own, and returns when all have finished.
// The work shares its items out itself (an atomic counter or its index t).
template <class Work>
void runOnThreads(int threads, Work work)
{
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back([&work, t] { work(t); });
    work(0);
    for (std::thread& t : pool)
        t.join();
}
