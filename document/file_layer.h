#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

#include "document/status.h"

namespace dabro {

// The system calls through which every file is read and written. Each returns what the
// POSIX call returns, with -errno in place of -1, so a test can stand in a layer that fails
// any chosen call.
class FileLayer {
public:
    virtual ~FileLayer() = default;
    virtual int open_read(const std::string& path);
    // Creates a new, private file in the folder of `target`; sets `temp_path`.
    virtual int create_temp_beside(const std::string& target, std::string& temp_path);
    virtual ssize_t read(int fd, void* buffer, std::size_t size);
    virtual ssize_t write(int fd, const void* buffer, std::size_t size);
    virtual int sync(int fd);
    virtual int close(int fd);
    virtual int rename(const std::string& from, const std::string& to);
    virtual int unlink(const std::string& path);
    // The size of an open file, or -errno.
    virtual off_t size_of(int fd);
    // Copies the permission bits of `target`, when it exists, onto the open file.
    virtual int copy_mode(const std::string& target, int fd);
};

// The layer in use; the real one unless a test installed another.
FileLayer& file_layer();

// Installs a layer for the life of this object (tests).
class ScopedFileLayer {
public:
    explicit ScopedFileLayer(FileLayer& layer);
    ~ScopedFileLayer();
    ScopedFileLayer(const ScopedFileLayer&) = delete;
    ScopedFileLayer& operator=(const ScopedFileLayer&) = delete;

private:
    FileLayer* previous_;
};

// Reads a whole file, asking only for read access. Never allocates more than the file's size.
Status read_whole_file(const std::string& path, std::vector<std::uint8_t>& bytes);

// Reads the first `size` bytes of a file; a shorter file fails with "Read beyond end of file".
Status read_file_prefix(const std::string& path, std::size_t size, std::vector<std::uint8_t>& bytes);

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and renames it
// over `path`. On any failure `path` is as it was and the temporary file is gone. An existing
// target's permissions are kept.
Status write_file_atomically(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace dabro
