// A verb's usage line and option list, built from its option records and the rules between them.
#include <set>

#include "cli/verb.h"

namespace dabro::cli {

namespace {

// Builds the line, each option once, in the records' order but for groups and followers.
class UsageLine {
  public:
    explicit UsageLine(const Verb& verb) : verb_(verb) {}

    std::string build() {
        // A verb that runs a command after `--` takes its operands right before it.
        const bool operandsLast = !verb_.takes.rest.empty();
        std::string line = operandsLast ? "" : std::string(verb_.takes.operands.names);
        for (const Option& o : verb_.takes.options) {
            if (printed_.count(o.name) || rule_naming(Rule::GoesWith, o.name)) continue;
            if (const Rule* group = rule_naming(Rule::ExactlyOne, o.name)) {
                line += " (";
                for (const Alternative& choice : group->group) {
                    if (choice.options[0].empty()) continue;
                    if (&choice != &group->group[0]) line += " | ";
                    line += item(choice.options[0], false);
                    if (!choice.options[1].empty()) line += ' ' + item(choice.options[1], false);
                }
                line += ')';
            } else if (const Rule* pair = rule_naming(Rule::AtMostOne, o.name)) {
                line += ' ' + either(*pair);
            } else {
                line += ' ' + item(o.name, !o.required);
            }
        }
        if (operandsLast)
            line += ' ' + std::string(verb_.takes.operands.names) + " -- " +
                    std::string(verb_.takes.rest);
        return line.starts_with(' ') ? line.substr(1) : line;
    }

  private:
    // The rule of that kind whose group names the option.
    const Rule* rule_naming(Rule::Kind kind, std::string_view option) const {
        for (const Rule& r : verb_.takes.rules)
            if (r.kind == kind)
                for (const Alternative& choice : r.group)
                    if (choice.options[0] == option || choice.options[1] == option) return &r;
        return nullptr;
    }

    bool needs(std::string_view option, std::string_view other) const {
        for (const Rule& r : verb_.takes.rules)
            if (r.kind == Rule::Needs && r.group[0].options[0] == option && r.other == other)
                return true;
        return false;
    }

    // "[--x-only|--y-only]"
    std::string either(const Rule& pair) {
        std::string text = "[";
        for (const Alternative& choice : pair.group) {
            if (choice.options[0].empty()) continue;
            if (&choice != &pair.group[0]) text += '|';
            text += item(choice.options[0], false);
        }
        return text + ']';
    }

    // The option with its value's name, then the options that go with it.
    std::string item(std::string_view name, bool bracketed) {
        printed_.insert(name);
        const Option* o = find_option(verb_, name);
        std::string text(name);
        if (o && !o->arg.empty()) text += ' ' + std::string(o->arg);
        for (const Rule& r : verb_.takes.rules) {
            const std::string_view follower = r.group[0].options[0];
            if (r.kind != Rule::GoesWith || r.other != name || printed_.count(follower)) continue;
            if (const Rule* pair = rule_naming(Rule::AtMostOne, follower))
                text += ' ' + either(*pair);
            else
                text += ' ' + item(follower, !needs(name, follower));
        }
        return bracketed ? '[' + text + ']' : text;
    }

    const Verb& verb_;
    std::set<std::string_view> printed_;
};

}  // namespace

std::string usage_line(const Verb& verb) {
    return UsageLine(verb).build();
}

void print_verb_help(const Verb& verb, std::ostream& out) {
    out << "Usage: dabro-cli " << verb.name << ' ' << usage_line(verb) << '\n'
        << verb.summary << '\n';
    if (verb.takes.options.size() == 0) return;
    out << "Options:\n";
    for (const Option& o : verb.takes.options) {
        out << "  " << o.name;
        if (!o.arg.empty()) out << ' ' << o.arg;
        out << "\n      " << o.help << '\n';
    }
}

}  // namespace dabro::cli
