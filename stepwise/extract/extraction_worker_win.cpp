#include "extract/extraction_worker_win.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdlib>
#include <thread>
#include <utility>

#include "common/win32/handles_win.h"
#include "extract/cabinet_paths.h"
#include "extract/dos_time.h"
#include "script/machine_win.h"

namespace stepwise {

namespace {

// Attributes a stored file may carry onto disk: read-only, hidden, system and archive.
constexpr uint16_t kAttributeMask = 0x27;

void* Alloc(uint32_t size) {
    return std::malloc(size);
}
void Free(void* p) {
    std::free(p);
}
intptr_t Open(const char* path, int flags, int mode) {
    return _open(path, flags, mode);
}
uint32_t Read(intptr_t handle, void* buffer, uint32_t count) {
    return static_cast<uint32_t>(_read(static_cast<int>(handle), buffer, count));
}
uint32_t Write(intptr_t handle, const void* buffer, uint32_t count) {
    return static_cast<uint32_t>(_write(static_cast<int>(handle), buffer, count));
}
int Close(intptr_t handle) {
    return _close(static_cast<int>(handle));
}
int32_t Seek(intptr_t handle, int32_t offset, int origin) {
    return _lseek(static_cast<int>(handle), offset, origin);
}

std::wstring Widen(const std::string& text, UINT codePage) {
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(),
                                static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0)
        return L"";
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// The destination of a stored name inside the extraction folder, or "" when the name would
// leave it (the decoder's rule). Names flagged UTF-8 are decoded as such, others in the ANSI
// code page; the wide path keeps either intact.
std::wstring DestinationFor(const ExtractionJob& job, const char* storedName, uint16_t attributes) {
    char checked[MAX_PATH * 3] = {};
    if (!storedName || !cab::FdiDestinationPath(job.extractionFolder.c_str(), storedName,
                                                attributes, checked, sizeof checked))
        return L"";
    if (!(attributes & cab::kAttributeNameIsUtf8))
        return Widen(checked, CP_ACP);
    std::string name = storedName;
    for (char& c : name)
        if (c == '/')
            c = '\\';
    std::wstring folder = Widen(job.extractionFolder, CP_ACP);
    std::wstring wideName = Widen(name, CP_UTF8);
    if (folder.empty() || wideName.empty())
        return L"";
    if (folder.back() != L'\\')
        folder += L'\\';
    return folder + wideName;
}

int OpenWithCrt(const wchar_t* path, int flags, int mode) {
    return _wopen(path, flags, mode);
}

intptr_t OpenDestination(ExtractionJob& job, const cab::FdiNotification& n) {
    const std::wstring destination = DestinationFor(job, n.name1, n.attributes);
    if (destination.empty())
        return -1;
    // The temporary folder survives between runs. Windows refuses to open a read-only
    // file for writing and to create over a hidden or system one with normal attributes
    // (Wine allows the latter): make a file from an earlier run plain first.
    constexpr DWORD kInTheWay =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    DWORD existing = GetFileAttributesW(destination.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_DIRECTORY) &&
        (existing & kInTheWay))
        SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
    // The decoder's flags truncate: a shorter new file must not keep an older one's tail.
    int fd = (job.openFile ? job.openFile : OpenWithCrt)(
        destination.c_str(), cab::kFdiDestinationOpenFlags | _O_SEQUENTIAL,
        cab::kFdiDestinationOpenMode);
    if (fd == 0) {
        // A program started without standard handles has descriptor 0 free, but 0 tells
        // the decoder to skip the file: move the file to another descriptor.
        int other = _dup(fd);
        _close(fd);
        fd = other;
    }
    if (fd != -1)
        job.destinations[fd] = destination;
    return fd;
}

void SetStoredTime(const std::wstring& path, uint16_t dosDate, uint16_t dosTime) {
    std::optional<uint64_t> local = DosStampToFileTicks(dosDate, dosTime);
    if (!local)
        return;
    FILETIME localTime{static_cast<DWORD>(*local), static_cast<DWORD>(*local >> 32)};
    FILETIME universal;
    if (!LocalFileTimeToFileTime(&localTime, &universal))
        return;
    win32::KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file)
        SetFileTime(file.get(), &universal, nullptr, &universal);
}

intptr_t CloseAndStamp(ExtractionJob& job, const cab::FdiNotification& n) {
    _close(static_cast<int>(n.handle));
    auto it = job.destinations.find(n.handle);
    if (it == job.destinations.end())
        return 1;  // not a handle this job opened: nothing to stamp
    const std::wstring destination = std::move(it->second);
    job.destinations.erase(it);
    SetStoredTime(destination, n.date, n.time);
    DWORD attributes = n.attributes & kAttributeMask;
    SetFileAttributesW(destination.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    return 1;
}

intptr_t FindNextCabinet(ExtractionJob& job, const cab::FdiNotification& n) {
    std::string path = NextCabinetPath(job.setupFolder, n.name1 ? n.name1 : "");
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES && job.promptNextDisk &&
        !job.promptNextDisk(path))
        return -1;
    return 0;
}

