// Fuzz target: the GIMP palette reader, its round trip and its file read.
#include "fuzz/palette_text_check.h"

namespace dabro::fuzz {

int palette_gpl(Input file) {
    const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
    std::vector<std::uint32_t> colours;
    const Status status = parse_gpl(text, colours);
    check_colours(status, colours, PaletteFormat::Gpl, parse_gpl);
    // A .gpl file is always read as GIMP's text, whatever else its bytes would fit.
    if (file.size() <= kMaxPaletteTextSize) check_file_read(file, "pal/in.gpl", status, colours);
    return 0;
}

}  // namespace dabro::fuzz
