#include "cab/fdi.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "cab/byte_io.h"
#include "cab/cab_parser.h"
#include "cab/folder_pass.h"
#include "cab/folder_stream.h"
#include "cab/parallel_folders.h"
#include "cab/safe_name.h"

namespace cab {
namespace {

constexpr int kOpenReadBinary = 0x8000;  // _O_RDONLY | _O_BINARY
constexpr int kSeekSet = 0;
constexpr int kSeekCur = 1;
// NextCabinet is asked again while the cabinet is missing, so a user can insert the disk;
// a callback that says "retry" forever must still end.
constexpr int kMaxNextCabinetRequests = 10000;
// File data is written in pieces of one data block's output.
constexpr size_t kWriteChunk = kMaxDataUncompressed;

// A ByteSource over the caller's seek and read callbacks on one handle. Folders decoding on
// several threads take turns: a seek and its reads go together.
class HandleSource final : public ByteSource {
  public:
    HandleSource(FdiRead read, FdiSeek seek, intptr_t handle, int64_t base)
        : read_(read), seek_(seek), handle_(handle), base_(base) {}

    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        const uint64_t at = static_cast<uint64_t>(base_) + offset;
        if (at > 0x7FFFFFFF)
            return 0;  // cabinets end below 2 GB
        std::lock_guard<std::mutex> lock(mutex_);
        if (seek_(handle_, static_cast<int32_t>(at), kSeekSet) != static_cast<int32_t>(at))
            return -1;
        size_t done = 0;
        while (done < count) {
            const uint32_t want = static_cast<uint32_t>(std::min<size_t>(count - done, 0x10000));
            const uint32_t got = read_(handle_, static_cast<uint8_t*>(buffer) + done, want);
            if (got == static_cast<uint32_t>(-1))
                return -1;
            if (got == 0)
                break;
            done += std::min(got, want);
        }
        return static_cast<int64_t>(done);
    }

  private:
    std::mutex mutex_;
    FdiRead read_;
    FdiSeek seek_;
    intptr_t handle_;
    int64_t base_;
};

FdiErrorCode ToFdiCode(CabErrc code) {
    switch (code) {
        case CabErrc::Ok:
            return FdiErrorCode::None;
        case CabErrc::NotACabinet:
            return FdiErrorCode::NotACabinet;
        case CabErrc::UnsupportedVersion:
            return FdiErrorCode::UnknownCabinetVersion;
        case CabErrc::UnsupportedMethod:
            return FdiErrorCode::BadCompressionType;
        case CabErrc::DecodeFailed:
            return FdiErrorCode::MdiFail;
        case CabErrc::UnsafeName:
            return FdiErrorCode::UnsafeName;
        case CabErrc::MissingCabinet:
            return FdiErrorCode::CabinetNotFound;
        case CabErrc::WrongCabinet:
            return FdiErrorCode::WrongCabinet;
        case CabErrc::WriteFailed:
            return FdiErrorCode::TargetFile;
        case CabErrc::Aborted:
            return FdiErrorCode::UserAbort;
        case CabErrc::Io:
        case CabErrc::Corrupt:
        case CabErrc::Checksum:
            return FdiErrorCode::CorruptCabinet;
    }
    return FdiErrorCode::CorruptCabinet;
}

CabError CheckNames(const Cabinet& cab) {
    for (const CabFile& f : cab.files) {
        std::string why = CheckStoredName(f.name, (f.attributes & kAttributeNameIsUtf8) != 0);
        if (!why.empty())
            return MakeError(CabErrc::UnsafeName, why);
    }
    return {};
}

}  // namespace

struct FdiContext {
    FdiAlloc alloc;
    FdiFree free;
    FdiOpen open;
    FdiRead read;
    FdiWrite write;
    FdiClose close;
    FdiSeek seek;
    FdiError* error;
    FdiError ownError;  // used when the caller passed no error record
    bool busy = false;
    unsigned threads = 1;      // see FdiSetDecodeThreads
    bool decodeAhead = false;  // see FdiSetDecodeAhead

