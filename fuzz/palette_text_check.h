// What every palette reader promises, checked by the palette fuzz targets.
#pragma once

#include <algorithm>
#include <string_view>

#include "fuzz/fuzz_target.h"
#include "interchange/palette_file.h"
#include "interchange/palette_formats.h"
#include "support/memory_files.h"

namespace dabro::fuzz {

// What every palette reader promises: 1 to 256 colours of 24 bits, or a failure; and written
// in `format` and read again, the same colours.
inline void check_colours(const Status& status, const std::vector<std::uint32_t>& colours,
                          PaletteFormat writeAs,
                          Status (*parse)(std::string_view, std::vector<std::uint32_t>&)) {
    if (!status.ok()) {
        FUZZ_CHECK(!status.message().empty());
        return;
    }
    FUZZ_CHECK(!colours.empty() && colours.size() <= kPaletteEntries);
    for (std::uint32_t c : colours) FUZZ_CHECK(c <= 0xFFFFFF);
    Palette palette{};
    apply_colours(colours, palette);
    const std::vector<std::uint8_t> bytes = palette_file_contents(palette, writeAs, "fuzz");
    std::vector<std::uint32_t> again;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    FUZZ_CHECK(parse(text, again).ok());
    FUZZ_CHECK(again.size() == kPaletteEntries);
    FUZZ_CHECK(std::equal(colours.begin(), colours.end(), again.begin()));
}

// Read through the files as the window and the batch tool read them: the same outcome as
// the parser, and a palette that changes in its first N entries only, or not at all.
inline void check_file_read(Input file, const char* path, const Status& parsed,
                            const std::vector<std::uint32_t>& colours) {
    MemoryFiles files;
    files.put(path, file);
    Palette palette;
    palette.fill(0xAB000000u);
    const Status read = read_any_palette(path, palette);
    FUZZ_CHECK(files.open_files() == 0);
    FUZZ_CHECK(read.ok() == parsed.ok());
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const bool set = read.ok() && i < colours.size();
        FUZZ_CHECK(palette[i] == (set ? colours[i] : 0xAB000000u));
    }
}

}  // namespace dabro::fuzz
