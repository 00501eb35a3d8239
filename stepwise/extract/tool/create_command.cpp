#include <cstdio>

#include "cab/byte_io.h"
#include "cab/cab_format.h"
#include "cab/cab_writer.h"
#include "cab/safe_name.h"
#include "tool/commands.h"
#include "tool/file_system.h"

namespace cabtool {
namespace {

#ifndef _WIN32
bool IsAscii(const std::string& s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}
#endif

struct Input {
    std::string path;
    std::string storedName;
    FileFacts facts;
};

// Expands folders given on the command line into the files below them, in name order.
// `skip` is the stored-name form of the cabinet being written, which must not swallow an
// older copy of itself when its folder is packed.
bool Expand(const std::string& path,
            const std::string& skip,
            std::vector<Input>* out,
            std::string* error) {
    FileFacts facts = Inspect(path);
    if (!facts.exists) {
        *error = "cannot find \"" + path + "\"";
        return false;
    }
    if (facts.isDirectory) {
        for (const std::string& name : ListDirectory(path)) {
            std::string child =
                path.empty() || path.back() == '/' ? path + name : path + "/" + name;
            if (!Expand(child, skip, out, error))
                return false;
        }
        return true;
    }
    Input input;
    input.path = path;
    input.facts = facts;
    if (!StoredNameFor(path, &input.storedName, error))
        return false;
    if (input.storedName != skip)
        out->push_back(std::move(input));
    return true;
}

}  // namespace

bool ParseSize(const std::string& text, uint32_t* size) {
    if (text.empty())
        return false;
    uint64_t value = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFull)
            return false;
    }
    if (i == 0)
        return false;
    if (i + 1 == text.size()) {
        char unit = text[i];
        if (unit == 'k' || unit == 'K')
            value *= 1024;
        else if (unit == 'm' || unit == 'M')
            value *= 1024 * 1024;
        else
            return false;
    } else if (i != text.size()) {
        return false;
    }
    // Readers take cabinet sizes as signed 32-bit numbers.
    if (value > 0x7FFFFFFF)
        return false;
    *size = static_cast<uint32_t>(value);
    return true;
}

bool StoredNameFor(const std::string& path, std::string* name, std::string* error) {
    std::string out;
    size_t i = 0;
    if (path.size() >= 2 && path[1] == ':') {
        *error = "\"" + path + "\" names a drive; give a relative path";
        return false;
    }
    while (i < path.size()) {
        size_t end = path.find_first_of("/\\", i);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(i, end - i);
        i = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            *error =
                "\"" + path + "\" climbs out with \"..\"; give a path below the current folder";
            return false;
        }
        if (!out.empty())
            out += '\\';
        out += part;
    }
    if (out.empty() || out.size() > 255) {
        *error = "\"" + path + "\" gives no usable stored name (1 to 255 bytes)";
        return false;
    }
    *name = out;
    return true;
}

bool ParseCreateArgs(const std::vector<std::string>& args,
                     CreateRequest* request,
                     std::string* error) {
    cab::Compression compression;
    bool pendingFolder = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--compress" || a == "--max-size" || a == "--folder-size") {
            if (i + 1 >= args.size()) {
                *error = a + " needs a value";
                return false;
            }
            const std::string& value = args[++i];
            if (a == "--compress") {
                if (!cab::Compression::Parse(value, &compression)) {
                    *error = "unknown compression \"" + value +
                             "\" (use none, mszip, lzx or lzx:15 to lzx:21)";
                    return false;
                }
                pendingFolder = true;
            } else if (a == "--folder-size") {
                if (!ParseSize(value, &request->folderSize) || request->folderSize == 0) {
                    *error = "--folder-size must be a number of bytes from 1 to 2147483647";
                    return false;
                }
            } else if (!ParseSize(value, &request->maxSize) ||
                       request->maxSize < cab::kMinCabinetSize) {
                *error = "--max-size must be a number of bytes from " +
                         std::to_string(cab::kMinCabinetSize) + " to 2147483647";
                return false;
            }
            continue;
        }
        if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            *error = "unknown option \"" + a + "\"";
            return false;
        }
        if (request->cabinet.empty()) {
            request->cabinet = a;
            continue;
        }
        if (pendingFolder) {
            request->folders.push_back({compression, {}});
            pendingFolder = false;
        }
        request->folders.back().inputs.push_back(a);
    }
    if (request->cabinet.empty() || request->folders.empty()) {
        *error = "create needs a cabinet name and at least one file";
        return false;
    }
    return true;
}

int RunCreate(const CreateRequest& request) {
    std::string directory, name = request.cabinet;
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) {
        directory = name.substr(0, slash);
        name = name.substr(slash + 1);
    }
    if (name.empty() || name.size() > 255) {
        ReportError("\"" + request.cabinet + "\" is not a usable cabinet name");
        return kExitUsage;
    }
    if (!directory.empty() && !Inspect(directory).isDirectory) {
        // Checked first: compressing everything only to fail at the end wastes the user's time.
        ReportError("the folder \"" + directory + "\" for the cabinet does not exist");
        return kExitFailed;
    }
    cab::WriterOptions options;
    options.maxCabinetSize = request.maxSize;
    options.maxFolderSize = request.folderSize;
    cab::CabinetWriter writer(name, options);
    std::string error, skip;
    if (!StoredNameFor(request.cabinet, &skip, &error))
        skip.clear();
    for (const CreateRequest::Folder& folder : request.folders) {
        std::vector<Input> inputs;
        for (const std::string& path : folder.inputs) {
            if (!Expand(path, skip, &inputs, &error)) {
                ReportError(error);
                return kExitFailed;
            }
        }
        writer.StartFolder(folder.compression);
        for (const Input& input : inputs) {
            std::unique_ptr<cab::FileSource> source = cab::FileSource::Open(input.path);
            if (!source) {
                ReportError("cannot open \"" + input.path + "\"");
                return kExitFailed;
            }
            cab::NewFile file;
            file.name = input.storedName;
            file.date = input.facts.date;
            file.time = input.facts.time;
            file.attributes = input.facts.attributes;
#ifndef _WIN32
            // POSIX names are UTF-8 bytes; Windows names here are in the ANSI code page.
            if (!IsAscii(file.name)) {
                if (!cab::IsWellFormedUtf8(file.name)) {
                    ReportError("\"" + input.path + "\": the name is not well-formed UTF-8");
                    return kExitFailed;
                }
                file.attributes |= cab::kAttributeNameIsUtf8;
            }
#endif
            if (cab::CabError e = writer.AddFile(file, *source, input.facts.size)) {
                ReportError(e.message);
                return kExitFailed;
            }
        }
    }
    cab::DirectoryCabinetSink sink(directory);
    if (cab::CabError e = writer.Finish(sink)) {
        ReportError(e.message);
        return kExitFailed;
    }
    return kExitOk;
}

void ReportError(const std::string& message) {
    std::fprintf(stderr, "stepwise-cab: %s\n", message.c_str());
}

}  // namespace cabtool
