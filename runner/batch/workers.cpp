#include "runner/batch/workers.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "runner/batch/progress.h"
#include "world/world.h"

namespace runner {

bool OnEveryCore(size_t count, long long already, int jobs, bool quiet, const char* things,
                 const std::function<bool(size_t, std::string&)>& work, std::string& failure)
{
    std::atomic<size_t> next{0};
    std::atomic<long long> done{already};
    std::atomic<bool> failed{false};
    std::mutex lock;
    auto worker = [&]() {
        standin::OwnWorld world;
        for (size_t k; !failed && (k = next++) < count;) {
            std::string why;
            if (!work(k, why)) {
                std::lock_guard<std::mutex> guard(lock);
                if (!failed) {
                    failure = why;
                }
                failed = true;
                break;
            }
            ++done;
        }
    };
    jobs = jobs > 0 ? jobs : static_cast<int>(std::thread::hardware_concurrency());
    jobs = jobs > 0 ? jobs : 1;
    std::vector<std::thread> threads;
    threads.reserve(static_cast<size_t>(jobs));
    for (int j = 0; j < jobs; ++j) {
        threads.emplace_back(worker);
    }
    const long long total = already + static_cast<long long>(count);
    Progress progress(total, quiet, things);
    while (done < total && !failed) {
        progress.Show(done, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (std::thread& t : threads) {
        t.join();
    }
    if (!failed) {
        progress.Show(done, true);
    }
    return !failed;
}

}  // namespace runner
