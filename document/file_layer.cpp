#include "document/file_layer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "document/name_text.h"

namespace dabro {

namespace {

int result_or_errno(int result) {
    return result < 0 ? -errno : result;
}

FileLayer& real_layer() {
    static FileLayer layer;
    return layer;
}

FileLayer* current_layer = nullptr;

Status error_from(long result) {
    return Status::from_errno(static_cast<int>(-result));
}

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
    // Fewer bytes than asked for, also fewer than the size the file had when it was opened
    // (it was cut meanwhile): taking them would import part of a file as if it were whole.
    if (static_cast<std::size_t>(n) < size) return Status::file_error(kReadBeyondEnd);
    bytes = std::move(buffer);
    return Status::success();
}

}  // namespace

int FileLayer::open_read(const std::string& path) {
    return result_or_errno(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

int FileLayer::open_overwrite(const std::string& path) {
    return result_or_errno(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
}

int FileLayer::find_target(const std::string& path, SaveTarget& target) {
    // As many links as the system itself follows before it gives up with ELOOP.
    constexpr int kMostLinks = 40;
    std::string at = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) < 0) {
            if (errno != ENOENT) return -errno;
            target = SaveTarget{at, false, false};
            return 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            target = SaveTarget{at, true, S_ISREG(st.st_mode) && st.st_nlink > 1};
            return 0;
        }
        if (hops == kMostLinks) return -ELOOP;
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(at.c_str(), link.data(), link.size());
        if (n < 0) return -errno;
        // The link grew between the two calls; read it again.
        if (static_cast<std::size_t>(n) == link.size()) {
            --hops;
            continue;
        }
        link.resize(static_cast<std::size_t>(n));
        const auto slash = at.find_last_of('/');
        at = link.starts_with('/') || slash == std::string::npos ? link
                                                                 : at.substr(0, slash + 1) + link;
    }
}

int FileLayer::create_temp(const std::string& folder, const std::string& name,
                           std::string& temp_path) {
    // A short name whatever the target's length: a file name may take the system's whole
    // limit, and the temporary one beside it must fit too.
    constexpr std::size_t kNameKept = 32;
    std::string pattern = folder.empty() || folder.ends_with('/') ? folder : folder + "/";
    pattern += "." + name.substr(0, cut_length(name, kNameKept)) + ".XXXXXX.tmp";
    const int fd = ::mkostemps(pattern.data(), 4, O_CLOEXEC);
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

off_t FileLayer::seek(int fd, off_t offset) {
    const off_t at = ::lseek(fd, offset, SEEK_SET);
    return at < 0 ? -errno : at;
}

int FileLayer::sync(int fd) {
    return result_or_errno(::fsync(fd));
}

int FileLayer::close(int fd) {
    return result_or_errno(::close(fd));
}

int FileLayer::rename(const std::string& from, const std::string& to) {
    return result_or_errno(::rename(from.c_str(), to.c_str()));
}

int FileLayer::unlink(const std::string& path) {
    return result_or_errno(::unlink(path.c_str()));
}

off_t FileLayer::size_of(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) < 0) return -errno;
    if (S_ISDIR(st.st_mode)) return -EISDIR;
    return st.st_size;
}

int FileLayer::copy_attributes(const std::string& target, int fd) {
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
    // Owner first: a change of owner clears the set-user-ID and set-group-ID bits. Only a
    // privileged process may give the file away; the group may still be one of ours.
    if (::fchown(fd, st.st_uid, st.st_gid) < 0 && (errno == EPERM || errno == EINVAL))
        (void)::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    return result_or_errno(::fchmod(fd, st.st_mode & 07777));
}

std::string temp_folder() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

FileLayer& file_layer() {
    return current_layer ? *current_layer : real_layer();
}

ScopedFileLayer::ScopedFileLayer(FileLayer& layer) : previous_(current_layer) {
    current_layer = &layer;
}

ScopedFileLayer::~ScopedFileLayer() {
    current_layer = previous_;
}

Status read_whole_file(const std::string& path, std::vector<std::uint8_t>& bytes) {
    return read_file(path, 0, false, bytes).about(path);
}

Status read_file_prefix(const std::string& path, std::size_t size,
                        std::vector<std::uint8_t>& bytes) {
    return read_file(path, size, true, bytes).about(path);
}

