// The signed palette formats: GIMP and JASC-PAL text and the RIFF "PAL " file, read.
#include <algorithm>
#include <charconv>
#include <cstdio>

#include "interchange/palette_formats.h"

namespace dabro {

namespace {

constexpr std::string_view kGplSignature = "GIMP Palette";
constexpr std::string_view kJascSignature = "JASC-PAL";
constexpr std::string_view kJascVersion = "0100";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kQuoted = 40;  // characters of a bad text that a message repeats

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string quoted(std::string_view s) {
    if (s.size() > kQuoted) return "'" + std::string(s.substr(0, kQuoted)) + "...'";
    return "'" + std::string(s) + "'";
}

Status at_line(int line, const std::string& what) {
    return Status::failure("line " + std::to_string(line) + ": " + what);
}

// The lines of a text, numbered from 1, with "\r\n" and "\n" ends alike.
class Lines {
  public:
    explicit Lines(std::string_view text) : rest_(text) {
        if (rest_.starts_with(kByteOrderMark)) rest_.remove_prefix(kByteOrderMark.size());
    }
    bool next(std::string_view& line) {
        if (done_) return false;
        const std::size_t end = rest_.find('\n');
        if (end == std::string_view::npos) {
            line = rest_;
            done_ = true;
        } else {
            line = rest_.substr(0, end);
            rest_.remove_prefix(end + 1);
        }
        ++number_;
        return true;
    }
    int number() const { return number_; }

