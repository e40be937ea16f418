// Fuzz target: raw image import against the encoding as stated.
#include <vector>

#include "fuzz/fuzz_target.h"
#include "interchange/raw_import.h"
#include "support/memory_files.h"

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
    std::vector<std::uint8_t> data = {0x0D, 1, 2, 3};
    FUZZ_CHECK(load_raw_image("art/pixels.raw", data).ok());
    FUZZ_CHECK(data == expected);
    FUZZ_CHECK(files.open_files() == 0);

    const Status missing = load_raw_image("art/missing.raw", data);
    FUZZ_CHECK(!missing.ok() && missing.message() == "File not found");
    FUZZ_CHECK(data == expected);
    FUZZ_CHECK(files.open_files() == 0);
    return 0;
}

}  // namespace dabro::fuzz
