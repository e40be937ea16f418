#include "support/faulty_file_layer.h"

#include <algorithm>

namespace dabro::test {

const char* to_string(FileCall call) {
    switch (call) {
        case FileCall::Any:
            return "any";
        case FileCall::Open:
            return "open";
        case FileCall::OpenOverwrite:
            return "open_overwrite";
        case FileCall::FindTarget:
            return "find_target";
        case FileCall::CreateTemp:
            return "create_temp";
        case FileCall::Read:
            return "read";
        case FileCall::Seek:
            return "seek";
        case FileCall::Write:
            return "write";
        case FileCall::Sync:
            return "sync";
        case FileCall::Close:
            return "close";
        case FileCall::Rename:
            return "rename";
        case FileCall::Unlink:
            return "unlink";
        case FileCall::Size:
            return "size_of";
        case FileCall::Attributes:
            return "copy_attributes";
        case FileCall::kCount:
            break;
    }
    return "?";
}

void FaultyFileLayer::fail_nth(FileCall call, int n, Fault fault, int error) {
    failCall_ = call;
    failAt_ = n;
    fault_ = fault;
    error_ = error;
    fired_ = false;
}

void FaultyFileLayer::disk_full_after(std::size_t bytes) {
    diskLimited_ = true;
    diskLeft_ = bytes;
}

void FaultyFileLayer::reset() {
    counts_ = {};
    failAt_ = 0;
    fired_ = false;
    readLimit_ = 0;
    writeLimit_ = 0;
    diskLimited_ = false;
    diskLeft_ = 0;
}

const Fault* FaultyFileLayer::trip(FileCall call) {
    ++counts_[static_cast<std::size_t>(FileCall::Any)];
    ++counts_[static_cast<std::size_t>(call)];
    if (failAt_ <= 0 || fired_) return nullptr;
    if (calls(failCall_) != failAt_ || (failCall_ != FileCall::Any && failCall_ != call))
        return nullptr;
    fired_ = true;
    firedCall_ = call;
    return &fault_;
}

int FaultyFileLayer::open_read(const std::string& path) {
    if (trip(FileCall::Open)) return -error_;
    return FileLayer::open_read(path);
}

int FaultyFileLayer::open_overwrite(const std::string& path) {
    if (trip(FileCall::OpenOverwrite)) return -error_;
    return FileLayer::open_overwrite(path);
}

int FaultyFileLayer::find_target(const std::string& path, SaveTarget& target) {
    if (trip(FileCall::FindTarget)) return -error_;
    return FileLayer::find_target(path, target);
}

int FaultyFileLayer::create_temp(const std::string& folder, const std::string& name,
                                 std::string& temp_path) {
    if (trip(FileCall::CreateTemp)) return -error_;
    return FileLayer::create_temp(folder, name, temp_path);
}

ssize_t FaultyFileLayer::read(int fd, void* buffer, std::size_t size) {
    if (const Fault* f = trip(FileCall::Read)) return *f == Fault::EndOfFile ? 0 : -error_;
    if (readLimit_ > 0) size = std::min(size, readLimit_);
    return FileLayer::read(fd, buffer, size);
}

off_t FaultyFileLayer::seek(int fd, off_t offset) {
    if (trip(FileCall::Seek)) return -error_;
    return FileLayer::seek(fd, offset);
}

ssize_t FaultyFileLayer::write(int fd, const void* buffer, std::size_t size) {
    const Fault* f = trip(FileCall::Write);
    if (f && *f == Fault::ZeroWrite) return 0;
    if (f && *f == Fault::Error) return -error_;
    if (f && *f == Fault::ShortWrite) size = std::max<std::size_t>(1, size / 2);
    if (writeLimit_ > 0) size = std::min(size, writeLimit_);
    if (diskLimited_) {
        if (diskLeft_ == 0) return -ENOSPC;
        size = std::min(size, diskLeft_);
    }
    const ssize_t n = FileLayer::write(fd, buffer, size);
    if (diskLimited_ && n > 0) diskLeft_ -= static_cast<std::size_t>(n);
    return n;
}

int FaultyFileLayer::sync(int fd) {
    if (trip(FileCall::Sync)) return -error_;
    return FileLayer::sync(fd);
}

int FaultyFileLayer::close(int fd) {
    // A close that fails still releases the descriptor, as close(2) does on Linux.
    const int real = FileLayer::close(fd);
    if (trip(FileCall::Close)) return -error_;
    return real;
}

int FaultyFileLayer::rename(const std::string& from, const std::string& to) {
    if (trip(FileCall::Rename)) return -error_;
    return FileLayer::rename(from, to);
}

int FaultyFileLayer::unlink(const std::string& path) {
    if (trip(FileCall::Unlink)) return -error_;
    return FileLayer::unlink(path);
}

off_t FaultyFileLayer::size_of(int fd) {
    if (trip(FileCall::Size)) return -error_;
    return FileLayer::size_of(fd);
}

int FaultyFileLayer::copy_attributes(const std::string& target, int fd) {
    if (trip(FileCall::Attributes)) return -error_;
    return FileLayer::copy_attributes(target, fd);
}

}  // namespace dabro::test
