// Names the file a batch command's file error is about: "nosuch.spr: File not found.".
#include "cli/file_naming.h"

#include <cerrno>

namespace dabro::cli {

namespace {
const FileNaming* current = nullptr;
}  // namespace

FileNaming::FileNaming() : inner_(file_layer()), outer_(current), scope_(*this) {
    current = this;
}

FileNaming::~FileNaming() {
    current = outer_;
}

const FileNaming* FileNaming::active() {
    return current;
}

template <typename Result>
Result FileNaming::note(Result result, const std::string& path, bool folder) {
    if (result < 0) {
        const std::lock_guard lock(mutex_);
        failedPath_ = path;
        failedCode_ = static_cast<int>(-result);
        failedFolder_ = folder;
    }
    return result;
}

template <typename Result>
Result FileNaming::note_fd(Result result, int fd) {
    return result < 0 ? note(result, path_of(fd)) : result;
}

std::string FileNaming::path_of(int fd) const {
    const std::lock_guard lock(mutex_);
    const auto it = open_.find(fd);
    return it == open_.end() ? std::string() : it->second;
}

std::string FileNaming::named(const std::string& message) const {
    const std::lock_guard lock(mutex_);
    if (failedCode_ != 0 && !failedPath_.empty()) {
        const std::string bare = Status::from_errno(failedCode_).message();
        const bool same = message.starts_with(bare) &&
                          (message.size() == bare.size() || message[bare.size()] == ';');
        if (same && failedFolder_ && (failedCode_ == ENOENT || failedCode_ == ENOTDIR))
            return failedPath_ + ": Folder not found";
        if (same) return failedPath_ + ": " + message;
    }
    if (!lastRead_.empty() && message == file_error_message(kReadBeyondEnd))
        return lastRead_ + ": " + message;
    return message;
}

int FileNaming::open_read(const std::string& path) {
    const int fd = note(inner_.open_read(path), path);
    const std::lock_guard lock(mutex_);
    lastRead_ = path;
    if (fd >= 0) open_[fd] = path;
    return fd;
}

int FileNaming::open_overwrite(const std::string& path) {
    const int fd = note(inner_.open_overwrite(path), path);
    const std::lock_guard lock(mutex_);
    if (fd >= 0) open_[fd] = path;
    return fd;
}

int FileNaming::find_target(const std::string& path, SaveTarget& target) {
    return note(inner_.find_target(path, target), path);
}

int FileNaming::create_temp(const std::string& folder, const std::string& name,
                            std::string& temp_path) {
    // The temporary file stands for the file it will become.
    const std::string shown = folder.empty() ? "./" : folder;
    const int fd = inner_.create_temp(folder, name, temp_path);
    if (fd < 0) return note(fd, shown, true);
    const std::lock_guard lock(mutex_);
    open_[fd] = folder + name;
    return fd;
}

ssize_t FileNaming::read(int fd, void* buffer, std::size_t size) {
    return note_fd(inner_.read(fd, buffer, size), fd);
}

off_t FileNaming::seek(int fd, off_t offset) {
    return note_fd(inner_.seek(fd, offset), fd);
}

ssize_t FileNaming::write(int fd, const void* buffer, std::size_t size) {
    return note_fd(inner_.write(fd, buffer, size), fd);
}

int FileNaming::sync(int fd) {
    return note_fd(inner_.sync(fd), fd);
}

int FileNaming::close(int fd) {
    const int r = note_fd(inner_.close(fd), fd);
    const std::lock_guard lock(mutex_);
    open_.erase(fd);
    return r;
}

int FileNaming::rename(const std::string& from, const std::string& to) {
    return note(inner_.rename(from, to), to);
}

int FileNaming::unlink(const std::string& path) {
    // Removing a temporary file is tidying up, whose failure no command reports.
    return inner_.unlink(path);
}

off_t FileNaming::size_of(int fd) {
    return note_fd(inner_.size_of(fd), fd);
}

int FileNaming::copy_attributes(const std::string& target, int fd) {
    return note(inner_.copy_attributes(target, fd), target);
}

}  // namespace dabro::cli
