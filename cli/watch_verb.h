// `dabro-cli watch`: packs an unpacked folder into a sprite file again after every change.
#pragma once

#include <chrono>
#include <functional>
#include <ostream>

#include "cli/verb.h"

namespace dabro::cli {

// How often the folder is looked at, and how long it must then stay the same before a pack:
// a save's burst of writes (a temporary file, a rename, a JSON beside the sheet) gives one
// pack, and the pack follows a save within two looks.
struct WatchTiming {
    std::chrono::milliseconds poll{200};
    std::chrono::milliseconds quiet{200};
};

// Packs the folder `a.file` into -o at once, then again each time a file the pack reads has
// changed and the folder has stayed the same for `timing.quiet`, until `stop` says so
// (asked once per look). A pack that fails leaves -o as it was and says why on `err`; the
// next change tries again. Refused at once when the options, --base or the folder are wrong.
Outcome watch_folder(const Arguments& a, std::ostream& out, std::ostream& err,
                     const std::function<bool()>& stop, WatchTiming timing = {});

// The verb: watch_folder until SIGINT or SIGTERM, which end it with 0.
Outcome run_watch(const Arguments& a, std::ostream& out, std::ostream& err);

}  // namespace dabro::cli
