// Where written bytes go: the sink a writer hands them to, and the one that keeps them in memory.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "document/status.h"

namespace dabro {

// Where a file being written receives its bytes, in order.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual Status write(std::span<const std::uint8_t> bytes) = 0;
};

// Collects written bytes in memory.
class VectorByteSink final : public ByteSink {
  public:
    explicit VectorByteSink(std::vector<std::uint8_t>& out) : out_(out) {}
    Status write(std::span<const std::uint8_t> bytes) override {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
        return Status::success();
    }

  private:
    std::vector<std::uint8_t>& out_;
};

}  // namespace dabro
