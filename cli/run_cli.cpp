// Finds the verb in the tables, prints the help they describe, and maps outcomes to exit codes.
#include "cli/run_cli.h"

#include <algorithm>
#include <vector>

#include "cli/cli_support.h"
#include "cli/verb.h"
#include "dabro_version.h"

namespace dabro::cli {

namespace {

// Filled while the program starts, before anything reads it.
std::vector<VerbGroup>& registered_groups() {
    static std::vector<VerbGroup> groups;
    return groups;
}

void print_help(std::ostream& out) {
    out << "Usage: dabro-cli COMMAND FILE [OPTIONS]\n"
           "Reads and writes sprite files (.spr) with the same code as the Dabro editor.\n"
           "A failure prints its message as the last line of standard error and exits with 1\n"
           "(diff: 0 same, 1 different, 2 failure, as diff and cmp do).\n"
           "Image commands select image F x directions + D of collection C, as the editor does.\n\n"
           "Commands:\n";
    for (const VerbGroup& group : verb_groups()) {
        for (const Verb& v : group.verbs)
            out << "  " << v.name << ' ' << usage_line(v) << "\n      " << v.summary << '\n';
    }
    out << "  --help\n      Print this help.\n"
           "  --version\n      Print the version.\n";
}

int fail(std::ostream& err, const std::string& message, int code) {
    err << failure_text(message) << '\n';
    err.flush();
    return code;
}

int run_verb(const Verb& verb, std::span<const std::string> args, std::ostream& out,
             std::ostream& err) {
    Arguments a;
    if (Status s = parse_arguments(verb, args, a); !s.ok())
        return fail(err, s.message(), verb.failureCode);
    const Outcome outcome = verb.run ? verb.run(a, out, err) : run_skeleton(verb.edit, a, out);
    out.flush();
    // Unlike the window, which shows one file at a time, the tool names the file a file
    // error is about.
    if (!outcome.status.ok())
        return fail(err, message_naming_subject(outcome.status), verb.failureCode);
    return outcome.code;
}

}  // namespace

VerbRegistration::VerbRegistration(int rank, std::span<const Verb> verbs) {
    std::vector<VerbGroup>& groups = registered_groups();
    const auto at = std::upper_bound(groups.begin(), groups.end(), rank,
                                     [](int r, const VerbGroup& g) { return r < g.rank; });
    groups.insert(at, {rank, verbs});
}

std::span<const VerbGroup> verb_groups() {
    return registered_groups();
}

const Verb* find_verb(std::string_view name) {
    for (const VerbGroup& group : verb_groups()) {
        for (const Verb& v : group.verbs)
            if (v.name == name) return &v;
    }
    return nullptr;
}

int run_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        print_help(err);
        return fail(err, "No command given", 1);
    }
    const std::string& name = args.front();
    if (name == "--help" || name == "-h" || name == "help") {
        print_help(out);
        return 0;
    }
    if (name == "--version") {
        out << "dabro-cli " << DABRO_VERSION << '\n';
        return 0;
    }
    if (const Verb* v = find_verb(name)) {
        // each's own --help comes before its --; a --help after it belongs to the verb it runs.
        const auto own =
            !v->takes.rest.empty() ? std::find(args.begin(), args.end(), "--") : args.end();
        if (std::find(args.begin(), own, "--help") != own) {
            print_verb_help(*v, out);
            return 0;
        }
        return run_verb(*v, std::span(args).subspan(1), out, err);
    }
    return fail(err, "Unknown command " + name + "; see dabro-cli --help", 1);
}

}  // namespace dabro::cli