    void Reset() { *error = FdiError{}; }
    bool Fail(FdiErrorCode code, const std::string& message) {
        if (!error->failed) {
            error->failed = true;
            error->code = code;
            std::snprintf(error->message, sizeof error->message, "%s", message.c_str());
        }
        return false;
    }
    bool Fail(const CabError& e) { return Fail(ToFdiCode(e.code), e.message); }
};

namespace {

// One FdiCopy call: the cabinets opened so far (kept open while a folder may still need
// them), the folder being decoded and the notifications.
class CopyRun {
  public:
    CopyRun(FdiContext& ctx, FdiNotify notify, void* user)
        : ctx_(ctx), notify_(notify), user_(user) {}
    ~CopyRun() {
        for (auto& c : cabs_)
            ctx_.close(c->handle);
    }

    bool Run(const std::string& name, const std::string& folder);

  private:
    struct Opened {
        intptr_t handle = -1;
        std::unique_ptr<HandleSource> source;
        Cabinet cab;
        std::string name;
        std::string folder;
        std::vector<int> folderIds;  // chain-wide id of each folder (merged folders share)
        bool infoSent = false;
    };
    struct FolderStart {
        int cabinet;
        int folder;
    };

    CabError OpenCabinet(const std::string& folder,
                         const std::string& name,
                         std::unique_ptr<Opened>* out);
    void AddCabinet(std::unique_ptr<Opened> opened);
    CabError OpenNext();
    CabError Notify(FdiNotificationType type, FdiNotification& n, intptr_t* result);
    CabError NotifyInfo(Opened& c);
    CabError ExtractCabinetFolders(
        int cabinet,
        const std::vector<std::pair<int, std::vector<const CabFile*>>>& groups);
    CabError ExtractFolderFiles(int cabinet,
                                int folderId,
                                const std::vector<const CabFile*>& files,
                                FolderBytes* decoded);
    CabError OpenFile(int cabinet, const CabFile& file, intptr_t* handle);
    CabError CloseFile(int cabinet, const CabFile& file, intptr_t handle);
    std::unique_ptr<FolderStream> MakeStream(int folderId);
    FdiNotification Base(const Opened& c) const {
        FdiNotification n;
        n.user = user_;
        n.setId = c.cab.setId;
        n.cabinetIndex = c.cab.index;
        return n;
    }

