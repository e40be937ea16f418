// The parsed arguments of one verb, and the readings of their values that verbs share.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "document/status.h"

namespace dabro::cli {

struct Verb;

// The arguments of one verb: its operands, options with a value, and bare flags.
struct Arguments {
    std::string file;                   // the first operand: the sprite file (pack: the folder)
    std::vector<std::string> operands;  // every operand, in order
    std::vector<std::string> rest;      // what follows `--`, for a verb that runs another
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    const Verb* verb = nullptr;  // the verb whose records read them

    bool has(const std::string& option) const { return values.count(option) != 0; }
    // Whether the option was given, with a value or as a flag.
    bool given(const std::string& option) const { return has(option) || flags.count(option) != 0; }
    // Whether the verb writes this output: no flag of its records turns it off.
    bool writes(std::string_view output) const;
    const std::string& value(const std::string& option) const { return values.at(option); }
};

// The option's value by the program's text-to-integer rule.
Status int_option(const Arguments& a, const char* option, int& value);

}  // namespace dabro::cli
