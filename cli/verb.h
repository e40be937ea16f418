// A verb of the batch tool as its file's table declares it: option records, rules, skeleton.
#pragma once

#include <algorithm>
#include <array>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "document/status.h"

namespace dabro::cli {

// How a verb's body ends: a failure, or success with its exit code (0, or diff's 1).
struct Outcome {
    Outcome(Status failureOrSuccess) : status(std::move(failureOrSuccess)) {}
    Outcome(int exitCode) : code(exitCode) {}
    Status status;
    int code = 0;
};

// What an option's value is.
enum class Kind { Flag, Number, File, Text };
// What a verb does with an option's file: reads it, writes it, or writes into it.
enum class Role { None, InputFile, OutputFile, OutputFolder };
// The files that go with an option's file: a sheet's JSON, a raw file's palettes.
using Companions = std::vector<std::string> (*)(const std::string& file);

// One option, declared once: the parser, the output checks and `each` read it.
struct Option {
    std::string_view name;
    std::string_view arg = {};  // the value's name; a flag has none
    Kind kind = Kind::Flag;
    Role role = Role::None;
    bool required = false;
    std::string_view help = {};
    Companions with = nullptr;
};

// The files that go with a sheet (its JSON) and a raw file (the palettes its name leads to).
std::vector<std::string> sheet_json_beside(const std::string& sheet);
std::vector<std::string> raw_palettes(const std::string& raw);

constexpr Option required(Option o) {
    o.required = true;
    return o;
}
constexpr Option optional(Option o) {
    o.required = false;
    return o;
}
constexpr Option flag(std::string_view name, std::string_view help) {
    return {name, {}, Kind::Flag, Role::None, false, help};
}
constexpr Option number(std::string_view name, std::string_view arg, std::string_view help) {
    return {name, arg, Kind::Number, Role::None, false, help};
}
constexpr Option text(std::string_view name, std::string_view arg, std::string_view help) {
    return {name, arg, Kind::Text, Role::None, false, help};
}
constexpr Option input(std::string_view name, std::string_view arg, std::string_view help,
                       Companions with = nullptr) {
    return {name, arg, Kind::File, Role::InputFile, true, help, with};
}
constexpr Option output(std::string_view name, std::string_view arg, std::string_view help,
                        Companions with = nullptr) {
    return {name, arg, Kind::File, Role::OutputFile, true, help, with};
}

// The options most verbs share: the collection, the image, the palette and the output.
inline constexpr Option kCollection = required(number("-c", "C", "collection C, from 0"));
inline constexpr Option kFrame = required(number("-f", "F", "frame F of the collection, from 0"));
inline constexpr Option kDirection = required(number("-d", "D", "direction D, from 0"));
inline constexpr Option kPalette =
    number("-p", "P", "palette P of the collection, 0 to 3 (default 0)");
inline constexpr Option kPlacement =
    text("--place", "box|corner", "each image where its box places it (default), or top-left");
inline constexpr Option kEncoding =
    text("--encoding", "compact|one-pixel", "how the images are encoded (default compact)");
inline constexpr Option kOutput = output("-o", "OUT", "the sprite file to write");
inline constexpr Option kPngOutput = output("-o", "OUT.png", "the PNG to write");
inline constexpr Option kSheetOutput =
    output("-o", "OUT.png", "the PNG to write, with OUT.json beside it", sheet_json_beside);

// The operands a verb takes besides its options. With one, a second is refused where it
// stands; with more, the count is checked once every argument was read. `missing` is the
// failure when the count is not met.
struct Operands {
    std::size_t count = 1;
    std::string_view missing = "No sprite file given";
    bool orMore = false;              // `count` or more
    Role last = Role::InputFile;      // what the last of several is
    std::string_view names = "FILE";  // as the usage line shows them
};

// One choice of an exactly-one group: an option, or options given together (-f and -d).
struct Alternative {
    constexpr Alternative() = default;
    constexpr Alternative(const char* option) : options{option} {}
    constexpr Alternative(std::string_view option) : options{option} {}
    constexpr Alternative(std::string_view a, std::string_view b) : options{a, b} {}
    std::array<std::string_view, 2> options = {};
};

// A rule between a verb's options, checked by the parser once the required options are there.
struct Rule {
    enum Kind {
        ExactlyOne,      // exactly one of `group` (each of its options then required)
        AtMostOne,       // at most one of `group`
        GoesWith,        // `group`'s option only with `other`, shown after it (--at, --anchor)
        Needs,           // `group`'s option only with `other`, which it then requires
        RequiredUnless,  // `group`'s option required unless `other` is given
        TurnsOff,        // the flag `other` turns off the output `group`: it is not written
    };
    Kind kind;
    std::array<Alternative, 5> group;
    std::string_view other = {};
};

constexpr Rule exactly_one(std::initializer_list<Alternative> group) {
    Rule r{Rule::ExactlyOne, {}};
    if (group.size() > r.group.size()) throw std::length_error("too many choices in a group");
    std::copy(group.begin(), group.end(), r.group.begin());
    return r;
}
constexpr Rule at_most_one(std::string_view a, std::string_view b) {
    return {Rule::AtMostOne, {Alternative(a), Alternative(b)}};
}
constexpr Rule goes_with(std::string_view option, std::string_view other) {
    return {Rule::GoesWith, {Alternative(option)}, other};
}
constexpr Rule needs(std::string_view option, std::string_view other) {
    return {Rule::Needs, {Alternative(option)}, other};
}
constexpr Rule required_unless(std::string_view option, std::string_view other) {
    return {Rule::RequiredUnless, {Alternative(option)}, other};
}
constexpr Rule turns_off(std::string_view flag, std::string_view output) {
    return {Rule::TurnsOff, {Alternative(output)}, flag};
}

// What a verb takes besides its name.
struct Syntax {
    std::initializer_list<Option> options = {};
    std::initializer_list<Rule> rules = {};
    Operands operands = {};
    // What follows `--`, kept whole for the verb to run, as the usage line names it; empty
    // when the verb takes nothing after `--`.
    std::string_view rest = {};
};

struct EditContext;

// What an editing verb picks before its step: nothing but the sprite, the collection of -c,
// its image of -f and -d, or that image or with --all every one in use.
enum class Picks { Sprite, Collection, Image, Images };

// The shape most editing verbs share, declared instead of a body. The runner refuses an
// output over an input, loads FILE, picks, runs `step`, saves -o (unless the step writes it
// itself or a flag turns it off), then prints the step's lines and `done` followed by -o.
struct Skeleton {
    Picks picks = Picks::Sprite;
    Status (*step)(EditContext& edit) = nullptr;
    bool saves = true;
    std::string_view done = {};  // e.g. "Image imported into "
};

// One verb, declared once: --help (its usage line built from the records), the man page, the
// completion, the parser and the exit codes all read it. The body gets the arguments already
// parsed, the required options present, and writes what it prints to `out`; a failure's text is
// printed by the runner.
struct Verb {
    std::string_view name;
    std::string_view summary;  // one line: what it does
    Outcome (*run)(const Arguments& a, std::ostream& out, std::ostream& err) = nullptr;
    Syntax takes = {};
    int failureCode = 1;      // the exit code of a failure
    bool overOneItem = true;  // `each` may run it: it works on one sprite and then ends
    Skeleton edit = {};       // what a verb without a body does
};

// A group of verbs: a file's table, and where --help lists it (lower ranks first).
struct VerbGroup {
    int rank;
    std::span<const Verb> verbs;
};

// Adds a file's table of verbs to the tool, as a static object beside the table.
struct VerbRegistration {
    VerbRegistration(int rank, std::span<const Verb> verbs);
};

// Every group of verbs, in the order --help lists them.
std::span<const VerbGroup> verb_groups();

// The verb of that name in any group, or null.
const Verb* find_verb(std::string_view name);

// The verb's usage line: its operands, then its options, a required one as `-c C`, an
// optional one as `[-p P]`, an exactly-one group as `(A | B)`, an at-most-one group as
// `[A|B]`, and an option that goes with another right after that one.
std::string usage_line(const Verb& verb);

// `dabro-cli VERB --help`: the usage line, the summary and a line of help per option.
void print_verb_help(const Verb& verb, std::ostream& out);

// The option of that name in the verb's records, or null.
const Option* find_option(const Verb& verb, std::string_view name);

// Reads `args` (what follows the verb's name) by the verb's table entry: its options, its
// operands and its required options.
Status parse_arguments(const Verb& verb, std::span<const std::string> args, Arguments& parsed);

}  // namespace dabro::cli
