// The small I/O interface every cabinet reader goes through, so tests can read from memory,
// fail on the Nth read, or count bytes instead of writing them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace cab {

// Random-access input.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to `count` bytes at `offset`. Returns the number read, fewer only at the end of
    // the data, or -1 on an I/O error.
    virtual int64_t ReadAt(uint64_t offset, void* buffer, size_t count) = 0;
};

// Bytes in memory, owned or borrowed.
class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::vector<uint8_t> bytes)
        : owned_(std::move(bytes)), data_(owned_.data()), size_(owned_.size()) {}
    // Borrows `data`: it must outlive the source.
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override;

  private:
    std::vector<uint8_t> owned_;
    const uint8_t* data_;
    size_t size_;
};

// A file opened read-only in binary mode. Reads from several threads take turns.
//
// Data blocks are read one after another, a few KB each, by every folder being decoded: a
// few read-ahead windows, one per reader in the common case, take them in large reads
// instead of a system call per block, and readers at different places in the file do not
// throw away each other's window.
class FileSource final : public ByteSource {
  public:
    static constexpr size_t kWindowSize = 256 * 1024;
    static constexpr size_t kWindows = 4;

    // Returns nullptr when the file cannot be opened.
    static std::unique_ptr<FileSource> Open(const std::string& path);
    ~FileSource() override;
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override;

  private:
    struct Window {
        std::unique_ptr<uint8_t[]> bytes;
        uint64_t start = 0;
        size_t size = 0;    // bytes held; fewer than kWindowSize at the end of the file
        uint64_t used = 0;  // when it last served a read, to reuse the oldest
    };
    explicit FileSource(std::FILE* file) : file_(file) {}
    // Reads straight from the file; -1 on an error.
    int64_t ReadFile(uint64_t offset, void* buffer, size_t count);

    std::mutex mutex_;
    std::FILE* file_;
    uint64_t position_ = 0;  // where the stream is, to skip seeks on sequential reads
    Window windows_[kWindows];
    uint64_t reads_ = 0;
};

// Output of one extracted file.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Returns false when the bytes could not be stored; extraction of the file then fails.
    virtual bool Write(const uint8_t* data, size_t size) = 0;
};

class VectorSink final : public ByteSink {
  public:
    bool Write(const uint8_t* data, size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    std::vector<uint8_t> bytes;
};

// Counts bytes and drops them, for testing a cabinet without writing anything.
class NullSink final : public ByteSink {
  public:
    bool Write(const uint8_t*, size_t size) override {
        count += size;
        return true;
    }
    uint64_t count = 0;
};

}  // namespace cab
