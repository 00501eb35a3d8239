#include "cab/cab_writer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "cab/cab_format.h"
#include "cab/cabinet_layout.h"
#include "cab/safe_name.h"
#include "codec/block_encoder.h"
#include "codec/lzx_encoder.h"
#include "codec/mszip_encoder.h"

namespace cab {
namespace {

constexpr size_t kFrame = codec::kEncodeFrameSize;
constexpr size_t kFixedHeaderSize = 36;
constexpr size_t kFileEntrySize = 16;
// Folders stop below 2 GB so offsets fit in signed 32-bit file positions, and at 65535
// blocks of 32 KB, which the 16-bit block count allows.
constexpr uint64_t kMaxFolderBytes = 0x7FFF8000;
constexpr size_t kMaxStoredName = 255;
constexpr size_t kReadChunk = 1 << 16;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutName(std::vector<uint8_t>& out, const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
}

std::string DiskName(size_t index) {
    return "DISK" + std::to_string(index + 1);
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

struct Folder {
    Compression compression;
    std::unique_ptr<codec::BlockEncoder> encoder;
    std::vector<codec::EncodedBlock> blocks;
    uint64_t size = 0;
};

struct File {
    NewFile info;
    int folder = 0;
    uint32_t offset = 0;
    uint32_t size = 0;
};

}  // namespace

uint16_t Compression::TypeField() const {
    switch (method) {
        case CompressionMethod::None:
            return 0;
        case CompressionMethod::Mszip:
            return 1;
        case CompressionMethod::Lzx:
            return static_cast<uint16_t>(3 | (lzxWindowBits << 8));
    }
    return 0;
}

bool Compression::Parse(std::string_view text, Compression* out) {
    std::string t = Lower(text);
    if (t == "none" || t == "stored") {
        *out = {CompressionMethod::None, 21};
        return true;
    }
    if (t == "mszip") {
        *out = {CompressionMethod::Mszip, 21};
        return true;
    }
    if (t == "lzx") {
        *out = {CompressionMethod::Lzx, 21};
        return true;
    }
    if (t.size() == 6 && t.compare(0, 4, "lzx:") == 0 && std::isdigit((unsigned char)t[4]) &&
        std::isdigit((unsigned char)t[5])) {
        int bits = (t[4] - '0') * 10 + (t[5] - '0');
        if (bits < 15 || bits > 21)
            return false;
        *out = {CompressionMethod::Lzx, bits};
        return true;
    }
    return false;
}

bool MemoryCabinetSink::Open(const std::string& cabinetName) {
    order.push_back(cabinetName);
    cabinets[cabinetName].clear();
    return true;
}

bool MemoryCabinetSink::Write(const uint8_t* data, size_t size) {
    std::vector<uint8_t>& c = cabinets[order.back()];
    c.insert(c.end(), data, data + size);
    return true;
}

DirectoryCabinetSink::~DirectoryCabinetSink() {
    if (file_)
        std::fclose(file_);
}

bool DirectoryCabinetSink::Open(const std::string& cabinetName) {
    std::string path = directory_.empty() ? cabinetName : directory_ + "/" + cabinetName;
    file_ = std::fopen(path.c_str(), "wb");
    return file_ != nullptr;
}

bool DirectoryCabinetSink::Write(const uint8_t* data, size_t size) {
    return file_ && std::fwrite(data, 1, size, file_) == size;
}

bool DirectoryCabinetSink::Close() {
    if (!file_)
        return false;
    bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
}

struct CabinetWriter::Impl {
    std::string firstName;
    WriterOptions options;
    std::vector<Folder> folders;
    std::vector<File> files;
    std::vector<std::string> names;

    void Open(const Compression& compression) {
        if (!folders.empty())
            Close(folders.back());
        Folder folder;
        folder.compression = compression;
        switch (compression.method) {
            case CompressionMethod::None:
                folder.encoder = std::make_unique<codec::StoredEncoder>();
                break;
            case CompressionMethod::Mszip:
                folder.encoder = std::make_unique<codec::MszipEncoder>(9);
                break;
            case CompressionMethod::Lzx: {
                codec::LzxEncoderOptions o;
                o.windowBits = compression.lzxWindowBits;
                o.framesPerBlock = options.lzxFramesPerBlock;
                o.maxChain = options.lzxMaxChain;
                folder.encoder = std::make_unique<codec::LzxEncoder>(o);
                break;
            }
        }
        folders.push_back(std::move(folder));
    }

