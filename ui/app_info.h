// This build's version and the About text.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace dabro {

// This build's version, as `dabro --version` and Help > About Dabro show it. The window's
// caption does not show it.
QString application_version();

// The text of Help > About Dabro.
QString about_text();

// What the editor's command line asks for.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Fail };
    Action action = Action::Run;
    QString text;       // the help or the version for standard output; the error for standard error
    QStringList files;  // the arguments that are not options, in order
};

// Reads `arguments` as the program got them, its own name first. Help and version win over
// anything else on the line, so they are answered even beside options that only Qt knows.
CommandLine read_command_line(const QStringList& arguments);

// The arguments of main() as text.
QStringList command_line_arguments(int argc, char* argv[]);

// Prints what `line` asks for and returns the exit code; nothing when the editor is to run.
std::optional<int> answer_command_line(const CommandLine& line);

}  // namespace dabro
