// The stamps of a folder's files, compared between two looks to tell which files changed.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "document/status.h"

namespace dabro::cli {

// What tells one version of a file from the next: a save in place moves the time and often
// the size, a save through a rename gives another inode.
struct FileStamp {
    std::int64_t modifiedNs = 0;
    std::int64_t size = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

// By file name.
using FolderStamps = std::map<std::string, FileStamp>;

// The stamps of the files directly in `folder`, following links as reading them does. A
// folder that cannot be read fails with the file layer's code, about the folder.
Status read_stamps(const std::string& folder, FolderStamps& out);

enum class FileChange { Added, Removed, Changed };

struct ChangedFile {
    std::string name;
    FileChange change = FileChange::Changed;
};

// The files added, removed or changed from `before` to `after`, by name.
std::vector<ChangedFile> changed_files(const FolderStamps& before, const FolderStamps& after);

}  // namespace dabro::cli
