#include <gtest/gtest.h>

#include <string>

#include "document/name_text.h"

namespace dabro {
namespace {

TEST(NameText, ValidUtf8IsShownAsItIsAndAnythingElseAsLatin1) {
    struct Case {
        const char* bytes;
        bool utf8;
    };
    for (const Case& c :
         {Case{"plain", true}, Case{"\xC3\xA9t\xC3\xA9", true}, Case{"\xE2\x82\xAC", true},
          Case{"\xF0\x9F\x98\x80", true}, Case{"\xE9t\xE9", false},  // Latin-1 é
          Case{"\xC0\xAF", false},                                   // overlong '/'
          Case{"\xED\xA0\x80", false},                               // a surrogate
          Case{"\xF4\x90\x80\x80", false},                           // above U+10FFFF
          Case{"\xE2\x82", false},                                   // cut short
          Case{"\x80", false}}) {
        const std::string bytes = c.bytes;
        EXPECT_EQ(is_valid_utf8(bytes), c.utf8) << bytes;
        EXPECT_EQ(display_name_utf8(bytes), c.utf8 ? bytes : latin1_to_utf8(bytes));
        EXPECT_EQ(utf8_for_json(bytes) == bytes, c.utf8) << bytes;
        EXPECT_TRUE(is_valid_utf8(utf8_for_json(bytes))) << bytes;
    }
    EXPECT_EQ(latin1_to_utf8("\xE9t\xE9\xFF"), "\xC3\xA9t\xC3\xA9\xC3\xBF");
    EXPECT_EQ(utf8_for_json("caf\xE9/\xE2\x82"), "caf\xEF\xBF\xBD/\xEF\xBF\xBD\xEF\xBF\xBD");
}

// Every cut of every prefix of a text with characters of each length.
TEST(NameText, CutsKeepWholeCharacters) {
    const std::string text =
        "a\xC3\xA9"
        "b\xE2\x82\xAC"
        "c\xF0\x9F\x98\x80"
        "d";
    for (std::size_t most = 0; most <= text.size() + 1; ++most) {
        const std::size_t keep = cut_length(text, most);
        ASSERT_LE(keep, most);
        EXPECT_TRUE(is_valid_utf8(text.substr(0, keep))) << most;
        // The next whole character would not fit.
        std::size_t next = keep + 1;
        while (next < text.size() && !is_valid_utf8(text.substr(0, next))) ++next;
        if (keep < text.size()) {
            EXPECT_GT(next, most);
        }
    }
    EXPECT_EQ(cut_length("\xE9\xE9\xE9", 2), 2u);
}

}  // namespace
}  // namespace dabro
