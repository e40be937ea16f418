// `dabro-cli lint`: what is broken or lossy in each sprite, as text lines or JSON.
#include "cli/lint_verb.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "cli/cli_support.h"
#include "cli/each_items.h"
#include "document/atomic_save.h"
#include "document/name_text.h"
#include "imaging/sprite_lint.h"

namespace dabro::cli {

namespace {

constexpr int kFindings = 1;
constexpr int kUnreadable = 2;

nlohmann::ordered_json finding_json(const LintFinding& f) {
    nlohmann::ordered_json o = {{"rule", f.rule}, {"message", f.message}};
    if (f.sequence) o["sequence"] = *f.sequence;
    if (f.frame) o["frame"] = *f.frame;
    if (f.collection) o["collection"] = *f.collection;
    if (f.image) o["image"] = *f.image;
    if (!f.entries.empty()) o["entries"] = f.entries;
    return o;
}

std::vector<std::string> split_list(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        parts.push_back(text.substr(start, comma - start));
    parts.push_back(text.substr(start));
    return parts;
}

// The files to lint: each operand that is not a folder, and the sprites found in each folder
// as `each` finds them. A folder that cannot be read, or holds no sprite, is named.
std::vector<std::string> sprite_files(const std::vector<std::string>& operands,
                                      const std::function<void(const std::string&)>& unreadable) {
    std::vector<std::string> files;
    for (const std::string& operand : operands) {
        std::error_code ec;
        if (!std::filesystem::is_directory(operand, ec)) {
            files.push_back(operand);
            continue;
        }
        std::vector<EachItem> items;
        std::vector<std::string> unread;
        (void)find_each_items({operand}, false, items, unread);
        for (const std::string& folder : unread) unreadable(folder);
        if (items.empty() && unread.empty()) unreadable(operand + ": No .spr files found");
        for (const EachItem& item : items) files.push_back(item.path);
    }
    return files;
}

}  // namespace

Outcome run_lint(const Arguments& a, std::ostream& out, std::ostream& err) {
    std::vector<std::string> disabled;
    if (a.has("--disable")) {
        for (std::string& rule : split_list(a.value("--disable"))) {
            const auto& known = lint_rules();
            if (std::find(known.begin(), known.end(), rule) == known.end())
                return Status::failure("Unknown lint rule '" + rule + "'");
            disabled.push_back(std::move(rule));
        }
    }
    const bool json = a.flags.count("--json") != 0;
    int code = 0;
    nlohmann::ordered_json all = nlohmann::ordered_json::array();
    auto unreadable = [&](const std::string& message) {
        err << failure_text(message) << '\n';
        code = kUnreadable;
    };
    for (const std::string& file : sprite_files(a.operands, unreadable)) {
        if (stop_requested()) break;
        LoadedSprite sprite;
        if (Status s = load(file, sprite); !s.ok()) {
            unreadable(s.subject().empty() ? file + ": " + s.message() : message_naming_subject(s));
            continue;
        }
        const std::vector<LintFinding> findings = lint_sprite(sprite.document(), disabled);
        if (!findings.empty() && code == 0) code = kFindings;
        if (json) {
            nlohmann::ordered_json list = nlohmann::ordered_json::array();
            for (const LintFinding& f : findings) list.push_back(finding_json(f));
            all.push_back({{"file", utf8_for_json(file)}, {"findings", std::move(list)}});
        } else {
            for (const LintFinding& f : findings)
                out << file << ": " << lint_place(f) << ": " << f.rule << ": " << f.message << '\n';
        }
    }
    if (json) out << all.dump(2) << '\n';
    return code;
}

}  // namespace dabro::cli