    FdiContext& ctx_;
    FdiNotify notify_;
    void* user_;
    std::vector<std::unique_ptr<Opened>> cabs_;
    std::vector<FolderStart> folderStarts_;
    std::unique_ptr<FolderStream> stream_;
    int streamFolder_ = -1;
    bool decodeAhead_ = false;  // no folder of the cabinet decodes on the pool
};

CabError CopyRun::Notify(FdiNotificationType type, FdiNotification& n, intptr_t* result) {
    const intptr_t r = notify_(type, &n);
    if (result)
        *result = r;
    if (r == -1 && type != FdiNotificationType::CopyFileRequest)
        return MakeError(CabErrc::Aborted, "extraction aborted by the notification callback");
    return {};
}

CabError CopyRun::OpenCabinet(const std::string& folder,
                              const std::string& name,
                              std::unique_ptr<Opened>* out) {
    const std::string path = folder + name;
    const intptr_t handle = ctx_.open(path.c_str(), kOpenReadBinary, 0);
    if (handle == -1)
        return MakeError(CabErrc::MissingCabinet, "cabinet \"" + path + "\" could not be opened");
    auto c = std::make_unique<Opened>();
    c->handle = handle;
    c->source = std::make_unique<HandleSource>(ctx_.read, ctx_.seek, handle, 0);
    c->name = name;
    c->folder = folder;
    CabError e = ParseCabinet(*c->source, &c->cab);
    if (e) {
        ctx_.close(handle);
        e.message = path + ": " + e.message;
        return e;
    }
    *out = std::move(c);
    return {};
}

void CopyRun::AddCabinet(std::unique_ptr<Opened> c) {
    const int k = static_cast<int>(cabs_.size());
    const bool merged = k > 0 && JoinsFolders(cabs_.back()->cab, c->cab);
    for (size_t j = 0; j < c->cab.folders.size(); ++j) {
        if (j == 0 && merged) {
            c->folderIds.push_back(cabs_.back()->folderIds.back());
            continue;
        }
        c->folderIds.push_back(static_cast<int>(folderStarts_.size()));
        folderStarts_.push_back({k, static_cast<int>(j)});
    }
    cabs_.push_back(std::move(c));
}

CabError CopyRun::NotifyInfo(Opened& c) {
    if (c.infoSent)
        return {};
    c.infoSent = true;
    FdiNotification n = Base(c);
    n.name1 = c.cab.nextCabinet.c_str();
    n.name2 = c.cab.nextDisk.c_str();
    std::string folder = c.folder;
    n.name3 = folder.data();
    return Notify(FdiNotificationType::CabinetInfo, n, nullptr);
}

CabError CopyRun::OpenNext() {
    const Opened& last = *cabs_.back();
    if (cabs_.size() >= kMaxChainLength)
        return MakeError(CabErrc::Corrupt, "cabinet chain too long (a loop of names?)");
    // The name comes from untrusted bytes: it may only name a file beside this one.
    std::string unsafe = CheckCabinetFileName(last.cab.nextCabinet);
    if (!unsafe.empty())
        return MakeError(CabErrc::UnsafeName, last.name + ": next " + unsafe);
    char folder[kFdiMaxPath];
    std::snprintf(folder, sizeof folder, "%s", last.folder.c_str());
    CabError why;
    for (int attempt = 0; attempt < kMaxNextCabinetRequests; ++attempt) {
        FdiNotification n = Base(last);
        n.name1 = last.cab.nextCabinet.c_str();
        n.name2 = last.cab.nextDisk.c_str();
        n.name3 = folder;
        n.error = ToFdiCode(why.code);
        if (CabError e = Notify(FdiNotificationType::NextCabinet, n, nullptr))
            return e;
        folder[kFdiMaxPath - 1] = '\0';
        std::unique_ptr<Opened> next;
        why = OpenCabinet(folder, last.cab.nextCabinet, &next);
        if (why.ok() && !IsNextInSet(last.cab, next->cab))
            why = MakeError(CabErrc::WrongCabinet, "\"" + last.cab.nextCabinet +
                                                       "\" does not continue \"" + last.name +
                                                       "\" in its cabinet set");
        if (why.ok()) {
            if (CabError e = CheckNames(next->cab)) {
                e.message = next->name + ": " + e.message;
                ctx_.close(next->handle);
                return e;
            }
            AddCabinet(std::move(next));
            return NotifyInfo(*cabs_.back());
        }
        if (next)
            ctx_.close(next->handle);
    }
    return why;
}

std::unique_ptr<FolderStream> CopyRun::MakeStream(int folderId) {
    const FolderStart start = folderStarts_[folderId];
    auto segment = [this](int k, int j) {
        FolderStream::Segment s;
        s.source = cabs_[k]->source.get();
        s.cabinet = &cabs_[k]->cab;
        s.folder = j;
        return s;
    };
    auto nextCabinet = std::make_shared<int>(start.cabinet + 1);
    auto next = [this, segment, nextCabinet](FolderStream::Segment* out) -> CabError {
        if (*nextCabinet == static_cast<int>(cabs_.size())) {
            if (CabError e = OpenNext())
                return e;
        }
        *out = segment((*nextCabinet)++, 0);
        return {};
    };
    return std::make_unique<FolderStream>(segment(start.cabinet, start.folder), next);
}

// Writes through the caller's write callback on one handle.
class HandleSink final : public ByteSink {
  public:
    HandleSink(FdiWrite write, intptr_t handle) : write_(write), handle_(handle) {}
    bool Write(const uint8_t* data, size_t size) override {
        while (size > 0) {
            const uint32_t n = static_cast<uint32_t>(std::min<size_t>(size, kWriteChunk));
            if (write_(handle_, data, n) != n)
                return false;
            data += n;
            size -= n;
        }
        return true;
    }

