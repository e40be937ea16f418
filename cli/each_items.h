// What `each` runs over: the sprites or folders under its inputs, and each run's arguments.
#pragma once

#include <string>
#include <vector>

#include "document/status.h"

namespace dabro::cli {

struct EachItem {
    std::string path;  // as found: the input, or the input folder joined with the path below it
    std::string rel;   // below the input folder, without ".spr"; for a file input, its name
    std::string stem;  // the last part of rel
};

// The `.spr` files (any case) of each input, a file or a folder searched recursively, or
// with `unpacked` the folders holding sprite.json (searched further too). Links to folders
// are followed, each real folder once. Each input's items come in byte order of their path
// below it; an item reached twice, through another input or a link, comes once, the first
// time. Fails naming an input that does not exist; a folder that cannot be read is named in
// `unreadable` ("g/b/: Access denied") and the search goes on.
Status find_each_items(const std::vector<std::string>& inputs, bool unpacked,
                       std::vector<EachItem>& items, std::vector<std::string>& unreadable);

// `args` with {}, {rel} and {stem} replaced by the item's path, rel and stem.
std::vector<std::string> expand_placeholders(const std::vector<std::string>& args,
                                             const EachItem& item);

// The files and folders a run of `args` (the verb first) writes, by the verb's records; none
// when the verb refuses its arguments (the run then fails on its own).
std::vector<std::string> run_outputs(const std::vector<std::string>& args);

}  // namespace dabro::cli
