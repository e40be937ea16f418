#include "ui/Unit1.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QSettings>
#include <QUrl>
#include <algorithm>
#include <iterator>
#include <utility>

#include "commands/document_commands.h"
#include "commands/image_commands.h"
#include "document/name_text.h"
#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "document/text_to_int.h"
#include "imaging/align.h"
#include "imaging/palette_file.h"
#include "interchange/palette_formats.h"
#include "ui/app_info.h"

// The handlers: list clicks, field exits, table buttons and menu commands.

namespace dabro {
namespace {

// The bytes of a name the user typed, in the encoding the name is shown in: UTF-8 when the
// stored name reads as UTF-8 beyond ASCII, or when the text has characters Latin-1 lacks;
// else Latin-1, a byte a character.
std::string typed_name(const QString& text, std::string_view stored) {
    const bool storedIsUtf8 =
        is_valid_utf8(stored) && std::any_of(stored.begin(), stored.end(), [](char c) {
            return static_cast<unsigned char>(c) > 0x7F;
        });
    const bool fitsLatin1 =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    const QByteArray bytes = storedIsUtf8 || !fitsLatin1 ? text.toUtf8() : text.toLatin1();
    return bytes.toStdString();
}

std::string local_path(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // An edit field claims Ctrl+X, Ctrl+A and others for itself; the menu comes first.
            if (menu_takes(*static_cast<QKeyEvent*>(event))) {
                event->ignore();
                return true;
            }
            break;
        case QEvent::FocusOut: {
            // Opening a menu or a dialog, or leaving the window, is not leaving the field.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
                reason != Qt::MenuBarFocusReason)
                run_exit_handler(watched);
            break;
        }
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                is_size_or_box_field(watched))
                Edit20Exit(watched);
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::is_size_or_box_field(const QObject* object) const {
    return std::find(sizeAndBoxFields_.begin(), sizeAndBoxFields_.end(), object) !=
           sizeAndBoxFields_.end();
}

bool TForm1::menu_takes(const QKeyEvent& key) const {
    if (!(key.modifiers() & Qt::ControlModifier)) return false;
    const QKeySequence pressed(key.keyCombination());
    return std::any_of(shortcutActions_.begin(), shortcutActions_.end(), [&](const QAction* a) {
        return a->isEnabled() && a->shortcuts().contains(pressed);
    });
}

QString TForm1::status_text() const {
    return statusText_->text();
}

void TForm1::set_status(const QString& text) {
    statusText_->setText(text);
}

void TForm1::set_caption_from_file_name() {
    // A modified document is marked as desktop editors mark it: a leading asterisk.
    captionShowsFile_ = true;
    setWindowTitle(
        QStringLiteral("%1Dabro (%2)")
            .arg(is_modified() ? QStringLiteral("*") : QString(),
                 QFile::decodeName(QByteArray::fromStdString(session_.currentFileName))));
}

bool TForm1::reported_ok(const Status& status) {
    if (!status.ok()) prompts_->show_error(QString::fromStdString(failure_text(status.message())));
    return status.ok();
}

bool TForm1::convert(const QLineEdit* field, std::int32_t& value) {
    return reported_ok(text_to_int(field->text().toStdString(), value));
}

std::optional<std::string> TForm1::choose_file(FileDialog dialog) {
    return choose_file(file_request(dialog));
}

std::optional<std::string> TForm1::choose_file(FileRequest request) {
    QString& last = lastPaths_[static_cast<std::size_t>(request.dialog)];
    request.lastPath = last;
    const std::optional<QString> chosen = prompts_->choose_file(request);
    if (!chosen) return std::nullopt;
    last = *chosen;
    return local_path(*chosen);
}

void TForm1::ListBox1Click(QObject*) {
    gui_seq_box_ref_sub();
}

void TForm1::ListBox2Click(QObject*) {
    const int q = selected_frame();
    if (q >= 0) ListBox4->set_item_index(doc().sequences[selected_sequence()].imageIndex[q]);
    gui_fr_box_ref_sub();
}

void TForm1::ListBox3Click(QObject*) {
    gui_col_box_ref_sub();
}

void TForm1::ListBox4Click(QObject*) {
    gui_cfr_box_ref_sub();
}

void TForm1::ListBox5Click(QObject*) {
    gui_image_ref();
    gui_dir_box_ref_sub();
}

// Field handlers

bool TForm1::run_exit_handler(QObject* field) {
    if (field == Edit10) return commit_sequence_name();
    if (field == Edit11) return commit_collection_index();
    if (field == Edit8) return commit_image_index();
    if (field == Edit9) return commit_frame_value();
    if (is_size_or_box_field(field)) return commit_size_and_box();
    return true;
}

bool TForm1::commit_focused_field() {
    return run_exit_handler(focusWidget());
}

void TForm1::Edit10Exit(QObject*) {
    commit_sequence_name();
}

void TForm1::Edit11Exit(QObject*) {
    commit_collection_index();
}

void TForm1::Edit8Exit(QObject*) {
    commit_image_index();
}

void TForm1::Edit9Exit(QObject*) {
    commit_frame_value();
}

void TForm1::Edit20Exit(QObject*) {
    commit_size_and_box();
}

bool TForm1::commit_sequence_name() {
    const int s = selected_sequence();
    if (!Edit10->isModified() || s < 0) return true;
    run(set_sequence_name_command(s, typed_name(Edit10->text(), doc().sequences[s].name.view())),
        &TForm1::gui_seq_box_ref);
    return true;
}

bool TForm1::commit_collection_index() {
    const int s = selected_sequence();
    if (!Edit11->isModified() || s < 0) return true;
    std::int32_t value = 0;
    if (!convert(Edit11, value)) return false;
    run(set_collection_index_command(s, static_cast<std::uint16_t>(value)),
        &TForm1::gui_seq_box_ref);
    return true;
}

bool TForm1::commit_image_index() {
    const int q = selected_frame();
    if (!Edit8->isModified() || q < 0) return true;
    std::int32_t value = 0;
    if (!convert(Edit8, value)) return false;
    run(set_image_index_command(selected_sequence(), q, static_cast<std::int16_t>(value)),
        &TForm1::gui_fr_box_ref);
    return true;
}

bool TForm1::commit_frame_value() {
    const int q = selected_frame();
    if (!Edit9->isModified() || q < 0) return true;
    std::int32_t value = 0;
    if (!convert(Edit9, value)) return false;
    run(set_frame_value_command(selected_sequence(), q, value), &TForm1::gui_fr_box_ref);
    return true;
}

// The six values are read in order and a faulty field stops the reading; the values read
// before it are still written, as one step.
bool TForm1::commit_size_and_box() {
    const ImageRef ref = selected_image();
    ImageGeometry geometry = geometry_of(doc(), ref);
    const std::pair<QLineEdit*, std::int32_t*> fields[] = {
        {Edit20, &geometry.width},   {Edit21, &geometry.height},    {Edit15, &geometry.box.left},
        {Edit16, &geometry.box.top}, {Edit17, &geometry.box.right}, {Edit18, &geometry.box.bottom},
    };
    Status read = Status::success();
    for (const auto& [field, value] : fields) {
        read = text_to_int(field->text().toStdString(), *value);
        if (!read.ok()) break;
    }
    run(set_geometry_command("Edit size and box", ref, geometry), &TForm1::gui_image_ref);
    return reported_ok(read);
}

void TForm1::finish_table_edit(TableEdit outcome, const QString& fullText) {
    switch (outcome) {
        case TableEdit::Full:
            set_status(fullText);
            break;
        case TableEdit::Empty:
            set_status(QStringLiteral("Cannot delete nothing"));
            break;
        case TableEdit::Changed:
        case TableEdit::NoTarget:
            break;
    }
}

void TForm1::Button1Click(QObject*) {
    TableEdit outcome = TableEdit::NoTarget;
    run(add_sequence_command(&outcome));
    finish_table_edit(outcome,
                      QStringLiteral("Sequence table to small. Upgrade or contact the author"));
}

void TForm1::Button2Click(QObject*) {
    TableEdit outcome = TableEdit::NoTarget;
    run(delete_sequence_command(&outcome));
    finish_table_edit(outcome);
}

void TForm1::Button3Click(QObject*) {
    TableEdit outcome = TableEdit::NoTarget;
    run(add_frame_command(selected_sequence(), &outcome));
    finish_table_edit(outcome,
                      QStringLiteral("Frame table to small. Upgrade or contact the author"));
}

void TForm1::Button4Click(QObject*) {
    TableEdit outcome = TableEdit::NoTarget;
    run(delete_frame_command(selected_sequence(), &outcome));
    finish_table_edit(outcome);
}

// Commands

bool TForm1::run(CommandPtr command, RefreshOperation shown) {
    const Refresh level = command->refresh();
    if (!history_.run(std::move(command), doc())) return false;
    if (shown != nullptr)
        (this->*shown)();
    else
        refresh(level);
    document_state_changed();
    return true;
}

void TForm1::refresh(Refresh level) {
    switch (level) {
        case Refresh::Sequences:
            gui_seq_box_ref();
            break;
        case Refresh::SequenceFrames:
            gui_fr_box_ref();
            break;
        case Refresh::Directions:
            gui_dir_box_ref();
            break;
        case Refresh::ImageDetails:
            gui_dir_box_ref_sub();
            break;
        case Refresh::Preview:
            gui_image_ref();
            break;
    }
}

bool TForm1::is_modified() const {
    return headerEdited_ || !history_.at_clean();
}

void TForm1::document_state_changed() {
    if (captionShowsFile_ || is_modified()) set_caption_from_file_name();
    const Command* undo = history_.next_undo();
    const Command* redo = history_.next_redo();
    Undo1->setEnabled(undo != nullptr);
    Redo1->setEnabled(redo != nullptr);
    Undo1->setText(undo ? QStringLiteral("Undo %1").arg(QString::fromStdString(undo->name()))
                        : QStringLiteral("Undo"));
    Redo1->setText(redo ? QStringLiteral("Redo %1").arg(QString::fromStdString(redo->name()))
                        : QStringLiteral("Redo"));
}

bool TForm1::revert_focused_field() {
    auto* field = qobject_cast<QLineEdit*>(focusWidget());
    if (field == nullptr || !field->isModified()) return false;
    field->setText(shown_text(field));
    if (std::find(std::begin(headerFields_), std::end(headerFields_), field) !=
        std::end(headerFields_))
        headerEdited_ = std::any_of(std::begin(headerFields_), std::end(headerFields_),
                                    [](const QLineEdit* f) { return f->isModified(); });
    document_state_changed();
    return true;
}

void TForm1::Undo1Click(QObject*) {
    // An edit still in the focused field is the newest change: it goes first.
    if (revert_focused_field()) return;
    if (const Command* step = history_.undo(doc())) {
        refresh(step->refresh());
        document_state_changed();
    }
}

void TForm1::Redo1Click(QObject*) {
    auto* field = qobject_cast<QLineEdit*>(focusWidget());
    // A redo would be lost to the field's edit once it is committed, so the field's own
    // redo answers while it holds an edit.
    if (field != nullptr && field->isModified()) {
        field->redo();
        return;
    }
    if (const Command* step = history_.redo(doc())) {
        refresh(step->refresh());
        document_state_changed();
    }
}

bool TForm1::may_discard_document() {
    const auto* field = qobject_cast<const QLineEdit*>(focusWidget());
    const bool fieldEdited = field != nullptr && field->isModified();
    if (!is_modified() && !fieldEdited) return true;
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
    if (may_discard_document())
        event->accept();
    else
        event->ignore();
}

bool TForm1::load_file(const std::string& path) {
    LoadReport report;
    // The load is all or nothing: on failure the previous document and file name stay.
    if (!reported_ok(load_sprite(path, session_, &report))) return false;
    // A file without the signature leaves the document as it was, edits and all.
    if (report.isSprite) {
        history_.clear();
        headerEdited_ = false;
    }
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
    // Save as writes a copy and keeps the current file, which then still lacks the changes.
    if (path == session_.currentFileName) {
        history_.mark_clean();
        headerEdited_ = false;
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
    history_.clear();
    headerEdited_ = false;
    set_caption_from_file_name();
    gui_head_ref();
    document_state_changed();
}

void TForm1::Quit1Click(QObject*) {
    close();
}

void TForm1::load_imagesClick(QObject*) {
    // The item's own check mark already moved when it was triggered.
}

void TForm1::import_raw_file(const std::string& path) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref)) return;
    CommandPtr step;
    if (!reported_ok(import_raw_step(doc(), ref, path, step))) return;
    run(std::move(step));
    set_status(QStringLiteral("Image imported"));
}

