// The palette formats in one table: each one's name, label, extensions and dialog filter.
#include "interchange/palette_format_table.h"

#include <algorithm>

namespace dabro {

std::span<const PaletteFormatEntry> writable_palette_formats() {
    const auto end = std::find_if(std::begin(kPaletteFormats), std::end(kPaletteFormats),
                                  [](const PaletteFormatEntry& e) { return e.label.empty(); });
    return {std::begin(kPaletteFormats), end};
}

std::string_view palette_format_name(PaletteFormat format) {
    for (const PaletteFormatEntry& e : kPaletteFormats)
        if (e.format == format) return e.name;
    return "";
}

std::optional<PaletteFormat> writable_palette_format(std::string_view name) {
    for (const PaletteFormatEntry& e : writable_palette_formats())
        if (e.name == name) return e.format;
    return std::nullopt;
}

std::string writable_palette_format_names(std::string_view separator) {
    const auto writable = writable_palette_formats();
    std::string names;
    for (std::size_t i = 0; i < writable.size(); ++i) {
        if (i > 0 && !separator.empty())
            names += separator;
        else if (i > 0)
            names += i + 1 == writable.size() ? " or " : ", ";
        names += writable[i].name;
    }
    return names;
}

std::string file_extension(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return {};
    std::string ext(name.substr(dot + 1));
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext;
}

std::optional<PaletteFormat> palette_format_for_extension(std::string_view path) {
    const std::string ext = file_extension(path);
    for (const PaletteFormatEntry& e : writable_palette_formats())
        if (e.extension == ext) return e.format;
    return std::nullopt;
}

std::string palette_save_filter(const PaletteFormatEntry& entry) {
    const std::string pattern = "*." + std::string(entry.extension);
    return pattern + "|" + pattern;
}

std::string palette_open_filter() {
    std::string patterns;
    std::string_view seen[std::size(kPaletteFormats)];
    std::size_t count = 0;
    for (const PaletteFormatEntry& e : kPaletteFormats) {
        if (std::find(seen, seen + count, e.extension) != seen + count) continue;
        seen[count++] = e.extension;
        patterns += (patterns.empty() ? "*." : " *.") + std::string(e.extension);
    }
    return "Palette files|" + patterns + "|All files|*";
}

}  // namespace dabro
