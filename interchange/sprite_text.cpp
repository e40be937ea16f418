// How the diff and the text dump show names and section types.
#include "interchange/sprite_text.h"

#include <cstdio>

#include "document/name_text.h"

namespace dabro {

// A name as UTF-8 in double quotes, read as Latin-1 like every name the batch tool prints.
// Quotes, backslashes and control characters are escaped so that every name stays on its line.
std::string quoted_name(std::string_view latin1) {
    std::string escaped;
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            escaped += '\\';
            escaped += ch;
        } else if (c < 0x20 || c == 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02x", c);
            escaped += esc;
        } else {
            escaped += ch;
        }
    }
    return "\"" + latin1_to_utf8(escaped) + "\"";
}

std::string section_type_text(char type) {
    return quoted_name(std::string_view(&type, 1));
}

}  // namespace dabro
