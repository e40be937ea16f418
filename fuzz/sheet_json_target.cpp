// Fuzz target: a collection sheet's JSON and the layout read from it.
#include "fuzz/fuzz_target.h"
#include "interchange/json_fields.h"
#include "interchange/sheet.h"

namespace dabro::fuzz {

int sheet_json(Input text) {
    nlohmann::json json;
    if (!json_fields::parse(text, "fuzz.json", json).ok()) return 0;
    SheetLayout layout;
    if (!parse_sheet_json(json, "fuzz.json", layout).ok()) return 0;
    FUZZ_CHECK(layout.frames * layout.directions <= kMaxImageSlots);
    FUZZ_CHECK(layout.imageSlots.size() == static_cast<std::size_t>(layout.frames) *
                                               static_cast<std::size_t>(layout.directions));
    for (std::size_t k = 0; k < layout.imageSlots.size(); ++k) {
        const SheetSlot& s = layout.imageSlots[k];
        FUZZ_CHECK(static_cast<std::size_t>(s.frame * layout.directions + s.direction) == k);
        FUZZ_CHECK(s.sourceName.size() <= kMaxSourceNameLength);
    }
    FUZZ_CHECK(layout.name.size() <= kMaxNameLength);

    // What was read writes back to the same layout.
    const std::string written = sheet_json(layout).dump();
    nlohmann::json again;
    FUZZ_CHECK(
        json_fields::parse({reinterpret_cast<const std::uint8_t*>(written.data()), written.size()},
                           "again.json", again)
            .ok());
    SheetLayout back;
    FUZZ_CHECK(parse_sheet_json(again, "again.json", back).ok());
    FUZZ_CHECK(sheet_json(back).dump() == written);

    // Cells are read out of a small sheet, or refused, without reading outside it.
    RgbaImage sheet{16, 12, std::vector<std::uint32_t>(16 * 12, 0xFF102030u)};
    std::vector<CollectionImage> images;
    if (images_from_sheet(sheet, layout, Encoding::Compact, nullptr, images).ok())
        FUZZ_CHECK(images.size() == layout.imageSlots.size());
    return 0;
}

}  // namespace dabro::fuzz
