#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#include "cli/commands.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("dabro-cli");
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const int code = dabro::cli::run_cli(args, out, err);
    out.flush();
    err.flush();
    return code;
}
