// The diff of two sprites: their documents compared by place, or their bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/sprite_document.h"
#include "document/status.h"
#include "interchange/document_text.h"  // the text dump, which `dabro-cli dump` shows beside diff

namespace dabro {

// One way in which two sprites differ, by place. Texts are UTF-8; names are shown quoted.
//   place   "header", "sequence 3", "collection 1", "collection 1 image 17", "file"
//   field   header: "dimensions", "centerX", "centerY", "headerWord", "headerByte";
//           sequence: "added", "removed", "name", "collectionIndex", "frameCount", "frames";
//           collection: "added", "removed", "name", "frames", "directions",
//           "imageSectionType", "palette 0" to "palette 3", "boxes";
//           image: "size", "kind", "flag", "pixels", "encoding"; file: "bytes"
struct Difference {
    std::string place;
    std::string field;
    std::optional<std::string> a;  // the value in the first sprite, when there is one
    std::optional<std::string> b;  // and in the second
    std::vector<int> which;        // the frames, palette entries or box slots that differ
    std::int64_t count = 0;        // "pixels": how many differ; "bytes": the first that differs
    std::int64_t x = 0;            // "pixels": the first that differs
    std::int64_t y = 0;
};

// Compares the parts of two documents in use. Pixels are compared decoded, in the preview's
// reading of rows, within each image's own width x height: images whose data differ but
// whose pixels all agree differ only in "encoding". Kinds 1 and 2 with the same index and
// alpha are the same pixel, and every pixel of alpha 0 is the same transparent pixel, as is
// a pixel the data do not reach.
std::vector<Difference> diff_documents(const SpriteDocument& a, const SpriteDocument& b);

// Loads two sprite files and compares them. When their documents agree but their bytes do not
// (unreadable image sections, stored offsets), the one difference is the "file" "bytes" at
// the first byte that differs. A failure names the file it concerns.
Status diff_sprite_files(const std::string& pathA, const std::string& pathB,
                         std::vector<Difference>& out);

// The position of the first byte at which two files differ (the shorter one's size when one
// is the start of the other), or nothing when they are the same. Read access only.
Status first_different_byte(const std::string& pathA, const std::string& pathB,
                            std::optional<std::int64_t>& at);

// One line: "collection 1 image 17 pixels: 3 differ, first at 4,5".
std::string difference_text(const Difference& d);

}  // namespace dabro
