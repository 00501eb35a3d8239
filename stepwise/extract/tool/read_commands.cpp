#include <cstdio>
#include <map>
#include <memory>

#include "cab/byte_io.h"
#include "cab/cab_reader.h"
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

bool OpenChain(cab::CabinetReader& reader, const std::string& path) {
    std::unique_ptr<cab::ByteSource> source = cab::FileSource::Open(path);
    if (!source) {
        ReportError("cannot open \"" + path + "\"");
        return false;
    }
    if (cab::CabError e = reader.Open(std::move(source), path, NextCabinetResolver(path))) {
        ReportError(path + ": " + e.message);
        return false;
    }
    return true;
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

}  // namespace

int RunList(const std::string& cabinet) {
    cab::CabinetReader reader;
    if (!OpenChain(reader, cabinet))
        return kExitFailed;
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

int RunTest(const std::string& cabinet) {
    cab::CabinetReader reader;
    if (!OpenChain(reader, cabinet))
        return kExitFailed;
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

int RunExtract(const std::string& cabinet, const std::string& directory) {
    cab::CabinetReader reader;
    if (!OpenChain(reader, cabinet))
        return kExitFailed;
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

}  // namespace cabtool
