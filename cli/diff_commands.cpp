#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/commands.h"
#include "interchange/sprite_diff.h"

namespace dabro::cli {

namespace {

// diff and cmp's exit codes: the files are the same, they differ, or the comparison failed.
constexpr int kSame = 0;
constexpr int kDiffer = 1;
constexpr int kTrouble = 2;

int trouble(QTextStream& err, const std::string& message) {
    fail(err, message);
    return kTrouble;
}

QJsonObject difference_json(const Difference& d) {
    QJsonObject o{{"place", QString::fromStdString(d.place)},
                  {"field", QString::fromStdString(d.field)}};
    if (d.a) o["a"] = QString::fromStdString(*d.a);
    if (d.b) o["b"] = QString::fromStdString(*d.b);
    if (!d.which.empty()) {
        QJsonArray which;
        for (int i : d.which) which.append(i);
        o["which"] = which;
    }
    if (d.field == "pixels") {
        o["count"] = static_cast<qint64>(d.count);
        o["x"] = static_cast<qint64>(d.x);
        o["y"] = static_cast<qint64>(d.y);
    }
    if (d.field == "bytes") o["offset"] = static_cast<qint64>(d.count);
    o["text"] = QString::fromStdString(difference_text(d));
    return o;
}

int run_diff(const QStringList& args, QTextStream& out, QTextStream& err) {
    const bool json = args.contains("--json");
    QStringList files;
    for (const QString& arg : args) {
        if (arg == "--json") continue;
        if (arg.size() > 1 && arg.startsWith('-'))
            return trouble(err, "Unknown option " + arg.toStdString());
        files.append(arg);
    }
    if (files.size() != 2) return trouble(err, "Give two sprite files to compare");
    std::vector<Difference> differences;
    if (Status s = diff_sprite_files(files[0].toStdString(), files[1].toStdString(), differences);
        !s.ok())
        return trouble(err, s.message());
    if (json) {
        QJsonArray list;
        for (const Difference& d : differences) list.append(difference_json(d));
        out << QJsonDocument(QJsonObject{{"same", differences.empty()}, {"differences", list}})
                   .toJson(QJsonDocument::Indented);
    } else {
        for (const Difference& d : differences)
            out << QString::fromStdString(difference_text(d)) << '\n';
    }
    return differences.empty() ? kSame : kDiffer;
}

const Command kDiffCommands[] = {
    {"diff", "A.spr B.spr [--json]",
     "Compare two sprites by place (header, sequences, collections, palettes, boxes, pixels); "
     "exits 0 when they are the same, 1 when they differ, 2 on error",
     run_diff},
};

}  // namespace

std::span<const Command> diff_commands() {
    return kDiffCommands;
}

}  // namespace dabro::cli
