#pragma once

#include <QJsonObject>
#include <QStringList>
#include <QTextStream>
#include <span>
#include <string>

#include "document/sprite_document.h"

namespace dabro::cli {

// One command of the batch tool. `run` gets the arguments after the command's name and
// returns the exit code; a failure's text goes, as the last line, to `err`.
struct Command {
    const char* name;
    const char* usage;    // one line: the arguments
    const char* summary;  // one line: what it does
    int (*run)(const QStringList& args, QTextStream& out, QTextStream& err);
};

std::span<const Command> document_commands();
std::span<const Command> imaging_commands();
std::span<const Command> diff_commands();
std::span<const Command> sequence_commands();
std::span<const Command> png_commands();
std::span<const Command> animate_commands();

// Prints failure_text(message) as the last line of `err` and returns exit code 1.
int fail(QTextStream& err, const std::string& message);

// The document as `dump` prints it: only the slots in use, names as Latin-1.
QJsonObject document_json(const Session& session);

// Runs the tool with argv-style arguments (without the program name).
int run_cli(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace dabro::cli
