#include "ui/Unit1.h"

#include <QAction>
#include <QFile>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QValidator>
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
#include "ui/image_view.h"

namespace dabro {
namespace {

// The client area below the menu bar, status line included.
constexpr int kClientWidth = 717;
constexpr int kClientHeight = 512;
constexpr int kStatusHeight = 19;

// The preview view follows the image's size up to this many pixels a side, far beyond the
// window; a hostile size then costs no more than a 1024 x 1024 surface.
constexpr int kMaxPreviewSide = 1024;

// A list never gets more rows than a collection can have image slots.
int row_count(std::int32_t n) {
    return std::clamp<std::int32_t>(n, 0, kMaxImageSlots);
}

int preview_side(std::int32_t n) {
    return std::clamp<std::int32_t>(n, 0, kMaxPreviewSide);
}

template <std::size_t N>
QString latin1(const ShortName<N>& name) {
    const std::string_view text = name.view();
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
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

// The header's dimension field takes lower-case input only.
class LowerCase : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toLower();
        return Acceptable;
    }
};

template <typename Widget>
Widget* place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QGroupBox* group(QWidget* parent, const char* name, const char* caption, int left, int top,
                 int width, int height) {
    return place(new QGroupBox(QLatin1String(caption), parent), name, left, top, width, height);
}

QLabel* label(QWidget* parent, const char* name, const char* caption, int left, int top) {
    auto* l = new QLabel(QLatin1String(caption), parent);
    l->setObjectName(QLatin1String(name));
    l->move(left, top);
    l->adjustSize();
    return l;
}

QLineEdit* edit(QWidget* parent, const char* name, int left, int top, int width) {
    return place(new QLineEdit(parent), name, left, top, width, 17);
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, int left, int top) {
    return place(new QPushButton(QLatin1String(caption), parent), name, left, top, 57, 17);
}

ListBox* list(QWidget* parent, const char* name, int left, int top, int width, int height) {
    return place(new ListBox(parent), name, left, top, width, height);
}

QAction* item(QMenu* menu, const char* name, const char* caption,
              const QKeySequence& shortcut = {}) {
    QAction* a = menu->addAction(QLatin1String(caption));
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
}

QAction* separator(QMenu* menu, const char* name) {
    QAction* a = menu->addSeparator();
    a->setObjectName(QLatin1String(name));
    return a;
}

std::string local_path(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

TForm1::TForm1(QWidget* parent) : TForm1(the_session(), nullptr, parent) {}

TForm1::TForm1(Session& session, UserPrompts& prompts, QWidget* parent)
    : TForm1(session, &prompts, parent) {}

TForm1::TForm1(Session& session, UserPrompts* prompts, QWidget* parent)
    : QMainWindow(parent), session_(session), prompts_(prompts) {
    if (prompts_ == nullptr) {
        ownedPrompts_ = std::make_unique<QtUserPrompts>(this);
        prompts_ = ownedPrompts_.get();
    }
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Dabro v1.0"));
    // The layout is measured for a narrow 8-point sans serif; where that font is missing,
    // Liberation Sans has the closest widths, so the labels' texts fit beside their fields.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    setFont(font);

    build_controls();
    build_menus();
    wire_events();

    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, MainMenu1->sizeHint().height() + kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TForm1::~TForm1() = default;

void TForm1::build_controls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(kClientWidth, kClientHeight - kStatusHeight);
    setCentralWidget(client);

    GroupBox1 = group(client, "GroupBox1", "Sprite Header", 8, 0, 201, 89);
    Label1 = label(GroupBox1, "Label1", "Dimensions? (3byte)", 8, 16);
    Edit1 = edit(GroupBox1, "Edit1", 104, 16, 25);
    Edit1->setMaxLength(3);
    Edit1->setValidator(new LowerCase(Edit1));
    Edit2 = edit(GroupBox1, "Edit2", 136, 16, 25);
    Edit3 = edit(GroupBox1, "Edit3", 168, 16, 25);
    Label2 = label(GroupBox1, "Label2", "Center? (x,y dword)", 8, 40);
    Edit4 = edit(GroupBox1, "Edit4", 104, 40, 41);
    Edit5 = edit(GroupBox1, "Edit5", 152, 40, 41);
    Label3 = label(GroupBox1, "Label3", "Unknown (word, byte)", 8, 64);
    Edit6 = edit(GroupBox1, "Edit6", 120, 64, 41);
    Edit7 = edit(GroupBox1, "Edit7", 168, 64, 25);

    GroupBox2 = group(client, "GroupBox2", "Sequences", 0, 160, 281, 329);
    ListBox1 = list(GroupBox2, "ListBox1", 8, 64, 121, 233);
    GroupBox4 = group(GroupBox2, "GroupBox4", "Frames in sequence", 136, 8, 137, 313);
    Label6 = label(GroupBox2, "Label6", "Name", 8, 16);
    Edit10 = edit(GroupBox2, "Edit10", 40, 16, 89);
    Label7 = label(GroupBox2, "Label7", "Collection index", 8, 40);
    Edit11 = edit(GroupBox2, "Edit11", 96, 40, 33);
    Button1 = button(GroupBox2, "Button1", "Add", 8, 304);
    Button2 = button(GroupBox2, "Button2", "Delete", 72, 304);

    ListBox2 = list(GroupBox4, "ListBox2", 8, 56, 121, 225);
    Label4 = label(GroupBox4, "Label4", "Image index.", 8, 16);
    Label5 = label(GroupBox4, "Label5", "Unknown", 80, 16);
    Edit8 = edit(GroupBox4, "Edit8", 8, 32, 41);
    Edit9 = edit(GroupBox4, "Edit9", 56, 32, 73);
    Button3 = button(GroupBox4, "Button3", "Add", 8, 288);
    Button4 = button(GroupBox4, "Button4", "Delete", 72, 288);

    GroupBox3 = group(client, "GroupBox3", "Image collections", 288, 160, 425, 329);
    Label8 = label(GroupBox3, "Label8", "Name", 8, 16);
    Edit12 = edit(GroupBox3, "Edit12", 40, 16, 89);
    ListBox3 = list(GroupBox3, "ListBox3", 8, 40, 121, 281);
    Label9 = label(GroupBox3, "Label9", "Directions count", 280, 16);
    Edit13 = edit(GroupBox3, "Edit13", 360, 16, 41);
    Edit13->setEnabled(false);
    Label10 = label(GroupBox3, "Label10", " Frames count", 136, 16);
    Edit14 = edit(GroupBox3, "Edit14", 224, 16, 41);
    Edit14->setEnabled(false);
    GroupBox6 = group(GroupBox3, "GroupBox6", "Frames", 136, 32, 281, 289);

    GroupBox5 = group(GroupBox6, "GroupBox5", "Directions", 136, 8, 137, 273);
    ListBox4 = list(GroupBox6, "ListBox4", 8, 16, 121, 265);
    ListBox5 = list(GroupBox5, "ListBox5", 8, 104, 121, 161);
    Label15 = label(GroupBox5, "Label15", "Bounding box/Dimensions", 8, 16);
    Label11 = label(GroupBox5, "Label11", "Left", 8, 32);
    Edit15 = edit(GroupBox5, "Edit15", 40, 32, 25);
    Label12 = label(GroupBox5, "Label12", "Top", 72, 32);
    Edit16 = edit(GroupBox5, "Edit16", 104, 32, 25);
    Label13 = label(GroupBox5, "Label13", "Rgt.", 8, 56);
    Edit17 = edit(GroupBox5, "Edit17", 40, 56, 25);
    Label14 = label(GroupBox5, "Label14", "Bott.", 72, 56);
    Edit18 = edit(GroupBox5, "Edit18", 104, 56, 25);
    Label16 = label(GroupBox5, "Label16", "Width", 8, 80);
    Edit20 = edit(GroupBox5, "Edit20", 40, 80, 25);
    Label17 = label(GroupBox5, "Label17", "Height", 72, 80);
    Edit21 = edit(GroupBox5, "Edit21", 104, 80, 25);
    sizeAndBoxFields_ = {Edit20, Edit21, Edit15, Edit16, Edit17, Edit18};

    Bevel1 = place(new QFrame(client), "Bevel1", 488, 0, 225, 153);
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Image1 = place(new ImageView(client), "Image1", 488, 0, 225, 153);
    Image1->raise();

    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(kStatusHeight);
    statusText_ = new QLabel(StatusBar1);
    statusText_->setObjectName(QStringLiteral("StatusText"));
    statusText_->setTextFormat(Qt::PlainText);
    // A permanent widget, so that no menu status tip ever hides the text.
    StatusBar1->addPermanentWidget(statusText_, 1);

    QWidget* const tabOrder[] = {Edit1,    Edit2,    Edit3,   Edit4,  Edit5,    Edit6,    Edit7,
                                 ListBox1, ListBox2, Edit8,   Edit9,  Button3,  Button4,  Edit10,
                                 Edit11,   Button1,  Button2, Edit12, ListBox3, ListBox5, Edit15,
                                 Edit16,   Edit17,   Edit18,  Edit20, Edit21,   ListBox4};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void TForm1::build_menus() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = MainMenu1->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File1"));
    Open1 = item(file, "Open1", "Open", Qt::CTRL | Qt::Key_O);
    Save2 = item(file, "Save2", "Save", Qt::CTRL | Qt::Key_S);
    Save1 = item(file, "Save1", "Save as");
    New1 = item(file, "New1", "New");
    New1->setEnabled(false);
    N1 = separator(file, "N1");
    Quit1 = item(file, "Quit1", "Quit");

    QMenu* options = MainMenu1->addMenu(QStringLiteral("Options"));
    options->setObjectName(QStringLiteral("Options1"));
    load_images = item(options, "load_images", "Load images fom .spr");
    load_images->setCheckable(true);
    load_images->setEnabled(false);

    Help1 = MainMenu1->addAction(QStringLiteral("Help"));
    Help1->setObjectName(QStringLiteral("Help1"));

    QMenu* image = MainMenu1->addMenu(QStringLiteral("Image"));
    image->setObjectName(QStringLiteral("ImageMenu"));
    ImportImage2 = item(image, "ImportImage2", "Import", Qt::CTRL | Qt::Key_I);
    Importbyname1 = item(image, "Importbyname1", "Import by name", Qt::CTRL | Qt::Key_N);
    HalveImage2 = item(image, "HalveImage2", "Halve image size", Qt::CTRL | Qt::Key_H);
    Alignweapon1 = item(image, "Alignweapon1", "Align big gui item", Qt::CTRL | Qt::Key_A);
    Align1 = item(image, "Align1", "Align small gui item", Qt::CTRL | Qt::Key_B);
    ExportImage1 = item(image, "ExportImage1", "Export");
    ExportImage1->setEnabled(false);

    QMenu* palette = MainMenu1->addMenu(QStringLiteral("Palette"));
    palette->setObjectName(QStringLiteral("PaletteMenu"));
    ImportPalette2 = item(palette, "ImportPalette2", "Import", Qt::CTRL | Qt::Key_M);
    ExportPalette2 = item(palette, "ExportPalette2", "Export", Qt::CTRL | Qt::Key_X);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ImportImage1 = item(PopupMenu1, "ImportImage1", "Import Image");
    ImportPalette1 = item(PopupMenu1, "ImportPalette1", "Import Palette");
    HalveImage1 = item(PopupMenu1, "HalveImage1", "Halve Image");
    N2 = separator(PopupMenu1, "N2");
    SaveImage1 = item(PopupMenu1, "SaveImage1", "Export Image");
    ExportPalette1 = item(PopupMenu1, "ExportPalette1", "Export Palette");

    shortcutActions_ = {Open1,        Save2,  ImportImage2,   Importbyname1, HalveImage2,
                        Alignweapon1, Align1, ImportPalette2, ExportPalette2};
}

void TForm1::wire_events() {
    // Each handler gets its control as the sender, as the handlers of every control do.
    auto wire = [this](auto* control, auto signal, void (TForm1::*handler)(QObject*)) {
        connect(control, signal, this, [this, control, handler] { (this->*handler)(control); });
    };
    const auto triggered = &QAction::triggered;
    wire(Open1, triggered, &TForm1::Open1Click);
    wire(Save2, triggered, &TForm1::Save2Click);
    wire(Save1, triggered, &TForm1::Save1Click);
    wire(New1, triggered, &TForm1::New1Click);
    wire(Quit1, triggered, &TForm1::Quit1Click);
    wire(load_images, triggered, &TForm1::load_imagesClick);
    wire(ImportImage2, triggered, &TForm1::ImportImage1Click);
    wire(Importbyname1, triggered, &TForm1::Importbyname1Click);
    wire(HalveImage2, triggered, &TForm1::HalveImage1Click);
    wire(Alignweapon1, triggered, &TForm1::Alignweapon1Click);
    wire(Align1, triggered, &TForm1::Align1Click);
    wire(ImportPalette2, triggered, &TForm1::ImportPalette1Click);
    wire(ExportPalette2, triggered, &TForm1::ExportPalette1Click);
    wire(ImportImage1, triggered, &TForm1::ImportImage1Click);
    wire(ImportPalette1, triggered, &TForm1::ImportPalette1Click);
    wire(HalveImage1, triggered, &TForm1::HalveImage1Click);
    wire(ExportPalette1, triggered, &TForm1::ExportPalette1Click);

    const auto clicked = &ListBox::user_clicked;
    wire(ListBox1, clicked, &TForm1::ListBox1Click);
    wire(ListBox2, clicked, &TForm1::ListBox2Click);
    wire(ListBox3, clicked, &TForm1::ListBox3Click);
    wire(ListBox4, clicked, &TForm1::ListBox4Click);
    wire(ListBox5, clicked, &TForm1::ListBox5Click);

    const auto pressed = &QPushButton::clicked;
    wire(Button1, pressed, &TForm1::Button1Click);
    wire(Button2, pressed, &TForm1::Button2Click);
    wire(Button3, pressed, &TForm1::Button3Click);
    wire(Button4, pressed, &TForm1::Button4Click);

    for (QWidget* w : {static_cast<QWidget*>(Image1), static_cast<QWidget*>(ListBox5)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& at) { PopupMenu1->popup(w->mapToGlobal(at)); });
    }

    // Exits and clicks of the fields, and the menu's claim on Ctrl keys, are seen here.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->focusPolicy() != Qt::NoFocus) w->installEventFilter(this);
    }
}

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