void ReportFailure(const ExtractionJob& job, const std::string& message) {
    if (job.reportFailure)
        job.reportFailure(message);
    else
        ShowMessage(nullptr, message);
}

}  // namespace

intptr_t ExtractionNotify(cab::FdiNotificationType type, cab::FdiNotification* notification) {
    auto& job = *static_cast<ExtractionJob*>(notification->user);
    switch (type) {
        case cab::FdiNotificationType::CopyFileRequest:
            return OpenDestination(job, *notification);
        case cab::FdiNotificationType::CloseFileInfo:
            return CloseAndStamp(job, *notification);
        case cab::FdiNotificationType::NextCabinet:
            return FindNextCabinet(job, *notification);
        default:
            return 0;
    }
}

cab::FdiContext* CreateDecoder(cab::FdiError* error) {
    return cab::FdiCreate(Alloc, Free, Open, Read, Write, Close, Seek, cab::kCpuTypeI386, error);
}

bool PromptNextDisk(const std::string& missingPath) {
    int answer = MessageBoxA(nullptr, "Please insert next disk...", "Stepwise",
                             MB_OKCANCEL | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
    if (answer != IDOK) {
        // Cancel ends the program at once, whatever the other threads are doing.
        TerminateProcess(GetCurrentProcess(), 0);
    }
    return true;
}

namespace {

// Owns a decoder context; Destroy() reports the decoder's own verdict, the destructor only
// cleans up after an earlier failure.
class Decoder {
  public:
    explicit Decoder(cab::FdiContext* context) : context_(context) {}
    ~Decoder() {
        if (context_)
            cab::FdiDestroy(context_);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    cab::FdiContext* get() const { return context_; }
    bool Destroy() { return cab::FdiDestroy(std::exchange(context_, nullptr)); }

  private:
    cab::FdiContext* context_;
};

// A C runtime file descriptor closed at the end of its scope.
class CrtFile {
  public:
    explicit CrtFile(int fd) : fd_(fd) {}
    ~CrtFile() { Close(); }
    CrtFile(const CrtFile&) = delete;
    CrtFile& operator=(const CrtFile&) = delete;
    int get() const { return fd_; }
    void Close() {
        if (fd_ != -1)
            _close(std::exchange(fd_, -1));
    }

  private:
    int fd_;
};

}  // namespace

bool ExtractCabinet(const std::string& cabinetPath, ExtractionJob& job) {
    cab::FdiError error;
    Decoder decoder(CreateDecoder(&error));
    if (!decoder.get()) {
        ReportFailure(job, "error fdiNULL...");
        return false;
    }
    CrtFile cabinet(_open(cabinetPath.c_str(), _O_RDONLY | _O_BINARY | _O_SEQUENTIAL));
    if (cabinet.get() == -1) {
        decoder.Destroy();
        ReportFailure(job, "error destroy...");
        return false;
    }
    // Folders decode on every hardware thread; the notifications below still come from
    // this one, in order.
    cab::FdiSetDecodeThreads(decoder.get(), 0);
    cab::FdiCabinetInfo info;
    bool isCabinet = cab::FdiIsCabinet(decoder.get(), cabinet.get(), &info);
    cabinet.Close();
    if (!isCabinet) {
        ReportFailure(job, "error, it's not DDC...");
        return false;
    }
    CabinetLocation location = SplitCabinetPath(cabinetPath);
    if (!cab::FdiCopy(decoder.get(), location.name.c_str(), location.folder.c_str(), 0,
                      ExtractionNotify, nullptr, &job)) {
        ReportFailure(job, "error...");
        return false;
    }
    if (!decoder.Destroy()) {
        ReportFailure(job, "error...");
        return false;
    }
    return true;
}

void StartExtractionWorker(ExtractionStage stage,
                           const InstallerContext& context,
                           PreparingFlags& flags) {
    char temp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(sizeof temp, temp);
    std::string cabinet =
        CabinetPathForStage(stage, context.folders.setupFolder, context.file1CabPath,
                            std::string(temp, n < sizeof temp ? n : 0), flags.firstStageDone);
    ExtractionJob job{context.folders.tempFolder, context.folders.setupFolder, PromptNextDisk};
    // Abandoned with the process when the user cancels; it shares only the flags.
    std::thread([cabinet, job, stage, &flags]() mutable {
        if (ExtractCabinet(cabinet, job))
            flags.RunningFlag(stage) = 0;
    }).detach();
}

}  // namespace stepwise
