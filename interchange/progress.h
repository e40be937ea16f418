// The progress callback of long work, which may cancel it.
#pragma once

#include <cstdint>
#include <functional>

namespace dabro {

// Called as long work goes on, with the share done; returning false cancels the work,
// which then returns Status::cancelled() and changes nothing.
using Progress = std::function<bool(std::int64_t done, std::int64_t total)>;

inline bool keep_going(const Progress& progress, std::int64_t done, std::int64_t total) {
    return !progress || progress(done, total);
}

}  // namespace dabro
