#include "cab/parallel_folders.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "cab/folder_pipe.h"

namespace cab {
namespace {

// More threads than this would only add folders held in memory on common machines.
constexpr unsigned kMaxDecodeThreads = 16;
// Bytes held by folders decoded ahead of the one being handed out, over all of them.
constexpr size_t kAheadBudget = 64u << 20;

class JobRunner {
  public:
    JobRunner(const std::vector<FolderJob>& jobs, unsigned threads)
        : jobs_(jobs), window_(threads * 2), pipes_(jobs.size()) {
        const size_t capacity = kAheadBudget / window_;
        for (size_t i = 0; i < jobs.size(); ++i) {
            if (jobs[i].makeStream)
                pipes_[i] = std::make_unique<FolderPipe>(capacity, &pool_);
        }
        for (unsigned t = 0; t < threads; ++t)
            threads_.emplace_back([this] { Work(); });
    }

    ~JobRunner() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
            changed_.notify_all();
        }
        for (auto& pipe : pipes_) {
            if (pipe)
                pipe->Abandon();
        }
        for (std::thread& t : threads_)
            t.join();
    }

    bool Pass(size_t i, const FolderPass& pass) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            current_ = i;
            changed_.notify_all();
        }
        FolderPipe* pipe = pipes_[i].get();
        const bool goOn = pass(i, pipe);
        if (pipe)
            pipe->Abandon();  // frees its chunks; the thread may still be finishing
        return goOn;
    }

  private:
    // Takes pool jobs in order, never more than the window ahead of the current one: so the
    // job being handed out has always been started, and no thread waits on a full pipe that
    // nobody will read.
    void Work() {
        for (;;) {
            size_t i;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                for (;;) {
                    while (next_ < jobs_.size() && !pipes_[next_])
                        ++next_;
                    if (stop_ || next_ == jobs_.size())
                        return;
                    if (next_ < current_ + window_)
                        break;
                    changed_.wait(lock);
                }
                i = next_++;
            }
            Decode(jobs_[i], *pipes_[i]);
        }
    }

    // Decodes the folder's blocks straight into the pipe's chunks.
    static void Decode(const FolderJob& job, FolderPipe& pipe) {
        CabError error;
        try {
            std::unique_ptr<FolderStream> stream = job.makeStream();
            while (!error && stream->position() < job.end) {
                size_t room = 0;
                uint8_t* to = pipe.Room(&room);
                room = static_cast<size_t>(std::min<uint64_t>(room, job.end - stream->position()));
                size_t delivered = 0;
                error = stream->ReadInto(to, room, &delivered);
                if (!pipe.Commit(delivered))
                    break;  // abandoned
            }
        } catch (const std::exception&) {
            // Out of memory, in practice; nothing may escape the thread.
            error = MakeError(CabErrc::Io, "out of memory while decoding a folder");
        }
        pipe.Finish(error);
    }

    const std::vector<FolderJob>& jobs_;
    const size_t window_;
    ChunkPool pool_;  // outlives the pipes, which hand their chunks back when they end
    std::vector<std::unique_ptr<FolderPipe>> pipes_;
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t current_ = 0;
    size_t next_ = 0;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace

unsigned ResolveDecodeThreads(unsigned requested) {
    if (requested == 0)
        requested = std::thread::hardware_concurrency();
    return std::clamp(requested, 1u, kMaxDecodeThreads);
}

void RunFolderJobs(const std::vector<FolderJob>& jobs, unsigned threads, const FolderPass& pass) {
    threads = ResolveDecodeThreads(threads);
    const size_t pooled = static_cast<size_t>(
        std::count_if(jobs.begin(), jobs.end(), [](const FolderJob& j) { return !!j.makeStream; }));
    if (threads < 2 || pooled < 2) {
        for (size_t i = 0; i < jobs.size(); ++i) {
            if (!pass(i, nullptr))
                return;
        }
        return;
    }
    JobRunner runner(jobs, static_cast<unsigned>(std::min<size_t>(threads, pooled)));
    for (size_t i = 0; i < jobs.size(); ++i) {
        if (!runner.Pass(i, pass))
            return;
    }
}

}  // namespace cab
