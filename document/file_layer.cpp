// The system-call layer every file goes through, and the readers built on it.
#include "document/file_layer.h"

#include <dirent.h>
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

}  // namespace

Status error_from(long result) {
    return Status::from_errno(static_cast<int>(-result));
}

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

namespace {

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
    if (static_cast<std::size_t>(n) < size) return Status::file_error(ErrorCode::ReadBeyondEnd);
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

int FileLayer::list_folder(const std::string& path, std::vector<std::string>& names) {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return -errno;
    names.clear();
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    const int err = errno;
    ::closedir(dir);
    return -err;
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
    if (static_cast<std::size_t>(n) < wanted)
        return fail(Status::file_error(ErrorCode::ReadBeyondEnd));
    at_ = 0;
    end_ = wanted;
    filePos_ += wanted;
    return true;
}

bool FileReader::read(void* out, std::size_t n) {
    if (!ok() || fd_ < 0) return false;
    if (n > remaining()) return fail(Status::file_error(ErrorCode::ReadBeyondEnd));
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
    if (n > remaining()) return fail(Status::file_error(ErrorCode::ReadBeyondEnd));
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
    if (n > remaining()) return fail(Status::file_error(ErrorCode::ReadBeyondEnd));
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
    if (position > size_) return fail(Status::file_error(ErrorCode::ReadBeyondEnd));
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

Status read_input_file(const std::string& path, std::size_t maxBytes,
                       std::vector<std::uint8_t>& bytes) {
    FileReader in;
    Status s = in.open(path);
    if (s.ok() && in.size() > maxBytes) s = Status::file_too_large(path, in.size(), maxBytes);
    std::vector<std::uint8_t> read;
    if (s.ok() && !in.append(read, in.size())) s = in.status();
    if (!s.ok()) return s.about(path);
    bytes = std::move(read);
    return Status::success();
}

}  // namespace dabro
