#pragma once

#include <string>
#include <string_view>

namespace dabro {

// File-error codes: the operating system's, mapped to these, plus the file layer's own.
inline constexpr int kFileNotFound = 2;
inline constexpr int kInvalidFilename = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kFileAccessDenied = 5;
inline constexpr int kReadBeyondEnd = 100;
inline constexpr int kDiskFull = 101;

// The outcome of a core operation: success, or a failure with the message the user sees.
// A file error also carries its code; other failures have code 0.
class [[nodiscard]] Status {
  public:
    Status() = default;
    static Status success() { return {}; }
    static Status file_error(int code);
    // A failed system call: the errno values the program knows become its codes; any other
    // keeps its own number and reads "I/O error N", so EIO never shows as "File access denied".
    static Status from_errno(int err);
    static Status failure(std::string message);
    // The same failure, code kept, with `detail` after its message.
    Status with_detail(std::string_view detail) const;

    bool ok() const { return failed_ == false; }
    int code() const { return code_; }
    const std::string& message() const { return message_; }

  private:
    bool failed_ = false;
    int code_ = 0;
    std::string message_;
};

// The message of a file-error code ("File not found", ..., "I/O error 28").
std::string file_error_message(int code);

// Maps an errno value to the file-error code of this program, or 0 when it has none.
int file_error_code_from_errno(int err);

// What the user is shown for a failure: the message, with a full stop appended when it
// does not already end in a character at or below '.'.
std::string failure_text(std::string_view message);

// A count and its noun for messages: "1 frame", "6 frames".
std::string counted(long long count, std::string_view noun);

}  // namespace dabro
