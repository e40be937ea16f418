// Fuzzes the APNG writer's chunk assembly: every frame read back equals the frame written.
#include <algorithm>
#include <memory>

#include "fuzz/fuzz_target.h"
#include "interchange/animation.h"
#include "interchange/png_codec.h"
#include "support/apng_frames.h"

namespace dabro::fuzz {

// Input: width - 1, height - 1 (each taken mod 32), frame count - 1 (mod 8), then two bytes
// of delay per frame and the pixels, 4 bytes each, frame after frame; missing bytes are 0.
int apng(Input data) {
    const auto byte = [&](std::size_t i) -> std::uint8_t { return i < data.size() ? data[i] : 0; };
    const std::uint32_t width = byte(0) % 32u + 1;
    const std::uint32_t height = byte(1) % 32u + 1;
    const int frames = byte(2) % 8 + 1;
    std::size_t at = 3;
    std::vector<int> delays;
    for (int f = 0; f < frames; ++f, at += 2) delays.push_back(byte(at) << 8 | byte(at + 1));
    std::vector<std::vector<std::uint32_t>> pictures(static_cast<std::size_t>(frames));
    for (auto& picture : pictures)
        for (std::uint32_t p = 0; p < width * height; ++p, at += 4)
            picture.push_back(std::uint32_t{byte(at)} | std::uint32_t{byte(at + 1)} << 8 |
                              std::uint32_t{byte(at + 2)} << 16 |
                              std::uint32_t{byte(at + 3)} << 24);

    std::unique_ptr<AnimationWriter> writer;
    FUZZ_CHECK(make_animation_writer(AnimationFormat::Apng, {width, height, frames}, writer).ok());
    for (int f = 0; f < frames; ++f)
        FUZZ_CHECK(writer
                       ->add_frame(pictures[static_cast<std::size_t>(f)].data(),
                                   delays[static_cast<std::size_t>(f)])
                       .ok());
    std::vector<std::uint8_t> file;
    FUZZ_CHECK(writer->finish(file).ok());

    const test::ApngFile apng = test::split_apng(file);
    FUZZ_CHECK(apng.ok);
    FUZZ_CHECK(apng.plays == 0);
    FUZZ_CHECK(apng.list.size() == static_cast<std::size_t>(frames));
    for (int f = 0; f < frames; ++f) {
        const test::ApngFrame& frame = apng.list[static_cast<std::size_t>(f)];
        FUZZ_CHECK(frame.delayDen == 1000 && frame.delayNum == delays[static_cast<std::size_t>(f)]);
        RgbaImage image;
        FUZZ_CHECK(decode_png(frame.png, "frame", image).ok());
        FUZZ_CHECK(image.width == width && image.height == height);
        FUZZ_CHECK(image.pixels == pictures[static_cast<std::size_t>(f)]);
    }
    return 0;
}

}  // namespace dabro::fuzz
