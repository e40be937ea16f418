// Status: what became of an operation, with the message the user sees.
#include "document/status.h"

#include <cerrno>

namespace dabro {

Status Status::file_error(ErrorCode code) {
    Status s;
    s.kind_ = StatusKind::Failed;
    s.code_ = code;
    s.message_ = file_error_message(code);
    return s;
}

Status Status::from_errno(int err) {
    if (const ErrorCode code = file_error_code_from_errno(err); code != ErrorCode::None)
        return file_error(code);
    Status s = file_error(ErrorCode::SystemError);
    s.osError_ = err;
    s.message_ = "I/O error " + std::to_string(err);
    return s;
}

Status Status::file_too_large(std::string_view path, std::uint64_t size, std::uint64_t maxBytes) {
    Status s =
        failure_naming(path, std::string(path) + ": is " + std::to_string(size) +
                                 " bytes, more than the " + std::to_string(maxBytes) + " allowed");
    s.code_ = ErrorCode::FileTooLarge;
    return s;
}

Status Status::failure_naming(std::string_view path, std::string message) {
    Status s = failure(std::move(message));
    s.subject_ = path;
    s.messageNamesSubject_ = true;
    return s;
}

Status Status::failure(std::string message) {
    Status s;
    s.kind_ = StatusKind::Failed;
    s.message_ = std::move(message);
    return s;
}

Status Status::cancelled() {
    Status s;
    s.kind_ = StatusKind::Cancelled;
    s.message_ = "Cancelled";
    return s;
}

Status Status::about(std::string_view path) const {
    Status s = *this;
    if (kind_ == StatusKind::Failed && code_ != ErrorCode::None && subject_.empty())
        s.subject_ = path;
    return s;
}

Status Status::about_any(std::string_view path) const {
    Status s = *this;
    if (kind_ == StatusKind::Failed && subject_.empty()) s.subject_ = path;
    return s;
}

Status Status::about_folder(std::string_view folder) const {
    Status s = about(folder.empty() ? std::string_view("./") : folder);
    s.subjectIsFolder_ = s.subjectIsFolder_ || (subject_.empty() && !s.subject_.empty());
    return s;
}

std::string message_naming_subject(const Status& status) {
    if (status.subject().empty() || status.message_names_subject()) return status.message();
    if (status.subject_is_folder() && status.code() == ErrorCode::FileNotFound)
        return status.subject() + ": Folder not found";
    return status.subject() + ": " + status.message();
}

Status Status::with_detail(std::string_view detail) const {
    Status s = *this;
    s.message_ += detail;
    return s;
}

std::string file_error_message(ErrorCode code) {
    switch (code) {
        case ErrorCode::None:
            return {};
        case ErrorCode::FileNotFound:
            return "File not found";
        case ErrorCode::InvalidFilename:
            return "Invalid filename";
        case ErrorCode::TooManyOpenFiles:
            return "Too many open files";
        case ErrorCode::FileAccessDenied:
            return "File access denied";
        case ErrorCode::ReadBeyondEnd:
            return "Read beyond end of file";
        case ErrorCode::DiskFull:
            return "Disk full";
        case ErrorCode::FileTooLarge:
            return "File too large";
        case ErrorCode::SystemError:
            return "I/O error";
    }
    return {};
}

ErrorCode file_error_code_from_errno(int err) {
    switch (err) {
        case ENOENT:
            return ErrorCode::FileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return ErrorCode::InvalidFilename;
        case EMFILE:
        case ENFILE:
            return ErrorCode::TooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
            return ErrorCode::FileAccessDenied;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return ErrorCode::DiskFull;
        default:
            return ErrorCode::None;
    }
}

std::string failure_text(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

std::string counted(long long count, std::string_view noun) {
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

}  // namespace dabro
