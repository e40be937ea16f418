// What `each` runs over: the sprites or folders under its inputs, and each run's arguments.
#include "cli/each_items.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

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

// The items below one folder, sorted by the path below it.
std::vector<EachItem> items_below(const fs::path& root, bool unpacked) {
    std::vector<std::pair<std::string, fs::path>> found;
    std::error_code ec;
    auto options = fs::directory_options::skip_permission_denied;
    for (auto it = fs::recursive_directory_iterator(root, options, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path& p = it->path();
        std::error_code e;
        if (unpacked) {
            if (!it->is_directory(e) || !holds_sprite_json(p)) continue;
            it.disable_recursion_pending();
        } else if (!is_sprite_name(p) || !it->is_regular_file(e)) {
            continue;
        }
        found.emplace_back(p.lexically_relative(root).generic_string(), p);
    }
    std::sort(found.begin(), found.end());
    std::vector<EachItem> items;
    for (auto& [rel, p] : found) items.push_back(make_item(p, rel, unpacked));
    return items;
}

}  // namespace

Status find_each_items(const std::vector<std::string>& inputs, bool unpacked,
                       std::vector<EachItem>& items) {
    items.clear();
    std::set<std::pair<dev_t, ino_t>> seen;
    for (const std::string& input : inputs) {
        const fs::path in(input);
        std::error_code ec;
        if (!fs::exists(in, ec)) return Status::failure(input + ": File not found");
        std::vector<EachItem> found;
        if (fs::is_directory(in, ec) && !(unpacked && holds_sprite_json(in))) {
            found = items_below(in, unpacked);
        } else {
            const fs::path name = in.lexically_normal().filename().empty()
                                      ? in.lexically_normal().parent_path().filename()
                                      : in.lexically_normal().filename();
            found.push_back(make_item(in, name, unpacked));
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
