// What `each` runs over: the sprites or folders under its inputs, and each run's arguments.
#include "cli/each_items.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <set>
#include <utility>

#include "document/file_layer.h"

namespace dabro::cli {

namespace fs = std::filesystem;

namespace {

bool is_sprite_name(const fs::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ext == ".spr";
}

bool holds_sprite_json(const fs::path& dir) {
    std::error_code ec;
    return fs::is_regular_file(dir / "sprite.json", ec);
}

// The part below `rel` with the sprite extension dropped.
std::string without_extension(const fs::path& rel, bool unpacked) {
    fs::path p = rel;
    if (!unpacked && is_sprite_name(p)) p.replace_extension();
    return p.generic_string();
}

EachItem make_item(const fs::path& path, const fs::path& rel, bool unpacked) {
    EachItem item{path.string(), without_extension(rel, unpacked), ""};
    item.stem = fs::path(item.rel).filename().string();
    return item;
}

// "g/b/: Access denied": a folder the search could not read, and why.
std::string unreadable_folder(const std::string& path, int err) {
    const Status failure = Status::from_errno(-err);
    return path + (path.ends_with('/') ? ": " : "/: ") +
           (failure.code() == ErrorCode::FileAccessDenied ? std::string("Access denied")
                                                          : failure.message());
}

// The search below one input folder. Links are followed; every real folder is entered once,
// so a loop of links ends.
struct FolderSearch {
    bool unpacked = false;
    std::vector<std::string>& unreadable;
    std::set<std::pair<dev_t, ino_t>> entered = {};
    std::vector<std::pair<std::string, fs::path>> found = {};  // path below the input, path

    void enter(const fs::path& dir, const std::string& rel) {
        struct stat st {};
        if (::stat(dir.c_str(), &st) != 0 || !entered.insert({st.st_dev, st.st_ino}).second) return;
        std::vector<std::string> names;
        if (const int r = file_layer().list_folder(dir.string(), names); r < 0) {
            unreadable.push_back(unreadable_folder(dir.string(), r));
            return;
        }
        for (const std::string& name : names) {
            const fs::path p = dir / name;
            const std::string below = rel.empty() ? name : rel + "/" + name;
            if (::stat(p.c_str(), &st) != 0) continue;  // a broken link
            if (S_ISDIR(st.st_mode)) {
                if (unpacked && holds_sprite_json(p)) found.emplace_back(below, p);
                enter(p, below);
            } else if (!unpacked && S_ISREG(st.st_mode) && is_sprite_name(name)) {
                found.emplace_back(below, p);
            }
        }
    }
};

// The items below one folder, sorted by the path below it.
std::vector<EachItem> items_below(const fs::path& root, bool unpacked,
                                  std::vector<std::string>& unreadable) {
    FolderSearch search{unpacked, unreadable};
    search.enter(root, "");
    std::sort(search.found.begin(), search.found.end());
    std::vector<EachItem> items;
    for (auto& [rel, p] : search.found) items.push_back(make_item(p, rel, unpacked));
    return items;
}

}  // namespace

Status find_each_items(const std::vector<std::string>& inputs, bool unpacked,
                       std::vector<EachItem>& items, std::vector<std::string>& unreadable) {
    items.clear();
    unreadable.clear();
    std::set<std::pair<dev_t, ino_t>> seen;
    for (const std::string& input : inputs) {
        const fs::path in(input);
        std::error_code ec;
        if (!fs::exists(in, ec)) return Status::failure(input + ": File not found");
        std::vector<EachItem> found;
        const bool folder = fs::is_directory(in, ec);
        if (!folder || (unpacked && holds_sprite_json(in))) {
            const fs::path name = in.lexically_normal().filename().empty()
                                      ? in.lexically_normal().parent_path().filename()
                                      : in.lexically_normal().filename();
            found.push_back(make_item(in, name, unpacked));
        }
        if (folder) {
            std::vector<EachItem> below = items_below(in, unpacked, unreadable);
            std::move(below.begin(), below.end(), std::back_inserter(found));
        }
        for (EachItem& item : found) {
            struct stat st {};
            if (::stat(item.path.c_str(), &st) == 0 && !seen.insert({st.st_dev, st.st_ino}).second)
                continue;
            items.push_back(std::move(item));
        }
    }
    return Status::success();
}

std::vector<std::string> expand_placeholders(const std::vector<std::string>& args,
                                             const EachItem& item) {
    const std::pair<std::string, const std::string*> marks[] = {
        {"{}", &item.path}, {"{rel}", &item.rel}, {"{stem}", &item.stem}};
    std::vector<std::string> out;
    for (const std::string& arg : args) {
        std::string text;
        for (std::size_t i = 0; i < arg.size();) {
            bool replaced = false;
            for (const auto& [mark, value] : marks) {
                if (arg.compare(i, mark.size(), mark) != 0) continue;
                text += *value;
                i += mark.size();
                replaced = true;
                break;
            }
            if (!replaced) text += arg[i++];
        }
        out.push_back(std::move(text));
    }
    return out;
}

std::vector<std::string> outputs_of(const std::vector<std::string>& args) {
    std::vector<std::string> outputs;
    for (std::size_t i = 1; i + 1 < args.size(); ++i)
        if (args[i] == "-o") outputs.push_back(args[i + 1]);
    if (!args.empty() && args[0] == "unpack" && args.size() >= 3) outputs.push_back(args[2]);
    return outputs;
}

}  // namespace dabro::cli
