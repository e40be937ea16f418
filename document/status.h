// Status: what became of an operation, with the message the user sees.
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

// What became of an operation. Callers decide by this, never by a message's text.
enum class StatusKind {
    Ok,
    Failed,
    Cancelled,  // the user stopped it; nothing changed and there is nothing to report
};

// The outcome of a core operation: success, or a failure with the message the user sees.
// A file error also carries its code; other failures have code 0.
class [[nodiscard]] Status {
  public:
    Status() = default;
    static Status success() { return {}; }
    // The user's cancel, with the message "Cancelled" for a caller that shows it anyway.
    static Status cancelled();
    static Status file_error(int code);
    // A failed system call: the errno values the program knows become its codes; any other
    // keeps its own number and reads "I/O error N", so EIO never shows as "File access denied".
    static Status from_errno(int err);
    static Status failure(std::string message);
    // The same failure, code kept, with `detail` after its message.
    Status with_detail(std::string_view detail) const;
    // A file error's file, or the folder a file could not be made in, when none is named
    // yet. Other outcomes stay as they are: their messages name what they concern.
    Status about(std::string_view path) const;
    Status about_folder(std::string_view folder) const;
    const std::string& subject() const { return subject_; }
    bool subject_is_folder() const { return subjectIsFolder_; }

    bool ok() const { return kind_ == StatusKind::Ok; }
    bool is_cancelled() const { return kind_ == StatusKind::Cancelled; }
    StatusKind kind() const { return kind_; }
    int code() const { return code_; }
    const std::string& message() const { return message_; }

  private:
    StatusKind kind_ = StatusKind::Ok;
    bool subjectIsFolder_ = false;
    std::string subject_;
    int code_ = 0;
    std::string message_;
};

// The message of a file-error code ("File not found", ..., "I/O error 28").
std::string file_error_message(int code);

// Maps an errno value to the file-error code of this program, or 0 when it has none.
int file_error_code_from_errno(int err);

// The failure's message with its file in front, for a tool that handles several files at
// once: "in.spr: File not found", "out/: Folder not found". Without a subject, the message.
std::string message_naming_subject(const Status& status);

// What the user is shown for a failure: the message, with a full stop appended when it
// does not already end in a character at or below '.'.
std::string failure_text(std::string_view message);

// A count and its noun for messages: "1 frame", "6 frames".
std::string counted(long long count, std::string_view noun);

}  // namespace dabro
