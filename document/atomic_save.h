// The atomic save: a file replaced whole or not at all, through the file layer.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "document/byte_sink.h"
#include "document/status.h"

namespace dabro {

// Saves `bytes` to `path` so that a failure never leaves a half-written file in its place.
// Symbolic links are followed and the file they lead to is written. Normally the bytes go
// to a temporary file beside the target, are flushed to the disk and renamed over it, and
// the target's mode, owner and group are kept. Where a rename would change what the file is
// (it has other hard links, or its folder may not be written), the complete bytes are first
// written and flushed to a temporary file (beside the target, else in temp_folder()) and then
// copied over the target in place; if that copy fails the temporary file is kept and the
// message names it. On every other failure the target is as it was and no temporary file is
// left.
Status write_file_atomically(const std::string& path, std::span<const std::uint8_t> bytes);
// The same for a text.
Status write_text_atomically(const std::string& path, std::string_view text);

// The same with the bytes handed to the sink piece by piece by `produce`, so that a large
// file need not be laid out in memory first. A failure `produce` returns ends the write as a
// failed write call would.
Status write_file_atomically(const std::string& path,
                             const std::function<Status(ByteSink&)>& produce);

// Makes the missing folders above the file `path`; a failure names the folder.
Status make_parent_folders(const std::string& path);

// While one lives, the saves of this thread first make the missing folders above their
// files, so a batch of runs gets the folders of the names its verbs write in the end.
class ScopedFolderMaking {
  public:
    ScopedFolderMaking();
    ~ScopedFolderMaking();
    ScopedFolderMaking(const ScopedFolderMaking&) = delete;
    ScopedFolderMaking& operator=(const ScopedFolderMaking&) = delete;

  private:
    bool previous_;
};
bool makes_missing_folders();

// The user's stop (Ctrl+C), safe to set from a signal handler: the writes under way end as
// cancelled and take their temporary files with them, and no new one starts.
void request_stop();
bool stop_requested();
void clear_stop_request();

}  // namespace dabro
