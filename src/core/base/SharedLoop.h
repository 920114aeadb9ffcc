#pragma once

#include <functional>

// Shares the items of a short loop between the calling thread and one helper
// thread kept waiting for such work, for answers wanted at once (the
// spectrum under the mouse) whose items are independent and far apart in
// memory: two threads keep twice as many memory accesses in flight.
//
// work(first, end) handles items [first, end); chunks of `chunk` items are
// taken in turn by whichever thread is free, so the result must not depend on
// which thread handles which item. The call returns once every item is done.
// When the helper is busy or the machine has one processor, the calling
// thread does all the work itself; a helper that starts late finds nothing
// left and touches nothing of the caller's.
void shareLoop(int items, int chunk, const std::function<void(int first, int end)>& work);
