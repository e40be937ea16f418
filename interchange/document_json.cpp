// The document as JSON: dump's whole view, and the sequence entries an unpacked folder shares.
#include "interchange/document_json.h"

#include <algorithm>
#include <string_view>

#include "document/name_text.h"
#include "interchange/json_fields.h"

namespace dabro {

namespace {

using Json = nlohmann::json;

std::string hex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(bytes.size() * 2, '\0');
    std::size_t i = 0;
    for (std::uint8_t b : bytes) {
        text[i++] = kDigits[b >> 4];
        text[i++] = kDigits[b & 15];
    }
    return text;
}

Json image_json(const CollectionImage& image) {
    return {{"kind", image.kind},
            {"width", image.width},
            {"height", image.height},
            {"flag", image.flag},
            {"dataLength", image.dataLength},
            {"data", hex(image.data)},
            {"sourceName", latin1_to_utf8(image.sourceName.view())}};
}

Json collection_json(const ImageCollection& col) {
    Json palettes = Json::array();
    for (const Palette& palette : col.palettes) palettes.push_back(palette);
    Json boxes = Json::array();
    Json images = Json::array();
    const int slotCount = col.slot_count();
    for (int k = 0; k < slotCount; ++k) {
        const BoundingBox& box = col.boxes[static_cast<std::size_t>(k)];
        boxes.push_back(
            {{"left", box.left}, {"top", box.top}, {"right", box.right}, {"bottom", box.bottom}});
        images.push_back(image_json(col.images[static_cast<std::size_t>(k)]));
    }
    return {{"name", latin1_to_utf8(col.name.view())},
            {"imageSectionOffset", col.imageSectionOffset},
            {"frames", col.frames},
            {"directions", col.directions},
            {"imageSectionType", latin1_to_utf8(std::string_view(&col.imageSectionType, 1))},
            {"sourceName", latin1_to_utf8(col.sourceName.view())},
            {"palettes", std::move(palettes)},
            {"boxes", std::move(boxes)},
            {"images", std::move(images)}};
}

}  // namespace

nlohmann::ordered_json sequence_json(const Sequence& seq) {
    nlohmann::ordered_json frames = nlohmann::ordered_json::array();
    for (int i = 0; i < std::clamp(seq.frameCount, 0, kMaxSequenceFrames); ++i) {
        frames.push_back({{"imageIndex", seq.imageIndex[static_cast<std::size_t>(i)]},
                          {"frameValue", seq.frameValue[static_cast<std::size_t>(i)]}});
    }
    return {{"name", latin1_to_utf8(seq.name.view())},
            {"collectionIndex", seq.collectionIndex},
            {"frames", std::move(frames)}};
}

Json document_json(const Session& session) {
    const SpriteDocument& doc = session.document;
    Json sequences = Json::array();
    for (int s = 0; s < doc.sequenceCount; ++s)
        sequences.push_back(Json(sequence_json(doc.sequences[static_cast<std::size_t>(s)])));
    Json collections = Json::array();
    for (int c = 0; c < doc.collectionCount; ++c)
        collections.push_back(collection_json(doc.collections[static_cast<std::size_t>(c)]));
    Json json;
    json_fields::put_header(json, doc);
    json["imagesReadable"] = session.imagesReadable;
    json["sequences"] = std::move(sequences);
    json["collections"] = std::move(collections);
    return json;
}

}  // namespace dabro
