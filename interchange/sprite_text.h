// How the diff and the text dump show names, section types and the pixels an image shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "document/sprite_document.h"
#include "imaging/rle.h"

namespace dabro {

// A name as UTF-8 in double quotes, read as Latin-1 like every name the batch tool prints.
// Quotes, backslashes and control characters are escaped so that every name stays on its line.
std::string quoted_name(std::string_view latin1);

// An image section's type byte, quoted as a name.
std::string section_type_text(char type);

// A decoded pixel's look as the preview shows it: alpha 0 is transparent whatever the index;
// kinds 1 and 2 draw the index's colour, 0 and 3 black. Palette flag, index and alpha in one
// value.
inline std::uint32_t look_of(const RlePixel& p) {
    if (p.alpha == 0) return 0;
    return p.uses_palette() ? 1u << 16 | std::uint32_t{p.index} << 8 | p.alpha : p.alpha;
}

// Calls visit(x, y, look) for each pixel of the image's own width x height that the data
// reach and that shows something: pixels beyond the size are never drawn, and pixels the
// data leave out are as transparent as those they state.
template <typename Visit>
void for_each_shown_pixel(const CollectionImage& image, Visit&& visit) {
    const std::int64_t width = image.width;
    const std::int64_t height = image.height;
    walk_rle<RowRule::Preview>(encoded_bytes(image), image.width,
                               [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
                                   if (y >= height) return false;
                                   const std::uint32_t look = look_of(p);
                                   if (x < width && look != 0) visit(x, y, look);
                                   return true;
                               });
}

}  // namespace dabro
