#include "pack/pack_command.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "install/copy_list.h"
#include "pack/script_checks.h"
#include "tool/commands.h"
#include "tool/file_system.h"

namespace stepwise {

namespace {

constexpr const char* kFirstCabinet = "file1.cab";

bool ReadWholeFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool CopyWholeFile(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    if (!in || !out)
        return false;
    out << in.rdbuf();
    out.flush();
    return static_cast<bool>(out);
}

bool IsFile(const std::string& path) {
    cabtool::FileFacts facts = cabtool::Inspect(path);
    return facts.exists && !facts.isDirectory;
}

std::string FileNamePartOf(const std::string& path) {
    std::size_t at = path.find_last_of("/\\");
    return at == std::string::npos ? path : path.substr(at + 1);
}

// The inputs outside the script: each missing one is a problem of its own.
void CheckInputs(const PackRequest& request, std::vector<std::string>* problems) {
    auto need = [&](const std::string& path, const std::string& what) {
        if (path.empty())
            problems->push_back(what + ": no file given");
        else if (!IsFile(path))
            problems->push_back(what + ": cannot find \"" + path + "\"");
    };
    need(request.stepwiseExe, "the installer program (--stepwise)");
    need(request.uninstaller, "the uninstaller (--uninstaller)");
    if (!request.language.empty())
        need(request.language, "the language file (--language)");
    if (!cabtool::Inspect(request.sourceFolder).isDirectory)
        problems->push_back("the source folder \"" + request.sourceFolder + "\" does not exist");
    cabtool::FileFacts out = cabtool::Inspect(request.outputFolder);
    if (out.exists && !out.isDirectory)
        problems->push_back("the output \"" + request.outputFolder + "\" is a file");
    else if (out.exists && !cabtool::ListDirectory(request.outputFolder).empty())
        // Old cabinets of a longer chain would stay beside the new ones and be read as theirs.
        problems->push_back("the output folder \"" + request.outputFolder +
                            "\" is not empty; give a new or empty folder");
}

bool WriteCabinets(const PackRequest& request,
                   const std::vector<PackedFile>& payload,
                   std::vector<std::string>* names,
                   std::string* error) {
    cab::WriterOptions options;
    options.maxCabinetSize = request.maxCabinetSize;
    cab::CabinetWriter writer(kFirstCabinet, options);
    writer.StartFolder(request.compression);
    for (const PackedFile& file : payload) {
        cabtool::FileFacts facts = cabtool::Inspect(file.path);
        std::unique_ptr<cab::FileSource> source = cab::FileSource::Open(file.path);
        if (!source || !facts.exists) {
            *error = "cannot open \"" + file.path + "\"";
            return false;
        }
        cab::NewFile entry;
        entry.name = file.storedName;
        entry.date = facts.date;
        entry.time = facts.time;
        entry.attributes = facts.attributes;
        if (cab::CabError e = writer.AddFile(entry, *source, facts.size)) {
            *error = file.path + ": " + e.message;
            return false;
        }
    }
    cab::DirectoryCabinetSink sink(request.outputFolder);
    if (cab::CabError e = writer.Finish(sink)) {
        *error = e.message;
        return false;
    }
    *names = writer.CabinetNames();
    return true;
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
#ifdef _WIN32
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + separator + name;
}

std::vector<PackedFile> PlanPayload(const IniText& script,
                                    const std::string& sourceFolder,
                                    const std::string& uninstaller,
                                    const std::function<bool(const std::string&)>& sourceExists) {
    std::vector<PackedFile> files;
    int total = ReadCount(script, "FILES");
    for (int j = 0; j < total && j < static_cast<int>(kMaxCopyEntries); ++j) {
        std::string name = script.Read("FILES", "PR" + std::to_string(j), kPathBuffer);
        if (name.empty() || IsDownloadName(name))
            continue;
        // The copy step reads TempFolder + "F<j>_<name>": one stored copy per entry, so two
        // entries of the same name going to different folders each find theirs.
        files.push_back({JoinPath(sourceFolder, name), "F" + std::to_string(j) + "_" + name});
    }
    for (const char* name : kOptionalPayloadNames) {
        if (sourceExists(name))
            files.push_back({JoinPath(sourceFolder, name), name});
    }
    files.push_back({uninstaller, "wizuninst.exe"});
    return files;
}

bool ParsePackArgs(const std::vector<std::string>& args, PackRequest* request, std::string* error) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h" || a == "/?") {
            request->help = true;
            return true;
        }
        if (a == "--language" || a == "--stepwise" || a == "--uninstaller" || a == "--compress" ||
            a == "--max-size") {
            if (i + 1 >= args.size()) {
                *error = a + " needs a value";
                return false;
            }
            const std::string& value = args[++i];
            if (a == "--language") {
                request->language = value;
            } else if (a == "--stepwise") {
                request->stepwiseExe = value;
            } else if (a == "--uninstaller") {
                request->uninstaller = value;
            } else if (a == "--compress") {
                if (!cab::Compression::Parse(value, &request->compression)) {
                    *error = "unknown compression \"" + value +
                             "\" (use lzx, lzx:15 to lzx:21, mszip or none)";
                    return false;
                }
            } else if (!cabtool::ParseSize(value, &request->maxCabinetSize) ||
                       request->maxCabinetSize < cab::kMinCabinetSize) {
                *error = "--max-size must be a number of bytes from " +
                         std::to_string(cab::kMinCabinetSize) + " to 2147483647 (K and M allowed)";
                return false;
            }
            continue;
        }
        if (a.size() > 1 && a[0] == '-') {
            *error = "unknown option \"" + a + "\"";
            return false;
        }
        positional.push_back(a);
    }
    if (positional.size() != 3) {
        *error = "give the setup script, the source folder and the output folder";
        return false;
    }
    request->script = positional[0];
    request->sourceFolder = positional[1];
    request->outputFolder = positional[2];
    return true;
}

