// The window's controls and menus, built and wired.
#include "ui/Unit1.h"

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QValidator>
#include <iterator>

#include "ui/image_view.h"
#include "ui/player_window.h"
#include "ui/window_commands.h"

namespace dabro {
namespace {

// The client area below the menu bar, status line included.
constexpr int kClientWidth = 717;
constexpr int kClientHeight = 512;
constexpr int kStatusHeight = 19;

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
    // Liberation Sans Narrow (installed by the setup script) keeps every label's text clear
    // of the field beside it.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    setFont(font);

    build_controls();
    build_menus();
    wire_events();
    rebuild_recent_menu();
    document_state_changed();
    setAcceptDrops(true);

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
    headerFields_ = {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7};

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
    commands_ = new WindowCommands(this);
    // Each item runs its handler with the item as the sender.
    const auto item = [this](QMenu* menu, const char* name, const char* caption,
                             void (TForm1::*handler)(QObject*), QList<QKeySequence> keys = {}) {
        return commands_->add({menu, name, QString::fromLatin1(caption), std::move(keys)},
                              [this, handler](QAction* a) { (this->*handler)(a); });
    };
    const auto separator = [this](QMenu* menu, const char* name) {
        return commands_->separator(menu, name);
    };

    QMenu* file = MainMenu1->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File1"));
    Open1 = item(file, "Open1", "Open", &TForm1::Open1Click, {Qt::CTRL | Qt::Key_O});
    Save2 = item(file, "Save2", "Save", &TForm1::Save2Click, {Qt::CTRL | Qt::Key_S});
    Save1 = item(file, "Save1", "Save as", &TForm1::Save1Click);
    New1 = item(file, "New1", "New", &TForm1::New1Click);
    New1->setEnabled(false);
    N1 = separator(file, "N1");
    Quit1 = item(file, "Quit1", "Quit", &TForm1::Quit1Click);

    QMenu* options = MainMenu1->addMenu(QStringLiteral("Options"));
    options->setObjectName(QStringLiteral("Options1"));
    load_images = item(options, "load_images", "Load images fom .spr", &TForm1::load_imagesClick);
    load_images->setCheckable(true);
    load_images->setEnabled(false);

    QMenu* help = MainMenu1->addMenu(QStringLiteral("Help"));
    Help1 = help->menuAction();
    Help1->setObjectName(QStringLiteral("Help1"));
    AboutDabro1 = item(help, "AboutDabro1", "About Dabro", &TForm1::AboutDabro1Click);

    QMenu* image = MainMenu1->addMenu(QStringLiteral("Image"));
    image->setObjectName(QStringLiteral("ImageMenu"));
    ImportImage2 =
        item(image, "ImportImage2", "Import", &TForm1::ImportImage1Click, {Qt::CTRL | Qt::Key_I});
    Importbyname1 = item(image, "Importbyname1", "Import by name", &TForm1::Importbyname1Click,
                         {Qt::CTRL | Qt::Key_N});
    HalveImage2 = item(image, "HalveImage2", "Halve image size", &TForm1::HalveImage1Click,
                       {Qt::CTRL | Qt::Key_H});
    Alignweapon1 = item(image, "Alignweapon1", "Align big gui item", &TForm1::Alignweapon1Click,
                        {Qt::CTRL | Qt::Key_A});
    Align1 =
        item(image, "Align1", "Align small gui item", &TForm1::Align1Click, {Qt::CTRL | Qt::Key_B});
    ExportImage1 = item(image, "ExportImage1", "Export", &TForm1::ExportImage1Click);

    QMenu* palette = MainMenu1->addMenu(QStringLiteral("Palette"));
    palette->setObjectName(QStringLiteral("PaletteMenu"));
    ImportPalette2 = item(palette, "ImportPalette2", "Import", &TForm1::ImportPalette1Click,
                          {Qt::CTRL | Qt::Key_M});
    ExportPalette2 = item(palette, "ExportPalette2", "Export", &TForm1::ExportPalette1Click,
                          {Qt::CTRL | Qt::Key_X});

    // Added menus and items follow the first version's, so every menu and item stays where
    // its users know it: Open recent after Quit, and the Edit menu after Palette.
    separator(file, "N3");
    OpenRecent1 = file->addMenu(QStringLiteral("Open recent"));
    OpenRecent1->setObjectName(QStringLiteral("OpenRecent1"));
    ClearRecent1 = item(OpenRecent1, "ClearRecent1", "Clear", &TForm1::ClearRecent1Click);

    EditMenu = MainMenu1->addMenu(QStringLiteral("Edit"));
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    Undo1 = item(EditMenu, "Undo1", "Undo", &TForm1::Undo1Click, {Qt::CTRL | Qt::Key_Z});
    Redo1 = item(EditMenu, "Redo1", "Redo", &TForm1::Redo1Click,
                 {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z});

    // View: the player, a window of its own beside this one (ui/player_window.h).
    QMenu* viewMenu = MainMenu1->addMenu(QStringLiteral("View"));
    viewMenu->setObjectName(QStringLiteral("ViewMenu"));
    commands_->add({viewMenu, "Player1", QStringLiteral("Player"), {Qt::CTRL | Qt::Key_P}},
                   [this](QAction*) { PlayerWindow::of(*this).show_beside(); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ImportImage1 = item(PopupMenu1, "ImportImage1", "Import Image", &TForm1::ImportImage1Click);
    ImportPalette1 =
        item(PopupMenu1, "ImportPalette1", "Import Palette", &TForm1::ImportPalette1Click);
    HalveImage1 = item(PopupMenu1, "HalveImage1", "Halve Image", &TForm1::HalveImage1Click);
    N2 = separator(PopupMenu1, "N2");
    SaveImage1 = item(PopupMenu1, "SaveImage1", "Export Image", &TForm1::ExportImage1Click);
    ExportPalette1 =
        item(PopupMenu1, "ExportPalette1", "Export Palette", &TForm1::ExportPalette1Click);

    // The command classes add their items after the first version's.
    make_registered_commands(*this);
    connect(this, &TForm1::documentShown, commands_, &WindowCommands::update_enabled);
}

void TForm1::wire_events() {
    // Each handler gets its control as the sender, as the handlers of every control do.
    auto wire = [this](auto* control, auto signal, void (TForm1::*handler)(QObject*)) {
        connect(control, signal, this, [this, control, handler] { (this->*handler)(control); });
    };

    // A typed header value is an unsaved change, though it reaches the document only when
    // the file is saved.
    for (QLineEdit* field : headerFields_) {
        connect(field, &QLineEdit::textEdited, this, [this] {
            headerEdited_ = true;
            document_state_changed();
        });
    }

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

}  // namespace dabro
