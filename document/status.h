// Status: what became of an operation, with the message the user sees.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dabro {

// The program's own error codes. The operating system's errno values map to these
// explicitly; one without a code here is a SystemError, whose errno the status keeps apart.
// The numbers are those the file promises give each message.
enum class ErrorCode {
    None = 0,
    FileNotFound = 2,
    InvalidFilename = 3,
    TooManyOpenFiles = 4,
    FileAccessDenied = 5,
    ReadBeyondEnd = 100,
    DiskFull = 101,
    FileTooLarge = 102,  // an input file over the size a reader takes
    SystemError = 103,   // a failed system call whose errno has no code above
};

// What became of an operation. Callers decide by this, never by a message's text.
enum class StatusKind {
    Ok,
    Failed,
    Cancelled,  // the user stopped it; nothing changed and there is nothing to report
};

// The outcome of a core operation: success, or a failure with the message the user sees.
// A file error also carries its code; other failures have ErrorCode::None. The file a failure
// concerns is its subject, kept out of the message.
class [[nodiscard]] Status {
  public:
    Status() = default;
    static Status success() { return {}; }
    // The user's cancel, with the message "Cancelled" for a caller that shows it anyway.
    static Status cancelled();
    static Status file_error(ErrorCode code);
    // A failed system call: the errno values the program knows become its codes; any other
    // is a SystemError that keeps its errno and reads "I/O error N".
    static Status from_errno(int err);
    // Input file `path` of `size` bytes, over the `maxBytes` its reader takes; the message
    // names the file, as the window shows it.
    static Status file_too_large(std::string_view path, std::uint64_t size, std::uint64_t maxBytes);
    static Status failure(std::string message);
    // A failure whose message already names `path` ("x.png is not a PNG file"): its subject
    // is `path`, and message_naming_subject shows the message as it is.
    static Status failure_naming(std::string_view path, std::string message);
    // The same failure, code kept, with `detail` after its message.
    Status with_detail(std::string_view detail) const;
    // A file error's file, or the folder a file could not be made in, when none is named
    // yet. Other outcomes stay as they are: their messages name what they concern.
    Status about(std::string_view path) const;
    Status about_folder(std::string_view folder) const;
    // Any failure's file, when none is named yet.
    Status about_any(std::string_view path) const;
    const std::string& subject() const { return subject_; }
    bool subject_is_folder() const { return subjectIsFolder_; }
    bool message_names_subject() const { return messageNamesSubject_; }

    bool ok() const { return kind_ == StatusKind::Ok; }
    bool is_cancelled() const { return kind_ == StatusKind::Cancelled; }
    StatusKind kind() const { return kind_; }
    ErrorCode code() const { return code_; }
    // The errno of a SystemError, else 0.
    int os_error() const { return osError_; }
    const std::string& message() const { return message_; }

  private:
    StatusKind kind_ = StatusKind::Ok;
    bool subjectIsFolder_ = false;
    bool messageNamesSubject_ = false;
    std::string subject_;
    ErrorCode code_ = ErrorCode::None;
    int osError_ = 0;
    std::string message_;
};

// The message of a file-error code ("File not found", ..., "Disk full").
std::string file_error_message(ErrorCode code);

// Maps an errno value to the file-error code of this program, or None when it has none.
ErrorCode file_error_code_from_errno(int err);

// The failure's message with its file in front, for a tool that handles several files at
// once: "in.spr: File not found", "out/: Folder not found". Without a subject, the message.
std::string message_naming_subject(const Status& status);

// What the user is shown for a failure: the message, with a full stop appended when it
// does not already end in a character at or below '.'.
std::string failure_text(std::string_view message);

// A count and its noun for messages: "1 frame", "6 frames".
std::string counted(long long count, std::string_view noun);

}  // namespace dabro