  private:
    std::string_view rest_;
    int number_ = 0;
    bool done_ = false;
};

// The next blank-separated word of `s`, removed from it.
std::string_view take_word(std::string_view& s) {
    s = trim(s);
    std::size_t end = 0;
    while (end < s.size() && !is_blank(s[end])) ++end;
    const std::string_view word = s.substr(0, end);
    s.remove_prefix(end);
    return word;
}

// A decimal integer that is the whole word.
bool whole_number(std::string_view word, long long& value) {
    if (word.starts_with('+')) word.remove_prefix(1);
    if (word.empty()) return false;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec == std::errc::result_out_of_range) {
        value = word.starts_with('-') ? -1 : 1LL << 40;
        return end == word.data() + word.size();
    }
    return ec == std::errc() && end == word.data() + word.size();
}

// A colour line: red, green and blue from 0 to 255, then `extra` more such values (alpha,
// which the document has no place for), then a name when `named`.
Status parse_colour(std::string_view text, int line, int extra, bool named, std::uint32_t& colour) {
    std::string_view rest = text;
    int values[4] = {};
    for (int i = 0; i < 3 + extra; ++i) {
        const std::string_view word = take_word(rest);
        if (word.empty()) {
            return at_line(
                line, "expected red, green and blue from 0 to 255, found " + quoted(trim(text)));
        }
        long long v = 0;
        if (!whole_number(word, v)) return at_line(line, quoted(word) + " is not a number");
        if (v < 0 || v > 255)
            return at_line(line, "the value " + std::string(word) + " is outside 0 to 255");
        values[i] = static_cast<int>(v);
    }
    if (!named && !trim(rest).empty())
        return at_line(line, "unexpected " + quoted(trim(rest)) + " after the colour");
    colour = static_cast<std::uint32_t>(values[0] << 16 | values[1] << 8 | values[2]);
    return Status::success();
}

Status too_many(int line) {
    return at_line(line, "more than 256 colours");
}

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

unsigned le16(std::span<const std::uint8_t> b, std::size_t at) {
    return unsigned{b[at]} | unsigned{b[at + 1]} << 8;
}

Status at_byte(std::size_t at, const std::string& what) {
    return Status::failure("byte " + std::to_string(at) + ": " + what);
}

bool starts_with(std::span<const std::uint8_t> bytes, std::size_t at, std::string_view text) {
    return bytes.size() >= at + text.size() &&
           std::equal(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

bool text_signature(std::span<const std::uint8_t> bytes, std::string_view signature) {
    const std::size_t at = starts_with(bytes, 0, kByteOrderMark) ? kByteOrderMark.size() : 0;
    return starts_with(bytes, at, signature);
}

}  // namespace

std::optional<PaletteFormat> palette_signature(std::span<const std::uint8_t> head) {
    if (starts_with(head, 0, "RIFF") && starts_with(head, 8, "PAL ")) return PaletteFormat::Riff;
    if (text_signature(head, kGplSignature)) return PaletteFormat::Gpl;
    if (text_signature(head, kJascSignature)) return PaletteFormat::Jasc;
    return std::nullopt;
}

Status parse_gpl(std::string_view text, std::vector<std::uint32_t>& colours) {
    Lines lines(text);
    std::string_view line;
    if (!lines.next(line) || trim(line) != kGplSignature)
        return at_line(1, "expected 'GIMP Palette', found " + quoted(trim(line)));
    std::vector<std::uint32_t> read;
    bool header = true;
    int extra = 0;
    while (lines.next(line)) {
        const std::string_view t = trim(line);
        if (t.empty() || t.front() == '#') continue;
        if (header && t.starts_with("Name:")) continue;
        if (header && t.starts_with("Columns:")) {
            long long columns = 0;
            if (!whole_number(trim(t.substr(8)), columns) || columns < 0 || columns > 256)
                return at_line(lines.number(), "Columns must be a number from 0 to 256");
            continue;
        }
        if (header && t.starts_with("Channels:")) {
            const std::string_view channels = trim(t.substr(9));
            if (channels != "RGB" && channels != "RGBA")
                return at_line(lines.number(), "Channels must be RGB or RGBA");
            extra = channels == "RGBA" ? 1 : 0;
            continue;
        }
        header = false;
        if (read.size() == kPaletteEntries) return too_many(lines.number());
        std::uint32_t colour = 0;
        if (Status s = parse_colour(line, lines.number(), extra, true, colour); !s.ok()) return s;
        read.push_back(colour);
    }
    if (read.empty()) return Status::failure("the palette holds no colours");
    colours = std::move(read);
    return Status::success();
}

Status parse_jasc(std::string_view text, std::vector<std::uint32_t>& colours) {
    Lines lines(text);
    std::string_view line;
    if (!lines.next(line) || trim(line) != kJascSignature)
        return at_line(1, "expected 'JASC-PAL', found " + quoted(trim(line)));
    if (!lines.next(line)) return at_line(2, "the file ends before the version 0100");
    if (trim(line) != kJascVersion)
        return at_line(2, "expected the version 0100, found " + quoted(trim(line)));
    if (!lines.next(line)) return at_line(3, "the file ends before the colour count");
    long long count = 0;
    if (!whole_number(trim(line), count))
        return at_line(3, quoted(trim(line)) + " is not a colour count");
    if (count > kPaletteEntries)
        return at_line(3, std::to_string(count) + " colours, more than 256");
    if (count <= 0) return at_line(3, "the palette holds no colours");
    std::vector<std::uint32_t> read;
    while (lines.next(line)) {
        if (trim(line).empty()) continue;
        if (read.size() == static_cast<std::size_t>(count)) {
            return at_line(lines.number(),
                           "more colours than the " + std::to_string(count) + " of line 3");
        }
        // Some programs add an alpha value; it is read and dropped.
        std::string_view rest = line;
        int words = 0;
        while (!take_word(rest).empty()) ++words;
        std::uint32_t colour = 0;
        if (Status s = parse_colour(line, lines.number(), words == 4 ? 1 : 0, false, colour);
            !s.ok())
            return s;
        read.push_back(colour);
    }
    if (read.size() < static_cast<std::size_t>(count)) {
        return at_line(lines.number(), "the file ends after " + std::to_string(read.size()) +
                                           " of the " + std::to_string(count) +
                                           " colours of line 3");
    }
    colours = std::move(read);
    return Status::success();
}

Status parse_riff_palette(std::span<const std::uint8_t> bytes,
                          std::vector<std::uint32_t>& colours) {
    if (!starts_with(bytes, 0, "RIFF") || !starts_with(bytes, 8, "PAL "))
        return at_byte(0, "expected 'RIFF', a size and 'PAL '");
    // A size that claims more than the file holds is taken as the file's end.
    const std::uint64_t end =
        std::min<std::uint64_t>(std::uint64_t{le32(bytes, 4)} + 8, bytes.size());
    std::uint64_t at = 12;
    while (at + 8 <= end) {
        const std::size_t chunk = static_cast<std::size_t>(at);
        const std::uint64_t length = le32(bytes, chunk + 4);
        const std::size_t body = chunk + 8;
        if (!starts_with(bytes, chunk, "data")) {
            at = body + length + (length & 1);
            continue;
        }
        if (length < 4 || body + 4 > bytes.size())
            return at_byte(body, "the data chunk ends before its version and count");
        const unsigned version = le16(bytes, body);
        const unsigned count = le16(bytes, body + 2);
        if (version != 0x0300) {
            char text[8];
            std::snprintf(text, sizeof text, "0x%04X", version);
            return at_byte(body, std::string("version ") + text + ", expected 0x0300");
        }
        if (count == 0) return at_byte(body + 2, "the palette holds no colours");
        if (count > kPaletteEntries)
            return at_byte(body + 2, std::to_string(count) + " colours, more than 256");
        const std::uint64_t need = 4 + 4 * std::uint64_t{count};
        if (length < need || body + need > bytes.size()) {
            return at_byte(body,
                           "the data chunk ends before its " + std::to_string(count) + " colours");
        }
        std::vector<std::uint32_t> read(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t e = body + 4 + 4 * i;  // red, green, blue, flags
            read[i] =
                std::uint32_t{bytes[e]} << 16 | std::uint32_t{bytes[e + 1]} << 8 | bytes[e + 2];
        }
        colours = std::move(read);
        return Status::success();
    }
    return at_byte(static_cast<std::size_t>(std::min(at, end)), "no data chunk holds colours");
}

}  // namespace dabro
