// High-level cabinet reader: open a cabinet (and the rest of its chain), list its folders and
// files, extract or test files. Used by the stepwise-cab tool and by tests; the installer
// uses the FDI-style interface in fdi.h, which shares the same parser and data path.
//
//   cab::CabinetReader reader;
//   auto next = [&](const std::string& name, const std::string& disk) {
//       return cab::FileSource::Open(dir + "/" + name);   // nullptr when absent
//   };
//   if (cab::CabError e = reader.Open(cab::FileSource::Open(path), path, next)) { ...e.message }
//   for (const cab::FileEntry& f : reader.Files()) printf("%s %u\n", f.name.c_str(), f.size);
//   reader.ExtractAll(
//       [&](const cab::FileEntry& f) -> cab::ByteSink* { ...return a sink or nullptr to skip },
//       [&](const cab::FileEntry& f, const cab::CabError& result) { ...close the sink });
//
// Without a resolver only the first cabinet is read; files that continue into the next
// cabinet then fail with CabErrc::MissingCabinet when extracted. Stored names are checked
// (see safe_name.h) when the cabinet is opened: an unsafe name fails Open with UnsafeName,
// so nothing of such a cabinet is ever extracted. Names are bytes as stored: the system code
// page, or UTF-8 when FileEntry::nameIsUtf8.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cab/byte_io.h"
#include "cab/cab_error.h"
#include "cab/cab_format.h"

namespace cab {

struct CabinetEntry {
    std::string displayName;  // as given to Open or the resolver's name
    uint32_t size = 0;        // cbCabinet
    uint16_t setId = 0;
    uint16_t index = 0;  // iCabinet, 0-based number in the set
    uint16_t flags = 0;  // kFlag* of cab_format.h
    std::string prevCabinet, prevDisk, nextCabinet, nextDisk;  // empty when absent
    std::vector<uint8_t> headerReserve;
    uint8_t folderReserveSize = 0;
    uint8_t dataReserveSize = 0;
};

struct FolderEntry {
    uint16_t compression = 0;        // typeCompress: method, Quantum level, window bits
    uint32_t blockCount = 0;         // data blocks over all cabinets the folder spans
    int firstCabinet = 0;            // index into Cabinets()
    int cabinetCount = 1;            // how many cabinets hold part of it
    std::string MethodName() const;  // "none", "MSZIP", "LZX:21", "Quantum:4:20", ...
};

struct FileEntry {
    std::string name;
    uint32_t size = 0;
    uint32_t folderOffset = 0;  // uoffFolderStart
    int folder = -1;            // index into Folders(); -1 when it starts in an earlier
                                // cabinet than the first one opened
    int cabinet = 0;            // the cabinet whose file table lists it first
    uint16_t date = 0;          // DOS date
    uint16_t time = 0;          // DOS time
    uint16_t attributes = 0;    // as stored (kAttributeNameIsUtf8: name is UTF-8)
    bool continuedFromPrev = false;
    bool continuedToNext = false;
    bool nameIsUtf8() const { return (attributes & kAttributeNameIsUtf8) != 0; }
};

class CabinetReader {
  public:
    // Finds the next cabinet of a chain by its stored name and disk name; returns nullptr
    // when it is not there.
    using Resolver = std::function<std::unique_ptr<ByteSource>(const std::string& cabinet,
                                                               const std::string& disk)>;
    // Returns the sink for a file, or nullptr to skip it. Asked when decoding reaches the
    // file's first byte; files that share bytes have their sinks open at the same time.
    using OpenSink = std::function<ByteSink*(const FileEntry& file)>;
    // Called once per file that was not skipped, with its result; also for files never
    // asked for a sink because decoding failed before them or they cannot be decoded.
    using FileDone = std::function<void(const FileEntry& file, const CabError& result)>;

    CabinetReader();
    ~CabinetReader();
    CabinetReader(const CabinetReader&) = delete;
    CabinetReader& operator=(const CabinetReader&) = delete;

    // Parses the cabinet and, with a resolver, every next cabinet of its chain. A missing
    // or mismatched next cabinet fails with MissingCabinet or WrongCabinet.
    CabError Open(std::unique_ptr<ByteSource> source,
                  const std::string& displayName = "",
                  Resolver resolver = nullptr);

    const std::vector<CabinetEntry>& Cabinets() const;
    const std::vector<FolderEntry>& Folders() const;
    // Every file once, in file-table order over the chain.
    const std::vector<FileEntry>& Files() const;

    // Extracts one file into `sink`.
    CabError Extract(size_t fileIndex, ByteSink& sink);

    // Extracts every file, decoding each folder once from its start, in offset order,
    // however the file table orders or overlaps its files. Errors reach as cab_error.h
    // says: a folder error ends the folder (its remaining files are reported with it) and
    // extraction goes on with the next folder; any other error stops, and every file not
    // extracted yet is reported with it. Returns the first error met.
    CabError ExtractAll(const OpenSink& openSink, const FileDone& done);

    // Decodes every file and checks every checksum without writing anything.
    CabError Test(const FileDone& done = nullptr);

    // Threads ExtractAll and Test decode folders on (0: one per hardware thread; 1, the
    // default: the calling thread only). With more, folders decode at the same time, but
    // the callbacks still run on the calling thread, in the order and with the results one
    // thread gives. The sources then must allow reads from several threads (the ones in
    // byte_io.h and cab_search.h do).
    void SetDecodeThreads(unsigned threads) { threads_ = threads; }
    // With more than one thread, lets a second thread decode later blocks of a lone MSZIP
    // folder ahead (mszip_ahead.h); off by default, as it pays only with a core to spare.
    void SetDecodeAhead(bool on) { decodeAhead_ = on; }

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    unsigned threads_ = 1;
    bool decodeAhead_ = false;
};

}  // namespace cab
