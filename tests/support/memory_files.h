// Files held in memory behind the file layer, for tests and fuzz targets.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "document/file_layer.h"
#include "document/sprite_saver.h"

namespace dabro {

// Files held in memory, so that tests and fuzz targets go through the program's one way of
// reading and writing files at thousands of inputs a second. Installed for the life of the
// object. Reads serve the bytes put in (not copied: they must outlive the reads); writes
// create files of their own.
class MemoryFiles : public FileLayer {
  public:
    MemoryFiles();
    ~MemoryFiles() override;
    MemoryFiles(const MemoryFiles&) = delete;
    MemoryFiles& operator=(const MemoryFiles&) = delete;

    void put(const std::string& path, std::span<const std::uint8_t> bytes);
    // A file written through the layer, or nullptr.
    const std::vector<std::uint8_t>* written(const std::string& path) const;
    int open_files() const { return static_cast<int>(open_.size()); }

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
    struct Open {
        std::string path;
        std::size_t position = 0;
        bool writing = false;
    };
    std::span<const std::uint8_t> contents(const std::string& path) const;

    std::map<std::string, std::span<const std::uint8_t>> inputs_;
    std::map<std::string, std::vector<std::uint8_t>> outputs_;
    std::map<int, Open> open_;
    int nextFd_ = 100;
    ScopedFileLayer installed_;
};

// The bytes save_sprite writes for `document`, saved into memory files: the program's one
// way of writing a sprite file, without a disk.
Status encode_sprite(const SpriteDocument& document, const HeaderValues& header,
                     std::vector<std::uint8_t>& bytes);

}  // namespace dabro
