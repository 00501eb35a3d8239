// Writes Microsoft cabinets: files grouped into folders, each folder stored, MSZIP or LZX
// compressed as one stream, optionally spread over a chain of cabinets of a maximum size
// the way disk-sized payloads are built (the last data block of a cabinet split in two,
// files marked as continued, previous and next cabinet names in the headers).
//
//   cab::CabinetWriter writer("payload.cab", {.maxCabinetSize = 1457664});
//   writer.StartFolder(cab::Compression{cab::CompressionMethod::Lzx, 21});
//   writer.AddFile({"setup.exe", date, time, cab::kAttribArchive}, source, size);
//   cab::DirectoryCabinetSink sink("out");   // or MemoryCabinetSink in tests
//   if (cab::CabError e = writer.Finish(sink)) ...e.message
//
// Compressed folders are kept in memory until Finish() lays out the chain, so memory use is
// about the compressed size of the whole set.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cab/byte_io.h"
#include "cab/cab_error.h"

namespace cab {

enum class CompressionMethod { None, Mszip, Lzx };

struct Compression {
    CompressionMethod method = CompressionMethod::Mszip;
    int lzxWindowBits = 21;  // 15..21, LZX only

    // The CFFOLDER typeCompress value.
    uint16_t TypeField() const;
    // "none", "mszip", "lzx" (window 21) or "lzx:15".."lzx:21", case-insensitive.
    static bool Parse(std::string_view text, Compression* out);
};

struct NewFile {
    std::string name;         // stored name; '\' separates folders
    uint16_t date = 0;        // DOS date
    uint16_t time = 0;        // DOS time
    uint16_t attributes = 0;  // read-only, hidden, system, archive, execute, UTF-8 name
};

// Receives the cabinets of a chain, one after the other.
class CabinetSink {
  public:
    virtual ~CabinetSink() = default;
    virtual bool Open(const std::string& cabinetName) = 0;
    virtual bool Write(const uint8_t* data, size_t size) = 0;
    virtual bool Close() = 0;
};

class MemoryCabinetSink final : public CabinetSink {
  public:
    bool Open(const std::string& cabinetName) override;
    bool Write(const uint8_t* data, size_t size) override;
    bool Close() override { return true; }

    std::map<std::string, std::vector<uint8_t>> cabinets;
    std::vector<std::string> order;
};

// Writes each cabinet as a file in `directory` (empty: the current directory), replacing
// what is there.
class DirectoryCabinetSink final : public CabinetSink {
  public:
    explicit DirectoryCabinetSink(std::string directory) : directory_(std::move(directory)) {}
    ~DirectoryCabinetSink() override;
    bool Open(const std::string& cabinetName) override;
    bool Write(const uint8_t* data, size_t size) override;
    bool Close() override;

  private:
    std::string directory_;
    std::FILE* file_ = nullptr;
};

struct WriterOptions {
    uint32_t maxCabinetSize = 0;  // bytes per cabinet; 0: one cabinet of any size
    uint16_t setId = 0;           // 0: derived from the names and sizes
    // Uncompressed bytes per folder: a file that would take a folder holding data past this
    // size opens a new folder of the same method (files are not split). Several folders can
    // be decoded apart from each other. 0: only the format's limit.
    uint64_t maxFolderSize = 0;
    // LZX tuning, for tests and benchmarks; the defaults suit payloads.
    int lzxFramesPerBlock = 4;
    int lzxMaxChain = 128;
};

// The smallest maximum size the tool accepts: the second part of a split data block (up to
// 32 KB plus the worst expansion) must fit in one cabinet with the headers, because readers
// join a block from two cabinets at most. Finish() reports a size that turns out too small.
constexpr uint32_t kMinCabinetSize = 40960;

class CabinetWriter {
  public:
    explicit CabinetWriter(std::string firstCabinetName, WriterOptions options = {});
    ~CabinetWriter();
    CabinetWriter(const CabinetWriter&) = delete;
    CabinetWriter& operator=(const CabinetWriter&) = delete;

    // Files added after this go into a new folder with `compression`. Without a call, the
    // first file opens an MSZIP folder.
    void StartFolder(const Compression& compression);

    // Reads `size` bytes from `data` (from offset 0) into the current folder. A folder that
    // would outgrow the format's limit is continued in a new folder of the same method.
    CabError AddFile(const NewFile& file, ByteSource& data, uint64_t size);
    CabError AddFile(const NewFile& file, const uint8_t* data, size_t size);

    // Compresses what is left, lays out the chain and writes it to `sink`.
    CabError Finish(CabinetSink& sink);

    // The names of the cabinets written by Finish(), first to last.
    const std::vector<std::string>& CabinetNames() const;

    // The name of the cabinet after `name` in a chain: a trailing number before the
    // extension counts up ("disk1.cab" -> "disk2.cab"), otherwise 2 is appended
    // ("setup.cab" -> "setup2.cab").
    static std::string NextCabinetName(const std::string& name);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace cab
