// The steps pack and watch share: reading their options and packing a folder into a sprite file.
#pragma once

#include <string>

#include "cli/arguments.h"
#include "cli/cli_support.h"
#include "document/status.h"
#include "interchange/sprite_folder.h"

namespace dabro::cli {

// --encoding: compact unless given.
Status encoding_option(const Arguments& a, Encoding& encoding);

// What every pack of a folder uses: the encoding and the --base sprite, loaded once.
struct PackSetup {
    LoadedSprite base;
    PackOptions options;
};

// Checks -o against the inputs, reads --encoding and loads --base.
Status prepare_pack(const Arguments& a, PackSetup& setup);

// Packs `folder` and saves the sprite to `path` atomically, so that a failure leaves the
// file at `path` as it was.
Status pack_to_file(const std::string& folder, const PackOptions& options, const std::string& path);

}  // namespace dabro::cli
