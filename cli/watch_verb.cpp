// `dabro-cli watch`: packs an unpacked folder into a sprite file again after every change.
#include "cli/watch_verb.h"

#include <signal.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <thread>
#include <vector>

#include "cli/folder_stamps.h"
#include "cli/pack_steps.h"
#include "interchange/sprite_folder.h"

namespace dabro::cli {

namespace {

using Clock = std::chrono::steady_clock;

const char* change_word(FileChange change) {
    switch (change) {
        case FileChange::Added:
            return "added";
        case FileChange::Removed:
            return "removed";
        case FileChange::Changed:
            break;
    }
    return "changed";
}

class FolderWatch {
  public:
    FolderWatch(const Arguments& a, const PackOptions& options, std::ostream& out,
                std::ostream& err)
        : folder_(a.file), target_(a.value("-o")), options_(options), out_(out), err_(err) {}

    Status start() {
        if (Status s = read_stamps(folder_, seen_); !s.ok()) return s;
        packedFrom_ = seen_;
        pack({});
        return Status::success();
    }

    // One look at the folder.
    void look(std::chrono::milliseconds quiet) {
        FolderStamps now;
        if (Status s = read_stamps(folder_, now); !s.ok()) {
            if (!missing_) report(s);
            missing_ = true;
            return;
        }
        missing_ = false;
        if (now != seen_) {
            seen_ = std::move(now);
            lastChange_ = Clock::now();
            return;
        }
        if (seen_ == packedFrom_ || Clock::now() - lastChange_ < quiet) return;
        std::vector<ChangedFile> changed;
        for (ChangedFile& file : changed_files(packedFrom_, seen_))
            if (read_by_pack(file.name)) changed.push_back(std::move(file));
        packedFrom_ = seen_;
        if (!changed.empty()) pack(changed);
    }

  private:
    // Files the pack does not read (an editor's temporary or backup files, OUT itself when it
    // lies in the folder) give no pack. Until sprite.json has been read, any file might be one.
    bool read_by_pack(const std::string& name) const {
        return !ownersKnown_ || name == kSpriteJsonName || owners_.count(name) != 0;
    }

    std::string what_changed(const std::vector<ChangedFile>& changed,
                             const SheetOwners& before) const {
        std::string text;
        auto add = [&](const std::string& what, FileChange change) {
            text += (text.empty() ? ": " : ", ") + what + ' ' + change_word(change);
        };
        for (const ChangedFile& file : changed) {
            const SheetOwners& owners = owners_.count(file.name) != 0 ? owners_ : before;
            const auto [first, last] = owners.equal_range(file.name);
            if (file.name == kSpriteJsonName || first == last) add(file.name, file.change);
            for (auto it = first; it != last; ++it)
                add("collection " + std::to_string(it->second) + " sheet", file.change);
        }
        return text;
    }

    void pack(const std::vector<ChangedFile>& changed) {
        const SheetOwners before = owners_;
        ownersKnown_ = read_sheet_owners(folder_, owners_) || ownersKnown_;
        const std::string what = what_changed(changed, before);
        if (Status s = pack_to_file(folder_, options_, target_); !s.ok()) {
            report(s, what);
            return;
        }
        out_ << "Packed " << target_ << what << '\n';
        out_.flush();
    }

    void report(const Status& failure, const std::string& what = {}) {
        err_ << "Not packed" << what << ": " << failure_text(message_naming_subject(failure))
             << '\n';
        err_.flush();
    }

    std::string folder_;
    std::string target_;
    const PackOptions& options_;
    std::ostream& out_;
    std::ostream& err_;
    FolderStamps seen_;        // at the last look
    FolderStamps packedFrom_;  // when the last pack began
    Clock::time_point lastChange_ = Clock::now();
    SheetOwners owners_;  // from the last sprite.json that could be read
    bool ownersKnown_ = false;
    bool missing_ = false;
};

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void request_stop(int) {
    stopRequested = true;
}

}  // namespace

Outcome watch_folder(const Arguments& a, std::ostream& out, std::ostream& err,
                     const std::function<bool()>& stop, WatchTiming timing) {
    std::error_code ec;
    if (std::filesystem::exists(a.file, ec) && !std::filesystem::is_directory(a.file, ec))
        return Status::failure(a.file +
                               " is not a folder: watch packs an unpacked folder, the one "
                               "holding sprite.json");
    PackSetup setup;
    if (Status s = prepare_pack(a, setup); !s.ok()) return s;
    FolderWatch watch(a, setup.options, out, err);
    if (Status s = watch.start(); !s.ok()) return s;
    while (!stop()) {
        std::this_thread::sleep_for(timing.poll);
        if (!stop()) watch.look(timing.quiet);
    }
    return 0;
}

Outcome run_watch(const Arguments& a, std::ostream& out, std::ostream& err) {
    stopRequested = false;
    struct sigaction action {};
    action.sa_handler = request_stop;
    ::sigemptyset(&action.sa_mask);
    struct sigaction oldInt {};
    struct sigaction oldTerm {};
    ::sigaction(SIGINT, &action, &oldInt);
    ::sigaction(SIGTERM, &action, &oldTerm);
    Outcome outcome = watch_folder(a, out, err, [] { return stopRequested.load(); });
    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGTERM, &oldTerm, nullptr);
    return outcome;
}

}  // namespace dabro::cli
