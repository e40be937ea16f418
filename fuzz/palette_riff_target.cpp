// Fuzz target: the RIFF palette reader and its file read.
#include "fuzz/palette_text_check.h"

namespace dabro::fuzz {

int palette_riff(Input file) {
    std::vector<std::uint32_t> colours;
    const Status status = parse_riff_palette(file, colours);
    if (status.ok()) {
        FUZZ_CHECK(!colours.empty() && colours.size() <= kPaletteEntries);
        for (std::uint32_t c : colours) FUZZ_CHECK(c <= 0xFFFFFF);
    }
    // A .pal file that begins as a RIFF palette is read as one.
    const bool riff = file.size() >= 12 && std::equal(file.begin(), file.begin() + 4, "RIFF") &&
                      std::equal(file.begin() + 8, file.begin() + 12, "PAL ");
    if (riff && file.size() <= kMaxPaletteTextSize)
        check_file_read(file, "pal/in.pal", status, colours);
    return 0;
}

}  // namespace dabro::fuzz
