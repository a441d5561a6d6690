#include "cli/ordered_batch.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace kestrane {

namespace {

BatchWork MakeWorkOrNothing(const std::function<BatchWork()>& makeWorker) {
    try {
        return makeWorker();
    } catch (...) {
        return [](std::size_t) {};  // the items this worker takes are left as they are
    }
}

void RunOnThisThread(std::size_t count, const std::function<BatchWork()>& makeWorker,
                     const std::function<void(std::size_t index)>& emit) {
    const BatchWork work = MakeWorkOrNothing(makeWorker);
    for (std::size_t index = 0; index < count; ++index) {
        try {
            work(index);
        } catch (...) {
        }
        emit(index);
    }
}

}  // namespace

void RunOrderedBatch(std::size_t count, std::size_t jobs, const std::function<BatchWork()>& makeWorker,
                     const std::function<void(std::size_t index)>& emit) {
    if (count == 0) return;
    // One worker: the items are done on this thread. A single parse then pays
    // for no thread of its own (its start-up, stack and malloc arena show in
    // every one-address call).
    if (jobs <= 1 || count == 1) return RunOnThisThread(count, makeWorker, emit);
    std::mutex mutex;
    std::condition_variable doneChanged;
    std::vector<bool> done(count, false);
    std::size_t next = 0;  // the next item a worker takes; guarded by `mutex`

    const auto workerLoop = [&] {
        const BatchWork work = MakeWorkOrNothing(makeWorker);
        for (;;) {
            std::size_t index;
            {
                std::lock_guard lock(mutex);
                if (next == count) return;
                index = next++;
            }
            try {
                work(index);
            } catch (...) {
            }
            {
                std::lock_guard lock(mutex);
                done[index] = true;
            }
            doneChanged.notify_one();
        }
    };

    std::vector<std::jthread> workers;
    const std::size_t threads = std::clamp<std::size_t>(jobs, 1, count);
    workers.reserve(threads);
    for (std::size_t i = 0; i < threads; ++i) {
        try {
            workers.emplace_back(workerLoop);
        } catch (const std::system_error&) {
            break;  // out of threads (a process limit): go on with those already running
        }
    }
    if (workers.empty()) return RunOnThisThread(count, makeWorker, emit);
    for (std::size_t index = 0; index < count; ++index) {
        {
            std::unique_lock lock(mutex);
            doneChanged.wait(lock, [&] { return done[index]; });
        }
        emit(index);
    }
}

}  // namespace kestrane
