// The fields' exit handlers: each commits its field's edit as one step of the history.
#include <QLineEdit>
#include <algorithm>
#include <utility>

#include "commands/document_commands.h"
#include "document/name_text.h"
#include "document/text_to_int.h"
#include "ui/Unit1.h"

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

}  // namespace

bool TForm1::is_size_or_box_field(const QObject* object) const {
    return std::find(sizeAndBoxFields_.begin(), sizeAndBoxFields_.end(), object) !=
           sizeAndBoxFields_.end();
}

bool TForm1::convert(const QLineEdit* field, std::int32_t& value) {
    return reported_ok(text_to_int(field->text().toStdString(), value));
}

bool TForm1::run_exit_handler(QObject* field) {
    if (field == Edit10) return commit_sequence_name();
    if (field == Edit11) return commit_collection_index();
    if (field == Edit8) return commit_image_index();
    if (field == Edit9) return commit_frame_value();
    if (is_size_or_box_field(field)) return commit_size_and_box();
    return true;
}

bool TForm1::commit_focused_field() {
    // Only an edit the user made is pending: a field nobody changed holds nothing to take.
    const auto* field = qobject_cast<const QLineEdit*>(focusWidget());
    return field == nullptr || !field->isModified() || run_exit_handler(focusWidget());
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
    Edit10->setModified(false);
    run(set_sequence_name_command(s, typed_name(Edit10->text(), doc().sequences[s].name.view())),
        &TForm1::gui_seq_box_ref);
    return true;
}

bool TForm1::commit_collection_index() {
    const int s = selected_sequence();
    if (!Edit11->isModified() || s < 0) return true;
    std::int32_t value = 0;
    if (!convert(Edit11, value)) return false;
    Edit11->setModified(false);
    run(set_collection_index_command(s, static_cast<std::uint16_t>(value)),
        &TForm1::gui_seq_box_ref);
    return true;
}

bool TForm1::commit_image_index() {
    const int q = selected_frame();
    if (!Edit8->isModified() || q < 0) return true;
    std::int32_t value = 0;
    if (!convert(Edit8, value)) return false;
    Edit8->setModified(false);
    run(set_image_index_command(selected_sequence(), q, static_cast<std::int16_t>(value)),
        &TForm1::gui_fr_box_ref);
    return true;
}

bool TForm1::commit_frame_value() {
    const int q = selected_frame();
    if (!Edit9->isModified() || q < 0) return true;
    std::int32_t value = 0;
    if (!convert(Edit9, value)) return false;
    Edit9->setModified(false);
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
        // The value is taken: the field holds no edit of its own any more.
        field->setModified(false);
    }
    CommandPtr step = set_geometry_command("Edit size and box", ref, geometry);
    // After a faulty field the values before it are stored, and nothing is redrawn.
    if (!read.ok()) {
        record(std::move(step));
        return reported_ok(read);
    }
    run(std::move(step), &TForm1::gui_image_ref);
    return true;
}

}  // namespace dabro
