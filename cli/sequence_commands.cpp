#include <QBuffer>
#include <QByteArray>
#include <QImage>
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
#include "imaging/player_render.h"

namespace dabro::cli {

namespace {

// A sheet larger than this is refused: it could only come from a hostile size.
constexpr std::int64_t kMaxSheetPixels = std::int64_t{1} << 26;

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
    QImage image;
    QJsonObject index;
};

// One row of cells, each the largest frame's size times the scale; frame q in cell q.
Status draw_sheet(const SpriteDocument& doc, int sequence, int direction, int palette, int scale,
                  Sheet& sheet) {
    const int frames = sequence_length(doc, sequence);
    if (frames == 0)
        return Status::failure("Sequence " + std::to_string(sequence) + " has no frames");
    std::vector<FrameImage> cells;
    std::int64_t cellWidth = 0;
    std::int64_t cellHeight = 0;
    for (int q = 0; q < frames; ++q) {
        cells.push_back(sequence_frame_image(doc, sequence, q, direction));
        const FrameImage& cell = cells.back();
        if (!cell.found()) continue;
        const Extent e = drawn_extent(doc.collections[static_cast<std::size_t>(cell.collection)]
                                          .images[static_cast<std::size_t>(cell.slot)]);
        cellWidth = std::max<std::int64_t>(cellWidth, e.width);
        cellHeight = std::max<std::int64_t>(cellHeight, e.height);
    }
    if (cellWidth == 0 || cellHeight == 0)
        return Status::failure("Sequence " + std::to_string(sequence) + " has no pixels to draw");
    cellWidth *= scale;
    cellHeight *= scale;
    if (cellWidth * frames * cellHeight > kMaxSheetPixels)
        return Status::failure("The sheet is too large to draw: " + std::to_string(frames) +
                               " cells of " + std::to_string(cellWidth) + " x " +
                               std::to_string(cellHeight));

    QImage& image = sheet.image;
    image = QImage(static_cast<int>(cellWidth * frames), static_cast<int>(cellHeight),
                   QImage::Format_ARGB32);
    if (image.isNull()) return Status::failure("Out of memory");
    image.fill(0);
    QJsonArray list;
    for (int q = 0; q < frames; ++q) {
        const FrameImage& cell = cells[static_cast<std::size_t>(q)];
        const auto x = static_cast<int>(cellWidth * q);
        QJsonObject entry{{"index", q},
                          {"collectionFrame", cell.collectionFrame},
                          {"frameValue", cell.frameValue},
                          {"cell", QJsonObject{{"x", x},
                                               {"y", 0},
                                               {"width", static_cast<int>(cellWidth)},
                                               {"height", static_cast<int>(cellHeight)}}}};
        if (cell.found()) {
            const ImageCollection& c = doc.collections[static_cast<std::size_t>(cell.collection)];
            auto* pixels = reinterpret_cast<std::uint32_t*>(image.bits());
            draw_rgba(c.images[static_cast<std::size_t>(cell.slot)],
                      c.palettes[static_cast<std::size_t>(palette)], scale, pixels + x,
                      static_cast<std::int32_t>(cellWidth), image.height(),
                      image.bytesPerLine() / 4);
        } else {
            entry.insert("empty", QString::fromStdString(cell.reason));
        }
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
    if (Status s = check_outputs(a, {json_path_of(a.value("-o"))}); !s.ok())
        return fail(err, s.message());
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
    const int sequences = std::clamp(doc.sequenceCount, 0, kMaxSequences);
    if (sequence < 0 || sequence >= sequences)
        return fail(err, "There is no sequence " + std::to_string(sequence) + ": the sprite has " +
                             counted(sequences, "sequence"));
    const int c = doc.sequences[static_cast<std::size_t>(sequence)].collectionIndex;
    if (c >= std::clamp(doc.collectionCount, 0, kMaxCollections))
        return fail(err, "Sequence " + std::to_string(sequence) + " shows collection " +
                             std::to_string(c) + ", which the sprite does not have");
    const ImageCollection& collection = doc.collections[static_cast<std::size_t>(c)];
    if (collection.imageSectionType != kReadableSection)
        return fail(err, "Sprite with compressed images. Images unaccesible");
    if (collection.directions <= 0)
        return fail(err, "Collection " + std::to_string(c) + " has no directions");
    int direction = 0;
    if (Status s = int_in_range(a, "-d", 0, 0, collection.directions - 1, "direction", direction);
        !s.ok())
        return fail(err, s.message());

    Sheet sheet;
    if (Status s = draw_sheet(doc, sequence, direction, palette, scale, sheet); !s.ok())
        return fail(err, s.message());
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!sheet.image.save(&buffer, "PNG"))
        return fail(err, "The picture could not be encoded as PNG");
    const QByteArray json = QJsonDocument(sheet.index).toJson(QJsonDocument::Indented);

    // Both files are ready before either is written; each is written whole or not at all.
    const std::string& pngPath = a.value("-o");
    if (Status s = write_bytes(pngPath, png); !s.ok()) return fail(err, s.message());
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
