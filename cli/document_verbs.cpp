// The verbs on a whole sprite file: dump and resave.
#include "cli/cli_support.h"
#include "cli/verb.h"
#include "interchange/document_json.h"
#include "interchange/sprite_diff.h"

namespace dabro::cli {

namespace {

Outcome run_dump(const Arguments& a, std::ostream& out, std::ostream&) {
    LoadedSprite sprite;
    if (Status s = load(a.file, sprite); !s.ok()) return s;
    if (a.flags.count("--text")) {
        out << document_text(*sprite.session);
        return 0;
    }
    out << document_json(*sprite.session).dump(4) << '\n';
    return 0;
}

Outcome run_resave(const Arguments& a, std::ostream&, std::ostream&) {
    LoadedSprite sprite;
    if (Status s = load(a.file, sprite); !s.ok()) return s;
    if (Status s = save(a.value("-o"), sprite); !s.ok()) return s;
    return 0;
}

const Verb kVerbs[] = {
    {"dump",
     "Print the sprite as one JSON object: header, sequences, collections and images; with "
     "--text, one field a line (for version control's textconv).",
     run_dump,
     {.options = {flag("--text", "one field a line instead of JSON")}}},
    {"resave",
     "Load the sprite and save it to OUT (which may be FILE itself).",
     run_resave,
     {.options = {kOutput}}},
};

const VerbRegistration registered(10, kVerbs);

}  // namespace

}  // namespace dabro::cli
