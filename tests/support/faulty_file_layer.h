#pragma once

#include <array>
#include <cerrno>
#include <cstddef>
#include <string>

#include "document/file_layer.h"

namespace dabro::test {

// The calls of the file layer, to count them and to choose which one fails.
enum class FileCall {
    Any,
    Open,
    OpenOverwrite,
    FindTarget,
    CreateTemp,
    Read,
    Seek,
    Write,
    Sync,
    Close,
    Rename,
    Unlink,
    Size,
    Attributes,
    kCount
};

const char* to_string(FileCall call);

// How a chosen call goes wrong.
enum class Fault {
    Error,       // returns -error, as the system call would set errno
    EndOfFile,   // a read returns 0, as if the file ended there
    ShortWrite,  // a write stores and reports half of what was asked (at least one byte)
    ZeroWrite,   // a write stores nothing and returns 0
};

// A file layer over the real one that counts every call and can be told to make one of them
// fail, to cut reads and writes short, or to run out of disk. Install it with
// ScopedFileLayer.
class FaultyFileLayer : public FileLayer {
  public:
    // The nth call (from 1) of kind `call` goes wrong; later calls work again.
    void fail_nth(FileCall call, int n, Fault fault = Fault::Error, int error = EIO);
    // Every read delivers at most `most` bytes; every write stores at most `most` bytes.
    void short_reads(std::size_t most) { readLimit_ = most; }
    void short_writes(std::size_t most) { writeLimit_ = most; }
    // After `bytes` more bytes the disk is full: a write stores what still fits, and once
    // nothing fits it fails with ENOSPC.
    void disk_full_after(std::size_t bytes);
    // Back to a layer that only counts, with every count at zero.
    void reset();

    int calls(FileCall call) const { return counts_[static_cast<std::size_t>(call)]; }
    // Whether the chosen call was reached and made to fail.
    bool fired() const { return fired_; }
    FileCall fired_call() const { return firedCall_; }

    int open_read(const std::string& path) override;
    int open_overwrite(const std::string& path) override;
    int find_target(const std::string& path, SaveTarget& target) override;
    int create_temp(const std::string& folder, const std::string& name,
                    std::string& temp_path) override;
    ssize_t read(int fd, void* buffer, std::size_t size) override;
    off_t seek(int fd, off_t offset) override;
    ssize_t write(int fd, const void* buffer, std::size_t size) override;
    int sync(int fd) override;
    int close(int fd) override;
    int rename(const std::string& from, const std::string& to) override;
    int unlink(const std::string& path) override;
    off_t size_of(int fd) override;
    int copy_attributes(const std::string& target, int fd) override;

  private:
    // Counts the call; returns the fault to apply to it, if this is the chosen one.
    const Fault* trip(FileCall call);

    std::array<int, static_cast<std::size_t>(FileCall::kCount)> counts_{};
    FileCall failCall_ = FileCall::Any;
    int failAt_ = 0;
    Fault fault_ = Fault::Error;
    int error_ = EIO;
    bool fired_ = false;
    FileCall firedCall_ = FileCall::Any;
    std::size_t readLimit_ = 0;
    std::size_t writeLimit_ = 0;
    bool diskLimited_ = false;
    std::size_t diskLeft_ = 0;
};

}  // namespace dabro::test
