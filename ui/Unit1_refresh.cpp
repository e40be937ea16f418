// The window's refresh chain: the document written into the controls, and the selection.
#include "ui/Unit1.h"

#include <QFrame>
#include <QLineEdit>
#include <algorithm>
#include <utility>

#include "document/limits.h"
#include "document/name_text.h"
#include "ui/image_view.h"

namespace dabro {
namespace {

constexpr char kShownTextProperty[] = "dabroShownText";

// A list never gets more rows than a collection can have frames or directions.
int row_count(std::int32_t n) {
    return std::clamp<std::int32_t>(n, 0, kMaxFramesOrDirections);
}

int preview_side(std::int32_t n) {
    return std::clamp<std::int32_t>(n, 0, kMaxPreviewSide);
}

// Names are bytes: shown as UTF-8 where they are valid UTF-8, else as Latin-1.
template <std::size_t N>
QString shown_name(const ShortName<N>& name) {
    return QString::fromStdString(display_name_utf8(name.view()));
}

QString direction_label(std::int32_t directions, int direction) {
    static const char* const kTwo[] = {"Up", "Down"};
    static const char* const kFour[] = {"NE", "NW", "SW", "SE"};
    static const char* const kEight[] = {"NE", "N", "NW", "W", "SW", "S", "SE", "E"};
    switch (directions) {
        case 1:
            return QStringLiteral("One Sided");
        case 2:
            return QLatin1String(kTwo[direction]);
        case 4:
            return QLatin1String(kFour[direction]);
        case 8:
            return QLatin1String(kEight[direction]);
        default:
            return QString::number(direction + 1);
    }
}

// The keep-selection rule: the selected row, or the first when none, stays selected if the
// list still has it; otherwise the last row is.
void rebuild_keeping_selection(ListBox* list, int count, RowText text) {
    const int remembered = std::max(list->item_index(), 0);
    list->rebuild(count, std::move(text));
    const int rows = list->count();
    list->set_item_index(remembered < rows ? remembered : rows - 1);
}

// Writes a field from the document. Like any program write it clears the modified flag;
// an unchanged text is not set again, which spares the field's relayout on every refresh.
void show_text(QLineEdit* field, const QString& text) {
    // What the document shows here, for an undo of the user's edit in the field.
    field->setProperty(kShownTextProperty, text);
    if (field->text() == text)
        field->setModified(false);
    else
        field->setText(text);
}

void show_number(QLineEdit* field, std::int64_t value) {
    show_text(field, QString::number(value));
}

}  // namespace

QString TForm1::shown_text(const QLineEdit* field) const {
    return field->property(kShownTextProperty).toString();
}

// Selection

ListSelection TForm1::selection() const {
    return {ListBox1->item_index(), ListBox2->item_index(), ListBox3->item_index(),
            ListBox4->item_index(), ListBox5->item_index()};
}

int TForm1::selected_sequence() const {
    const int s = ListBox1->item_index();
    return sequence_in_use(session_.document, s) ? s : -1;
}

int TForm1::selected_frame() const {
    const int q = ListBox2->item_index();
    return frame_in_use(session_.document, selected_sequence(), q) ? q : -1;
}

int TForm1::selected_collection() const {
    const int c = ListBox3->item_index();
    return collection_in_use(session_.document, c) ? c : -1;
}

ImageRef TForm1::selected_image() const {
    return image_ref(session_.document, selected_collection(), ListBox4->item_index(),
                     ListBox5->item_index());
}

// Undo and redo show the step where it happened. Its entries are selected first, each list
// given the rows the document now has; then the step's refresh runs. A move to another
// sequence refreshes from the sequence, as a click on it does, and a move to another image
// from its collection.
void TForm1::show_step(const Command& step) {
    const Place& p = step.place();
    const SpriteDocument& d = doc();
    bool sequenceMoved = false;
    bool imageMoved = false;
    if (p.sequence >= 0) {
        const int before = ListBox1->item_index();
        ListBox1->rebuild(std::clamp(d.sequenceCount, 0, kMaxSequences),
                          [this](int row) { return sequence_text(row); });
        const int s = std::min(p.sequence, ListBox1->count() - 1);
        ListBox1->set_item_index(s);
        sequenceMoved = s != before;
        if (p.frame >= 0 && s == p.sequence) {
            ListBox2->rebuild(std::clamp(d.sequences[s].frameCount, 0, kMaxSequenceFrames),
                              [this, s](int row) { return frame_text(s, row); });
            ListBox2->set_item_index(std::min(p.frame, ListBox2->count() - 1));
        }
    }
    if (p.collection >= 0 && p.collection < ListBox3->count()) {
        imageMoved = ListBox3->item_index() != p.collection;
        ListBox3->set_item_index(p.collection);
        const ImageCollection& c = d.collections[p.collection];
        if (p.slot >= 0 && p.slot < c.slot_count()) {
            const int f = p.slot / c.directions;
            const int direction = p.slot % c.directions;
            imageMoved =
                imageMoved || ListBox4->item_index() != f || ListBox5->item_index() != direction;
            ListBox4->rebuild(row_count(c.frames), [](int row) { return QString::number(row); });
            ListBox4->set_item_index(f);
            ListBox5->rebuild(row_count(c.directions), [this, p, f](int row) {
                return direction_text(p.collection, f, row);
            });
            ListBox5->set_item_index(direction);
        }
    }
    if (sequenceMoved)
        gui_seq_box_ref();
    else if (imageMoved)
        gui_col_box_ref_sub();
    else
        refresh(step.refresh());
}

// Item texts. Each list keeps the entry it was built for, so a row shows that entry even
// while another one is selected above it.

QString TForm1::sequence_text(int sequence) const {
    if (sequence >= kMaxSequences) return {};
    const Sequence& s = session_.document.sequences[sequence];
    return shown_name(s.name) + QStringLiteral(" / ") + QString::number(s.collectionIndex);
}

QString TForm1::frame_text(int sequence, int frame) const {
    if (sequence < 0 || sequence >= kMaxSequences || frame >= kMaxSequenceFrames) return {};
    const Sequence& s = session_.document.sequences[sequence];
    return QString::number(s.imageIndex[frame]) + QStringLiteral(" / ") +
           QString::number(s.frameValue[frame]);
}

QString TForm1::collection_text(int collection) const {
    if (collection >= kMaxCollections) return {};
    return shown_name(session_.document.collections[collection].name);
}

QString TForm1::direction_text(int collection, int frame, int direction) const {
    if (collection < 0 || collection >= kMaxCollections) return {};
    const ImageCollection& c = session_.document.collections[collection];
    QString text = direction_label(c.directions, direction);
    const int slot = c.slot_of(frame, direction);
    if (slot >= 0) text += QStringLiteral(" / ") + shown_name(c.images[slot].sourceName);
    return text;
}

// The refresh chain: each level rebuilds one list keeping its selection, fills the fields
// that depend on it and calls the level below, down to the preview.
void TForm1::gui_head_ref() {
    const SpriteDocument& d = doc();
    show_number(Edit1, d.dimensions[0]);
    show_number(Edit2, d.dimensions[1]);
    show_number(Edit3, d.dimensions[2]);
    show_number(Edit4, d.centerX);
    show_number(Edit5, d.centerY);
    show_number(Edit6, d.headerWord);
    show_number(Edit7, d.headerByte);
}

void TForm1::gui_seq_box_ref() {
    rebuild_keeping_selection(ListBox1, std::min(doc().sequenceCount, kMaxSequences),
                              [this](int row) { return sequence_text(row); });
    gui_seq_box_ref_sub();
}

void TForm1::gui_seq_box_ref_sub() {
    const int s = selected_sequence();
    if (s >= 0) {
        const Sequence& seq = doc().sequences[s];
        show_text(Edit10, shown_name(seq.name));
        show_number(Edit11, seq.collectionIndex);
        collectionHandOver_ = seq.collectionIndex;
    } else {
        show_text(Edit10, QString());
        show_text(Edit11, QString());
        // Without a sequence the collection list keeps its own selection.
        collectionHandOver_ = std::max(ListBox3->item_index(), 0);
    }
    gui_col_box_ref();
    gui_fr_box_ref();
}

void TForm1::gui_col_box_ref() {
    const int remembered = collectionHandOver_;
    ListBox3->rebuild(std::min(doc().collectionCount, kMaxCollections),
                      [this](int row) { return collection_text(row); });
    ListBox3->set_item_index(remembered < ListBox3->count() ? remembered : -1);
    gui_col_box_ref_sub();
}

void TForm1::gui_col_box_ref_sub() {
    gui_col_edit_ref();
    gui_cfr_box_ref();
}

void TForm1::gui_col_edit_ref() {
    const int c = selected_collection();
    if (c < 0) {
        for (QLineEdit* field : {Edit12, Edit13, Edit14}) show_text(field, QString());
        return;
    }
    const ImageCollection& col = doc().collections[c];
    show_text(Edit12, shown_name(col.name));
    show_number(Edit13, col.directions);
    show_number(Edit14, col.frames);
}

void TForm1::gui_cfr_box_ref() {
    const int c = selected_collection();
    const int frames = c >= 0 ? row_count(doc().collections[c].frames) : 0;
    rebuild_keeping_selection(ListBox4, frames, [](int row) { return QString::number(row); });
    gui_cfr_box_ref_sub();
}

void TForm1::gui_cfr_box_ref_sub() {
    gui_dir_box_ref();
}

void TForm1::gui_dir_box_ref() {
    const int c = selected_collection();
    const int f = ListBox4->item_index();
    const int directions = c >= 0 && f >= 0 ? row_count(doc().collections[c].directions) : 0;
    rebuild_keeping_selection(ListBox5, directions,
                              [this, c, f](int row) { return direction_text(c, f, row); });
    gui_dir_box_ref_sub();
}

void TForm1::gui_dir_box_ref_sub() {
    const ImageRef ref = selected_image();
    if (is_valid(doc(), ref)) {
        const ImageCollection& col = doc().collections[ref.collection];
        const CollectionImage& image = col.images[ref.slot];
        const BoundingBox& box = col.boxes[ref.slot];
        show_number(Edit20, image.width);
        show_number(Edit21, image.height);
        show_number(Edit15, box.left);
        show_number(Edit16, box.top);
        show_number(Edit17, box.right);
        show_number(Edit18, box.bottom);
    } else {
        for (QLineEdit* field : sizeAndBoxFields_) show_text(field, QString());
    }
    gui_image_ref();
}

void TForm1::gui_fr_box_ref() {
    const int s = selected_sequence();
    const int frames =
        s >= 0 ? std::clamp(doc().sequences[s].frameCount, 0, kMaxSequenceFrames) : 0;
    rebuild_keeping_selection(ListBox2, frames, [this, s](int row) { return frame_text(s, row); });
    gui_fr_box_ref_sub();
}

void TForm1::gui_fr_box_ref_sub() {
    const int s = selected_sequence();
    const int q = selected_frame();
    if (q >= 0) {
        show_number(Edit8, doc().sequences[s].imageIndex[q]);
        show_number(Edit9, doc().sequences[s].frameValue[q]);
    } else {
        show_text(Edit8, QString());
        show_text(Edit9, QString());
    }
    gui_cfr_box_ref();
}

void TForm1::gui_image_ref() {
    emit documentShown();
    if (!session_.imagesReadable) return;
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref)) {
        // No image is selected: nothing is drawn, and nothing stale stays on show.
        Image1->clear();
        return;
    }
    const ImageCollection& col = doc().collections[ref.collection];
    const CollectionImage& image = col.images[ref.slot];

    Image1->resize(preview_side(image.width), preview_side(image.height));
    const QRect frame = Bevel1->geometry();
    const int top = frame.top() + (frame.height() - Image1->height()) / 2;
    const int left = frame.left() + (frame.width() - Image1->width()) / 2;
    Image1->move(left, top);
    Image1->request(image, col.palettes[0]);
}

}  // namespace dabro
