// The verb that compares two sprites: diff, with exit codes as diff and cmp have them.
#include <nlohmann/json.hpp>

#include "cli/verb.h"
#include "interchange/sprite_diff.h"

namespace dabro::cli {

namespace {

// diff and cmp's exit codes: the files are the same, they differ, or the comparison failed.
constexpr int kSame = 0;
constexpr int kDiffer = 1;
constexpr int kTrouble = 2;

using Json = nlohmann::json;

Json difference_json(const Difference& d) {
    Json o{{"place", d.place}, {"field", d.field}};
    if (d.a) o["a"] = *d.a;
    if (d.b) o["b"] = *d.b;
    if (!d.which.empty()) o["which"] = d.which;
    if (d.field == "pixels") {
        o["count"] = d.count;
        o["x"] = d.x;
        o["y"] = d.y;
    }
    if (d.field == "bytes") o["offset"] = d.count;
    o["text"] = difference_text(d);
    return o;
}

Outcome run_diff(const Arguments& a, std::ostream& out, std::ostream&) {
    const bool json = a.flags.count("--json") != 0;
    std::vector<Difference> differences;
    if (Status s = diff_sprite_files(a.operands[0], a.operands[1], differences); !s.ok()) return s;
    if (json) {
        Json list = Json::array();
        for (const Difference& d : differences) list.push_back(difference_json(d));
        out << Json{{"same", differences.empty()}, {"differences", std::move(list)}}.dump(4)
            << '\n';
    } else {
        for (const Difference& d : differences) out << difference_text(d) << '\n';
    }
    return differences.empty() ? kSame : kDiffer;
}

const Verb kVerbs[] = {
    {"diff",
     "Compare two sprites by place (header, sequences, collections, palettes, boxes, pixels); "
     "exits 0 when they are the same, 1 when they differ, 2 on error",
     run_diff,
     {.options = {flag("--json", "the differences as one JSON object")},
      .operands = {.count = 2,
                   .missing = "Give two sprite files to compare",
                   .names = "A.spr B.spr"}},
     kTrouble},
};

const VerbRegistration registered(50, kVerbs);

}  // namespace

}  // namespace dabro::cli
