#pragma once
// Work done on a pool of threads and handed back in the order it was given, each
// piece as soon as the pieces before it are handed back. At most `window` pieces
// are given and not yet taken back, so that what waits stays bounded however many
// pieces there are.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace kalvor {

template <class Work, class Result>
class OrderedPool {
public:
    // run is called on the pool's threads, several at once; it must not throw. One
    // thread is the caller's own: the work is done as it is given. A thread the
    // system will not start leaves the pool with those it has, or with the caller's
    // own when it has none: the work is done either way.
    OrderedPool(std::size_t threads, std::size_t window, std::function<Result(const Work&)> run,
                std::function<std::jthread(std::function<void()>)> start = startThread)
        : run_(std::move(run)), slots_(std::max<std::size_t>(window, 1)) {
        if (threads <= 1) return;
        try {
            for (std::size_t k = 0; k < threads; ++k) workers_.push_back(start([this] { serve(); }));
        } catch (const std::system_error&) {
        } catch (...) {
            stopWorkers();  // or those started would wait for ever
            throw;
        }
        if (workers_.size() == 1) stopWorkers();  // one thread of its own gains nothing
    }
    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;
    // Work not begun is dropped; work begun is finished first.
    ~OrderedPool() { stopWorkers(); }

    // The threads that do the work; 0: the caller's.
    std::size_t threads() const { return workers_.size(); }

    bool full() const { return given_ - taken_ >= slots_.size(); }
    bool idle() const { return given_ == taken_; }

    // Only when not full.
    void give(Work work) {
        if (workers_.empty()) {
            Result result = run_(work);
            slots_[given_++ % slots_.size()].emplace(std::move(work), std::move(result));
            return;
        }
        {
            const std::lock_guard lock(mutex_);
            queue_.emplace_back(given_++, std::move(work));
        }
        wake_.notify_one();
    }

    // The next piece in order with its result, waiting for it; only when not idle.
    std::pair<Work, Result> take() {
        std::unique_lock lock(mutex_);
        auto& slot = slots_[taken_ % slots_.size()];
        done_.wait(lock, [&] { return slot.has_value(); });
        std::pair<Work, Result> piece = std::move(*slot);
        slot.reset();
        ++taken_;
        return piece;
    }

private:
    static std::jthread startThread(std::function<void()> serve) { return std::jthread(std::move(serve)); }

    void stopWorkers() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
            queue_.clear();
        }
        wake_.notify_all();
        workers_.clear();
    }

    void serve() {
        for (;;) {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            auto [index, work] = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            Result result = run_(work);
            lock.lock();
            slots_[index % slots_.size()].emplace(std::move(work), std::move(result));
            lock.unlock();
            done_.notify_one();
        }
    }

    std::function<Result(const Work&)> run_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<std::pair<std::size_t, Work>> queue_;
    // Piece i waits in slot i % window until it is taken; pieces given are never more
    // than the slots ahead of those taken, so no two share a slot.
    std::vector<std::optional<std::pair<Work, Result>>> slots_;
    std::size_t given_ = 0, taken_ = 0;  // changed by the owner's thread only
    bool stopping_ = false;
    std::vector<std::jthread> workers_;  // last: joined before the rest goes
};

}  // namespace kalvor