// Selection

int TForm1::selected_sequence() const {
    const int s = ListBox1->item_index();
    return s < session_.document.sequenceCount ? s : -1;
}

int TForm1::selected_frame() const {
    const int s = selected_sequence();
    const int q = ListBox2->item_index();
    if (s < 0 || q < 0) return -1;
    return q < std::min(session_.document.sequences[s].frameCount, kMaxSequenceFrames) ? q : -1;
}

int TForm1::selected_collection() const {
    const int c = ListBox3->item_index();
    return c < std::min(session_.document.collectionCount, kMaxCollections) ? c : -1;
}

ImageRef TForm1::selected_image() const {
    return image_ref(session_.document, selected_collection(), ListBox4->item_index(),
                     ListBox5->item_index());
}

// Item texts. Each list keeps the entry it was built for, so a row shows that entry even
// while another one is selected above it.

QString TForm1::sequence_text(int sequence) const {
    if (sequence >= kMaxSequences) return {};
    const Sequence& s = session_.document.sequences[sequence];
    return latin1(s.name) + QStringLiteral(" / ") + QString::number(s.collectionIndex);
}

QString TForm1::frame_text(int sequence, int frame) const {
    if (sequence < 0 || sequence >= kMaxSequences || frame >= kMaxSequenceFrames) return {};
    const Sequence& s = session_.document.sequences[sequence];
    return QString::number(s.imageIndex[frame]) + QStringLiteral(" / ") +
           QString::number(s.frameValue[frame]);
}

QString TForm1::collection_text(int collection) const {
    if (collection >= kMaxCollections) return {};
    return latin1(session_.document.collections[collection].name);
}

QString TForm1::direction_text(int collection, int frame, int direction) const {
    if (collection < 0 || collection >= kMaxCollections) return {};
    const ImageCollection& c = session_.document.collections[collection];
    QString text = direction_label(c.directions, direction);
    const int slot = c.slot_of(frame, direction);
    if (slot >= 0) text += QStringLiteral(" / ") + latin1(c.images[slot].sourceName);
    return text;
}

// Refresh chain

namespace {

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
    if (field->text() == text)
        field->setModified(false);
    else
        field->setText(text);
}

void show_number(QLineEdit* field, std::int64_t value) {
    show_text(field, QString::number(value));
}

}  // namespace

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
        show_text(Edit10, latin1(seq.name));
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
    show_text(Edit12, latin1(col.name));
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

}  // namespace dabro
