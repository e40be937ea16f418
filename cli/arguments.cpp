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

Status parse_arguments(const Verb& verb, std::span<const std::string> args, Arguments& parsed) {
    parsed.verb = &verb;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const Option* option = find_option(verb, arg);
        if (verb.takes.restAfterDashes && arg == "--") {
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
        if (o.required && !parsed.has(std::string(o.name)))
            return Status::failure("Option " + std::string(o.name) + " is required");
    return Status::success();
}

Status require(const Arguments& a, Names options) {
    for (std::string_view option : options) {
        if (!a.has(std::string(option)))
            return Status::failure("Option " + std::string(option) + " is required");
    }
    return Status::success();
}

Status int_option(const Arguments& a, const char* option, int& value) {
    std::int32_t v = 0;
    if (Status s = text_to_int(a.value(option), v); !s.ok()) return s;
    value = v;
    return Status::success();
}

}  // namespace dabro::cli