void TForm1::ImportImage1Click(QObject*) {
    if (!is_valid(doc(), selected_image())) return;
    const std::optional<std::string> path = choose_file(FileDialog::OpenDialog2);
    if (path) import_raw_file(*path);
}

void TForm1::Importbyname1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref)) return;
    const std::optional<std::string> path = choose_file(FileDialog::OpenDialog2);
    if (!path) return;
    CommandPtr step;
    if (!reported_ok(import_by_name_step(doc(), ref, *path, read_any_palette, step))) return;
    run(std::move(step));
    set_status(QStringLiteral("Image imported"));
}

void TForm1::HalveImage1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref)) return;
    CommandPtr step;
    if (!reported_ok(halve_step(doc(), ref, step))) return;
    run(std::move(step));
    set_status(QStringLiteral("Image size halved"));
}

void TForm1::align(std::int32_t frameWidth, std::int32_t frameHeight) {
    const ImageRef ref = selected_image();
    if (is_valid(doc(), ref)) run(align_step(doc(), ref, {frameWidth, frameHeight}));
}

void TForm1::Alignweapon1Click(QObject*) {
    align(kBigItemFrame.width, kBigItemFrame.height);
}

void TForm1::Align1Click(QObject*) {
    align(kSmallItemFrame.width, kSmallItemFrame.height);
}

void TForm1::read_palette(const std::string& path) {
    const int c = selected_collection();
    if (c < 0) return;
    Palette palette = doc().collections[c].palettes[0];
    if (!reported_ok(read_any_palette(path, palette))) return;
    run(set_palette_command("Import palette", c, palette));
    set_status(QStringLiteral("Palette imported"));
}

void TForm1::ImportPalette1Click(QObject*) {
    if (selected_collection() < 0) return;
    const std::optional<std::string> path = choose_file(FileDialog::OpenDialog3);
    if (path) read_palette(*path);
}

void TForm1::ExportPalette1Click(QObject*) {
    const int c = selected_collection();
    if (c < 0) return;
    const std::optional<std::string> path = choose_file(FileDialog::SaveDialog3);
    if (!path) return;
    if (!reported_ok(write_palette_file(*path, doc().collections[c].palettes[0]))) return;
    set_status(QStringLiteral("Palette exported"));
}

void TForm1::AboutDabro1Click(QObject*) {
    prompts_->show_about(QStringLiteral("About Dabro"), about_text());
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
                reported_ok(Status::failure(file_error_message(kFileNotFound)));
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
