#include "ui/Unit1.h"

#include <QAction>
#include <QFile>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <iterator>
#include <utility>

#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "document/text_to_int.h"
#include "imaging/align.h"
#include "imaging/halve.h"
#include "imaging/palette_file.h"
#include "imaging/raw_import.h"
#include "ui/app_info.h"

// The handlers: list clicks, field exits, table buttons and menu commands.

namespace dabro {
namespace {

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
        return a->isEnabled() && a->shortcut() == pressed;
    });
}

QString TForm1::status_text() const {
    return statusText_->text();
}

void TForm1::set_status(const QString& text) {
    statusText_->setText(text);
}

void TForm1::set_caption_from_file_name() {
    setWindowTitle(
        QStringLiteral("Dabro (%1)")
            .arg(QFile::decodeName(QByteArray::fromStdString(session_.currentFileName))));
}

bool TForm1::reported_ok(const Status& status) {
    if (!status.ok()) prompts_->show_error(QString::fromStdString(failure_text(status.message())));
    return status.ok();
}

bool TForm1::convert(const QLineEdit* field, std::int32_t& value) {
    return reported_ok(text_to_int(field->text().toStdString(), value));
}

std::optional<std::string> TForm1::choose_file(FileDialog dialog) {
    FileRequest request = file_request(dialog);
    QString& last = lastPaths_[static_cast<std::size_t>(dialog)];
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
    const QByteArray name = Edit10->text().toLatin1();
    set_sequence_name(doc(), s,
                      std::string_view(name.constData(), static_cast<std::size_t>(name.size())));
    gui_seq_box_ref();
    return true;
}

bool TForm1::commit_collection_index() {
    const int s = selected_sequence();
    if (!Edit11->isModified() || s < 0) return true;
    std::int32_t value = 0;
    if (!convert(Edit11, value)) return false;
    set_collection_index(doc(), s, static_cast<std::uint16_t>(value));
    gui_seq_box_ref();
    return true;
}

bool TForm1::commit_image_index() {
    const int q = selected_frame();
    if (!Edit8->isModified() || q < 0) return true;
    std::int32_t value = 0;
    if (!convert(Edit8, value)) return false;
    set_image_index(doc(), selected_sequence(), q, static_cast<std::int16_t>(value));
    gui_fr_box_ref();
    return true;
}

bool TForm1::commit_frame_value() {
    const int q = selected_frame();
    if (!Edit9->isModified() || q < 0) return true;
    std::int32_t value = 0;
    if (!convert(Edit9, value)) return false;
    set_frame_value(doc(), selected_sequence(), q, value);
    gui_fr_box_ref();
    return true;
}

// All six values are written on every click and exit, each before the next field is read,
// so a faulty field stops the writes after it.
bool TForm1::commit_size_and_box() {
    const ImageRef ref = selected_image();
    std::int32_t value = 0;
    if (!convert(Edit20, value)) return false;
    set_image_width(doc(), ref, value);
    if (!convert(Edit21, value)) return false;
    set_image_height(doc(), ref, value);

    const std::pair<QLineEdit*, std::int32_t BoundingBox::*> sides[] = {
        {Edit15, &BoundingBox::left},
        {Edit16, &BoundingBox::top},
        {Edit17, &BoundingBox::right},
        {Edit18, &BoundingBox::bottom},
    };
    for (const auto& [field, side] : sides) {
        if (!convert(field, value)) return false;
        if (!is_valid(doc(), ref)) continue;
        BoundingBox box = doc().collections[ref.collection].boxes[ref.slot];
        box.*side = value;
        set_box(doc(), ref, box);
    }
    gui_image_ref();
    return true;
}

void TForm1::finish_table_edit(TableEdit outcome, void (TForm1::*refresh)(),
                               const QString& fullText) {
    switch (outcome) {
        case TableEdit::Changed:
            (this->*refresh)();
            break;
        case TableEdit::Full:
            set_status(fullText);
            break;
        case TableEdit::Empty:
            set_status(QStringLiteral("Cannot delete nothing"));
            break;
        case TableEdit::NoTarget:
            break;
    }
}

void TForm1::Button1Click(QObject*) {
    finish_table_edit(add_sequence(doc()), &TForm1::gui_seq_box_ref,
                      QStringLiteral("Sequence table to small. Upgrade or contact the author"));
}