  private:
    FdiWrite write_;
    intptr_t handle_;
};

// The copy-file notification; `*handle` is 0 when the caller skips the file.
CabError CopyRun::OpenFile(int cabinet, const CabFile& file, intptr_t* handle) {
    FdiNotification n = Base(*cabs_[cabinet]);
    n.name1 = file.name.c_str();
    n.size = static_cast<int32_t>(file.size);
    n.date = file.date;
    n.time = file.time;
    n.attributes = file.attributes;
    n.folderIndex = file.folderIndex;
    Notify(FdiNotificationType::CopyFileRequest, n, handle);
    if (*handle == -1)
        return MakeError(CabErrc::Aborted,
                         "the copy-file notification refused \"" + file.name + "\"");
    return {};
}

CabError CopyRun::CloseFile(int cabinet, const CabFile& file, intptr_t handle) {
    FdiNotification done = Base(*cabs_[cabinet]);
    done.name1 = file.name.c_str();
    done.handle = handle;
    done.date = file.date;
    done.time = file.time;
    done.attributes = file.attributes;
    done.folderIndex = file.folderIndex;
    const intptr_t result = notify_(FdiNotificationType::CloseFileInfo, &done);
    if (result == -1)
        return MakeError(CabErrc::Aborted, "extraction aborted after \"" + file.name + "\"");
    if (result == 0)
        return MakeError(CabErrc::WriteFailed, "could not finish \"" + file.name + "\"");
    return {};
}

// Extracts the folders of one cabinet in order. A folder that lies wholly in this cabinet
// may decode on a pool thread; one that continues from the previous cabinet or into the
// next decodes on this thread, which asks for the next cabinet when it gets there.
CabError CopyRun::ExtractCabinetFolders(
    int cabinet,
    const std::vector<std::pair<int, std::vector<const CabFile*>>>& groups) {
    const Opened& c = *cabs_[cabinet];
    std::vector<FolderJob> jobs(groups.size());
    for (size_t g = 0; g < groups.size(); ++g) {
        const FolderStart start = folderStarts_[groups[g].first];
        const bool continues =
            start.folder + 1 == static_cast<int>(c.cab.folders.size()) && c.cab.HasNext();
        if (start.cabinet == cabinet && !continues) {
            FolderStream::Segment segment;
            segment.source = c.source.get();
            segment.cabinet = &c.cab;
            segment.folder = start.folder;
            jobs[g].makeStream = [segment] {
                return std::make_unique<FolderStream>(segment, nullptr);
            };
        }
        for (const CabFile* f : groups[g].second)
            jobs[g].end = std::max<uint64_t>(jobs[g].end, uint64_t{f->folderOffset} + f->size);
    }
    decodeAhead_ = ctx_.decodeAhead && ResolveDecodeThreads(ctx_.threads) > 1 &&
                   std::count_if(jobs.begin(), jobs.end(),
                                 [](const FolderJob& j) { return !!j.makeStream; }) < 2;
    CabError failure;
    RunFolderJobs(jobs, ctx_.threads, [&](size_t g, FolderBytes* decoded) {
        failure = ExtractFolderFiles(cabinet, groups[g].first, groups[g].second, decoded);
        return failure.ok();
    });
    return failure;
}

// Decodes the folder once for all its files listed in this cabinet, in offset order: each
// file is asked for when decoding reaches it and closed when its last byte is written.
// `decoded` carries the folder's bytes when a pool thread decodes it; otherwise the folder
// is decoded here.
CabError CopyRun::ExtractFolderFiles(int cabinet,
                                     int folderId,
                                     const std::vector<const CabFile*>& files,
                                     FolderBytes* decoded) {
    std::vector<PassFile> pass;
    uint64_t first = UINT64_MAX;
    for (size_t i = 0; i < files.size(); ++i) {
        pass.push_back({files[i]->folderOffset, files[i]->size, i});
        first = std::min<uint64_t>(first, files[i]->folderOffset);
    }
    // A folder continued from an earlier cabinet goes on from where that one stopped.
    if (!decoded && (!stream_ || streamFolder_ != folderId || first < stream_->position())) {
        stream_ = MakeStream(folderId);
        streamFolder_ = folderId;
        if (decodeAhead_)
            stream_->DecodeAhead();
    }
    std::vector<intptr_t> handles(files.size(), 0);
    std::vector<std::unique_ptr<HandleSink>> sinks(files.size());
    auto open = [&](size_t i, ByteSink** sink) -> CabError {
        if (CabError e = OpenFile(cabinet, *files[i], &handles[i]))
            return e;
        if (handles[i] != 0) {
            sinks[i] = std::make_unique<HandleSink>(ctx_.write, handles[i]);
            *sink = sinks[i].get();
        }
        return {};
    };
    auto done = [&](size_t i, const CabError& result) -> CabError {
        const intptr_t handle = std::exchange(handles[i], 0);
        if (result) {
            if (handle != 0)
                ctx_.close(handle);
            if (result.code == CabErrc::WriteFailed)
                return MakeError(result.code, "could not write \"" + files[i]->name + "\"");
            return result;
        }
        return CloseFile(cabinet, *files[i], handle);
    };
    return DecodeFolderOnce(decoded ? *decoded : *stream_, std::move(pass), open, done);
}

bool CopyRun::Run(const std::string& name, const std::string& folder) {
    std::unique_ptr<Opened> first;
    if (CabError e = OpenCabinet(folder, name, &first))
        return ctx_.Fail(e);
    AddCabinet(std::move(first));  // from here on the destructor closes its handle
    if (CabError e = CheckNames(cabs_[0]->cab))
        return ctx_.Fail(MakeError(e.code, name + ": " + e.message));
    for (size_t k = 0; k < cabs_.size(); ++k) {
        Opened& c = *cabs_[k];
        if (CabError e = NotifyInfo(c))
            return ctx_.Fail(e);
        FdiNotification n = Base(c);
        if (CabError e = Notify(FdiNotificationType::Enumerate, n, nullptr))
            return ctx_.Fail(e);
        std::vector<std::pair<int, std::vector<const CabFile*>>> groups;
        std::map<int, size_t> groupOf;  // folder id -> index into groups
        for (const CabFile& file : c.cab.files) {
            const ChainFileRole role = RoleInChain(c.cab, k, file);
            if (role == ChainFileRole::ListedEarlier)
                continue;  // written from the cabinet it starts in
            if (role == ChainFileRole::NeedsEarlierCabinet) {
                FdiNotification p = Base(c);
                p.name1 = file.name.c_str();
                p.name2 = c.cab.prevCabinet.c_str();
                std::string disk = c.cab.prevDisk;
                p.name3 = disk.data();
                if (CabError e = Notify(FdiNotificationType::PartialFile, p, nullptr))
                    return ctx_.Fail(e);
                continue;
            }
            // Files are gathered per folder, each folder in the order it first appears.
            const int folderId = c.folderIds[c.cab.FolderOf(file)];
            auto [at, added] = groupOf.try_emplace(folderId, groups.size());
            if (added)
                groups.push_back({folderId, {}});
            groups[at->second].second.push_back(&file);
        }
        if (CabError e = ExtractCabinetFolders(static_cast<int>(k), groups))
            return ctx_.Fail(e);
        FdiNotification end = Base(c);
        if (CabError e = Notify(FdiNotificationType::Enumerate, end, nullptr))
            return ctx_.Fail(e);
        if (c.cab.HasNext() && k + 1 == cabs_.size()) {
            if (CabError e = OpenNext())
                return ctx_.Fail(e);
        }
    }
    return true;
}

}  // namespace

