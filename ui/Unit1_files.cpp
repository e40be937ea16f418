// The window's file commands: open, save, new, recent files and dropped files.
#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QUrl>
#include <algorithm>
#include <iterator>

#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "ui/Unit1.h"
#include "ui/recovery.h"

namespace dabro {

bool TForm1::may_discard_document() {
    if (!has_unsaved_edits()) return true;
    const QString name =
        session_.currentFileName.empty()
            ? QStringLiteral("the sprite")
            : QFile::decodeName(QByteArray::fromStdString(session_.currentFileName));
    switch (prompts_->ask_save_changes(name)) {
        case SaveChoice::Save:
            return save_document();
        case SaveChoice::Discard:
            return true;
        case SaveChoice::Cancel:
            return false;
    }
    return false;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!may_discard_document()) {
        event->ignore();
        return;
    }
    event->accept();
    emit documentReplaced();
    stop_watching_open_file();
}

bool TForm1::load_file(const std::string& path, Status* failure) {
    const std::string previous = session_.currentFileName;
    LoadReport report;
    // The load is all or nothing: on failure the previous document and file name stay.
    Status loaded = load_sprite(path, session_, &report);
    if (loaded.ok() && report.isSprite) setProperty(kRecoveryCopyProperty, QVariant());
    if (failure != nullptr) {
        // A file that is no sprite yet (one still being written) keeps the sprite's name too.
        if (loaded.ok() && !report.isSprite) {
            session_.currentFileName = previous;
            loaded = Status::failure("This is not a .spr file");
        }
        *failure = loaded;
        if (!loaded.ok()) return false;
    }
    if (!reported_ok(loaded)) return false;
    // A file without the signature leaves the document as it was, edits and all.
    if (report.isSprite) {
        history_.clear();
        headerEdited_ = false;
        // A reload of the same file keeps the live link; another file ends it.
        if (path != previous) emit documentReplaced();
    }
    // Whatever was opened, the file opened before is no longer the window's to watch.
    watch_open_file();
    gui_head_ref();
    gui_seq_box_ref();
    set_caption_from_file_name();
    document_state_changed();
    if (!report.isSprite)
        set_status(QStringLiteral("This is not a .spr file"));
    else if (report.sawUnreadableSection)
        set_status(
            QStringLiteral("Sprite loaded. Sprite with compressed images. Images unaccesible"));
    else
        set_status(QStringLiteral("Sprite loaded"));
    if (report.isSprite) remember_recent(path);
    return true;
}

bool TForm1::open_file(const std::string& path) {
    return may_discard_document() && load_file(path);
}

void TForm1::Open1Click(QObject*) {
    const std::optional<std::string> path = choose_file(FileDialog::OpenDialog1);
    if (!path || !may_discard_document()) return;
    load_file(*path);
}

bool TForm1::header_from_fields(HeaderValues& header) {
    std::int32_t v[7] = {};
    for (std::size_t i = 0; i < std::size(headerFields_); ++i) {
        if (!convert(headerFields_[i], v[i])) return false;
    }
    header.dimensions = {static_cast<std::uint8_t>(v[0]), static_cast<std::uint8_t>(v[1]),
                         static_cast<std::uint8_t>(v[2])};
    header.centerX = v[3];
    header.centerY = v[4];
    header.headerWord = static_cast<std::uint16_t>(v[5]);
    header.headerByte = static_cast<std::uint8_t>(v[6]);
    return true;
}

bool TForm1::save_to(const std::string& path) {
    // A value typed into the focused field belongs in the file too.
    if (!commit_focused_field()) return false;
    HeaderValues header;
    if (!header_from_fields(header)) return false;
    if (!reported_ok(save_sprite(path, doc(), header))) return false;
    set_status(QStringLiteral("Sprite saved"));
    // Recovered work, once saved, needs its recovery copy no longer.
    if (const QString copy = property(kRecoveryCopyProperty).toString(); !copy.isEmpty()) {
        remove_recovery_copy(copy);
        setProperty(kRecoveryCopyProperty, QVariant());
    }
    // Save as writes a copy and keeps the current file, which then still lacks the changes.
    if (path == session_.currentFileName) {
        history_.mark_clean();
        headerEdited_ = false;
        open_file_saved();
        for (QLineEdit* field : headerFields_) field->setModified(false);
        document_state_changed();
    }
    return true;
}

