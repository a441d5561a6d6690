#include "cli/ordered_batch.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrane {

void RunOrderedBatch(std::size_t count, std::size_t jobs, const std::function<BatchWork()>& makeWorker,
                     const std::function<void(std::size_t index)>& emit) {
    if (count == 0) return;
    if (jobs <= 1 || count == 1) {
        // One worker: do the items on this thread, each emitted as it is done.
        // A single parse then pays for no thread of its own (its start-up,
        // stack and malloc arena show in every one-address call).
        BatchWork work;
        try {
            work = makeWorker();
        } catch (...) {
            work = [](std::size_t) {};
        }
        for (std::size_t index = 0; index < count; ++index) {
            try {
                work(index);
            } catch (...) {
            }
            emit(index);
        }
        return;
    }
    std::mutex mutex;
    std::condition_variable doneChanged;
    std::vector<bool> done(count, false);
    std::size_t next = 0;  // the next item a worker takes; guarded by `mutex`

    const auto workerLoop = [&] {
        BatchWork work;
        try {
            work = makeWorker();
        } catch (...) {
            work = [](std::size_t) {};  // the items this worker takes are left as they are
        }
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
    for (std::size_t i = 0; i < threads; ++i) workers.emplace_back(workerLoop);
    for (std::size_t index = 0; index < count; ++index) {
        {
            std::unique_lock lock(mutex);
            doneChanged.wait(lock, [&] { return done[index]; });
        }
        emit(index);
    }
}

}  // namespace kestrane
