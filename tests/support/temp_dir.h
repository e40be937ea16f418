#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dabro::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> entries() const;

  private:
    std::string path_;
};

void write_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> read_bytes(const std::string& path);
std::string test_data(const std::string& relative);

}  // namespace dabro::test
