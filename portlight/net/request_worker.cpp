#include "net/request_worker.h"

namespace portlight {

RequestWorker::~RequestWorker() = default;

bool RequestWorker::Start(Job job) {
    bool expected = false;
    if (!state_->inFlight.compare_exchange_strong(expected, true))
        return false;
    std::shared_ptr<State> state = state_;
    try {
        std::thread thread = startThread([state, job = std::move(job)] {
            // Nothing may leave the worker: an exception here would end the program.
            try {
                job();
            } catch (...) {
            }
            state->inFlight = false;
        });
        thread.detach();
    } catch (...) {
        state_->inFlight = false;
        return false;
    }
    return true;
}

}  // namespace portlight
