// Fuzz target: the JASC palette reader and its round trip.
#include "fuzz/palette_text_check.h"

namespace dabro::fuzz {

int palette_jasc(Input file) {
    const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
    std::vector<std::uint32_t> colours;
    const Status status = parse_jasc(text, colours);
    check_colours(status, colours, PaletteFormat::Jasc, parse_jasc);
    return 0;
}

}  // namespace dabro::fuzz
