// Palette files of every format: recognised by content, read into a palette, and written.
#include "interchange/palette_formats.h"

#include <algorithm>
#include <cstdio>

#include "document/file_layer.h"
#include "interchange/palette_file.h"

namespace dabro {

namespace {

std::string_view as_text(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string_view file_name(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

Status parse_palette_file(std::string_view path, std::size_t fileSize,
                          std::span<const std::uint8_t> head, PaletteFile& out) {
    const std::string name(file_name(path));
    // Content decides: a signature names its format whatever the file is called, and the
    // headerless layouts, told apart by size, come only after them.
    std::optional<PaletteFormat> chosen = palette_signature(head);
    const std::string ext = file_extension(path);
    // A .gpl file is text: bytes without its signature are a broken GIMP palette, whose
    // first line the message shows.
    if (!chosen && ext == "gpl") chosen = PaletteFormat::Gpl;
    if (!chosen) {
        chosen = binary_palette_kind(fileSize, head);
        if (!chosen) {
            if (fileSize < kPaletteFileSize && (ext == "act" || ext == "raw"))
                return Status::file_error(ErrorCode::ReadBeyondEnd).about(path);
            return Status::failure(name + " is not a palette file of a known format");
        }
    }

    const PaletteFormat format = *chosen;
    const bool whole = fileSize <= head.size();
    Status status;
    std::vector<std::uint32_t> colours;
    switch (format) {
        case PaletteFormat::Act:
        case PaletteFormat::Act772:
        case PaletteFormat::RawRgb: {
            colours = binary_palette_colours(format, head.first(std::min(head.size(), fileSize)));
            break;
        }
        case PaletteFormat::Gpl:
        case PaletteFormat::Jasc:
        case PaletteFormat::Riff:
            if (!whole) {
                return Status::failure(name + " is too large for a palette file (" +
                                       std::to_string(fileSize) + " bytes)");
            }
            status = format == PaletteFormat::Gpl    ? parse_gpl(as_text(head), colours)
                     : format == PaletteFormat::Jasc ? parse_jasc(as_text(head), colours)
                                                     : parse_riff_palette(head, colours);
            break;
    }
    if (!status.ok()) return Status::failure(name + ": " + status.message());
    out.format = format;
    out.colours = std::move(colours);
    return Status::success();
}

Status read_palette_colours(const std::string& path, PaletteFile& out) {
    FileReader file;
    if (Status s = file.open(path); !s.ok()) return s;
    std::vector<std::uint8_t> head(std::min(file.size(), kMaxPaletteTextSize));
    if (!file.read(head.data(), head.size())) return file.status();
    return parse_palette_file(path, file.size(), head, out);
}

Status read_signed_or_act_palette(const std::string& path, Palette& into) {
    FileReader file;
    if (Status s = file.open(path); !s.ok()) return s;
    std::vector<std::uint8_t> head(std::min(file.size(), kMaxPaletteTextSize));
    if (!file.read(head.data(), head.size())) return file.status();
    if (palette_signature(head)) {
        PaletteFile signed_file;
        if (Status s = parse_palette_file(path, file.size(), head, signed_file); !s.ok()) return s;
        apply_colours(signed_file.colours, into);
        return Status::success();
    }
    if (head.size() < kPaletteFileSize)
        return Status::file_error(ErrorCode::ReadBeyondEnd).about(path);
    into = palette_from_bytes(
        std::span<const std::uint8_t, kPaletteFileSize>(head.data(), kPaletteFileSize));
    return Status::success();
}

Status read_any_palette(const std::string& path, Palette& into) {
    PaletteFile file;
    if (Status s = read_palette_colours(path, file); !s.ok()) return s;
    apply_colours(file.colours, into);
    return Status::success();
}

std::vector<std::uint8_t> palette_file_contents(const Palette& palette, PaletteFormat format,
                                                std::string_view name) {
    std::vector<std::uint8_t> bytes;
    const auto append = [&](std::string_view text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
    };
    const auto rgb = [](std::uint32_t entry, int shift) { return (entry >> shift) & 0xFFu; };
    char line[64];
    switch (format) {
        case PaletteFormat::Act:
        case PaletteFormat::Act772:
        case PaletteFormat::RawRgb:
        case PaletteFormat::Riff: {
            const auto triples = palette_file_bytes(palette);
            bytes.assign(triples.begin(), triples.end());
            // 256 colours, no transparent index.
            if (format == PaletteFormat::Act772)
                bytes.insert(bytes.end(), {0x01, 0x00, 0xFF, 0xFF});
            break;
        }
        case PaletteFormat::Gpl: {
            std::string title(name);
            for (char& c : title) c = static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
            append("GIMP Palette\nName: " + title + "\nColumns: 16\n#\n");
            for (std::size_t i = 0; i < palette.size(); ++i) {
                std::snprintf(line, sizeof line, "%3u %3u %3u\tIndex %zu\n", rgb(palette[i], 16),
                              rgb(palette[i], 8), rgb(palette[i], 0), i);
                append(line);
            }
            break;
        }
        case PaletteFormat::Jasc:
            append("JASC-PAL\r\n0100\r\n256\r\n");
            for (std::uint32_t entry : palette) {
                std::snprintf(line, sizeof line, "%u %u %u\r\n", rgb(entry, 16), rgb(entry, 8),
                              rgb(entry, 0));
                append(line);
            }
            break;
    }
    return bytes;
}

Status write_palette_as(const std::string& path, const Palette& palette, PaletteFormat format,
                        std::string_view name) {
    std::string title(name);
    if (title.empty()) {
        title = std::string(file_name(path));
        if (const std::size_t dot = title.rfind('.'); dot != std::string::npos && dot > 0)
            title.resize(dot);
    }
    return write_file_atomically(path, palette_file_contents(palette, format, title));
}

}  // namespace dabro