bool TForm1::save_document() {
    if (session_.imagesReadable && !session_.currentFileName.empty())
        return save_to(session_.currentFileName);
    const std::optional<std::string> path = choose_file(FileDialog::SaveDialog1);
    return path && save_to(*path);
}

void TForm1::Save2Click(QObject*) {
    if (!session_.imagesReadable || session_.currentFileName.empty()) return;
    save_to(session_.currentFileName);
}

void TForm1::Save1Click(QObject*) {
    const std::optional<std::string> path = choose_file(FileDialog::SaveDialog1);
    if (path) save_to(*path);
}

void TForm1::New1Click(QObject*) {
    if (!may_discard_document()) return;
    reset_document(session_);
    emit documentReplaced();
    stop_watching_open_file();
    history_.clear();
    headerEdited_ = false;
    set_caption_from_file_name();
    gui_head_ref();
    document_state_changed();
}

void TForm1::Quit1Click(QObject*) {
    close();
}

// Files dropped onto the window: a sprite opens, behind the guard; a raw image dropped on
// the preview (raw or PNG) replaces the selected image; a palette file goes to the selected
// collection.

namespace {

std::optional<std::string> dropped_file(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1) return std::nullopt;
    const QUrl url = mime->urls().first();
    if (!url.isLocalFile()) return std::nullopt;
    return local_path(url.toLocalFile());
}

bool has_suffix(const std::string& path, std::initializer_list<const char*> suffixes) {
    const QString lower = QFile::decodeName(QByteArray::fromStdString(path)).toLower();
    return std::any_of(suffixes.begin(), suffixes.end(),
                       [&](const char* suffix) { return lower.endsWith(QLatin1String(suffix)); });
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (dropped_file(event->mimeData())) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const std::optional<std::string> path = dropped_file(event->mimeData());
    if (!path) return;
    event->acceptProposedAction();
    const QPoint at = event->position().toPoint();
    const bool onPreview = Bevel1->geometry().contains(centralWidget()->mapFrom(this, at));
    if (has_suffix(*path, {".raw"}) && onPreview) {
        import_raw_file(*path);
    } else if (has_suffix(*path, {".png"}) && onPreview) {
        import_png_file(*path);
    } else if (has_suffix(*path, {".act", ".pal", ".gpl"})) {
        read_palette(*path);
    } else {
        open_file(*path);
    }
}

// Open recent: the last files opened, newest first, kept in the desktop's settings store
// (~/.config/Dabro/Dabro.conf here).

namespace {

constexpr int kRecentFiles = 10;

QStringList recent_files() {
    return QSettings(QStringLiteral("Dabro"), QStringLiteral("Dabro"))
        .value(QStringLiteral("recentFiles"))
        .toStringList();
}

void store_recent_files(const QStringList& files) {
    QSettings settings(QStringLiteral("Dabro"), QStringLiteral("Dabro"));
    settings.setValue(QStringLiteral("recentFiles"), files);
}

}  // namespace

void TForm1::remember_recent(const std::string& path) {
    const QString file =
        QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).absoluteFilePath();
    QStringList files = recent_files();
    files.removeAll(file);
    files.prepend(file);
    while (files.size() > kRecentFiles) files.removeLast();
    store_recent_files(files);
    rebuild_recent_menu();
}

void TForm1::forget_recent(const QString& file) {
    QStringList files = recent_files();
    files.removeAll(file);
    store_recent_files(files);
    rebuild_recent_menu();
}

void TForm1::rebuild_recent_menu() {
    for (QAction* a : OpenRecent1->actions()) {
        if (a == ClearRecent1) continue;
        OpenRecent1->removeAction(a);
        a->deleteLater();
    }
    const QStringList files = recent_files();
    for (const QString& file : files) {
        auto* a = new QAction(file, OpenRecent1);
        OpenRecent1->insertAction(ClearRecent1, a);
        connect(a, &QAction::triggered, this, [this, file] {
            if (!QFileInfo::exists(file)) {
                reported_ok(Status::file_error(ErrorCode::FileNotFound));
                forget_recent(file);
                return;
            }
            open_file(local_path(file));
        });
    }
    if (!files.isEmpty()) OpenRecent1->insertSeparator(ClearRecent1);
    ClearRecent1->setEnabled(!files.isEmpty());
}

void TForm1::ClearRecent1Click(QObject*) {
    store_recent_files({});
    rebuild_recent_menu();
}

}  // namespace dabro
