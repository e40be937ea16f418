// The stamps of a folder's files, compared between two looks to tell which files changed.
#include "cli/folder_stamps.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

namespace dabro::cli {

Status read_stamps(const std::string& folder, FolderStamps& out) {
    out.clear();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return Status::from_errno(errno).about_folder(folder);
    const int fd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        // A file removed between the listing and its stat is simply not there.
        if (::fstatat(fd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        out[name] = {
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
            static_cast<std::int64_t>(st.st_size), static_cast<std::uint64_t>(st.st_ino)};
    }
    return Status::success();
}

std::vector<ChangedFile> changed_files(const FolderStamps& before, const FolderStamps& after) {
    std::vector<ChangedFile> changed;
    for (const auto& [name, stamp] : after) {
        const auto was = before.find(name);
        if (was == before.end())
            changed.push_back({name, FileChange::Added});
        else if (!(was->second == stamp))
            changed.push_back({name, FileChange::Changed});
    }
    for (const auto& [name, stamp] : before)
        if (after.find(name) == after.end()) changed.push_back({name, FileChange::Removed});
    return changed;
}

}  // namespace dabro::cli
