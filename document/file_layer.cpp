#include "document/file_layer.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dabro {

namespace {

int result_or_errno(int result) { return result < 0 ? -errno : result; }

FileLayer& real_layer() {
    static FileLayer layer;
    return layer;
}

FileLayer* current_layer = nullptr;

Status error_from(long result) { return Status::file_error(file_error_code_from_errno(static_cast<int>(-result))); }

// Reads until `size` bytes are in or the file ends; returns the count read, or -errno.
ssize_t read_fully(FileLayer& layer, int fd, std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = layer.read(fd, buffer + done, size - done);
        if (n == -EINTR) continue;
        if (n < 0) return n;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

Status read_file(const std::string& path, std::size_t wanted, bool exact,
                 std::vector<std::uint8_t>& bytes) {
    FileLayer& layer = file_layer();
    const int fd = layer.open_read(path);
    if (fd < 0) return error_from(fd);
    std::size_t size = wanted;
    if (!exact) {
        const off_t file_size = layer.size_of(fd);
        if (file_size < 0) {
            layer.close(fd);
            return error_from(file_size);
        }
        size = static_cast<std::size_t>(file_size);
    }
    std::vector<std::uint8_t> buffer(size);
    const ssize_t n = read_fully(layer, fd, buffer.data(), size);
    layer.close(fd);
    if (n < 0) return error_from(n);
    if (exact && static_cast<std::size_t>(n) < wanted) return Status::file_error(kReadBeyondEnd);
    buffer.resize(static_cast<std::size_t>(n));
    bytes = std::move(buffer);
    return Status::success();
}

}  // namespace

int FileLayer::open_read(const std::string& path) {
    return result_or_errno(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

int FileLayer::create_temp_beside(const std::string& target, std::string& temp_path) {
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string pattern = folder + "." + name + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return -errno;
    temp_path = pattern;
    return fd;
}

ssize_t FileLayer::read(int fd, void* buffer, std::size_t size) {
    const ssize_t n = ::read(fd, buffer, size);
    return n < 0 ? -errno : n;
}

ssize_t FileLayer::write(int fd, const void* buffer, std::size_t size) {
    const ssize_t n = ::write(fd, buffer, size);
    return n < 0 ? -errno : n;
}

int FileLayer::sync(int fd) { return result_or_errno(::fsync(fd)); }

int FileLayer::close(int fd) { return result_or_errno(::close(fd)); }

int FileLayer::rename(const std::string& from, const std::string& to) {
    return result_or_errno(::rename(from.c_str(), to.c_str()));
}

int FileLayer::unlink(const std::string& path) { return result_or_errno(::unlink(path.c_str())); }

off_t FileLayer::size_of(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) < 0) return -errno;
    if (S_ISDIR(st.st_mode)) return -EISDIR;
    return st.st_size;
}

int FileLayer::copy_mode(const std::string& target, int fd) {
    struct stat st {};
    if (::stat(target.c_str(), &st) < 0) {
        if (errno == ENOENT) {
            // A new file gets the mode a plain create would give it.
            const mode_t mask = ::umask(0);
            ::umask(mask);
            return result_or_errno(::fchmod(fd, 0666 & ~mask));
        }
        return -errno;
    }
    return result_or_errno(::fchmod(fd, st.st_mode & 07777));
}

FileLayer& file_layer() { return current_layer ? *current_layer : real_layer(); }

ScopedFileLayer::ScopedFileLayer(FileLayer& layer) : previous_(current_layer) { current_layer = &layer; }

ScopedFileLayer::~ScopedFileLayer() { current_layer = previous_; }

Status read_whole_file(const std::string& path, std::vector<std::uint8_t>& bytes) {
    return read_file(path, 0, false, bytes);
}

Status read_file_prefix(const std::string& path, std::size_t size, std::vector<std::uint8_t>& bytes) {
    return read_file(path, size, true, bytes);
}

Status write_file_atomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    FileLayer& layer = file_layer();
    std::string temp;
    const int fd = layer.create_temp_beside(path, temp);
    if (fd < 0) return error_from(fd);

    auto fail = [&](long result) {
        layer.close(fd);
        layer.unlink(temp);
        return error_from(result);
    };

    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = layer.write(fd, bytes.data() + done, bytes.size() - done);
        if (n == -EINTR) continue;
        if (n < 0) return fail(n);
        // A write that stores nothing means the disk is full; partial writes are resumed.
        if (n == 0) return fail(-ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    if (const int r = layer.copy_mode(path, fd); r < 0) return fail(r);
    if (const int r = layer.sync(fd); r < 0) return fail(r);
    if (const int r = layer.close(fd); r < 0) {
        layer.unlink(temp);
        return error_from(r);
    }
    if (const int r = layer.rename(temp, path); r < 0) {
        layer.unlink(temp);
        return error_from(r);
    }
    return Status::success();
}

}  // namespace dabro
