// Status: what became of an operation, with the message the user sees.
#include "document/status.h"

#include <cerrno>

namespace dabro {

Status Status::file_error(int code) {
    Status s;
    s.kind_ = StatusKind::Failed;
    s.code_ = code;
    s.message_ = file_error_message(code);
    return s;
}

Status Status::from_errno(int err) {
    if (const int code = file_error_code_from_errno(err); code != 0) return file_error(code);
    Status s;
    s.kind_ = StatusKind::Failed;
    s.code_ = err;
    s.message_ = "I/O error " + std::to_string(err);
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
    if (kind_ == StatusKind::Failed && code_ != 0 && subject_.empty()) s.subject_ = path;
    return s;
}

Status Status::about_folder(std::string_view folder) const {
    Status s = about(folder.empty() ? std::string_view("./") : folder);
    s.subjectIsFolder_ = s.subjectIsFolder_ || (subject_.empty() && !s.subject_.empty());
    return s;
}

std::string message_naming_subject(const Status& status) {
    if (status.subject().empty()) return status.message();
    if (status.subject_is_folder() && status.code() == kFileNotFound)
        return status.subject() + ": Folder not found";
    return status.subject() + ": " + status.message();
}

Status Status::with_detail(std::string_view detail) const {
    Status s = *this;
    s.message_ += detail;
    return s;
}

std::string file_error_message(int code) {
    switch (code) {
        case kFileNotFound:
            return "File not found";
        case kInvalidFilename:
            return "Invalid filename";
        case kTooManyOpenFiles:
            return "Too many open files";
        case kFileAccessDenied:
            return "File access denied";
        case kReadBeyondEnd:
            return "Read beyond end of file";
        case kDiskFull:
            return "Disk full";
        default:
            return "I/O error " + std::to_string(code);
    }
}

int file_error_code_from_errno(int err) {
    switch (err) {
        case ENOENT:
            return kFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return kInvalidFilename;
        case EMFILE:
        case ENFILE:
            return kTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
            return kFileAccessDenied;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return kDiskFull;
        default:
            return 0;
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