    // Flushes the folder's last blocks and frees its encoder's window.
    void Close(Folder& folder) {
        if (!folder.encoder)
            return;
        folder.encoder->Finish();
        Collect(folder);
        folder.encoder.reset();
    }

    // Moves the finished blocks out of the encoder, so memory holds compressed data only.
    void Collect(Folder& folder) {
        for (codec::EncodedBlock& block : folder.encoder->TakeBlocks())
            folder.blocks.push_back(std::move(block));
    }

    CabError Begin(const NewFile& file, uint64_t size) {
        if (file.name.empty() || file.name.size() > kMaxStoredName)
            return MakeError(CabErrc::Corrupt,
                             "stored names must be 1 to 255 bytes long: \"" + file.name + "\"");
        // Readers refuse a cabinet with one unsafe name whole: never write one.
        std::string why = CheckStoredName(file.name, (file.attributes & kAttributeNameIsUtf8) != 0);
        if (!why.empty())
            return MakeError(CabErrc::UnsafeName, why + "; readers would refuse the cabinet");
        if (size > kMaxFolderBytes)
            return MakeError(CabErrc::Corrupt,
                             "\"" + file.name + "\" is too large for a cabinet (2 GB at most)");
        if (folders.empty())
            Open(Compression{});
        const uint64_t held = folders.back().size;
        const bool full =
            options.maxFolderSize != 0 && held != 0 && held + size > options.maxFolderSize;
        if (held + size > kMaxFolderBytes || full || CutIsNear(file))
            Open(folders.back().compression);
        Folder& folder = folders.back();
        files.push_back({file, static_cast<int>(folders.size() - 1),
                         static_cast<uint32_t>(folder.size), static_cast<uint32_t>(size)});
        return {};
    }

    void Feed(const uint8_t* data, size_t size) {
        Folder& folder = folders.back();
        folder.encoder->Write(data, size);
        folder.size += size;
        Collect(folder);
    }

    bool CutIsNear(const NewFile& next);
    CabError Plan(std::vector<LayoutCabinet>* plan, uint64_t* lastUsed);
    CabError Write(CabinetSink& sink);
    void Serialize(const LayoutCabinet& cab, size_t index, std::vector<uint8_t>& header);
    uint16_t SetId() const;
};

CabinetWriter::CabinetWriter(std::string firstCabinetName, WriterOptions options)
    : impl_(std::make_unique<Impl>()) {
    impl_->firstName = std::move(firstCabinetName);
    impl_->options = options;
}

CabinetWriter::~CabinetWriter() = default;

void CabinetWriter::StartFolder(const Compression& compression) {
    // An empty folder is dropped rather than written: readers reject folders without data.
    if (!impl_->folders.empty() && impl_->folders.back().size == 0 &&
        std::none_of(impl_->files.begin(), impl_->files.end(), [&](const File& f) {
            return f.folder == static_cast<int>(impl_->folders.size() - 1);
        }))
        impl_->folders.pop_back();
    impl_->Open(compression);
}

CabError CabinetWriter::AddFile(const NewFile& file, ByteSource& data, uint64_t size) {
    if (CabError e = impl_->Begin(file, size))
        return e;
    std::vector<uint8_t> buffer(kReadChunk);
    uint64_t done = 0;
    while (done < size) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(kReadChunk, size - done));
        int64_t got = data.ReadAt(done, buffer.data(), want);
        if (got < 0)
            return MakeError(CabErrc::Io, "could not read \"" + file.name + "\"");
        if (got == 0)
            return MakeError(CabErrc::Io, "\"" + file.name + "\" became shorter while read");
        impl_->Feed(buffer.data(), static_cast<size_t>(got));
        done += static_cast<uint64_t>(got);
    }
    return {};
}

CabError CabinetWriter::AddFile(const NewFile& file, const uint8_t* data, size_t size) {
    if (CabError e = impl_->Begin(file, size))
        return e;
    impl_->Feed(data, size);
    return {};
}

const std::vector<std::string>& CabinetWriter::CabinetNames() const {
    return impl_->names;
}

std::string CabinetWriter::NextCabinetName(const std::string& name) {
    size_t slash = name.find_last_of("/\\");
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = name.size();
    size_t digits = dot;
    while (digits > 0 && digits > (slash == std::string::npos ? 0 : slash + 1) &&
           std::isdigit(static_cast<unsigned char>(name[digits - 1])))
        --digits;
    if (digits == dot)
        return name.substr(0, dot) + "2" + name.substr(dot);
    std::string number = name.substr(digits, dot - digits);
    // Count up in decimal, keeping the width ("disk09" -> "disk10").
    int i = static_cast<int>(number.size()) - 1;
    while (i >= 0 && number[i] == '9')
        number[i--] = '0';
    if (i < 0)
        number.insert(number.begin(), '1');
    else
        number[i]++;
    return name.substr(0, digits) + number + name.substr(dot);
}

