// Extraction of one cabinet on a worker thread through the decoder's FDI-style interface,
// and the notification callback that writes the files into the extraction folder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "cab/fdi.h"
#include "extract/preparing_timers.h"
#include "script/installer_context.h"

namespace stepwise {

// Asked when the next cabinet of a chain is missing; true to look again, false to give up.
// The installer's prompt ends the program on Cancel and never returns false.
using NextDiskPrompt = std::function<bool(const std::string& missingPath)>;

// The user data ExtractionNotify works with.
struct ExtractionJob {
    std::string extractionFolder;  // TempFolder, ends with a backslash
    std::string setupFolder;
    NextDiskPrompt promptNextDisk;
    // Where a failure's message goes; empty: the installer's message box.
    std::function<void(const std::string& message)> reportFailure;
    // The files being written, by handle: files that share bytes in a folder are open at
    // the same time, and each is stamped with its own time and attributes when closed.
    std::map<intptr_t, std::wstring> destinations;
    // Opens a destination file like _wopen; tests watch the file system at this seam.
    int (*openFile)(const wchar_t* path, int flags, int mode) = nullptr;
};

// The notification callback: writes every file into the extraction folder, then sets its
// stored time and attributes. `notification->user` is the ExtractionJob.
intptr_t ExtractionNotify(cab::FdiNotificationType type, cab::FdiNotification* notification);

// The decoder's I/O on C runtime file handles.
cab::FdiContext* CreateDecoder(cab::FdiError* error);

// The installer's "Please insert next disk..." box: OK looks again, Cancel ends the program.
bool PromptNextDisk(const std::string& missingPath);

// Starts the worker thread for `stage`; it clears the stage's running flag on success and
// shows the failure's message otherwise.
void StartExtractionWorker(ExtractionStage stage,
                           const InstallerContext& context,
                           PreparingFlags& flags);

// The worker's body, run on the calling thread; returns true when the cabinet was extracted.
bool ExtractCabinet(const std::string& cabinetPath, ExtractionJob& job);

}  // namespace stepwise