FdiContext* FdiCreate(FdiAlloc alloc,
                      FdiFree free,
                      FdiOpen open,
                      FdiRead read,
                      FdiWrite write,
                      FdiClose close,
                      FdiSeek seek,
                      int cpuType,
                      FdiError* error) {
    if (error)
        *error = FdiError{};
    auto fail = [error](FdiErrorCode code, const char* message) -> FdiContext* {
        if (error) {
            error->failed = true;
            error->code = code;
            std::snprintf(error->message, sizeof error->message, "%s", message);
        }
        return nullptr;
    };
    if (!alloc || !free || !open || !read || !write || !close || !seek)
        return fail(FdiErrorCode::AllocFail, "a required callback is missing");
    void* memory = alloc(sizeof(FdiContext));
    if (!memory)
        return fail(FdiErrorCode::AllocFail, "out of memory for the decoder context");
    auto* ctx = new (memory) FdiContext{alloc, free, open, read, write, close, seek, error, {}};
    if (!ctx->error)
        ctx->error = &ctx->ownError;
    return ctx;
}

bool FdiIsCabinet(FdiContext* ctx, intptr_t handle, FdiCabinetInfo* info) {
    if (!ctx)
        return false;
    ctx->Reset();
    const int32_t base = ctx->seek(handle, 0, kSeekCur);
    if (base < 0)
        return ctx->Fail(FdiErrorCode::NotACabinet, "the file cannot be positioned");
    HandleSource source(ctx->read, ctx->seek, handle, base);
    Cabinet cab;
    if (CabError e = ParseCabinetHeader(source, &cab))
        return ctx->Fail(e);
    if (info) {
        *info = FdiCabinetInfo{};
        info->cabinetSize = static_cast<int32_t>(cab.size);
        uint8_t counts[4] = {};
        if (source.ReadAt(kHeaderFolderCount, counts, 4) == 4) {
            info->folderCount = ReadU16(counts);
            info->fileCount = ReadU16(counts + 2);
        }
        info->setId = cab.setId;
        info->cabinetIndex = cab.index;
        info->hasReserve = (cab.flags & kFlagReservePresent) != 0;
        info->hasPrevious = cab.HasPrev();
        info->hasNext = cab.HasNext();
    }
    return true;
}

