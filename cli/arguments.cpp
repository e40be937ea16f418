// Reads a verb's command line by its table entry, and the values verbs read from it.
#include "cli/arguments.h"

#include "cli/verb.h"
#include "document/text_to_int.h"

namespace dabro::cli {

const Option* find_option(const Verb& verb, std::string_view name) {
    for (const Option& o : verb.takes.options)
        if (o.name == name) return &o;
    return nullptr;
}

namespace {

std::string spelled(const Alternative& choice) {
    std::string text(choice.options[0]);
    if (!choice.options[1].empty()) text += " and " + std::string(choice.options[1]);
    return text;
}

// "Give either -c or -s", "Give either -f and -d, or --all", "Give one of --by, --set or --at".
std::string one_of_text(const Rule& r) {
    std::vector<std::string> choices;
    bool compound = false;
    for (const Alternative& choice : r.group) {
        if (choice.options[0].empty()) continue;
        choices.push_back(spelled(choice));
        compound = compound || !choice.options[1].empty();
    }
    if (choices.size() == 2)
        return "Give either " + choices[0] + (compound ? ", or " : " or ") + choices[1];
    std::string text = "Give one of " + choices[0];
    for (std::size_t k = 1; k + 1 < choices.size(); ++k) text += ", " + choices[k];
    return text + " or " + choices.back();
}

Status required_option(std::string_view name) {
    return Status::failure("Option " + std::string(name) + " is required");
}

Status check_rule(const Verb& verb, const Rule& r, const Arguments& a) {
    const std::string first(r.group[0].options[0]);
    const std::string other(r.other);
    switch (r.kind) {
        case Rule::ExactlyOne: {
            const Alternative* chosen = nullptr;
            int count = 0;
            for (const Alternative& choice : r.group)
                for (std::string_view option : choice.options)
                    if (!option.empty() && a.given(std::string(option))) {
                        chosen = &choice;
                        ++count;
                        break;
                    }
            if (count != 1) return Status::failure(one_of_text(r));
            for (std::string_view option : chosen->options)
                if (!option.empty() && !a.given(std::string(option)))
                    return required_option(option);
            return Status::success();
        }
        case Rule::AtMostOne: {
            const std::string second(r.group[1].options[0]);
            if (a.given(first) && a.given(second))
                return Status::failure("Give " + first + " or " + second + ", not both");
            return Status::success();
        }
        case Rule::GoesWith:
            if (a.given(first) && !a.given(other))
                return Status::failure(first + " goes with " + other);
            return Status::success();
        case Rule::Needs:
            if (a.given(first) && !a.given(other)) {
                const Option* o = find_option(verb, other);
                const std::string arg = o && !o->arg.empty() ? " " + std::string(o->arg) : "";
                return Status::failure(first + " needs " + other + arg);
            }
            return Status::success();
        case Rule::RequiredUnless:
            if (!a.given(first) && !a.given(other))
                return Status::failure("Option " + first + " is required unless " + other +
                                       " is given");
            return Status::success();
        case Rule::TurnsOff:
            return Status::success();
    }
    return Status::success();
}

}  // namespace

bool Arguments::writes(std::string_view output) const {
    if (!verb) return true;
    for (const Rule& r : verb->takes.rules)
        if (r.kind == Rule::TurnsOff && r.group[0].options[0] == output &&
            given(std::string(r.other)))
            return false;
    return true;
}

Status parse_arguments(const Verb& verb, std::span<const std::string> args, Arguments& parsed) {
    parsed.verb = &verb;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const Option* option = find_option(verb, arg);
        if (!verb.takes.rest.empty() && arg == "--") {
            parsed.rest.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        if (option && option->kind != Kind::Flag) {
            if (i + 1 >= args.size()) return Status::failure("Option " + arg + " needs a value");
            if (parsed.values.count(arg))
                return Status::failure("Option " + arg + " is given twice");
            parsed.values[arg] = args[++i];
        } else if (option) {
            parsed.flags.insert(arg);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Status::failure("Unknown option " + arg);
        } else if (verb.takes.operands.count == 1 && !verb.takes.operands.orMore &&
                   !parsed.operands.empty()) {
            return Status::failure("Unexpected argument " + arg);
        } else {
            parsed.operands.push_back(arg);
        }
    }
    if (parsed.operands.size() < verb.takes.operands.count ||
        (!verb.takes.operands.orMore && parsed.operands.size() != verb.takes.operands.count))
        return Status::failure(std::string(verb.takes.operands.missing));
    if (!parsed.operands.empty()) parsed.file = parsed.operands.front();
    for (const Option& o : verb.takes.options)
        if (o.required && !parsed.has(std::string(o.name))) return required_option(o.name);
    for (const Rule& r : verb.takes.rules)
        if (Status s = check_rule(verb, r, parsed); !s.ok()) return s;
    return Status::success();
}

Status int_option(const Arguments& a, const char* option, int& value) {
    std::int32_t v = 0;
    if (Status s = text_to_int(a.value(option), v); !s.ok()) return s;
    value = v;
    return Status::success();
}

}  // namespace dabro::cli
