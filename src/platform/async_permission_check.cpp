#include "platform/async_permission_check.hpp"

#include "platform/alternate_signal_stack.hpp"

#include <condition_variable>
#include <mutex>

namespace clicktrove::platform {

struct AsyncPermissionCheck::State {
    State(std::shared_ptr<InputPermission> p, MainQueue& q, const Clock& c)
        : permission(std::move(p)), mainQueue(q), clock(c) {}

    const std::shared_ptr<InputPermission> permission;
    MainQueue& mainQueue;
    const Clock& clock;

    // Shared with the worker, under mutex.
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable done;
    bool pending = false;
    bool busy = false;
    bool stopping = false;
    bool timeoutReported = false;
    std::uint64_t completed = 0;
    // Orders answers: each finished check and each timeout takes the next number.
    std::uint64_t nextSequence = 1;
    std::uint64_t lastSequence = 0;
    bool lastAnswer = false;
    std::chrono::steady_clock::time_point busySince;

    // Main thread only.
    bool alive = true;
    Listener listener;
    std::uint64_t handedOut = 0;

    // Main thread. Hands an answer to the listener unless a newer one was handed out already.
    void deliver(std::uint64_t sequence, bool answer) {
        if (!alive || sequence <= handedOut) return;
        handedOut = sequence;
        if (listener) listener(answer);
    }
};

AsyncPermissionCheck::AsyncPermissionCheck(std::shared_ptr<InputPermission> permission, MainQueue& mainQueue,
                                           const Clock& clock, std::chrono::milliseconds answerTimeout)
    : state_(std::make_shared<State>(std::move(permission), mainQueue, clock)),
      clock_(clock),
      answerTimeout_(answerTimeout),
      worker_(&AsyncPermissionCheck::run, state_) {}

AsyncPermissionCheck::~AsyncPermissionCheck() {
    bool stuck = false;
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        stuck = state_->busy;
        state_->alive = false;
        state_->listener = nullptr;
    }
    state_->wake.notify_all();
    // A worker blocked in a check that never returns cannot be joined; it owns its state and exits on its own
    // if the check ever comes back.
    if (stuck) {
        worker_.detach();
    } else {
        worker_.join();
    }
}

void AsyncPermissionCheck::run(std::shared_ptr<State> state) {
    useAlternateSignalStack();
    std::unique_lock lock(state->mutex);
    for (;;) {
        state->wake.wait(lock, [&] { return state->pending || state->stopping; });
        if (state->stopping) return;
        state->pending = false;
        state->busy = true;
        state->busySince = state->clock.monotonicNow();
        lock.unlock();
        const bool answer = state->permission->inputMayBePosted();
        lock.lock();
        state->busy = false;
        state->timeoutReported = false;
        ++state->completed;
        const std::uint64_t sequence = state->nextSequence++;
        state->lastSequence = sequence;
        state->lastAnswer = answer;
        state->done.notify_all();
        if (state->stopping) return;
        // Posted under the lock: once the destructor has set stopping, nothing reaches the main queue.
        std::weak_ptr<State> weak = state;
        state->mainQueue.post([weak, sequence, answer] {
            if (const auto s = weak.lock()) s->deliver(sequence, answer);
        });
    }
}

void AsyncPermissionCheck::setListener(Listener listener) {
    state_->listener = std::move(listener);
}

void AsyncPermissionCheck::request() {
    std::uint64_t timeoutSequence = 0;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->busy) {
            if (!state_->timeoutReported && clock_.monotonicNow() - state_->busySince > answerTimeout_) {
                state_->timeoutReported = true;
                timeoutSequence = state_->nextSequence++;
            }
        } else {
            state_->pending = true;
        }
    }
    state_->wake.notify_one();
    if (timeoutSequence != 0) state_->deliver(timeoutSequence, false);
}

std::optional<bool> AsyncPermissionCheck::checkNow(std::chrono::milliseconds wait) {
    std::unique_lock lock(state_->mutex);
    if (state_->busy && clock_.monotonicNow() - state_->busySince > answerTimeout_) return std::nullopt;
    // A check already under way may have begun before what the caller wants to see; wait for a fresh one.
    const std::uint64_t target = state_->completed + (state_->busy ? 2 : 1);
    state_->pending = true;
    state_->wake.notify_one();
    if (!state_->done.wait_for(lock, wait, [&] { return state_->completed >= target; })) {
        return std::nullopt;
    }
    const std::uint64_t sequence = state_->lastSequence;
    const bool answer = state_->lastAnswer;
    lock.unlock();
    if (sequence <= state_->handedOut) return std::nullopt;
    state_->handedOut = sequence;
    return answer;
}

}  // namespace clicktrove::platform
