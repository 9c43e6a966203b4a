#include "runner/batch/workers.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "runner/batch/progress.h"
#include "runner/program/exit_codes.h"
#include "world/world.h"

namespace runner {

int OnEveryCore(size_t count, long long already, const BatchOptions& how,
                const std::function<bool(size_t, std::string&)>& work, std::string& failure)
{
    const long long total = already + static_cast<long long>(count);
    auto stopped = [&how]() { return how.stop != nullptr && how.stop->load(std::memory_order_relaxed); };
    std::atomic<size_t> next{0};
    std::atomic<long long> done{already};
    std::atomic<bool> failed{false};
    std::mutex lock;
    std::condition_variable ended;
    int jobs = how.jobs > 0 ? how.jobs : static_cast<int>(std::thread::hardware_concurrency());
    jobs = jobs > 0 ? jobs : 1;
    int running = jobs;
    auto worker = [&]() {
        {
            standin::OwnWorld world;
            for (size_t k; !failed && !stopped() && (k = next++) < count;) {
                std::string why;
                if (!work(k, why)) {
                    std::lock_guard<std::mutex> guard(lock);
                    if (!failed) {
                        failure = why;
                    }
                    failed = true;
                    break;
                }
                const long long now = ++done;
                if (how.progress) {
                    how.progress(now, total);
                }
            }
        }
        std::lock_guard<std::mutex> guard(lock);
        --running;
        ended.notify_all();
    };
    if (how.progress) {
        how.progress(already, total);
    }
    std::vector<std::thread> threads;
    threads.reserve(static_cast<size_t>(jobs));
    for (int j = 0; j < jobs; ++j) {
        threads.emplace_back(worker);
    }
    Progress progress(total, how.quiet, how.things);
    {
        // Woken as soon as the last thread ends, so that a stop is not kept waiting for the next show.
        std::unique_lock<std::mutex> guard(lock);
        while (done < total && !failed && running > 0) {
            guard.unlock();
            progress.Show(done, false);
            guard.lock();
            ended.wait_for(guard, std::chrono::milliseconds(100), [&running]() { return running == 0; });
        }
    }
    for (std::thread& t : threads) {
        t.join();
    }
    if (stopped() && done < total) {
        failure = "interrupted";
        return EXIT_INTERRUPTED;
    }
    if (!failed) {
        progress.Show(done, true);
    }
    return failed ? EXIT_SCENARIO : EXIT_OK;
}

}  // namespace runner
