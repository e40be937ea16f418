// The parsed arguments of one verb, and the readings of their values that verbs share.
#pragma once

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "document/status.h"

namespace dabro::cli {

struct Verb;

// Option names, as a verb's table entry lists them.
using Names = std::initializer_list<std::string_view>;

// The arguments of one verb: its operands, options with a value, and bare flags.
struct Arguments {
    std::string file;                   // the first operand: the sprite file (pack: the folder)
    std::vector<std::string> operands;  // every operand, in order
    std::vector<std::string> rest;      // what follows `--`, for a verb that runs another
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    const Verb* verb = nullptr;  // the verb whose records read them

    bool has(const std::string& option) const { return values.count(option) != 0; }
    const std::string& value(const std::string& option) const { return values.at(option); }
};

// Fails naming the first of `options` that was not given.
Status require(const Arguments& a, Names options);

// The option's value by the program's text-to-integer rule.
Status int_option(const Arguments& a, const char* option, int& value);

}  // namespace dabro::cli
