// The system-call layer every file goes through, and the readers built on it.
#pragma once

#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "document/status.h"

namespace dabro {

// What a save learns of the file it is about to replace.
struct SaveTarget {
    std::string path;     // the file itself, with every symbolic link on the way followed
    bool exists = false;  // a regular file or something else of that name is there
    bool shared = false;  // the file has other hard links, which a rename would cut off
};

// The system calls through which every file is read and written. Each returns what the
// POSIX call returns, with -errno in place of -1, so a test can stand in a layer that fails
// any chosen call.
class FileLayer {
  public:
    virtual ~FileLayer() = default;
    virtual int open_read(const std::string& path);
    // Opens an existing file for writing over it from its start, emptied.
    virtual int open_overwrite(const std::string& path);
    // Follows the symbolic links from `path` to the file a save must write, which need not
    // exist yet, and says what is there.
    virtual int find_target(const std::string& path, SaveTarget& target);
    // Creates a new, private file in `folder` (empty: the current folder) whose name comes
    // from `name` and stays well within the system's limit; sets `temp_path`.
    virtual int create_temp(const std::string& folder, const std::string& name,
                            std::string& temp_path);
    virtual ssize_t read(int fd, void* buffer, std::size_t size);
    // Moves the read position to `offset` bytes from the start; returns it, or -errno.
    virtual off_t seek(int fd, off_t offset);
    virtual ssize_t write(int fd, const void* buffer, std::size_t size);
    virtual int sync(int fd);
    virtual int close(int fd);
    virtual int rename(const std::string& from, const std::string& to);
    virtual int unlink(const std::string& path);
    // The names in a folder, "." and ".." left out; 0, or -errno.
    virtual int list_folder(const std::string& path, std::vector<std::string>& names);
    // The size of an open file, or -errno.
    virtual off_t size_of(int fd);
    // Gives the open file the permission bits, owner and group of `target` when it exists
    // (owner and group as far as the system lets this process), else the mode of a new file.
    virtual int copy_attributes(const std::string& target, int fd);
};

// A call's result of -errno as a failure with the system's message.
Status error_from(long result);

// Reads until `size` bytes are in or the file ends; returns the count read, or -errno.
ssize_t read_fully(FileLayer& layer, int fd, std::uint8_t* buffer, std::size_t size);

// The buffer of the readers and of the save's copy: big enough that the system calls cost
// little against the copying, small enough to stay in the processor's cache while its bytes
// are taken out again.
inline constexpr std::size_t kReaderBuffer = 128 * 1024;

// The folder for a copy that cannot be kept beside its target: $TMPDIR, else /tmp.
std::string temp_folder();

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

// Reads a whole file of at most `maxBytes` (else a FileTooLarge failure); any failure is
// about the file.
Status read_input_file(const std::string& path, std::size_t maxBytes,
                       std::vector<std::uint8_t>& bytes);

// Reads the first `size` bytes of a file; a shorter file fails with "Read beyond end of file".
Status read_file_prefix(const std::string& path, std::size_t size,
                        std::vector<std::uint8_t>& bytes);

// Reads a file front to back through a small buffer of its own, so that a large file never
// has to be in memory twice: the caller takes the bytes field by field and appends long runs
// straight to where they are kept. The size is taken when the file is opened and no read goes
// beyond it. The first read that fails, or that would pass the end, fails every later one.
class FileReader {
  public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    Status open(const std::string& path);

    bool ok() const { return status_.ok(); }
    // Why reading stopped: the failed call's error, or "Read beyond end of file".
    const Status& status() const { return status_; }
    std::size_t size() const { return size_; }
    std::size_t position() const { return filePos_ - (end_ - at_); }
    std::size_t remaining() const { return size_ - position(); }

    bool read(void* out, std::size_t n);
    bool skip(std::size_t n);
    bool seek(std::size_t position);
    // Appends the next n bytes to `out`; nothing is allocated unless the file holds them.
    bool append(std::vector<std::uint8_t>& out, std::size_t n);

  private:
    bool refill();
    bool fail(Status status);

    FileLayer* layer_ = nullptr;
    int fd_ = -1;
    std::size_t size_ = 0;
    std::size_t filePos_ = 0;  // where the next read of the file starts
    std::size_t at_ = 0;       // next unread byte in buffer_
    std::size_t end_ = 0;      // bytes held in buffer_
    bool jumped_ = false;      // filePos_ moved; the file's own position follows at the next read
    std::unique_ptr<std::uint8_t[]> buffer_;
    Status status_;
    std::string path_;
};

}  // namespace dabro

// Every writer saves through the atomic save; it is declared with the layer it uses.
#include "document/atomic_save.h"  // IWYU pragma: export
