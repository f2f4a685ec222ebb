#include "platform/timer_table.hpp"

#include <algorithm>

namespace clicktrove::platform {

class TimerTable::Handle final : public OneShotTimer {
public:
    Handle(TimerTable& table, std::shared_ptr<Entry> entry) : table_(table), entry_(std::move(entry)) {}
    ~Handle() override { cancel(); }

    void schedule(Deadline deadline) override {
        {
            std::lock_guard lock(table_.mutex_);
            if (entry_->cancelled) return;
            entry_->deadline = deadline;
        }
        wake();
    }
    void suspend() override {
        std::lock_guard lock(table_.mutex_);
        ++entry_->suspendCount;
    }
    void resume() override {
        {
            std::lock_guard lock(table_.mutex_);
            if (entry_->suspendCount > 0) --entry_->suspendCount;
        }
        wake();
    }
    void cancel() override {
        std::lock_guard lock(table_.mutex_);
        if (entry_->cancelled) return;
        entry_->cancelled = true;
        entry_->deadline.reset();
        auto& entries = table_.entries_;
        entries.erase(std::remove(entries.begin(), entries.end(), entry_), entries.end());
    }
    bool isPending() const override {
        std::lock_guard lock(table_.mutex_);
        return entry_->deadline.has_value();
    }

private:
    void wake() const {
        if (table_.wake_) table_.wake_();
    }

    TimerTable& table_;
    std::shared_ptr<Entry> entry_;
};

TimerTable::TimerTable(std::mutex& mutex, std::function<void()> wake) : mutex_(mutex), wake_(std::move(wake)) {}

std::unique_ptr<OneShotTimer> TimerTable::createTimer(WorkQueue::Task handler) {
    auto entry = std::make_shared<Entry>();
    entry->handler = std::move(handler);
    {
        std::lock_guard lock(mutex_);
        entries_.push_back(entry);
    }
    return std::make_unique<Handle>(*this, std::move(entry));
}

std::shared_ptr<TimerTable::Entry> TimerTable::nextDueLocked(OneShotTimer::Deadline limit) const {
    std::shared_ptr<Entry> next;
    for (const auto& e : entries_) {
        if (e->deadline && e->suspendCount == 0 && *e->deadline <= limit && (!next || *e->deadline < *next->deadline)) {
            next = e;
        }
    }
    return next;
}

}  // namespace clicktrove::platform