CabError CabinetWriter::Finish(CabinetSink& sink) {
    for (Folder& folder : impl_->folders)
        impl_->Close(folder);
    if (impl_->files.empty())
        return MakeError(CabErrc::Corrupt, "a cabinet needs at least one file");
    return impl_->Write(sink);
}

uint16_t CabinetWriter::Impl::SetId() const {
    if (options.setId)
        return options.setId;
    uint32_t h = 2166136261u;  // FNV-1a over names and sizes: stable for the same input
    for (const File& f : files) {
        for (char c : f.info.name)
            h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
        h = (h ^ f.size) * 16777619u;
    }
    uint16_t id = static_cast<uint16_t>(h ^ (h >> 16));
    return id ? id : 1;
}

// Spanning readers (libmspack) take every file of a continued folder in the next cabinet
// for a copy of one listed before it, so no file may start in a folder after a cut. Once the
// current folder has been cut, or a cut may fall before the next file begins, that file
// opens a new folder. Blocks still inside the encoder are counted at their worst size.
bool CabinetWriter::Impl::CutIsNear(const NewFile& next) {
    if (options.maxCabinetSize == 0 || folders.empty())
        return false;
    const int current = static_cast<int>(folders.size() - 1);
    const Folder& folder = folders.back();
    if (std::none_of(files.begin(), files.end(),
                     [&](const File& f) { return f.folder == current; }))
        return false;
    std::vector<LayoutCabinet> plan;
    uint64_t used = 0;
    if (Plan(&plan, &used))
        return true;
    for (size_t i = 0; i + 1 < plan.size(); ++i) {
        for (const LayoutCabinetFolder& part : plan[i].folders) {
            if (part.folder == current)
                return true;
        }
    }
    uint64_t emitted = 0;
    for (const codec::EncodedBlock& block : folder.blocks)
        emitted += block.uncompressedSize;
    uint64_t pending = folder.size - emitted;
    // No encoder expands a block by more than its headers and padding.
    uint64_t margin =
        pending + (pending / kFrame + 2) * 64 + kFileEntrySize + next.name.size() + 64;
    for (const File& f : files) {
        if (f.folder == current && f.offset + static_cast<uint64_t>(f.size) > emitted)
            margin += kFileEntrySize + f.info.name.size() + 1;
    }
    return used + margin > options.maxCabinetSize;
}

CabError CabinetWriter::Impl::Plan(std::vector<LayoutCabinet>* plan, uint64_t* lastUsed) {
    std::vector<LayoutFolder> layoutFolders;
    for (const Folder& folder : folders) {
        LayoutFolder lf;
        for (const codec::EncodedBlock& block : folder.blocks)
            lf.blockSizes.push_back(static_cast<uint32_t>(block.data.size()));
        layoutFolders.push_back(std::move(lf));
    }
    std::vector<LayoutFile> layoutFiles;
    for (const File& file : files) {
        int blocks = static_cast<int>(folders[file.folder].blocks.size());
        LayoutFile lf;
        lf.folder = file.folder;
        lf.firstBlock = std::min(static_cast<int>(file.offset / kFrame), std::max(blocks - 1, 0));
        lf.lastBlock = file.size == 0 ? lf.firstBlock
                                      : static_cast<int>((file.offset + file.size - 1) / kFrame);
        lf.entrySize = static_cast<uint32_t>(kFileEntrySize + file.info.name.size() + 1);
        layoutFiles.push_back(lf);
    }

    // Names of the whole possible chain, made on demand.
    names.assign(1, firstName);
    auto nameAt = [&](size_t i) -> const std::string& {
        while (names.size() <= i)
            names.push_back(NextCabinetName(names.back()));
        return names[i];
    };
    auto fixedHeader = [&](size_t i) -> uint32_t {
        size_t size = kFixedHeaderSize;
        if (i > 0)
            size += nameAt(i - 1).size() + 1 + DiskName(i - 1).size() + 1;
        size += nameAt(i + 1).size() + 1 + DiskName(i + 1).size() + 1;
        return static_cast<uint32_t>(size);
    };

    if (CabError e = LayOutCabinets(layoutFolders, layoutFiles, options.maxCabinetSize, fixedHeader,
                                    plan, lastUsed))
        return e;
    names.resize(plan->size());
    return {};
}

