#include "net/host_lookup.h"

#include <chrono>
#include <set>

namespace portlight {

namespace {

// How long closing waits for a running lookup before leaving it to finish by itself.
constexpr auto kStopWait = std::chrono::milliseconds(200);

}  // namespace

struct HostLookupWorker::Shared {
    Resolve resolve;
    std::function<void()> answered;
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finished;
    std::deque<std::pair<std::string, LookupAddress>> queue;
    std::set<std::string> inFlight;  // queued or being looked up
    std::map<std::string, std::string> cache;
    std::vector<HostAnswer> answers;
    bool stop = false;
    bool done = false;
};

HostLookupWorker::HostLookupWorker(Resolve resolve, std::function<void()> answered)
    : shared_(std::make_shared<Shared>()) {
    shared_->resolve = std::move(resolve);
    shared_->answered = std::move(answered);
    thread_ = std::thread(Run, shared_);
}

HostLookupWorker::~HostLookupWorker() {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->stop = true;
    shared_->queue.clear();
    shared_->wake.notify_all();
    const bool ended = shared_->finished.wait_for(lock, kStopWait, [&] { return shared_->done; });
    lock.unlock();
    if (ended)
        thread_.join();
    else
        thread_.detach();  // the thread holds its own reference to the shared state
}

void HostLookupWorker::Run(std::shared_ptr<Shared> shared) {
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->stop || !shared->queue.empty(); });
        if (shared->stop)
            break;
        auto [address, lookup] = std::move(shared->queue.front());
        shared->queue.pop_front();
        lock.unlock();
        std::string name = shared->resolve(lookup);
        lock.lock();
        shared->cache[address] = name;
        shared->inFlight.erase(address);
        if (shared->stop)
            break;
        shared->answers.push_back({address, std::move(name)});
        lock.unlock();
        if (shared->answered)
            shared->answered();
        lock.lock();
    }
    shared->done = true;
    shared->finished.notify_all();
}

std::optional<std::string> HostLookupWorker::Cached(const std::string& address) const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    auto it = shared_->cache.find(address);
    if (it == shared_->cache.end())
        return std::nullopt;
    return it->second;
}

void HostLookupWorker::Request(const std::string& address, const LookupAddress& lookup) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->stop || shared_->cache.count(address) || shared_->inFlight.count(address))
        return;
    shared_->inFlight.insert(address);
    shared_->queue.emplace_back(address, lookup);
    shared_->wake.notify_one();
}

void HostLookupWorker::DropQueued() {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    for (const auto& queued : shared_->queue)
        shared_->inFlight.erase(queued.first);
    shared_->queue.clear();
}

std::vector<HostAnswer> HostLookupWorker::TakeAnswers() {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    std::vector<HostAnswer> answers;
    answers.swap(shared_->answers);
    return answers;
}

std::string HostLineText(bool local, const std::string& name) {
    return (local ? "Local Host   : " : "Remote Host  : ") + name;
}

std::vector<HostLines::Update> HostLines::Begin(const std::vector<Entry>& entries,
                                                HostLookupWorker& worker) {
    waiting_.clear();
    worker.DropQueued();
    std::vector<Update> now;
    for (const Entry& entry : entries) {
        std::optional<LookupAddress> lookup = LookupAddressOf(entry.address);
        if (!lookup) {
            now.push_back({entry.line, HostLineText(entry.local, "")});
            continue;
        }
        if (std::optional<std::string> name = worker.Cached(entry.address)) {
            now.push_back({entry.line, HostLineText(entry.local, *name)});
            continue;
        }
        waiting_.emplace(entry.address, entry);
        worker.Request(entry.address, *lookup);
    }
    return now;
}

void HostLines::Clear(HostLookupWorker& worker) {
    waiting_.clear();
    worker.DropQueued();
}

std::vector<HostLines::Update> HostLines::Apply(const std::vector<HostAnswer>& answers) {
    std::vector<Update> updates;
    for (const HostAnswer& answer : answers) {
        auto [first, last] = waiting_.equal_range(answer.address);
        for (auto it = first; it != last; ++it)
            updates.push_back({it->second.line, HostLineText(it->second.local, answer.name)});
        waiting_.erase(first, last);
    }
    return updates;
}

}  // namespace portlight
