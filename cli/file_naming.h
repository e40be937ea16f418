// Names the file a batch command's file error is about: "nosuch.spr: File not found.".
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "document/file_layer.h"

namespace dabro::cli {

// While it lives, every file call goes through it to the layer that was in use, and the
// last failing call is remembered with the file or folder it concerns. The window keeps the
// bare texts; only the batch tool, which may name several files in one command, adds them.
class FileNaming : public FileLayer {
  public:
    FileNaming();
    ~FileNaming() override;
    FileNaming(const FileNaming&) = delete;
    FileNaming& operator=(const FileNaming&) = delete;

    // The message with the file it is about in front, when it is the bare message of the
    // last failing call ("File not found", "Disk full", ...) or the end of the file read
    // last; a folder that is missing reads "out/: Folder not found". Other messages, which
    // name what they concern themselves, stay as they are.
    std::string named(const std::string& message) const;
    // The one that lives, if any.
    static const FileNaming* active();

    int open_read(const std::string& path) override;
    int open_overwrite(const std::string& path) override;
    int find_target(const std::string& path, SaveTarget& target) override;
    int create_temp(const std::string& folder, const std::string& name,
                    std::string& temp_path) override;
    ssize_t read(int fd, void* buffer, std::size_t size) override;
    off_t seek(int fd, off_t offset) override;
    ssize_t write(int fd, const void* buffer, std::size_t size) override;
    int sync(int fd) override;
    int close(int fd) override;
    int rename(const std::string& from, const std::string& to) override;
    int unlink(const std::string& path) override;
    off_t size_of(int fd) override;
    int copy_attributes(const std::string& target, int fd) override;

  private:
    template <typename Result>
    Result note(Result result, const std::string& path, bool folder = false);
    template <typename Result>
    Result note_fd(Result result, int fd);
    std::string path_of(int fd) const;

    FileLayer& inner_;
    const FileNaming* outer_;
    ScopedFileLayer scope_;
    mutable std::mutex mutex_;
    std::map<int, std::string> open_;  // what each open file stands for
    std::string lastRead_;             // the file opened for reading last
    std::string failedPath_;
    int failedCode_ = 0;  // errno of the last failing call
    bool failedFolder_ = false;
};

}  // namespace dabro::cli
