#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <string>

#include "cli/commands.h"

namespace dabro::test {

// What one run of the batch tool printed and returned.
struct CliResult {
    int code = 0;
    QString out;
    QString err;
    // What the tool says last on stderr: a failure's text.
    std::string last_error_line() const {
        const QStringList lines = err.split('\n', Qt::SkipEmptyParts);
        return lines.isEmpty() ? std::string() : lines.last().toStdString();
    }
};

inline CliResult run_cli(const QStringList& args) {
    CliResult r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = cli::run_cli(args, out, err);
    out.flush();
    err.flush();
    return r;
}

inline QString q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace dabro::test
