#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "document/name_text.h"
#include "interchange/sprite_diff.h"

namespace dabro::cli {

namespace {

// Names are read as Latin-1, whatever they hold, so every byte shows as itself.
QString latin1(std::string_view bytes) {
    return QString::fromStdString(latin1_to_utf8(bytes));
}

template <std::size_t N>
QString latin1(const ShortName<N>& name) {
    return latin1(name.view());
}

QString hex(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    QString text(static_cast<qsizetype>(bytes.size() * 2), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::uint8_t b : bytes) {
        *out++ = QLatin1Char(digits[b >> 4]);
        *out++ = QLatin1Char(digits[b & 15]);
    }
    return text;
}

QJsonObject sequence_json(const Sequence& seq) {
    QJsonArray frames;
    for (int i = 0; i < seq.frameCount; ++i) {
        frames.append(QJsonObject{{"imageIndex", seq.imageIndex[static_cast<std::size_t>(i)]},
                                  {"frameValue", seq.frameValue[static_cast<std::size_t>(i)]}});
    }
    return {
        {"name", latin1(seq.name)}, {"collectionIndex", seq.collectionIndex}, {"frames", frames}};
}

QJsonObject image_json(const CollectionImage& image) {
    return {{"kind", image.kind},
            {"width", image.width},
            {"height", image.height},
            {"flag", image.flag},
            {"dataLength", image.dataLength},
            {"data", hex(image.data)},
            {"sourceName", latin1(image.sourceName)}};
}

QJsonObject collection_json(const ImageCollection& col) {
    QJsonArray palettes;
    for (const Palette& palette : col.palettes) {
        QJsonArray entries;
        for (std::uint32_t entry : palette) entries.append(static_cast<qint64>(entry));
        palettes.append(entries);
    }
    QJsonArray boxes;
    QJsonArray images;
    const int slotCount = col.slot_count();
    for (int k = 0; k < slotCount; ++k) {
        const BoundingBox& box = col.boxes[static_cast<std::size_t>(k)];
        boxes.append(QJsonObject{
            {"left", box.left}, {"top", box.top}, {"right", box.right}, {"bottom", box.bottom}});
        images.append(image_json(col.images[static_cast<std::size_t>(k)]));
    }
    return {{"name", latin1(col.name)},
            {"imageSectionOffset", col.imageSectionOffset},
            {"frames", col.frames},
            {"directions", col.directions},
            {"imageSectionType", latin1(std::string_view(&col.imageSectionType, 1))},
            {"sourceName", latin1(col.sourceName)},
            {"palettes", palettes},
            {"boxes", boxes},
            {"images", images}};
}

int run_dump(const QStringList& args, QTextStream& out, QTextStream& err) {
    Arguments a;
    LoadedSprite sprite;
    if (Status s = parse_arguments(args, {}, {"--text"}, a); !s.ok()) return fail(err, s.message());
    if (Status s = load(a.file, sprite); !s.ok()) return fail(err, s.message());
    if (a.flags.count("--text")) {
        out << QString::fromStdString(document_text(*sprite.session));
        return 0;
    }
    out << QJsonDocument(document_json(*sprite.session)).toJson(QJsonDocument::Indented);
    return 0;
}

int run_resave(const QStringList& args, QTextStream&, QTextStream& err) {
    Arguments a;
    LoadedSprite sprite;
    if (Status s = parse_arguments(args, {"-o"}, {}, a); !s.ok()) return fail(err, s.message());
    if (Status s = require(a, {"-o"}); !s.ok()) return fail(err, s.message());
    if (Status s = load(a.file, sprite); !s.ok()) return fail(err, s.message());
    if (Status s = save(a.value("-o"), sprite); !s.ok()) return fail(err, s.message());
    return 0;
}

const Command kCommands[] = {
    {"dump", "FILE [--text]",
     "Print the sprite as one JSON object: header, sequences, collections and images; with "
     "--text, one field a line (for version control's textconv).",
     run_dump},
    {"resave", "FILE -o OUT", "Load the sprite and save it to OUT (which may be FILE itself).",
     run_resave},
};

}  // namespace

QJsonObject document_json(const Session& session) {
    const SpriteDocument& doc = session.document;
    QJsonArray sequences;
    for (int s = 0; s < doc.sequenceCount; ++s)
        sequences.append(sequence_json(doc.sequences[static_cast<std::size_t>(s)]));
    QJsonArray collections;
    for (int c = 0; c < doc.collectionCount; ++c)
        collections.append(collection_json(doc.collections[static_cast<std::size_t>(c)]));
    return {{"dimensions", QJsonArray{doc.dimensions[0], doc.dimensions[1], doc.dimensions[2]}},
            {"centerX", doc.centerX},
            {"centerY", doc.centerY},
            {"headerWord", doc.headerWord},
            {"headerByte", doc.headerByte},
            {"imagesReadable", session.imagesReadable},
            {"sequences", sequences},
            {"collections", collections}};
}

std::span<const Command> document_commands() {
    return kCommands;
}

}  // namespace dabro::cli
