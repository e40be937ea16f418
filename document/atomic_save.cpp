// The atomic save: a file replaced whole or not at all, through the file layer.
#include "document/atomic_save.h"

#include <fcntl.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "document/file_layer.h"

namespace dabro {

namespace {

std::atomic<bool> stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
thread_local bool makingFolders = false;

class FileSink final : public ByteSink {
  public:
    FileSink(FileLayer& layer, int fd) : layer_(layer), fd_(fd) {}

    Status write(std::span<const std::uint8_t> bytes) override {
        if (stop_requested()) return Status::cancelled();
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
    if (makingFolders)
        if (Status s = make_parent_folders(path); !s.ok()) return s;
    return write_through_temp(path, produce).about(path);
}

Status write_text_atomically(const std::string& path, std::string_view text) {
    return write_file_atomically(path,
                                 {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

Status make_parent_folders(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (parent.empty() || std::filesystem::is_directory(parent, ec)) return Status::success();
    if (!std::filesystem::create_directories(parent, ec) && ec)
        return Status::from_errno(ec.value()).about_folder(parent.string() + "/");
    return Status::success();
}

ScopedFolderMaking::ScopedFolderMaking() : previous_(makingFolders) {
    makingFolders = true;
}

ScopedFolderMaking::~ScopedFolderMaking() {
    makingFolders = previous_;
}

bool makes_missing_folders() {
    return makingFolders;
}

void request_stop() {
    stop = true;
}

bool stop_requested() {
    return stop;
}

void clear_stop_request() {
    stop = false;
}

}  // namespace dabro
