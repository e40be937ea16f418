// Fuzz target: reading a binary palette file into a palette, and writing it back.
#include <algorithm>

#include "fuzz/fuzz_target.h"
#include "interchange/palette_formats.h"
#include "support/memory_files.h"

namespace dabro::fuzz {

int palette(Input file) {
    MemoryFiles files;
    files.put("pal/in.act", file);
    Palette palette{};
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = 0xAB000000u | static_cast<std::uint32_t>(i);
    const Palette before = palette;
    if (palette_signature(file)) return 0;  // read as its format: another target's case

    const Status status = read_signed_or_act_palette("pal/in.act", palette);
    FUZZ_CHECK(files.open_files() == 0);
    if (file.size() < kPaletteFileSize) {
        FUZZ_CHECK(!status.ok() && status.message() == "Read beyond end of file");
        FUZZ_CHECK(palette == before);
        return 0;
    }
    FUZZ_CHECK(status.ok());
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const std::uint32_t entry = static_cast<std::uint32_t>(file[3 * i]) << 16 |
                                    static_cast<std::uint32_t>(file[3 * i + 1]) << 8 |
                                    file[3 * i + 2];
        FUZZ_CHECK(palette[i] == entry);
    }
    const auto head = file.first<kPaletteFileSize>();
    FUZZ_CHECK(palette_from_bytes(head) == palette);
    const auto bytes = palette_file_bytes(palette);
    FUZZ_CHECK(std::equal(bytes.begin(), bytes.end(), head.begin()));

    // Export writes back exactly the 768 bytes that were read, whatever followed them.
    FUZZ_CHECK(write_palette_as("pal/out.act", palette, PaletteFormat::Act).ok());
    const auto* written = files.written("pal/out.act");
    FUZZ_CHECK(written && written->size() == kPaletteFileSize &&
               std::equal(written->begin(), written->end(), head.begin()));
    FUZZ_CHECK(files.open_files() == 0);
    return 0;
}

}  // namespace dabro::fuzz
