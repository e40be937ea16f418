#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "document/file_layer.h"
#include "imaging/sequence_cells.h"
#include "interchange/png_codec.h"

namespace dabro::cli {

namespace {

// Where the frame list goes: OUT.png's name with .json in place of .png.
std::string json_path_of(const std::string& png) {
    const QString path = QString::fromStdString(png);
    if (path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        return (path.left(path.size() - 4) + QStringLiteral(".json")).toStdString();
    return png + ".json";
}

Status int_in_range(const Arguments& a, const char* option, int fallback, int low, int high,
                    const char* what, int& value) {
    value = fallback;
    if (!a.has(option)) return Status::success();
    if (Status s = int_option(a, option, value); !s.ok()) return s;
    if (value < low || value > high)
        return Status::failure(std::string("There is no ") + what + ' ' + std::to_string(value) +
                               ": use " + std::to_string(low) + " to " + std::to_string(high));
    return Status::success();
}

struct Sheet {
    RgbaImage image;
    QJsonObject index;
};

// One row of cells, frame q in cell q.
Status draw_sheet(const SpriteDocument& doc, int sequence, int direction, int palette, int scale,
                  Sheet& sheet) {
    SequenceCells cells;
    if (Status s = plan_sequence_cells(doc, sequence, direction, scale, cells); !s.ok()) return s;
    const auto frames = static_cast<std::uint32_t>(cells.frames.size());
    RgbaImage& image = sheet.image;
    image.width = static_cast<std::uint32_t>(cells.width) * frames;
    image.height = static_cast<std::uint32_t>(cells.height);
    image.pixels.assign(std::size_t{image.width} * image.height, 0);
    QJsonArray list;
    for (std::uint32_t q = 0; q < frames; ++q) {
        const FrameImage& cell = cells.frames[q];
        const auto x = static_cast<int>(static_cast<std::uint32_t>(cells.width) * q);
        QJsonObject entry{
            {"index", static_cast<int>(q)},
            {"collectionFrame", cell.collectionFrame},
            {"frameValue", cell.frameValue},
            {"cell",
             QJsonObject{{"x", x}, {"y", 0}, {"width", cells.width}, {"height", cells.height}}}};
        draw_sequence_cell(doc, cells, static_cast<int>(q), palette, image.pixels.data() + x,
                           image.width);
        if (!cell.found()) entry.insert("empty", QString::fromStdString(cell.reason));
        list.append(entry);
    }
    sheet.index = QJsonObject{{"sequence", sequence},
                              {"direction", direction},
                              {"palette", palette},
                              {"scale", scale},
                              {"frames", list}};
    return Status::success();
}

Status write_bytes(const std::string& path, const QByteArray& bytes) {
    return write_file_atomically(path, {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                        static_cast<std::size_t>(bytes.size())});
}

int run_render_sequence(const QStringList& args, QTextStream& out, QTextStream& err) {
    Arguments a;
    if (Status s = parse_arguments(args, {"-s", "-d", "-p", "--scale", "-o"}, {}, a); !s.ok())
        return fail(err, s.message());
    if (Status s = require(a, {"-s", "-o"}); !s.ok()) return fail(err, s.message());
    int palette = 0;
    int scale = 1;
    if (Status s = int_in_range(a, "-p", 0, 0, kPalettesPerCollection - 1, "palette", palette);
        !s.ok())
        return fail(err, s.message());
    if (Status s = int_in_range(a, "--scale", 1, 1, kMaxZoom, "scale", scale); !s.ok())
        return fail(err, s.message());
    LoadedSprite sprite;
    if (Status s = load(a.file, sprite); !s.ok()) return fail(err, s.message());
    const SpriteDocument& doc = sprite.document();

    int sequence = 0;
    if (Status s = int_option(a, "-s", sequence); !s.ok()) return fail(err, s.message());
    int direction = 0;
    if (a.has("-d"))
        if (Status s = int_option(a, "-d", direction); !s.ok()) return fail(err, s.message());
    if (Status s = check_sequence_direction(doc, sequence, direction); !s.ok())
        return fail(err, s.message());

    Sheet sheet;
    if (Status s = draw_sheet(doc, sequence, direction, palette, scale, sheet); !s.ok())
        return fail(err, s.message());
    std::vector<std::uint8_t> png;
    if (Status s = encode_png(sheet.image, png); !s.ok()) return fail(err, s.message());
    const QByteArray json = QJsonDocument(sheet.index).toJson(QJsonDocument::Indented);

    // Both files are ready before either is written; each is written whole or not at all.
    const std::string& pngPath = a.value("-o");
    if (Status s = write_file_atomically(pngPath, png); !s.ok()) return fail(err, s.message());
    if (Status s = write_bytes(json_path_of(pngPath), json); !s.ok()) return fail(err, s.message());
    out << "Sequence rendered\n";
    return 0;
}

const Command kSequenceCommands[] = {
    {"render-sequence", "FILE -s S [-d D] [-p P] [--scale N] -o OUT.png",
     "Draws every frame of sequence S in direction D (default 0) as RGBA with palette P "
     "(default 0), N times larger (1 to 16), in one row of cells the size of the largest frame; "
     "OUT.json lists each frame's index, collection frame, frame value and cell",
     run_render_sequence},
};

}  // namespace

std::span<const Command> sequence_commands() {
    return kSequenceCommands;
}

}  // namespace dabro::cli