namespace {

// Big enough that the system calls cost little against the copying, small enough to stay in
// the processor's cache while its bytes are taken out again.
constexpr std::size_t kReaderBuffer = 128 * 1024;

class FileSink final : public ByteSink {
  public:
    FileSink(FileLayer& layer, int fd) : layer_(layer), fd_(fd) {}

    Status write(std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = layer_.write(fd_, bytes.data() + done, bytes.size() - done);
            if (n == -EINTR) continue;
            if (n < 0) return error_from(n);
            // A write that stores nothing means the disk is full; partial writes are resumed.
            if (n == 0) return error_from(-ENOSPC);
            done += static_cast<std::size_t>(n);
        }
        return Status::success();
    }

  private:
    FileLayer& layer_;
    int fd_;
};

}  // namespace

FileReader::~FileReader() {
    if (fd_ >= 0) layer_->close(fd_);
}

Status FileReader::open(const std::string& path) {
    layer_ = &file_layer();
    path_ = path;
    const int fd = layer_->open_read(path);
    if (fd < 0) return status_ = error_from(fd).about(path);
    fd_ = fd;
    const off_t size = layer_->size_of(fd_);
    if (size < 0) return status_ = error_from(size).about(path);
    size_ = static_cast<std::size_t>(size);
    buffer_ = std::make_unique_for_overwrite<std::uint8_t[]>(kReaderBuffer);
    return status_;
}

bool FileReader::fail(Status status) {
    if (status_.ok()) status_ = status.about(path_);
    at_ = end_ = 0;
    return false;
}

bool FileReader::refill() {
    if (jumped_) {
        const off_t at = layer_->seek(fd_, static_cast<off_t>(filePos_));
        if (at < 0) return fail(error_from(at));
        jumped_ = false;
    }
    const std::size_t wanted = std::min(kReaderBuffer, size_ - filePos_);
    const ssize_t n = read_fully(*layer_, fd_, buffer_.get(), wanted);
    if (n < 0) return fail(error_from(n));
    // The file was cut since it was opened.
    if (static_cast<std::size_t>(n) < wanted) return fail(Status::file_error(kReadBeyondEnd));
    at_ = 0;
    end_ = wanted;
    filePos_ += wanted;
    return true;
}

bool FileReader::read(void* out, std::size_t n) {
    if (!ok() || fd_ < 0) return false;
    if (n > remaining()) return fail(Status::file_error(kReadBeyondEnd));
    auto* to = static_cast<std::uint8_t*>(out);
    while (n > 0) {
        if (at_ == end_ && !refill()) return false;
        const std::size_t k = std::min(n, end_ - at_);
        std::memcpy(to, buffer_.get() + at_, k);
        at_ += k;
        to += k;
        n -= k;
    }
    return true;
}

bool FileReader::append(std::vector<std::uint8_t>& out, std::size_t n) {
    if (!ok() || fd_ < 0) return false;
    if (n > remaining()) return fail(Status::file_error(kReadBeyondEnd));
    out.reserve(out.size() + n);
    while (n > 0) {
        if (at_ == end_ && !refill()) return false;
        const std::size_t k = std::min(n, end_ - at_);
        out.insert(out.end(), buffer_.get() + at_, buffer_.get() + at_ + k);
        at_ += k;
        n -= k;
    }
    return true;
}

bool FileReader::skip(std::size_t n) {
    if (!ok() || fd_ < 0) return false;
    if (n > remaining()) return fail(Status::file_error(kReadBeyondEnd));
    const std::size_t buffered = end_ - at_;
    if (n <= buffered) {
        at_ += n;
        return true;
    }
    // A short step past the window reads on; only a long one is worth a seek.
    n -= buffered;
    at_ = end_;
    if (n >= kReaderBuffer) return seek(filePos_ + n);
    if (!refill()) return false;
    at_ = n;
    return true;
}

bool FileReader::seek(std::size_t position) {
    if (!ok() || fd_ < 0) return false;
    if (position > size_) return fail(Status::file_error(kReadBeyondEnd));
    const std::size_t bufferStart = filePos_ - end_;
    if (position >= bufferStart && position <= filePos_) {
        at_ = position - bufferStart;
        return true;
    }
    // The file's own position moves with the next read, so a seek followed by a skip costs
    // one system call.
    filePos_ = position;
    at_ = end_ = 0;
    jumped_ = true;
    return true;
}

Status write_file_atomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    return write_file_atomically(path, [bytes](ByteSink& sink) { return sink.write(bytes); });
}

