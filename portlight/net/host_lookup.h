// Reverse lookups off the user-interface thread. One worker thread takes addresses in the
// order they were asked for and keeps every answer (an empty name included) for the whole
// session, so a refreshed report never asks twice. HostLines ties the answers to the host
// lines of the report that is shown now; answers for a report that has been replaced or
// cleared are dropped.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/host_address.h"

namespace portlight {

struct HostAnswer {
    std::string address;  // the address text as the table holds it
    std::string name;     // empty when there is no answer
};

class HostLookupWorker {
  public:
    // `resolve` runs on the worker thread, one address at a time. `answered` also runs on the
    // worker thread after each answer; the bar posts itself a message from it.
    using Resolve = std::function<std::string(const LookupAddress&)>;
    HostLookupWorker(Resolve resolve, std::function<void()> answered);
    // Stops taking requests. A lookup still running after a short wait is left to finish on
    // its own thread (the resolver can block for seconds), so closing never hangs.
    ~HostLookupWorker();
    HostLookupWorker(const HostLookupWorker&) = delete;
    HostLookupWorker& operator=(const HostLookupWorker&) = delete;

    // The session's answer for `address`, if it has been looked up.
    std::optional<std::string> Cached(const std::string& address) const;
    // Queues a lookup unless the address is answered, queued or being looked up.
    void Request(const std::string& address, const LookupAddress& lookup);
    // Forgets queued lookups that have not started (their report is gone).
    void DropQueued();
    // Answers that arrived since the last call, in order.
    std::vector<HostAnswer> TakeAnswers();

  private:
    struct Shared;
    static void Run(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

// The report's host lines: which addresses the shown report still waits for and at which
// list positions their "Local Host" / "Remote Host" lines stand.
class HostLines {
  public:
    struct Update {
        int line = -1;
        std::string text;

        bool operator==(const Update&) const = default;
    };
    struct Entry {
        std::string address;
        int line = -1;
        bool local = true;
    };

    // A new report: its entries (local and remote address of each connection, skipping
    // connections whose local address is empty). Returns the lines known at once: cached
    // answers and addresses that are never looked up (they keep only their label); the rest
    // is requested from `worker`.
    std::vector<Update> Begin(const std::vector<Entry>& entries, HostLookupWorker& worker);
    // The report was replaced or cleared: every later answer is dropped and lookups that
    // have not started are forgotten.
    void Clear(HostLookupWorker& worker);
    // The lines that `answers` fill in the current report; answers it does not wait for are
    // dropped.
    std::vector<Update> Apply(const std::vector<HostAnswer>& answers);
    // True while the current report still waits for an answer.
    bool Pending() const { return !waiting_.empty(); }

  private:
    std::multimap<std::string, Entry> waiting_;
};

// The line text of a host line with its answer.
std::string HostLineText(bool local, const std::string& name);

}  // namespace portlight
