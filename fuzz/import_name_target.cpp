// Fuzz target: Import by name's reading of a path against the rule as stated.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "document/text_to_int.h"
#include "fuzz/fuzz_target.h"
#include "interchange/raw_import.h"
#include "support/memory_files.h"

namespace dabro::fuzz {

namespace {

// Import by name's reading of a path, written the way the rule is stated: 1-based
// positions of the first "_" and the first ".", 0 when absent.
ImportName reference(std::string_view path) {
    ImportName out;
    const auto slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    out.folder = std::string(path.substr(0, path.size() - name.size()));
    auto pos = [](std::string_view text, char c) {
        const auto at = text.find(c);
        return at == std::string_view::npos ? std::size_t{0} : at + 1;
    };
    const std::size_t underscore = pos(name, '_');
    const std::size_t dot = pos(name, '.');
    if (underscore > 0) out.prefix = std::string(name.substr(0, underscore - 1));
    std::string_view size;
    if (dot == 0 || dot < underscore) {
        size = {};
    } else if (underscore == 0) {
        size = name.substr(0, dot - 1);
    } else {
        size = name.substr(underscore, dot - underscore - 1);
    }
    const std::size_t x = pos(size, 'x');
    if (x > 0) out.widthText = std::string(size.substr(0, x - 1));
    out.heightText = std::string(x > 0 ? size.substr(x) : size);
    out.palettePath = out.folder + out.prefix + ".act";
    return out;
}

bool same(const ImportName& a, const ImportName& b) {
    return a.folder == b.folder && a.prefix == b.prefix && a.widthText == b.widthText &&
           a.heightText == b.heightText && a.palettePath == b.palettePath;
}

}  // namespace

// The input is a path; what follows a newline, if any, is the raw file's content.
int import_name(Input input) {
    const std::string_view all(reinterpret_cast<const char*>(input.data()), input.size());
    const std::string path(all.substr(0, all.find('\n')));
    const Input raw = input.subspan(std::min(input.size(), path.size() + 1));

    const ImportName parsed = parse_import_name(path);
    const ImportName expected = reference(path);
    FUZZ_CHECK(same(parsed, expected));

    std::array<std::uint8_t, 768> paletteFile{};
    for (std::size_t i = 0; i < paletteFile.size(); ++i)
        paletteFile[i] = static_cast<std::uint8_t>(i * 7);
    MemoryFiles files;
    files.put(path, raw);
    files.put(expected.palettePath, paletteFile);
    const bool samePath = expected.palettePath == path;

    EncodedImage image{{4, 4}, 11, 13};
    Palette palette{};
    palette.fill(0x123456);
    const EncodedImage imageBefore = image;
    const Palette paletteBefore = palette;

    const Status status = import_raw_by_name(path, image, palette);
    FUZZ_CHECK(files.open_files() == 0);
    const auto height = dabro::text_to_int(expected.heightText);
    const auto width = dabro::text_to_int(expected.widthText);
    if (!height || !width) {
        FUZZ_CHECK(!status.ok());
        const std::string& bad = !height ? expected.heightText : expected.widthText;
        FUZZ_CHECK(status.message() == "'" + bad + "' is not a valid integer value");
        FUZZ_CHECK(image == imageBefore && palette == paletteBefore);
        return 0;
    }
    // The file's size must fit the name's: an index a pixel, or an index and an alpha.
    const Input file = samePath ? Input(paletteFile) : raw;
    const auto pixels = static_cast<std::uint64_t>(std::max(*width, 0)) *
                        static_cast<std::uint64_t>(std::max(*height, 0));
    if (file.size() != pixels && file.size() != 2 * pixels) {
        FUZZ_CHECK(!status.ok());
        FUZZ_CHECK(image == imageBefore && palette == paletteBefore);
        return 0;
    }
    FUZZ_CHECK(status.ok());
    FUZZ_CHECK(image.height == *height && image.width == *width);
    if (file.size() == 2 * pixels) {
        FUZZ_CHECK(image.data == encode_raw_pixels(file));
    } else {
        std::vector<std::uint8_t> pairs;
        for (std::uint8_t index : file) pairs.insert(pairs.end(), {index, 255});
        FUZZ_CHECK(image.data == encode_raw_pixels(pairs));
    }
    for (std::size_t i = 0; i < palette.size(); ++i)
        FUZZ_CHECK(palette[i] == (static_cast<std::uint32_t>(paletteFile[3 * i]) << 16 |
                                  static_cast<std::uint32_t>(paletteFile[3 * i + 1]) << 8 |
                                  paletteFile[3 * i + 2]));
    return 0;
}

}  // namespace dabro::fuzz
