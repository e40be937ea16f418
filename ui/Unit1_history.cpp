// The window's undo and redo, and the running of commands as steps of the history.
#include <QAction>
#include <QLineEdit>
#include <algorithm>
#include <iterator>

#include "ui/Unit1.h"

namespace dabro {

bool TForm1::run(CommandPtr command, RefreshOperation shown) {
    const Refresh level = command->refresh();
    const bool changed = record(std::move(command));
    // A handler's refresh follows its write even when the value was already stored: it shows
    // the value as stored (a name cut, a number's low bits) and the selection it implies.
    if (shown != nullptr)
        (this->*shown)();
    else
        refresh(level);
    return changed;
}

bool TForm1::record(CommandPtr command) {
    if (!history_.run(std::move(command), doc())) return false;
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
    return headerEdited_ || diskDiffers_ || !history_.at_clean();
}

void TForm1::document_state_changed() {
    update_caption();
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
        show_step(*step);
        document_state_changed();
        set_status(QStringLiteral("Undone: %1").arg(QString::fromStdString(step->name())));
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
        show_step(*step);
        document_state_changed();
        set_status(QStringLiteral("Redone: %1").arg(QString::fromStdString(step->name())));
    }
}

bool TForm1::run_beside(CommandPtr command) {
    if (!commit_focused_field()) return false;
    if (command != nullptr && !record(std::move(command))) return false;
    if (const Command* step = history_.next_undo()) show_step(*step);
    document_state_changed();
    return true;
}

}  // namespace dabro
