// This build's version and the About text.
#include "ui/app_info.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <cstdio>

#include "dabro_version.h"

namespace dabro {

QString application_version() {
    return QStringLiteral(DABRO_VERSION);
}

QString about_text() {
    return QStringLiteral(
               "Dabro %1\n\n"
               "An editor for the animated sprite files (.spr) of a game.\n"
               "The batch tool dabro-cli runs the same operations from scripts.\n\n"
               "Built with Qt %2, running on Qt %3.")
        .arg(application_version(), QStringLiteral(QT_VERSION_STR),
             QString::fromLatin1(qVersion()));
}

namespace {

QString help_text() {
    return QStringLiteral(
        "Usage: dabro [OPTIONS] [FILE]\n"
        "Edits the animated sprite files (.spr) of a game in one window.\n"
        "FILE, when given, is opened at start.\n\n"
        "Options:\n"
        "  -h, --help     Print this help and exit.\n"
        "  -v, --version  Print the version and exit.\n\n"
        "Qt's own options (-platform, -style, ...) are accepted too. The batch tool\n"
        "dabro-cli runs the editor's operations from scripts; see dabro-cli --help.\n");
}

}  // namespace

CommandLine read_command_line(const QStringList& arguments) {
    QCommandLineParser parser;
    // Qt's own options are single-dash words (-reverse, -platformtheme): read as letters, they
    // would ask for the version or the help.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    const bool parsed = parser.parse(arguments);

    CommandLine line;
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::ShowHelp;
        line.text = help_text();
    } else if (parser.isSet(version)) {
        line.action = CommandLine::Action::ShowVersion;
        line.text = QStringLiteral("dabro %1\n").arg(application_version());
    } else if (!parsed) {
        line.action = CommandLine::Action::Fail;
        line.text = QStringLiteral("dabro: %1\nSee dabro --help.\n").arg(parser.errorText());
    } else {
        line.files = parser.positionalArguments();
    }
    return line;
}

QStringList command_line_arguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

std::optional<int> answer_command_line(const CommandLine& line) {
    if (line.action == CommandLine::Action::Run) return std::nullopt;
    const bool failed = line.action == CommandLine::Action::Fail;
    std::FILE* stream = failed ? stderr : stdout;
    std::fputs(line.text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
    return failed ? 1 : 0;
}

}  // namespace dabro