void TForm1::Button2Click(QObject*) {
    finish_table_edit(delete_sequence(doc()), &TForm1::gui_seq_box_ref);
}

void TForm1::Button3Click(QObject*) {
    finish_table_edit(add_frame(doc(), selected_sequence()), &TForm1::gui_fr_box_ref,
                      QStringLiteral("Frame table to small. Upgrade or contact the author"));
}

void TForm1::Button4Click(QObject*) {
    finish_table_edit(delete_frame(doc(), selected_sequence()), &TForm1::gui_fr_box_ref);
}

// Commands

void TForm1::Open1Click(QObject*) {
    const std::optional<std::string> path = choose_file(FileDialog::OpenDialog1);
    if (!path) return;
    LoadReport report;
    // The load is all or nothing: on failure the previous document and file name stay.
    if (!reported_ok(load_sprite(*path, session_, &report))) return;
    gui_head_ref();
    gui_seq_box_ref();
    set_caption_from_file_name();
    if (!report.isSprite)
        set_status(QStringLiteral("This is not a .spr file"));
    else if (report.sawUnreadableSection)
        set_status(
            QStringLiteral("Sprite loaded. Sprite with compressed images. Images unaccesible"));
    else
        set_status(QStringLiteral("Sprite loaded"));
}

bool TForm1::header_from_fields(HeaderValues& header) {
    std::int32_t v[7] = {};
    const QLineEdit* const fields[] = {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        if (!convert(fields[i], v[i])) return false;
    }
    header.dimensions = {static_cast<std::uint8_t>(v[0]), static_cast<std::uint8_t>(v[1]),
                         static_cast<std::uint8_t>(v[2])};
    header.centerX = v[3];
    header.centerY = v[4];
    header.headerWord = static_cast<std::uint16_t>(v[5]);
    header.headerByte = static_cast<std::uint8_t>(v[6]);
    return true;
}

void TForm1::save_to(const std::string& path) {
    // A value typed into the focused field belongs in the file too.
    if (!commit_focused_field()) return;
    HeaderValues header;
    if (!header_from_fields(header)) return;
    if (!reported_ok(save_sprite(path, doc(), header))) return;
    set_status(QStringLiteral("Sprite saved"));
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
    reset_document(session_);
    set_caption_from_file_name();
    gui_head_ref();
}

void TForm1::Quit1Click(QObject*) {
    close();
}

void TForm1::load_imagesClick(QObject*) {
    load_images->setChecked(!load_images->isChecked());
}

void TForm1::ImportImage1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref)) return;
    const std::optional<std::string> path = choose_file(FileDialog::OpenDialog2);
    if (!path) return;
    CollectionImage imported;
    if (!reported_ok(load_raw_image(imported, *path))) return;
    replace_image_data(doc(), ref, std::move(imported.data));
    gui_image_ref();
    set_status(QStringLiteral("Image imported"));
}

void TForm1::Importbyname1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref)) return;
    const std::optional<std::string> path = choose_file(FileDialog::OpenDialog2);
    if (!path) return;
    CollectionImage imported;
    Palette palette = doc().collections[ref.collection].palettes[0];
    if (!reported_ok(import_raw_by_name(imported, palette, *path))) return;
    replace_image(doc(), ref, std::move(imported.data), imported.width, imported.height);
    set_palette(doc(), ref.collection, palette);
    gui_dir_box_ref_sub();
    gui_image_ref();
    set_status(QStringLiteral("Image imported"));
}

void TForm1::HalveImage1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref)) return;
    CollectionImage halved = doc().collections[ref.collection].images[ref.slot];
    if (!reported_ok(halve_image(halved))) return;
    replace_image(doc(), ref, std::move(halved.data), halved.width, halved.height);
    gui_dir_box_ref_sub();
    set_status(QStringLiteral("Image size halved"));
}

void TForm1::align(std::int32_t frameWidth, std::int32_t frameHeight) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref)) return;
    const CollectionImage& image = doc().collections[ref.collection].images[ref.slot];
    set_box(doc(), ref, align_box(image.width, image.height, frameWidth, frameHeight));
    gui_dir_box_ref_sub();
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
    if (!reported_ok(read_palette_file(path, palette))) return;
    set_palette(doc(), c, palette);
    gui_dir_box_ref_sub();
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

}  // namespace dabro