CabError CabinetWriter::Impl::Write(CabinetSink& sink) {
    std::vector<LayoutCabinet> plan;
    if (CabError e = Plan(&plan, nullptr))
        return e;

    for (size_t i = 0; i < plan.size(); ++i) {
        std::vector<uint8_t> header;
        Serialize(plan[i], i, header);
        if (!sink.Open(names[i]))
            return MakeError(CabErrc::WriteFailed,
                             "could not create \"" + names[i] + "\": " + std::strerror(errno));
        bool ok = sink.Write(header.data(), header.size());
        for (const LayoutCabinetFolder& part : plan[i].folders) {
            const Folder& folder = folders[part.folder];
            for (const LayoutPiece& piece : part.pieces) {
                const codec::EncodedBlock& block = folder.blocks[piece.block];
                const uint8_t* data = block.data.data() + piece.offset;
                std::vector<uint8_t> head;
                Put32(head, 0);
                Put16(head, piece.size);
                Put16(head, piece.splitToNext ? 0 : block.uncompressedSize);
                uint32_t sum = Checksum(head.data() + 4, 4, Checksum(data, piece.size, 0));
                for (int k = 0; k < 4; ++k)
                    head[k] = static_cast<uint8_t>(sum >> (8 * k));
                ok = ok && sink.Write(head.data(), head.size()) && sink.Write(data, piece.size);
            }
        }
        if (!sink.Close() || !ok)
            return MakeError(CabErrc::WriteFailed, "could not write \"" + names[i] + "\"");
    }
    return {};
}

void CabinetWriter::Impl::Serialize(const LayoutCabinet& cab,
                                    size_t index,
                                    std::vector<uint8_t>& out) {
    uint16_t flags = (index > 0 ? 0x0001 : 0) | (cab.hasNext ? 0x0002 : 0);
    size_t headerSize = kFixedHeaderSize;
    if (index > 0)
        headerSize += names[index - 1].size() + 1 + DiskName(index - 1).size() + 1;
    if (cab.hasNext)
        headerSize += names[index + 1].size() + 1 + DiskName(index + 1).size() + 1;
    size_t fileCount = 0;
    size_t filesSize = 0;
    size_t dataSize = 0;
    for (const LayoutCabinetFolder& part : cab.folders) {
        fileCount += part.files.size();
        for (int f : part.files)
            filesSize += kFileEntrySize + files[f].info.name.size() + 1;
        for (const LayoutPiece& piece : part.pieces)
            dataSize += 8 + piece.size;
    }
    uint32_t filesOffset = static_cast<uint32_t>(headerSize + 8 * cab.folders.size());
    uint32_t dataOffset = static_cast<uint32_t>(filesOffset + filesSize);

    out.clear();
    out.insert(out.end(), {'M', 'S', 'C', 'F'});
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(dataOffset + dataSize));
    Put32(out, 0);
    Put32(out, filesOffset);
    Put32(out, 0);
    out.push_back(3);  // version 1.3
    out.push_back(1);
    Put16(out, static_cast<uint32_t>(cab.folders.size()));
    Put16(out, static_cast<uint32_t>(fileCount));
    Put16(out, flags);
    Put16(out, SetId());
    Put16(out, static_cast<uint32_t>(index));
    if (index > 0) {
        PutName(out, names[index - 1]);
        PutName(out, DiskName(index - 1));
    }
    if (cab.hasNext) {
        PutName(out, names[index + 1]);
        PutName(out, DiskName(index + 1));
    }
    uint32_t blockOffset = dataOffset;
    for (const LayoutCabinetFolder& part : cab.folders) {
        Put32(out, blockOffset);
        Put16(out, static_cast<uint32_t>(part.pieces.size()));
        Put16(out, folders[part.folder].compression.TypeField());
        for (const LayoutPiece& piece : part.pieces)
            blockOffset += 8 + piece.size;
    }
    for (size_t i = 0; i < cab.folders.size(); ++i) {
        const LayoutCabinetFolder& part = cab.folders[i];
        for (size_t k = 0; k < part.files.size(); ++k) {
            const File& file = files[part.files[k]];
            Put32(out, file.size);
            Put32(out, file.offset);
            Put16(out, part.marks[k] ? part.marks[k] : static_cast<uint32_t>(i));
            Put16(out, file.info.date);
            Put16(out, file.info.time);
            Put16(out, file.info.attributes);
            PutName(out, file.info.name);
        }
    }
}

}  // namespace cab
