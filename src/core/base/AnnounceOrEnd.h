#pragma once

#include "base/Log.h"

#include <QThread>
#include <cstdio>
#include <new>

// Sends a signal someone waits for (the end of a run or of a load).
// Memory short for a moment (the queued call) delays it instead of losing
// it; memory short for seconds does not come back by waiting, since the
// sender may be the main thread that nothing else frees memory for, so the
// program ends with a message rather than hang. what: "the end of the run".
template <class Announce>
void announceOrEnd(const char* what, Announce announce)
{
    constexpr int attempts = 250; // 20 ms apart: 5 s
    for (int attempt = 0; attempt < attempts; ++attempt) {
        try {
            announce();
            return;
        } catch (const std::bad_alloc&) {
            if (attempt == 0) {
                char text[120];
                std::snprintf(text, sizeof text, "Not enough memory to announce %s; trying again", what);
                warnNoMemory(text);
            }
            QThread::msleep(20);
        }
    }
    char text[120];
    std::snprintf(text, sizeof text, "Not enough memory to announce %s", what);
    endForWantOfMemory(text);
}
