// Fuzz target: halve against a reference walk over the same pixels.
#include <vector>

#include "fuzz/fuzz_target.h"
#include "fuzz/image_input.h"
#include "imaging/halve.h"

namespace dabro::fuzz {

namespace {

// (n + 1) / 2 truncating toward zero, without overflow at the top of the range.
std::int32_t half(std::int32_t n) {
    return static_cast<std::int32_t>((std::int64_t{n} + 1) / 2);
}

}  // namespace

int halve(Input input) {
    const CollectionImage before = image_from(input);

    std::vector<std::uint8_t> expected;
    reference_walk(usable_bytes(before), before.width, true, [&](const RefPixel& p) {
        if (p.x % 2 != 0 || p.y % 2 != 0) return;
        if (p.alpha == 0) {
            expected.push_back(4);
        } else {
            expected.insert(expected.end(), {6, p.index, p.alpha});
        }
    });

    EncodedImage halved;
    const Status status = halve_image(before, halved);
    FUZZ_CHECK(status.ok());
    FUZZ_CHECK(halved.data == expected);
    FUZZ_CHECK(halved.width == half(before.width));
    FUZZ_CHECK(halved.height == half(before.height));

    // The result is in the one-pixel encoding, so halving it again walks it cleanly.
    CollectionImage image;
    image.width = halved.width;
    image.set_data(halved.data);
    EncodedImage again;
    FUZZ_CHECK(halve_image(image, again).ok());
    FUZZ_CHECK(again.data.size() <= halved.data.size());
    return 0;
}

}  // namespace dabro::fuzz
