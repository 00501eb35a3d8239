#include "cab/folder_pass.h"

#include <algorithm>

namespace cab {
namespace {

struct Active {
    size_t id;
    uint64_t end;
    ByteSink* sink;
    bool sinkOk;
};

// Hands each decoded piece to every file open at that point.
class FanOutSink final : public ByteSink {
  public:
    explicit FanOutSink(std::vector<Active>& active) : active_(active) {}
    bool Write(const uint8_t* data, size_t size) override {
        for (Active& a : active_) {
            if (a.sinkOk)
                a.sinkOk = a.sink->Write(data, size);
        }
        return true;
    }

  private:
    std::vector<Active>& active_;
};

CabError Finish(const Active& a, const PassDone& done) {
    if (a.sinkOk)
        return done(a.id, {});
    return done(a.id, MakeError(CabErrc::WriteFailed, "the file could not be written"));
}

}  // namespace

CabError DecodeFolderOnce(FolderBytes& stream,
                          std::vector<PassFile> files,
                          const PassOpen& open,
                          const PassDone& done) {
    std::stable_sort(files.begin(), files.end(),
                     [](const PassFile& a, const PassFile& b) { return a.offset < b.offset; });
    std::vector<Active> active;
    FanOutSink fanOut(active);
    size_t next = 0;
    // Every file not finished yet gets `error`; the first error a callback returns wins.
    auto failRest = [&](const CabError& error) {
        CabError first = error;
        for (const Active& a : active) {
            CabError e = done(a.id, error);
            (void)e;  // the pass stops anyway
        }
        active.clear();
        for (; next < files.size(); ++next) {
            CabError e = done(files[next].id, error);
            (void)e;
        }
        return first;
    };
    while (next < files.size() || !active.empty()) {
        if (active.empty() && files[next].offset > stream.position()) {
            if (CabError e = stream.Skip(files[next].offset - stream.position()))
                return failRest(e);
        }
        // Open every file that starts here; empty ones are finished at once.
        while (next < files.size() && files[next].offset <= stream.position()) {
            const PassFile& f = files[next++];
            ByteSink* sink = nullptr;
            if (CabError e = open(f.id, &sink))
                return failRest(e);
            if (!sink)
                continue;
            Active a{f.id, f.offset + f.size, sink, true};
            if (f.size == 0) {
                if (CabError e = Finish(a, done))
                    return failRest(e);
                continue;
            }
            active.push_back(a);
        }
        if (active.empty())
            continue;
        // Decode up to the nearest end of an open file or start of the next one.
        uint64_t until = active.front().end;
        for (const Active& a : active)
            until = std::min(until, a.end);
        if (next < files.size())
            until = std::min(until, files[next].offset);
        bool unused = true;
        if (CabError e = stream.ReadTo(&fanOut, until - stream.position(), &unused))
            return failRest(e);
        for (size_t i = 0; i < active.size();) {
            if (active[i].end != stream.position()) {
                ++i;
                continue;
            }
            const Active finished = active[i];
            active.erase(active.begin() + static_cast<std::ptrdiff_t>(i));
            if (CabError e = Finish(finished, done))
                return failRest(e);
        }
    }
    return {};
}

}  // namespace cab
