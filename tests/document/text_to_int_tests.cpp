#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

#include "document/text_to_int.h"

namespace dabro {
namespace {

struct Case {
    const char* text;
    std::optional<std::int32_t> value;
};

class TextToInt : public ::testing::TestWithParam<Case> {};

TEST_P(TextToInt, FollowsTheRule) {
    const Case& c = GetParam();
    EXPECT_EQ(text_to_int(c.text), c.value) << "text '" << c.text << "'";
    std::int32_t out = 12345;
    const Status s = text_to_int(c.text, out);
    EXPECT_EQ(s.ok(), c.value.has_value());
    if (c.value) {
        EXPECT_EQ(out, *c.value);
    } else {
        EXPECT_EQ(out, 12345) << "a failed conversion stores nothing";
        EXPECT_EQ(s.message(), std::string("'") + c.text + "' is not a valid integer value");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextToInt,
    ::testing::Values(Case{"42", 42}, Case{" 42", 42}, Case{"   -7", -7}, Case{"+13", 13},
                      Case{"0", 0}, Case{"-0", 0}, Case{"007", 7}, Case{"2147483647", 2147483647},
                      Case{"-2147483648", -2147483647 - 1}, Case{"2147483648", std::nullopt},
                      Case{"-2147483649", std::nullopt}, Case{"99999999999999999999", std::nullopt},
                      Case{"$1F", 31}, Case{"$1f", 31}, Case{"$FFFFFFFF", -1},
                      Case{"$80000000", -2147483647 - 1}, Case{"$100000000", std::nullopt},
                      Case{"$", std::nullopt}, Case{"-$1", std::nullopt}, Case{"$-1", std::nullopt},
                      Case{"42 ", std::nullopt}, Case{"4 2", std::nullopt}, Case{"", std::nullopt},
                      Case{"   ", std::nullopt}, Case{"-", std::nullopt}, Case{"+", std::nullopt},
                      Case{"0x10", std::nullopt}, Case{"12a", std::nullopt},
                      Case{"\t1", std::nullopt}, Case{"1.0", std::nullopt}));

TEST(FailureText, AppendsAFullStopAfterCharactersAboveIt) {
    EXPECT_EQ(failure_text("File not found"), "File not found.");
    EXPECT_EQ(failure_text("I/O error 21"), "I/O error 21.");
    EXPECT_EQ(failure_text("Done."), "Done.");
    EXPECT_EQ(failure_text("Why?"), "Why?.");  // '?' sorts above '.'
    EXPECT_EQ(failure_text("Ends in a comma,"), "Ends in a comma,");
    EXPECT_EQ(failure_text(""), "");
}

TEST(FileErrorMessage, CoversEveryCode) {
    EXPECT_EQ(file_error_message(ErrorCode::FileNotFound), "File not found");
    EXPECT_EQ(file_error_message(ErrorCode::InvalidFilename), "Invalid filename");
    EXPECT_EQ(file_error_message(ErrorCode::TooManyOpenFiles), "Too many open files");
    EXPECT_EQ(file_error_message(ErrorCode::FileAccessDenied), "File access denied");
    EXPECT_EQ(file_error_message(ErrorCode::ReadBeyondEnd), "Read beyond end of file");
    EXPECT_EQ(file_error_message(ErrorCode::DiskFull), "Disk full");
    EXPECT_EQ(Status::from_errno(EISDIR).message(), "I/O error 21");
}

}  // namespace
}  // namespace dabro