namespace {

// The save's temporary file, removed unless it is kept on purpose.
struct TempFile {
    FileLayer& layer;
    std::string path;
    int fd = -1;
    bool keep = false;

    ~TempFile() {
        if (fd >= 0) layer.close(fd);
        if (!path.empty() && !keep) layer.unlink(path);
    }
    // Flushes and closes; the file's bytes are then on the disk.
    Status finish() {
        if (const int r = layer.sync(fd); r < 0) return error_from(r);
        const int r = layer.close(fd);
        fd = -1;
        return r < 0 ? error_from(r) : Status::success();
    }
};

bool refused(int result) {
    return result == -EACCES || result == -EPERM;
}

std::string folder_of(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string name_of(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Copies the finished temporary file over the target, which stays the same file.
Status copy_over(FileLayer& layer, const std::string& from, const std::string& to) {
    const int in = layer.open_read(from);
    if (in < 0) return error_from(in);
    const int out = layer.open_overwrite(to);
    if (out < 0) {
        layer.close(in);
        return error_from(out);
    }
    Status status;
    FileSink sink(layer, out);
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kReaderBuffer);
    for (;;) {
        const ssize_t n = read_fully(layer, in, buffer.get(), kReaderBuffer);
        if (n < 0) status = error_from(n);
        if (n <= 0 || !status.ok()) break;
        status = sink.write({buffer.get(), static_cast<std::size_t>(n)});
        if (!status.ok()) break;
    }
    layer.close(in);
    if (status.ok()) {
        if (const int r = layer.sync(out); r < 0) status = error_from(r);
    }
    if (const int r = layer.close(out); r < 0 && status.ok()) status = error_from(r);
    return status;
}

// Copies a finished temporary file over the target; on failure keeps it and names it.
Status place(TempFile& temp, const std::string& target) {
    Status s = copy_over(temp.layer, temp.path, target);
    if (s.ok()) return s;
    temp.keep = true;
    return s.with_detail("; the complete file is kept as " + temp.path);
}

// Writes the whole content to a temporary file, to be sure the disk takes it, and then over
// the target in place.
Status write_in_place(FileLayer& layer, const SaveTarget& target,
                      const std::function<Status(ByteSink&)>& produce) {
    TempFile temp{layer, {}};
    temp.fd = layer.create_temp(folder_of(target.path), name_of(target.path), temp.path);
    if (refused(temp.fd))
        temp.fd = layer.create_temp(temp_folder(), name_of(target.path), temp.path);
    if (temp.fd < 0) return error_from(temp.fd);
    FileSink sink(layer, temp.fd);
    if (Status s = produce(sink); !s.ok()) return s;
    if (Status s = temp.finish(); !s.ok()) return s;
    return place(temp, target.path);
}

}  // namespace

namespace {

Status write_through_temp(const std::string& path,
                          const std::function<Status(ByteSink&)>& produce) {
    FileLayer& layer = file_layer();
    SaveTarget target;
    if (const int r = layer.find_target(path, target); r < 0) return error_from(r);
    if (target.shared) return write_in_place(layer, target, produce);

    TempFile temp{layer, {}};
    temp.fd = layer.create_temp(folder_of(target.path), name_of(target.path), temp.path);
    if (temp.fd < 0) {
        // A folder the user may not write to, holding a file they may.
        if (refused(temp.fd) && target.exists) return write_in_place(layer, target, produce);
        if (temp.fd == -ENOENT || temp.fd == -ENOTDIR)
            return error_from(temp.fd).about_folder(folder_of(target.path));
        return error_from(temp.fd);
    }
    FileSink sink(layer, temp.fd);
    if (Status s = produce(sink); !s.ok()) return s;
    if (const int r = layer.copy_attributes(target.path, temp.fd); r < 0) return error_from(r);
    if (Status s = temp.finish(); !s.ok()) return s;
    if (const int r = layer.rename(temp.path, target.path); r < 0) {
        // A folder whose sticky bit keeps the file from being replaced by another.
        if (refused(r) && target.exists) return place(temp, target.path);
        return error_from(r);
    }
    temp.path.clear();
    return Status::success();
}

}  // namespace

Status write_file_atomically(const std::string& path,
                             const std::function<Status(ByteSink&)>& produce) {
    return write_through_temp(path, produce).about(path);
}

}  // namespace dabro
