#include <vector>

#include "document/memory_files.h"
#include "fuzz/fuzz_target.h"
#include "imaging/raw_import.h"

namespace dabro::fuzz {

int raw_import(Input raw) {
    std::vector<std::uint8_t> expected;
    for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
        if (raw[i + 1] == 0) {
            expected.push_back(4);
        } else {
            expected.insert(expected.end(), {6, raw[i], raw[i + 1]});
        }
    }
    const std::vector<std::uint8_t> encoded = encode_raw_pixels(raw);
    FUZZ_CHECK(encoded == expected);
    FUZZ_CHECK(encoded.size() <= 3 * raw.size() / 2);

    MemoryFiles files;
    files.put("art/pixels.raw", raw);
    CollectionImage image;
    image.width = 7;
    image.height = 9;
    image.kind = 3;
    image.flag = 1;
    image.set_data({0x0D, 1, 2, 3});
    const CollectionImage before = image;

    FUZZ_CHECK(load_raw_image(image, "art/pixels.raw").ok());
    FUZZ_CHECK(image.data == expected);
    FUZZ_CHECK(image.dataLength == static_cast<std::int32_t>(expected.size()));
    FUZZ_CHECK(image.width == before.width && image.height == before.height &&
               image.kind == before.kind && image.flag == before.flag);
    FUZZ_CHECK(files.open_files() == 0);

    const CollectionImage imported = image;
    const Status missing = load_raw_image(image, "art/missing.raw");
    FUZZ_CHECK(!missing.ok() && missing.message() == "File not found");
    FUZZ_CHECK(image == imported);
    FUZZ_CHECK(files.open_files() == 0);
    return 0;
}

}  // namespace dabro::fuzz
