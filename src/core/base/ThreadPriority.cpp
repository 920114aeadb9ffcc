#include "base/ThreadPriority.h"

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

void lowerCurrentThreadPriority()
{
#ifdef __linux__
    // On Linux a nice value set for a thread id applies to that thread alone.
    const pid_t tid = pid_t(syscall(SYS_gettid));
    const int current = getpriority(PRIO_PROCESS, id_t(tid));
    setpriority(PRIO_PROCESS, id_t(tid), current + 5 < 19 ? current + 5 : 19);
#endif
}