void FillProgramDefaults(PackRequest* request, const std::string& toolFolder) {
    if (toolFolder.empty())
        return;
    if (request->stepwiseExe.empty())
        request->stepwiseExe = JoinPath(toolFolder, "Stepwise.exe");
    if (request->uninstaller.empty())
        request->uninstaller = JoinPath(toolFolder, "wizuninst.exe");
}

std::string PackHelpText() {
    return "usage: stepwise-pack [options] DATA.TAG SOURCE-FOLDER OUTPUT-FOLDER\n"
           "\n"
           "Writes an installer folder that Stepwise runs as it is: Stepwise.exe, data.tag,\n"
           "language.tag (when given) and the payload cabinet file1.cab. Each FILES entry j\n"
           "is taken from SOURCE-FOLDER\\<PRj> and stored as F<j>_<PRj>; license.txt,\n"
           "readme.txt and StepwiseMM.exe go in when SOURCE-FOLDER has them; the uninstaller\n"
           "is stored as wizuninst.exe. The script is checked first (sources exist, lists\n"
           "match their TOTAL, folder tokens are known); on any problem nothing is written.\n"
           "\n"
           "options:\n"
           "  --compress lzx|lzx:15..lzx:21|mszip|none   payload compression (default lzx:21)\n"
           "  --max-size BYTES     split the payload into a chain file1.cab, file2.cab, ...\n"
           "                       of at most BYTES each (K and M suffixes; at least 40K)\n"
           "  --language FILE      the language.tag to ship\n"
           "  --stepwise FILE      Stepwise.exe to ship (Windows: default beside this tool)\n"
           "  --uninstaller FILE   wizuninst.exe to ship (Windows: default beside this tool)\n"
           "  --help               this text\n"
           "\n"
           "exit codes: 0 written, 1 problems found or writing failed, 2 bad command line\n";
}

int RunPack(const PackRequest& request, const std::function<void(const std::string&)>& report) {
    std::string text;
    if (!ReadWholeFile(request.script, &text)) {
        report("cannot read the setup script \"" + request.script + "\"");
        return kPackFailed;
    }
    IniText script = IniText::Parse(text);
    auto sourceExists = [&](const std::string& name) {
        return IsFile(JoinPath(request.sourceFolder, name));
    };

    std::vector<std::string> problems;
    CheckInputs(request, &problems);
    std::string scriptName = FileNamePartOf(request.script);
    for (const ScriptProblem& problem : CheckScript(script, sourceExists))
        problems.push_back(FormatProblem(scriptName, problem));
    if (!problems.empty()) {
        for (const std::string& problem : problems)
            report(problem);
        report("nothing written: " + std::to_string(problems.size()) + " problem" +
               (problems.size() == 1 ? "" : "s"));
        return kPackFailed;
    }

    if (!cabtool::MakeParentDirectories(JoinPath(request.outputFolder, "x")) ||
        !cabtool::Inspect(request.outputFolder).isDirectory) {
        report("cannot create the output folder \"" + request.outputFolder + "\"");
        return kPackFailed;
    }
    std::vector<PackedFile> payload =
        PlanPayload(script, request.sourceFolder, request.uninstaller, sourceExists);
    std::vector<std::string> cabinets;
    std::string error;
    if (!WriteCabinets(request, payload, &cabinets, &error)) {
        report("writing the payload failed: " + error);
        return kPackFailed;
    }
    struct Copy {
        std::string from, name;
    };
    std::vector<Copy> copies = {{request.stepwiseExe, "Stepwise.exe"},
                                {request.script, "data.tag"}};
    if (!request.language.empty())
        copies.push_back({request.language, "language.tag"});
    for (const Copy& copy : copies) {
        if (!CopyWholeFile(copy.from, JoinPath(request.outputFolder, copy.name))) {
            report("cannot write \"" + JoinPath(request.outputFolder, copy.name) + "\"");
            return kPackFailed;
        }
    }
    std::string list;
    for (const std::string& name : cabinets)
        list += (list.empty() ? "" : ", ") + name;
    std::printf("stepwise-pack: %s: %lu payload files in %s\n", request.outputFolder.c_str(),
                static_cast<unsigned long>(payload.size()), list.c_str());
    return kPackOk;
}

}  // namespace stepwise
