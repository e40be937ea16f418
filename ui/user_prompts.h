// The window's dialogs and error display, behind a seam tests replace.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>

#include "ui/place_frames_dialog.h"

class QProgressDialog;
class QWidget;

namespace dabro {

// The window's six file dialogs, named as the window names them, and those of the PNG
// commands that came after them.
enum class FileDialog {
    OpenDialog1,
    SaveDialog1,
    OpenDialog2,
    SaveDialog2,
    OpenDialog3,
    SaveDialog3,
    OpenDialog4,        // Palette > Import into palette...: every palette format
    SaveDialog4,        // Palette > Export palette...: the filter follows the chosen format
    ExportImageDialog,  // the selected image as PNG or raw
    ImportPngDialog,
    ExportSheetDialog,
    ImportSheetDialog,
    ExportAnimationDialog,  // the player's sequence as GIF, APNG or WebP
};
inline constexpr std::size_t kFileDialogCount = 13;

// What a file dialog is asked to show. The filter is a list of description|pattern pairs
// joined by "|", each description equal to its pattern ("*.act|*.act|*.raw|*.raw").
struct FileRequest {
    FileDialog dialog = FileDialog::OpenDialog1;
    bool save = false;
    QString filter;
    QString defaultExtension;  // added to a typed name without one; empty for none
    QString folder;            // where the dialog starts
    QString lastPath;          // the path last chosen in this dialog, offered again
};

// The fixed properties of each dialog; lastPath is left empty.
FileRequest file_request(FileDialog dialog);

// "*.act|*.act|*.raw|*.raw" as Qt's name filters: "*.act;;*.raw". A description other than
// its pattern is shown before it: "Images|*.raw" gives "Images (*.raw)".
QString qt_name_filters(const QString& filter);

// A question answered by picking one item of a list.
struct ItemRequest {
    QString title;
    QString label;
    QStringList items;
};

// The answer to "save the changes first?".
enum class SaveChoice { Save, Discard, Cancel };

// The answer to "the file changed on disk: reload it?".
enum class ReloadChoice { Reload, Keep };

// The window's questions to the user and its error display. The window owns no dialog
// itself, so tests can answer in its place.
class UserPrompts {
  public:
    virtual ~UserPrompts() = default;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<QString> choose_file(const FileRequest& request) = 0;
    // A modal box titled "Dabro" with the stop icon and one OK button.
    virtual void show_error(const QString& text) = 0;
    // A modal box with the application's icon, a title, a text and one OK button.
    virtual void show_about(const QString& title, const QString& text) = 0;
    // Asked before unsaved changes to `document` would be lost: Save, Discard or Cancel.
    virtual SaveChoice ask_save_changes(const QString& document) = 0;
    // The index of the chosen item, or nothing when the user cancels.
    virtual std::optional<int> choose_item(const ItemRequest& request) = 0;
    // Long work reports how far it is; false once the user has cancelled it. A dialog with a
    // Cancel button appears when the work goes on for a while, and goes at end_progress().
    virtual bool show_progress(const QString&, long long, long long) { return true; }
    virtual void end_progress() {}
    // Asked when the open file changed on disk while the window holds unsaved changes.
    // Unanswered, the window's document is kept: nothing is lost without a yes.
    virtual ReloadChoice ask_reload(const QString&) { return ReloadChoice::Keep; }
    // A line of text, offered with `text`; nothing when the user cancels.
    virtual std::optional<QString> ask_text(const QString&, const QString&, const QString&) {
        return std::nullopt;
    }
    // Image > Place frames…: the scope and the operation; nothing when the user cancels.
    virtual std::optional<PlaceChoice> ask_place_frames(const PlaceDialogRequest&) {
        return std::nullopt;
    }
};

class QtUserPrompts : public UserPrompts {
  public:
    explicit QtUserPrompts(QWidget* owner) : owner_(owner) {}
    std::optional<QString> choose_file(const FileRequest& request) override;
    void show_error(const QString& text) override;
    void show_about(const QString& title, const QString& text) override;
    SaveChoice ask_save_changes(const QString& document) override;
    std::optional<int> choose_item(const ItemRequest& request) override;
    bool show_progress(const QString& label, long long done, long long total) override;
    void end_progress() override;
    ReloadChoice ask_reload(const QString& document) override;
    std::optional<QString> ask_text(const QString& title, const QString& label,
                                    const QString& text) override;
    std::optional<PlaceChoice> ask_place_frames(const PlaceDialogRequest& request) override;

  private:
    QWidget* owner_;
    QProgressDialog* progress_ = nullptr;
};

}  // namespace dabro
