#include "cab/cab_reader.h"

#include <algorithm>

#include "cab/cab_format.h"
#include "cab/cab_parser.h"
#include "cab/folder_pass.h"
#include "cab/folder_stream.h"
#include "cab/parallel_folders.h"
#include "cab/safe_name.h"

namespace cab {
namespace {

CabinetEntry ToEntry(const Cabinet& cab, const std::string& displayName) {
    CabinetEntry e;
    e.displayName = displayName;
    e.size = cab.size;
    e.setId = cab.setId;
    e.index = cab.index;
    e.flags = cab.flags;
    e.prevCabinet = cab.prevCabinet;
    e.prevDisk = cab.prevDisk;
    e.nextCabinet = cab.nextCabinet;
    e.nextDisk = cab.nextDisk;
    e.headerReserve = cab.headerReserve;
    e.folderReserveSize = cab.folderReserveSize;
    e.dataReserveSize = cab.dataReserveSize;
    return e;
}

CabError InCabinet(CabError e, const std::string& name) {
    if (e && !name.empty())
        e.message = name + ": " + e.message;
    return e;
}

}  // namespace

std::string FolderEntry::MethodName() const {
    return cab::MethodName(compression);
}

const char* CabErrcName(CabErrc code) {
    switch (code) {
        case CabErrc::Ok:
            return "no error";
        case CabErrc::Io:
            return "read error";
        case CabErrc::NotACabinet:
            return "not a cabinet";
        case CabErrc::UnsupportedVersion:
            return "unsupported cabinet version";
        case CabErrc::Corrupt:
            return "corrupt cabinet";
        case CabErrc::Checksum:
            return "bad checksum";
        case CabErrc::UnsupportedMethod:
            return "unsupported compression";
        case CabErrc::DecodeFailed:
            return "bad compressed data";
        case CabErrc::UnsafeName:
            return "unsafe file name";
        case CabErrc::MissingCabinet:
            return "missing cabinet";
        case CabErrc::WrongCabinet:
            return "wrong cabinet";
        case CabErrc::WriteFailed:
            return "write failed";
        case CabErrc::Aborted:
            return "aborted";
    }
    return "unknown error";
}

struct CabinetReader::Impl {
    std::vector<std::unique_ptr<ByteSource>> sources;
    std::vector<std::unique_ptr<Cabinet>> parsed;
    std::vector<CabinetEntry> cabinets;
    std::vector<FolderEntry> folders;
    std::vector<FileEntry> files;
    // Per chain folder: the (cabinet, folder) parts it is made of, in order.
    std::vector<std::vector<std::pair<int, int>>> segments;

