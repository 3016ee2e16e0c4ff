#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Does tasks on worker threads and gives their results back in the order the tasks were given.
// The caller bounds the memory by the number of tasks it gives before it takes results. With no
// worker threads each task is done on the caller's thread when its result is taken, so one job
// and many do exactly the same work.
template <typename Task, typename Result>
class OrderedWorkers {
public:
    OrderedWorkers(int threads, std::function<Result(Task&)> work) : work_(std::move(work)) {
        for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { serve(); });
    }
    // Tasks not started are dropped; those started are finished first.
    ~OrderedWorkers() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            waiting_.clear();
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) thread.join();
    }
    OrderedWorkers(const OrderedWorkers&) = delete;
    OrderedWorkers& operator=(const OrderedWorkers&) = delete;

    void submit(Task task) {
        auto slot = std::make_unique<Slot>();
        slot->task = std::move(task);
        std::lock_guard lock(mutex_);
        if (!threads_.empty()) waiting_.push_back(slot.get());
        given_.push_back(std::move(slot));
        wake_.notify_one();
    }

    // Tasks given whose results have not been taken.
    std::size_t outstanding() const {
        std::lock_guard lock(mutex_);
        return given_.size();
    }

    // The result of the oldest task whose result has not been taken, once it is done; what its work
    // threw is thrown here.
    Result takeNext() {
        std::unique_ptr<Slot> slot;
        {
            std::unique_lock lock(mutex_);
            if (threads_.empty()) {
                slot = std::move(given_.front());
                given_.pop_front();
            } else {
                done_.wait(lock, [this] { return given_.front()->done; });
                slot = std::move(given_.front());
                given_.pop_front();
            }
        }
        if (threads_.empty()) run(*slot);
        if (slot->error) std::rethrow_exception(slot->error);
        return std::move(*slot->result);
    }

private:
    struct Slot {
        Task task;
        std::optional<Result> result;
        std::exception_ptr error;
        bool done = false;
    };

    void run(Slot& slot) {
        try {
            slot.result.emplace(work_(slot.task));
        } catch (...) {
            slot.error = std::current_exception();
        }
        slot.task = Task();  // its memory is not needed any more
    }

    void serve() {
        for (;;) {
            Slot* slot = nullptr;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
                if (stopping_) return;
                slot = waiting_.front();
                waiting_.pop_front();
            }
            run(*slot);
            {
                std::lock_guard lock(mutex_);
                slot->done = true;
            }
            done_.notify_all();
        }
    }

    std::function<Result(Task&)> work_;
    std::vector<std::thread> threads_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<std::unique_ptr<Slot>> given_;  // in the order given, until taken
    std::deque<Slot*> waiting_;                // not started yet
    bool stopping_ = false;
};