bool FdiCopy(FdiContext* ctx,
             const char* cabinetName,
             const char* cabinetFolder,
             int flags,
             FdiNotify notify,
             void* decrypt,
             void* user) {
    if (!ctx)
        return false;
    ctx->Reset();
    if (!cabinetName || !notify)
        return ctx->Fail(FdiErrorCode::CabinetNotFound, "no cabinet name or notification callback");
    if (flags != 0 || decrypt != nullptr)
        return ctx->Fail(FdiErrorCode::BadCompressionType,
                         "flags and decryption are not supported");
    if (ctx->busy)
        return ctx->Fail(FdiErrorCode::UserAbort, "the context is already copying");
    ctx->busy = true;
    bool ok;
    try {
        CopyRun run(*ctx, notify, user);
        ok = run.Run(cabinetName, cabinetFolder ? cabinetFolder : "");
    } catch (const std::bad_alloc&) {
        ok = ctx->Fail(FdiErrorCode::AllocFail, "out of memory");
    }
    ctx->busy = false;
    return ok;
}

bool FdiDestroy(FdiContext* ctx) {
    if (!ctx)
        return false;
    FdiFree free = ctx->free;
    ctx->~FdiContext();
    free(ctx);
    return true;
}

void FdiSetDecodeAhead(FdiContext* ctx, bool on) {
    if (ctx)
        ctx->decodeAhead = on;
}

void FdiSetDecodeThreads(FdiContext* ctx, unsigned threads) {
    if (ctx)
        ctx->threads = threads;
}

const FdiError& FdiLastError(const FdiContext* ctx) {
    return *ctx->error;
}

bool FdiDestinationPath(const char* folder,
                        const char* storedName,
                        uint16_t attributes,
                        char* out,
                        uint32_t outSize) {
    if (!out || outSize == 0)
        return false;
    out[0] = '\0';
    if (!folder || !storedName)
        return false;
    if (!CheckStoredName(storedName, (attributes & kAttributeNameIsUtf8) != 0).empty())
        return false;
    const std::string path = JoinDestination(folder, storedName, '\\');
    if (path.size() + 1 > outSize)
        return false;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace cab
