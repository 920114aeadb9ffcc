#pragma once

// Lowers the scheduling priority of the calling thread a little (on Linux,
// nice +5 for this thread only), so that background work such as loading
// images gives way to the user-interface thread whenever that has something
// to do, instead of sharing the processors with it evenly. Does nothing
// where threads cannot be given a priority of their own.
void lowerCurrentThreadPriority();
