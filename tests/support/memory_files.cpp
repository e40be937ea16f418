// Files held in memory behind the file layer, for tests and fuzz targets.
#include "support/memory_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace dabro {

MemoryFiles::MemoryFiles() : installed_(*this) {}

MemoryFiles::~MemoryFiles() = default;

void MemoryFiles::put(const std::string& path, std::span<const std::uint8_t> bytes) {
    outputs_.erase(path);
    inputs_[path] = bytes;
}

const std::vector<std::uint8_t>* MemoryFiles::written(const std::string& path) const {
    const auto it = outputs_.find(path);
    return it == outputs_.end() ? nullptr : &it->second;
}

std::span<const std::uint8_t> MemoryFiles::contents(const std::string& path) const {
    if (const auto out = outputs_.find(path); out != outputs_.end()) return out->second;
    return inputs_.at(path);
}

int MemoryFiles::open_read(const std::string& path) {
    if (!inputs_.contains(path) && !outputs_.contains(path)) return -ENOENT;
    open_[nextFd_] = Open{path, 0, false};
    return nextFd_++;
}

int MemoryFiles::open_overwrite(const std::string& path) {
    if (!inputs_.contains(path) && !outputs_.contains(path)) return -ENOENT;
    inputs_.erase(path);
    outputs_[path].clear();
    open_[nextFd_] = Open{path, 0, true};
    return nextFd_++;
}

int MemoryFiles::find_target(const std::string& path, SaveTarget& target) {
    target = SaveTarget{path, inputs_.contains(path) || outputs_.contains(path), false};
    return 0;
}

int MemoryFiles::create_temp(const std::string& folder, const std::string& name,
                             std::string& temp_path) {
    temp_path = folder + "." + name + ".tmp" + std::to_string(nextFd_);
    outputs_[temp_path].clear();
    open_[nextFd_] = Open{temp_path, 0, true};
    return nextFd_++;
}

ssize_t MemoryFiles::read(int fd, void* buffer, std::size_t size) {
    const auto it = open_.find(fd);
    if (it == open_.end() || it->second.writing) return -EBADF;
    const auto bytes = contents(it->second.path);
    const std::size_t n =
        std::min(size, bytes.size() - std::min(bytes.size(), it->second.position));
    if (n > 0) std::memcpy(buffer, bytes.data() + it->second.position, n);
    it->second.position += n;
    return static_cast<ssize_t>(n);
}

off_t MemoryFiles::seek(int fd, off_t offset) {
    const auto it = open_.find(fd);
    if (it == open_.end()) return -EBADF;
    if (offset < 0) return -EINVAL;
    it->second.position = static_cast<std::size_t>(offset);
    return offset;
}

ssize_t MemoryFiles::write(int fd, const void* buffer, std::size_t size) {
    const auto it = open_.find(fd);
    if (it == open_.end() || !it->second.writing) return -EBADF;
    auto& out = outputs_[it->second.path];
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    out.insert(out.end(), p, p + size);
    return static_cast<ssize_t>(size);
}

int MemoryFiles::sync(int fd) {
    return open_.contains(fd) ? 0 : -EBADF;
}

int MemoryFiles::close(int fd) {
    return open_.erase(fd) == 1 ? 0 : -EBADF;
}

int MemoryFiles::rename(const std::string& from, const std::string& to) {
    const auto it = outputs_.find(from);
    if (it == outputs_.end()) return -ENOENT;
    inputs_.erase(to);
    outputs_[to] = std::move(it->second);
    outputs_.erase(from);
    return 0;
}

int MemoryFiles::unlink(const std::string& path) {
    return outputs_.erase(path) + inputs_.erase(path) > 0 ? 0 : -ENOENT;
}

off_t MemoryFiles::size_of(int fd) {
    const auto it = open_.find(fd);
    if (it == open_.end()) return -EBADF;
    return static_cast<off_t>(contents(it->second.path).size());
}

int MemoryFiles::copy_attributes(const std::string&, int fd) {
    return open_.contains(fd) ? 0 : -EBADF;
}

Status encode_sprite(const SpriteDocument& document, const HeaderValues& header,
                     std::vector<std::uint8_t>& bytes) {
    MemoryFiles files;
    const std::string path = "sprite.spr";
    if (Status s = save_sprite(path, document, header); !s.ok()) return s;
    bytes = *files.written(path);
    return Status::success();
}

}  // namespace dabro
