#include "cli/commands.h"

#include "cli/file_naming.h"
#include "dabro_version.h"
#include "document/status.h"

namespace dabro::cli {

namespace {

void print_help(QTextStream& out) {
    out << "Usage: dabro-cli COMMAND FILE [OPTIONS]\n"
           "Reads and writes sprite files (.spr) with the same code as the Dabro editor.\n"
           "A failure prints its message as the last line of standard error and exits with 1\n"
           "(diff: 0 same, 1 different, 2 failure, as diff and cmp do).\n"
           "Image commands select image F x directions + D of collection C, as the editor does.\n\n"
           "Commands:\n";
    for (auto commands : {document_commands(), imaging_commands(), diff_commands(),
                          sequence_commands(), png_commands()}) {
        for (const Command& c : commands) {
            out << "  " << c.name << ' ' << c.usage << "\n      " << c.summary << '\n';
        }
    }
    out << "  --help\n      Print this help.\n"
           "  --version\n      Print the version.\n";
}

}  // namespace

int fail(QTextStream& err, const std::string& message) {
    const FileNaming* naming = FileNaming::active();
    err << QString::fromStdString(failure_text(naming ? naming->named(message) : message)) << '\n';
    err.flush();
    return 1;
}

int run_cli(const QStringList& args, QTextStream& out, QTextStream& err) {
    const FileNaming naming;
    if (args.isEmpty()) {
        print_help(err);
        return fail(err, "No command given");
    }
    const QString name = args.first();
    if (name == "--help" || name == "-h" || name == "help") {
        print_help(out);
        return 0;
    }
    if (name == "--version") {
        out << "dabro-cli " << DABRO_VERSION << '\n';
        return 0;
    }
    for (auto commands : {document_commands(), imaging_commands(), diff_commands(),
                          sequence_commands(), png_commands()}) {
        for (const Command& c : commands) {
            if (name != QLatin1String(c.name)) continue;
            if (args.contains("--help")) {
                out << "Usage: dabro-cli " << c.name << ' ' << c.usage << '\n' << c.summary << '\n';
                return 0;
            }
            return c.run(args.mid(1), out, err);
        }
    }
    return fail(err, "Unknown command " + name.toStdString() + "; see dabro-cli --help");
}

}  // namespace dabro::cli
