#pragma once

// Work on a list of items by several threads, with the results handed on in
// the list's order.

#include <cstddef>
#include <functional>

namespace kestrane {

// Does item `index` of the batch; called on the thread that made it.
using BatchWork = std::function<void(std::size_t index)>;

// Runs the batch of `count` items on min(`jobs`, `count`) worker threads, or
// on the calling thread when that comes to one.
// Each worker calls `makeWorker` once, on its own thread, and does the items
// it takes with the function it got (so each can hold state of its own). On
// the calling thread `emit(index)` is called in index order, for each item as
// soon as it and all before it are done. Returns when every item is emitted.
// Work that throws counts as done; `emit` sees whatever the work left.
void RunOrderedBatch(std::size_t count, std::size_t jobs, const std::function<BatchWork()>& makeWorker,
                     const std::function<void(std::size_t index)>& emit);

}  // namespace kestrane
