// The live link's work folder: files written for an outside editor, watched for its saves.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>

#include "document/status.h"
#include "interchange/png_codec.h"

class QLockFile;
class QTemporaryDir;

namespace dabro {

class FileWatch;

// What a file of the work folder was written from: one image, or a collection's sheet.
struct ExternalTarget {
    int collection = -1;
    int slot = -1;  // -1 for the collection's sheet
    bool is_sheet() const { return slot < 0; }
};

// One open document's links. The work folder is made under $XDG_RUNTIME_DIR (else the
// temporary folder) at the first link and removed with this object, so a link ends when
// the document is closed or another is opened.
class ExternalEdit : public QObject {
    Q_OBJECT
  public:
    // A save is taken once the file kept its size and time this long. Painting programs
    // write a sprite-sized PNG in a few milliseconds, and a save through a rename is a burst
    // of events within a few more; 300 ms covers both on a slow disk, and is still short
    // enough that the window seems to follow the save at once.
    static constexpr int kSettleMs = 300;

    explicit ExternalEdit(QObject* parent = nullptr);
    ~ExternalEdit() override;

    // The PNG's path for the target (and for a sheet its JSON is beside it), in the work
    // folder, made when missing; a failure when no folder can be made.
    Status file_for(ExternalTarget target, QString& png);
    // Watches the target's files, taking their present contents as Dabro's own; the first
    // file's picture is what the outside editor starts from.
    void link(ExternalTarget target, const QStringList& files);
    QString folder() const;
    // The picture the outside editor holds for the target as far as the link knows: the one
    // written or last taken in. Null before a link.
    const RgbaImage* picture(ExternalTarget target) const;
    void take_picture(ExternalTarget target, RgbaImage picture);

  signals:
    // The outside editor saved the target's files.
    void saved(dabro::ExternalTarget target, const QString& png);
    // A file of the link is gone (removed, or its folder deleted).
    void lost(const QString& file);

  private:
    static int key(ExternalTarget target) { return target.collection * 65536 + target.slot + 1; }

    std::unique_ptr<QTemporaryDir> folder_;
    // Held while the folder is in use, so a later start can tell a crashed session's folder.
    std::unique_ptr<QLockFile> lock_;
    FileWatch* watch_;
    std::map<int, std::pair<ExternalTarget, QString>> links_;
    std::map<int, RgbaImage> pictures_;
};

// Removes the work folders that sessions which did not end in order left behind.
void remove_stale_work_folders();

// Starts the editor kept in the settings (external/editor, split as a shell splits it) with
// the file as its last argument, or without one the desktop's application for the file.
// A failure when nothing could be started.
Status start_external_editor(const QString& file);

// A command's words as a POSIX shell splits them (quotes and backslashes, no expansion);
// nothing when a quote is not closed.
std::optional<QStringList> split_shell_words(const QString& command);

// The editor command kept in the settings; empty for the desktop's application.
QString external_editor_command();
void set_external_editor_command(const QString& command);

}  // namespace dabro
