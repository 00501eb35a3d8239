#include "install/http_download_win.h"

#include <windows.h>

#include <vector>

#include "common/net/http_client_win.h"
#include "common/net/http_response.h"
#include "common/win32/handles_win.h"

namespace stepwise {

namespace {

constexpr DWORD kReadBlock = 16 * 1024;

std::optional<std::uint64_t> FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Opens the temporary file for writing, other writers denied: empty for a whole answer,
// at its end for an appended one.
win32::KernelHandle OpenPart(const std::string& path, bool append) {
    win32::KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         append ? OPEN_EXISTING : CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file && append) {
        LARGE_INTEGER zero = {};
        if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END))
            file.reset();
    }
    return file;
}

bool WriteAll(HANDLE file, const char* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

DownloadResult Failed(DownloadResult result, std::string why) {
    result.ok = false;
    result.error = std::move(why);
    return result;
}

}  // namespace

DownloadResult DownloadFile(const DownloadRequest& request,
                            ResumePoint& resume,
                            const DownloadProgressFn& progress,
                            const std::atomic<bool>* stop) {
    DownloadResult result;
    std::string why;
    std::optional<DownloadTarget> target = PlanDownload(request.address, request.folder, why);
    if (!target)
        return Failed(result, why);
    result.path = target->path;

    // Only a temporary file that is exactly what the server gave before is continued.
    if (resume.usable() && FileSize(target->partPath) != resume.offset)
        resume = {};
    const std::uint64_t askedOffset = resume.usable() ? resume.offset : 0;

    net::HttpGetOptions options;
    options.agent = request.agent;
    options.timeoutMilliseconds = request.timeoutMilliseconds;
    if (askedOffset > 0)
        options.extraHeaders = ResumeRequestHeaders(resume);
    net::HttpSession session(request.agent);
    net::OpenRequest open = net::OpenGetRequest(session, target->url, options);
    if (!open.request)
        return Failed(result, open.error);

    const int status = net::ResponseStatus(open.request.get());
    const std::string headers = net::ResponseHeaders(open.request.get());
    const RangeAnswer answer = ClassifyAnswer(status, headers, askedOffset);
    if (answer == RangeAnswer::Fail)
        return Failed(result, "the server answered " + std::to_string(status));

    const bool append = answer == RangeAnswer::Append;
    std::uint64_t received = append ? askedOffset : 0;
    // Bytes this answer's body must hold, and the whole file's length, when announced.
    std::optional<std::uint64_t> bodyLength = net::ContentLength(headers);
    std::optional<std::uint64_t> total = append ? ContentRangeTotal(headers) : bodyLength;
    if (append && !total && bodyLength)
        total = askedOffset + *bodyLength;
    if (!append)
        resume = {};
    std::string validator = append ? resume.validator : RangeValidator(headers);

    win32::KernelHandle file = OpenPart(target->partPath, append);
    if (!file)
        return Failed(result, "cannot write " + target->partPath + ", error " +
                                  std::to_string(GetLastError()));
    if (progress)
        progress(received, total);

    std::vector<char> block(kReadBlock);
    bool readsOk = true;
    bool writesOk = true;
    bool stopped = false;
    for (;;) {
        if (stop && stop->load()) {
            stopped = true;
            break;
        }
        DWORD read = 0;
        if (!InternetReadFile(open.request.get(), block.data(), kReadBlock, &read)) {
            readsOk = false;
            break;
        }
        if (read == 0)
            break;
        if (!WriteAll(file.get(), block.data(), read)) {
            writesOk = false;
            break;
        }
        received += read;
        if (progress)
            progress(received, total);
    }
    file.reset();

    const std::uint64_t bodyReceived = received - (append ? askedOffset : 0);
    const bool whole = readsOk && writesOk && !stopped &&
                       net::BodyComplete(true, bodyLength, bodyReceived) &&
                       (!total || *total == received);
    if (!whole) {
        // Kept for a retry only when the server can continue it (and no stop ended the
        // installation); otherwise nothing stays.
        if (writesOk && !stopped && !validator.empty() && received > 0) {
            resume = {received, validator};
        } else {
            resume = {};
            DeleteFileA(target->partPath.c_str());
        }
        if (stopped)
            return Failed(result, "stopped");
        if (!writesOk)
            return Failed(result, "cannot write " + target->partPath);
        if (!readsOk)
            return Failed(result, net::LastErrorText("InternetReadFile"));
        return Failed(result, "the connection ended after " + std::to_string(received) + " bytes" +
                                  (total ? " of " + std::to_string(*total) : std::string()));
    }
    if (!MoveFileExA(target->partPath.c_str(), target->path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        std::string error =
            "cannot replace " + target->path + ", error " + std::to_string(GetLastError());
        DeleteFileA(target->partPath.c_str());
        resume = {};
        return Failed(result, error);
    }
    resume = {};
    result.ok = true;
    return result;
}

void DiscardPartialDownload(const DownloadRequest& request, ResumePoint& resume) {
    resume = {};
    std::string why;
    if (std::optional<DownloadTarget> target = PlanDownload(request.address, request.folder, why))
        DeleteFileA(target->partPath.c_str());
}

}  // namespace stepwise