    CabError OpenChain(std::unique_ptr<ByteSource> source,
                       const std::string& name,
                       const Resolver& resolver);
    CabError CheckNames() const;
    void BuildFolders();
    void BuildFiles();
    std::unique_ptr<FolderStream> OpenFolder(int folder);
    CabError ReadFileTo(FolderStream& stream, const FileEntry& file, ByteSink* sink);
};

CabError CabinetReader::Impl::OpenChain(std::unique_ptr<ByteSource> source,
                                        const std::string& name,
                                        const Resolver& resolver) {
    if (!source)
        return MakeError(CabErrc::MissingCabinet, "cabinet \"" + name + "\" could not be opened");
    std::string current = name;
    for (;;) {
        auto cab = std::make_unique<Cabinet>();
        if (CabError e = ParseCabinet(*source, cab.get()))
            return InCabinet(e, current);
        if (!parsed.empty() && !IsNextInSet(*parsed.back(), *cab))
            return MakeError(CabErrc::WrongCabinet, "\"" + current + "\" does not follow \"" +
                                                        cabinets.back().displayName +
                                                        "\" in its cabinet set");
        cabinets.push_back(ToEntry(*cab, current));
        sources.push_back(std::move(source));
        parsed.push_back(std::move(cab));
        const Cabinet& last = *parsed.back();
        if (!resolver || !last.HasNext())
            return {};
        if (parsed.size() >= kMaxChainLength)
            return MakeError(CabErrc::Corrupt, "cabinet chain longer than " +
                                                   std::to_string(kMaxChainLength) +
                                                   " cabinets (a loop of names?)");
        current = last.nextCabinet;
        // The name comes from untrusted bytes: it may only name a file beside this one.
        std::string why = CheckCabinetFileName(last.nextCabinet);
        if (!why.empty())
            return InCabinet(MakeError(CabErrc::UnsafeName, "next " + why),
                             cabinets.back().displayName);
        source = resolver(last.nextCabinet, last.nextDisk);
        if (!source)
            return MakeError(CabErrc::MissingCabinet, "next cabinet \"" + last.nextCabinet +
                                                          "\" (disk \"" + last.nextDisk +
                                                          "\") not found");
    }
}

CabError CabinetReader::Impl::CheckNames() const {
    for (size_t k = 0; k < parsed.size(); ++k) {
        for (const CabFile& f : parsed[k]->files) {
            std::string why = CheckStoredName(f.name, (f.attributes & kAttributeNameIsUtf8) != 0);
            if (!why.empty())
                return InCabinet(MakeError(CabErrc::UnsafeName, why), cabinets[k].displayName);
        }
    }
    return {};
}

void CabinetReader::Impl::BuildFolders() {
    for (size_t k = 0; k < parsed.size(); ++k) {
        const Cabinet& cab = *parsed[k];
        const bool merged = k > 0 && JoinsFolders(*parsed[k - 1], cab);
        for (size_t j = 0; j < cab.folders.size(); ++j) {
            if (j == 0 && merged && !folders.empty()) {
                FolderEntry& f = folders.back();
                f.blockCount += cab.folders[0].blockCount;
                ++f.cabinetCount;
                segments.back().emplace_back(static_cast<int>(k), 0);
                continue;
            }
            FolderEntry f;
            f.compression = cab.folders[j].compression;
            f.blockCount = cab.folders[j].blockCount;
            f.firstCabinet = static_cast<int>(k);
            folders.push_back(f);
            segments.push_back({{static_cast<int>(k), static_cast<int>(j)}});
        }
    }
}

void CabinetReader::Impl::BuildFiles() {
    // Chain folder index of each cabinet's folder 0.
    std::vector<int> firstFolder(parsed.size());
    for (size_t f = 0; f < segments.size(); ++f) {
        for (auto [k, j] : segments[f]) {
            if (j == 0)
                firstFolder[k] = static_cast<int>(f);
        }
    }
    for (size_t k = 0; k < parsed.size(); ++k) {
        const Cabinet& cab = *parsed[k];
        for (const CabFile& f : cab.files) {
            const ChainFileRole role = RoleInChain(cab, k, f);
            if (role == ChainFileRole::ListedEarlier)
                continue;
            FileEntry e;
            e.name = f.name;
            e.size = f.size;
            e.folderOffset = f.folderOffset;
            e.cabinet = static_cast<int>(k);
            e.date = f.date;
            e.time = f.time;
            e.attributes = f.attributes;
            e.continuedFromPrev = f.ContinuedFromPrev();
            e.continuedToNext = f.ContinuedToNext();
            e.folder =
                role == ChainFileRole::NeedsEarlierCabinet ? -1 : firstFolder[k] + cab.FolderOf(f);
            files.push_back(std::move(e));
        }
    }
}

std::unique_ptr<FolderStream> CabinetReader::Impl::OpenFolder(int folder) {
    const auto& parts = segments[folder];
    auto segmentAt = [this, &parts](size_t i) {
        FolderStream::Segment s;
        s.source = sources[parts[i].first].get();
        s.cabinet = parsed[parts[i].first].get();
        s.folder = parts[i].second;
        return s;
    };
    auto nextIndex = std::make_shared<size_t>(1);
    const int lastCabinet = parts.back().first;
    auto next = [this, segmentAt, nextIndex, &parts, lastCabinet](FolderStream::Segment* out) {
        if (*nextIndex < parts.size()) {
            *out = segmentAt((*nextIndex)++);
            return CabError{};
        }
        const Cabinet& cab = *parsed[lastCabinet];
        return MakeError(CabErrc::MissingCabinet, "the folder continues in \"" + cab.nextCabinet +
                                                      "\", which was not opened");
    };
    return std::make_unique<FolderStream>(segmentAt(0), next);
}

CabError CabinetReader::Impl::ReadFileTo(FolderStream& stream,
                                         const FileEntry& file,
                                         ByteSink* sink) {
    if (CabError e = stream.Skip(file.folderOffset - stream.position()))
        return e;
    bool sinkOk = true;
    if (CabError e = stream.ReadTo(sink, file.size, &sinkOk))
        return e;
    if (!sinkOk)
        return MakeError(CabErrc::WriteFailed, "could not write \"" + file.name + "\"");
    return {};
}

CabinetReader::CabinetReader() : impl_(std::make_unique<Impl>()) {}
CabinetReader::~CabinetReader() = default;

CabError CabinetReader::Open(std::unique_ptr<ByteSource> source,
                             const std::string& displayName,
                             Resolver resolver) {
    impl_ = std::make_unique<Impl>();
    CabError e = impl_->OpenChain(std::move(source), displayName, resolver);
    if (!e)
        e = impl_->CheckNames();
    if (e) {
        impl_ = std::make_unique<Impl>();
        return e;
    }
    impl_->BuildFolders();
    impl_->BuildFiles();
    return {};
}

const std::vector<CabinetEntry>& CabinetReader::Cabinets() const {
    return impl_->cabinets;
}
const std::vector<FolderEntry>& CabinetReader::Folders() const {
    return impl_->folders;
}
const std::vector<FileEntry>& CabinetReader::Files() const {
    return impl_->files;
}

CabError CabinetReader::Extract(size_t fileIndex, ByteSink& sink) {
    if (fileIndex >= impl_->files.size())
        return MakeError(CabErrc::Corrupt, "no file " + std::to_string(fileIndex));
    const FileEntry& file = impl_->files[fileIndex];
    if (file.folder < 0)
        return MakeError(
            CabErrc::MissingCabinet,
            "\"" + file.name + "\" needs data from a previous cabinet, which was not opened");
    std::unique_ptr<FolderStream> stream = impl_->OpenFolder(file.folder);
    return impl_->ReadFileTo(*stream, file, &sink);
}

CabError CabinetReader::ExtractAll(const OpenSink& openSink, const FileDone& done) {
    CabError first;
    auto report = [&](const FileEntry& f, const CabError& e) {
        if (e && first.ok())
            first = e;
        if (done)
            done(f, e);
    };
    const std::vector<FileEntry>& files = impl_->files;
    std::vector<std::vector<PassFile>> perFolder(impl_->folders.size());
    for (size_t i = 0; i < files.size(); ++i) {
        const FileEntry& file = files[i];
        if (file.folder < 0) {
            report(file,
                   MakeError(CabErrc::MissingCabinet,
                             "\"" + file.name +
                                 "\" needs data from a previous cabinet, which was not opened"));
            continue;
        }
        perFolder[file.folder].push_back({file.folderOffset, file.size, i});
    }
    NullSink discard;
    auto open = [&](size_t i, ByteSink** sink) -> CabError {
        *sink = openSink ? openSink(files[i]) : &discard;
        return {};
    };
    auto finished = [&](size_t i, const CabError& e) -> CabError {
        if (e.code == CabErrc::WriteFailed)
            report(files[i], MakeError(e.code, "could not write \"" + files[i].name + "\""));
        else
            report(files[i], e);
        return {};
    };
    // One job per folder with files to extract; all cabinets of the chain are open, so
    // every folder can decode on its own thread.
    std::vector<FolderJob> jobs;
    std::vector<size_t> folderOf;
    for (size_t f = 0; f < perFolder.size(); ++f) {
        if (perFolder[f].empty())
            continue;
        uint64_t end = 0;
        for (const PassFile& p : perFolder[f])
            end = std::max(end, p.offset + p.size);
        Impl* impl = impl_.get();
        const int folder = static_cast<int>(f);
        jobs.push_back({[impl, folder] { return impl->OpenFolder(folder); }, end});
        folderOf.push_back(f);
    }
    RunFolderJobs(jobs, threads_, [&](size_t job, FolderBytes* bytes) {
        const size_t f = folderOf[job];
        std::unique_ptr<FolderStream> own;
        if (!bytes) {
            own = impl_->OpenFolder(static_cast<int>(f));
            // No folder decodes on the pool: a second thread may help with this one.
            if (decodeAhead_ && ResolveDecodeThreads(threads_) > 1)
                own->DecodeAhead();
            bytes = own.get();
        }
        CabError e = DecodeFolderOnce(*bytes, perFolder[f], open, finished);
        if (e && !e.SpoilsOnlyItsFolder()) {
            for (size_t rest = f + 1; rest < perFolder.size(); ++rest) {
                for (const PassFile& p : perFolder[rest])
                    report(files[p.id], e);
            }
            return false;
        }
        return true;
    });
    return first;
}

CabError CabinetReader::Test(const FileDone& done) {
    NullSink sink;
    return ExtractAll([&sink](const FileEntry&) { return &sink; }, done);
}

}  // namespace cab
