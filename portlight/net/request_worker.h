// Runs one network request at a time on its own thread, so the window's thread never waits
// on the network. The request's outcome goes to `deliver` on the worker thread (the bar
// posts it to a window). InFlight says whether a request is still running: the usage
// request is skipped while one is, and the feed download is not started twice.
//
// The worker's thread is never joined from the window's thread: a request that hangs until
// its time-out must not hold up the bar, nor its exit. The thread keeps the shared state it
// uses alive by itself, so the worker object may go first.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace portlight {

class RequestWorker {
  public:
    using Job = std::function<void()>;
    using StartThread = std::function<std::thread(std::function<void()> body)>;

    RequestWorker() = default;
    ~RequestWorker();
    RequestWorker(const RequestWorker&) = delete;
    RequestWorker& operator=(const RequestWorker&) = delete;

    // How the thread starts; tests make it fail.
    StartThread startThread = [](std::function<void()> body) {
        return std::thread(std::move(body));
    };

    // Starts `job` on a new thread; false (and `job` never runs) when a request is still in
    // flight or no thread could start. Exceptions from `job` end the request quietly.
    bool Start(Job job);
    bool InFlight() const { return state_->inFlight.load(); }

  private:
    struct State {
        std::atomic<bool> inFlight{false};
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace portlight
