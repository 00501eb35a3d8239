#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

#include "cab/byte_io.h"
#include "cab/cab_reader.h"
#include "cab/cab_search.h"
#include "cab/mszip_ahead.h"
#include "cab/safe_name.h"
#include "tool/async_file_writer.h"
#include "tool/commands.h"
#include "tool/file_system.h"

namespace cabtool {
namespace {

std::string Directory(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

// Next cabinets are looked for beside the first one; names written on Windows may differ
// in case from the files on a case-sensitive disk.
cab::CabinetReader::Resolver NextCabinetResolver(const std::string& first) {
    std::string dir = Directory(first);
    return [dir](const std::string& cabinet, const std::string&) {
        std::unique_ptr<cab::ByteSource> source = cab::FileSource::Open(dir + cabinet);
        if (source)
            return source;
        for (const std::string& name : ListDirectory(dir.empty() ? "." : dir)) {
            if (Lower(name) == Lower(cabinet))
                return std::unique_ptr<cab::ByteSource>(cab::FileSource::Open(dir + name));
        }
        return std::unique_ptr<cab::ByteSource>();
    };
}

// Runs `command` on the cabinet `path` and, when that is not a cabinet at all and `search`
// is on, on every cabinet embedded in it. Returns the worst exit code.
int ForEachCabinet(const std::string& path,
                   bool search,
                   unsigned threads,
                   const std::function<int(cab::CabinetReader&, const std::string&)>& command) {
    std::unique_ptr<cab::FileSource> file = cab::FileSource::Open(path);
    if (!file) {
        ReportError("cannot open \"" + path + "\"");
        return kExitFailed;
    }
    cab::CabinetReader reader;
    reader.SetDecodeThreads(threads);
    // Decoding a lone MSZIP folder on two threads is still an experiment: on by request.
    reader.SetDecodeAhead(std::getenv("STEPWISE_CAB_DECODE_AHEAD") != nullptr);
    cab::CabError e = reader.Open(cab::FileSource::Open(path), path, NextCabinetResolver(path));
    if (!e)
        return command(reader, path);
    if (e.code != cab::CabErrc::NotACabinet || !search) {
        ReportError(path + ": " + e.message);
        return kExitFailed;
    }
    const int64_t size = cab::SourceSize(*file);
    std::vector<cab::EmbeddedCabinet> found;
    if (size > 0)
        found = cab::FindEmbeddedCabinets(*file, static_cast<uint64_t>(size));
    if (found.empty()) {
        ReportError(path + ": not a cabinet, and no cabinet is embedded in it");
        return kExitFailed;
    }
    int result = kExitOk;
    for (const cab::EmbeddedCabinet& at : found) {
        const std::string name = path + " at offset " + std::to_string(at.offset);
        // The slice borrows `file`, which outlives every reader opened here.
        if (cab::CabError error =
                reader.Open(std::make_unique<cab::SliceSource>(*file, at.offset, at.size), name,
                            NextCabinetResolver(path))) {
            ReportError(name + ": " + error.message);
            result = kExitFailed;
            continue;
        }
        result = std::max(result, command(reader, name));
    }
    return result;
}

std::string AttributeText(uint16_t a) {
    std::string s = "------";
    const char letters[] = "rhs-ax";
    const uint16_t bits[] = {0x01, 0x02, 0x04, 0, 0x20, 0x40};
    for (int i = 0; i < 6; ++i) {
        if (bits[i] && (a & bits[i]))
            s[i] = letters[i];
    }
    return s;
}

// Hands an extracted file's bytes to the writer thread.
class QueuedSink final : public cab::ByteSink {
  public:
    QueuedSink(AsyncFileWriter& writer, int id) : writer_(writer), id_(id) {}
    bool Write(const uint8_t* data, size_t size) override {
        writer_.Write(id_, data, size);
        return true;
    }
    int id() const { return id_; }

  private:
    AsyncFileWriter& writer_;
    int id_;
};

// A stored name as a path below `directory`, with '/' separators. The reader has already
// refused names that would leave the folder; this is a second line of defence.
bool Destination(const std::string& directory, const std::string& stored, std::string* path) {
    std::string relative;
    size_t start = 0;
    while (start <= stored.size()) {
        size_t end = stored.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = stored.size();
        std::string part = stored.substr(start, end - start);
        if (part == ".." || part.find(':') != std::string::npos)
            return false;
        if (!part.empty() && part != ".")
            relative += (relative.empty() ? "" : "/") + part;
        start = end + 1;
    }
    if (relative.empty())
        return false;
    *path = directory.empty() || directory == "." ? relative : directory + "/" + relative;
    return true;
}

int ListCabinet(cab::CabinetReader& reader, const std::string&) {
    for (const cab::CabinetEntry& c : reader.Cabinets()) {
        std::printf("Cabinet %s: set %u, number %u, %u bytes\n", c.displayName.c_str(), c.setId,
                    c.index + 1, c.size);
    }
    const std::vector<cab::FolderEntry>& folders = reader.Folders();
    for (size_t i = 0; i < folders.size(); ++i)
        std::printf("Folder %zu: %s, %u blocks\n", i, folders[i].MethodName().c_str(),
                    folders[i].blockCount);
    std::printf("%10s  %-19s  %-6s  %s\n", "Size", "Modified", "Attr", "Name");
    uint64_t total = 0;
    for (const cab::FileEntry& f : reader.Files()) {
        std::printf("%10u  %04u-%02u-%02u %02u:%02u:%02u  %s  %s\n", f.size,
                    ((f.date >> 9) & 0x7F) + 1980, (f.date >> 5) & 0x0F, f.date & 0x1F,
                    (f.time >> 11) & 0x1F, (f.time >> 5) & 0x3F, (f.time & 0x1F) * 2,
                    AttributeText(f.attributes).c_str(), f.name.c_str());
        total += f.size;
    }
    std::printf("%zu files, %llu bytes\n", reader.Files().size(),
                static_cast<unsigned long long>(total));
    return kExitOk;
}

int TestCabinet(cab::CabinetReader& reader, const std::string& cabinet) {
    size_t failures = 0;
    cab::CabError result = reader.Test([&](const cab::FileEntry& f, const cab::CabError& e) {
        if (e) {
            ++failures;
            ReportError(f.name + ": " + e.message);
        }
    });
    if (result && failures == 0)
        ReportError(cabinet + ": " + result.message);
    if (result || failures) {
        std::printf("%zu of %zu files failed\n", failures, reader.Files().size());
        return kExitFailed;
    }
    std::printf("%zu files OK\n", reader.Files().size());
    return kExitOk;
}

int ExtractCabinet(cab::CabinetReader& reader,
                   const std::string& cabinet,
                   const std::string& directory) {
    size_t failures = 0;
    AsyncFileWriter writer;
    // One sink per open file: files that share bytes are open at the same time.
    std::map<const cab::FileEntry*, QueuedSink> sinks;
    auto open = [&](const cab::FileEntry& f) -> cab::ByteSink* {
        std::string local, path;
        // The converted name is checked again: a conversion must not make a safe name unsafe.
        if (!LocalName(f.name, f.nameIsUtf8(), &local) ||
            !cab::CheckStoredName(local, false).empty() || !Destination(directory, local, &path)) {
            ++failures;
            ReportError("refusing unsafe name \"" + f.name + "\"");
            return nullptr;
        }
        return &sinks.try_emplace(&f, writer, writer.Open(path)).first->second;
    };
    auto done = [&](const cab::FileEntry& f, const cab::CabError& e) {
        if (e) {
            ++failures;
            ReportError(f.name + ": " + e.message);
        }
        auto it = sinks.find(&f);
        if (it != sinks.end()) {
            writer.Close(it->second.id(), !e, f.date, f.time, f.attributes);
            sinks.erase(it);
        }
    };
    cab::CabError result = reader.ExtractAll(open, done);
    for (const std::string& message : writer.Finish()) {
        ++failures;
        ReportError(message);
    }
    if (result && failures == 0)
        ReportError(cabinet + ": " + result.message);
    return result || failures ? kExitFailed : kExitOk;
}

// With STEPWISE_CAB_DECODE_AHEAD_COUNTS set, says on stderr how often MSZIP runs decoded ahead
// were used (a debugging aid for the benchmark).
int ReportDecodeAhead(int status) {
    if (std::getenv("STEPWISE_CAB_DECODE_AHEAD_COUNTS")) {
        const cab::DecodeAheadCounts c = cab::ReadDecodeAheadCounts();
        std::fprintf(stderr, "decode ahead: %llu runs used, %llu given up, %llu overtaken\n",
                     static_cast<unsigned long long>(c.used),
                     static_cast<unsigned long long>(c.gaveUp),
                     static_cast<unsigned long long>(c.overtaken));
    }
    return status;
}

}  // namespace

int RunList(const std::string& path, bool search) {
    return ForEachCabinet(path, search, 1, ListCabinet);
}

int RunTest(const std::string& path, bool search, unsigned threads) {
    return ReportDecodeAhead(ForEachCabinet(path, search, threads, TestCabinet));
}

int RunExtract(const std::string& path,
               const std::string& directory,
               bool search,
               unsigned threads) {
    return ReportDecodeAhead(
        ForEachCabinet(path, search, threads,
                       [&directory](cab::CabinetReader& reader, const std::string& cabinet) {
                           return ExtractCabinet(reader, cabinet, directory);
                       }));
}

}  // namespace cabtool
