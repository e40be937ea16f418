#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "ui/image_view.h"
#include "window_fixture.h"

namespace dabro::test {
namespace {

using Layout = WindowTest;

TEST_F(Layout, StartsEmptyWithItsCaption) {
    EXPECT_EQ(form->windowTitle(), "Dabro v1.0");
    EXPECT_EQ(form->status_text(), "");
    for (ListBox* list :
         {form->ListBox1, form->ListBox2, form->ListBox3, form->ListBox4, form->ListBox5}) {
        EXPECT_EQ(list->count(), 0);
        EXPECT_EQ(list->item_index(), -1);
    }
    for (QLineEdit* field : form->findChildren<QLineEdit*>())
        EXPECT_EQ(field->text(), "") << field->objectName().toStdString();
}

TEST_F(Layout, ListRowsAre13PixelsHighAndSingleSelection) {
    open_document(*sample_document());
    click_row(form->ListBox1, 2);  // every list holds two rows or more
    for (ListBox* list :
         {form->ListBox1, form->ListBox2, form->ListBox3, form->ListBox4, form->ListBox5}) {
        const QRect second = list->visualRect(list->model()->index(1, 0));
        EXPECT_EQ(second.top(), 13) << list->objectName().toStdString();
        EXPECT_EQ(second.height(), 13) << list->objectName().toStdString();
        EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    }
}

TEST_F(Layout, ClientAreaBelowTheMenuIs717By512) {
    EXPECT_EQ(form->centralWidget()->width(), 717);
    EXPECT_EQ(form->centralWidget()->height() + form->StatusBar1->height(), 512);
    EXPECT_EQ(form->StatusBar1->height(), 19);
    EXPECT_EQ(form->height(), form->MainMenu1->height() + 512);
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "fixed size";
}

struct Placement {
    const char* name;
    const char* parent;
    QRect geometry;
};

class Positions : public Layout, public ::testing::WithParamInterface<Placement> {};

TEST_P(Positions, AsLaidOut) {
    const Placement p = GetParam();
    const auto* widget = form->findChild<QWidget*>(QLatin1String(p.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), p.geometry);
    EXPECT_EQ(widget->parentWidget()->objectName(), QLatin1String(p.parent));
}

INSTANTIATE_TEST_SUITE_P(Window, Positions,
                         ::testing::Values(Placement{"GroupBox1", "ClientArea", {8, 0, 201, 89}},
                                           Placement{"GroupBox2", "ClientArea", {0, 160, 281, 329}},
                                           Placement{
                                               "GroupBox3", "ClientArea", {288, 160, 425, 329}},
                                           Placement{"Bevel1", "ClientArea", {488, 0, 225, 153}},
                                           Placement{"Edit1", "GroupBox1", {104, 16, 25, 17}},
                                           Placement{"Edit4", "GroupBox1", {104, 40, 41, 17}},
                                           Placement{"Edit6", "GroupBox1", {120, 64, 41, 17}},
                                           Placement{"Edit7", "GroupBox1", {168, 64, 25, 17}},
                                           Placement{"ListBox1", "GroupBox2", {8, 64, 121, 233}},
                                           Placement{"GroupBox4", "GroupBox2", {136, 8, 137, 313}},
                                           Placement{"Edit10", "GroupBox2", {40, 16, 89, 17}},
                                           Placement{"Edit11", "GroupBox2", {96, 40, 33, 17}},
                                           Placement{"Button1", "GroupBox2", {8, 304, 57, 17}},
                                           Placement{"Button2", "GroupBox2", {72, 304, 57, 17}},
                                           Placement{"ListBox2", "GroupBox4", {8, 56, 121, 225}},
                                           Placement{"Edit8", "GroupBox4", {8, 32, 41, 17}},
                                           Placement{"Edit9", "GroupBox4", {56, 32, 73, 17}},
                                           Placement{"Button3", "GroupBox4", {8, 288, 57, 17}},
                                           Placement{"Button4", "GroupBox4", {72, 288, 57, 17}},
                                           Placement{"Edit12", "GroupBox3", {40, 16, 89, 17}},
                                           Placement{"ListBox3", "GroupBox3", {8, 40, 121, 281}},
                                           Placement{"Edit13", "GroupBox3", {360, 16, 41, 17}},
                                           Placement{"Edit14", "GroupBox3", {224, 16, 41, 17}},
                                           Placement{"GroupBox6", "GroupBox3", {136, 32, 281, 289}},
                                           Placement{"GroupBox5", "GroupBox6", {136, 8, 137, 273}},
                                           Placement{"ListBox4", "GroupBox6", {8, 16, 121, 265}},
                                           Placement{"ListBox5", "GroupBox5", {8, 104, 121, 161}},
                                           Placement{"Edit15", "GroupBox5", {40, 32, 25, 17}},
                                           Placement{"Edit16", "GroupBox5", {104, 32, 25, 17}},
                                           Placement{"Edit17", "GroupBox5", {40, 56, 25, 17}},
                                           Placement{"Edit18", "GroupBox5", {104, 56, 25, 17}},
                                           Placement{"Edit20", "GroupBox5", {40, 80, 25, 17}},
                                           Placement{"Edit21", "GroupBox5", {104, 80, 25, 17}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Layout, CaptionsAreTheProgramsOwn) {
    const std::pair<const char*, const char*> captions[] = {
        {"GroupBox1", "Sprite Header"},
        {"GroupBox2", "Sequences"},
        {"GroupBox3", "Image collections"},
        {"GroupBox4", "Frames in sequence"},
        {"GroupBox5", "Directions"},
        {"GroupBox6", "Frames"},
        {"Label1", "Dimensions? (3byte)"},
        {"Label2", "Center? (x,y dword)"},
        {"Label3", "Unknown (word, byte)"},
        {"Label4", "Image index."},
        {"Label5", "Unknown"},
        {"Label6", "Name"},
        {"Label7", "Collection index"},
        {"Label8", "Name"},
        {"Label9", "Directions count"},
        {"Label10", " Frames count"},
        {"Label11", "Left"},
        {"Label12", "Top"},
        {"Label13", "Rgt."},
        {"Label14", "Bott."},
        {"Label15", "Bounding box/Dimensions"},
        {"Label16", "Width"},
        {"Label17", "Height"},
        {"Button1", "Add"},
        {"Button2", "Delete"},
        {"Button3", "Add"},
        {"Button4", "Delete"},
    };
    for (const auto& [name, caption] : captions) {
        const QObject* o = form->findChild<QObject*>(QLatin1String(name));
        ASSERT_NE(o, nullptr) << name;
        QString text;
        if (auto* g = qobject_cast<const QGroupBox*>(o)) text = g->title();
        if (auto* l = qobject_cast<const QLabel*>(o)) text = l->text();
        if (auto* b = qobject_cast<const QPushButton*>(o)) text = b->text();
        EXPECT_EQ(text, QLatin1String(caption)) << name;
    }
}

TEST_F(Layout, CountFieldsAreDisabledAndTheDimensionFieldTakesThreeLowerCaseCharacters) {
    EXPECT_FALSE(form->Edit13->isEnabled());
    EXPECT_FALSE(form->Edit14->isEnabled());
    EXPECT_EQ(form->Edit1->maxLength(), 3);
    type_into(form->Edit1, "$ABCD");
    EXPECT_EQ(form->Edit1->text(), "$ab");
}

TEST_F(Layout, TabVisitsTheControlsInOrder) {
    const QWidget* const order[] = {
        form->Edit1,    form->Edit2,    form->Edit3,    form->Edit4,   form->Edit5,   form->Edit6,
        form->Edit7,    form->ListBox1, form->ListBox2, form->Edit8,   form->Edit9,   form->Button3,
        form->Button4,  form->Edit10,   form->Edit11,   form->Button1, form->Button2, form->Edit12,
        form->ListBox3, form->ListBox5, form->Edit15,   form->Edit16,  form->Edit17,  form->Edit18,
        form->Edit20,   form->Edit21,   form->ListBox4};
    form->Edit1->setFocus();
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << order[i]->objectName().toStdString();
    }
}

struct MenuItem {
    const char* name;
    const char* caption;
    const char* shortcut;
    bool enabled;
};

class MenuItems : public Layout, public ::testing::WithParamInterface<MenuItem> {};

TEST_P(MenuItems, CarryCaptionShortcutAndState) {
    const MenuItem m = GetParam();
    const auto* action = form->findChild<QAction*>(QLatin1String(m.name));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QLatin1String(m.caption));
    EXPECT_EQ(action->shortcut(), QKeySequence(QLatin1String(m.shortcut)));
    EXPECT_EQ(action->isEnabled(), m.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Window, MenuItems,
    ::testing::Values(MenuItem{"Open1", "Open", "Ctrl+O", true},
                      MenuItem{"Save2", "Save", "Ctrl+S", true},
                      MenuItem{"Save1", "Save as", "", true}, MenuItem{"New1", "New", "", false},
                      MenuItem{"Quit1", "Quit", "", true},
                      MenuItem{"load_images", "Load images fom .spr", "", false},
                      MenuItem{"Help1", "Help", "", true},
                      MenuItem{"ImportImage2", "Import", "Ctrl+I", true},
                      MenuItem{"Importbyname1", "Import by name", "Ctrl+N", true},
                      MenuItem{"HalveImage2", "Halve image size", "Ctrl+H", true},
                      MenuItem{"Alignweapon1", "Align big gui item", "Ctrl+A", true},
                      MenuItem{"Align1", "Align small gui item", "Ctrl+B", true},
                      MenuItem{"ExportImage1", "Export", "", false},
                      MenuItem{"ImportPalette2", "Import", "Ctrl+M", true},
                      MenuItem{"ExportPalette2", "Export", "Ctrl+X", true},
                      MenuItem{"ImportImage1", "Import Image", "", true},
                      MenuItem{"ImportPalette1", "Import Palette", "", true},
                      MenuItem{"HalveImage1", "Halve Image", "", true},
                      MenuItem{"SaveImage1", "Export Image", "", true},
                      MenuItem{"ExportPalette1", "Export Palette", "", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Added menus and items come after the first version's, which keep their order.
TEST_F(Layout, MenuBarAndPopupInOrder) {
    QStringList bar;
    for (const QAction* a : form->MainMenu1->actions()) bar << a->text();
    EXPECT_EQ(bar.mid(0, 5), QStringList({"File", "Options", "Help", "Image", "Palette"}));
    QStringList file;
    for (const QAction* a : form->MainMenu1->actions().first()->menu()->actions())
        file << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(file.mid(0, 6), QStringList({"Open", "Save", "Save as", "New", "-", "Quit"}));
    QStringList popup;
    for (const QAction* a : form->PopupMenu1->actions())
        popup << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(popup, QStringList({"Import Image", "Import Palette", "Halve Image", "-",
                                  "Export Image", "Export Palette"}));
    EXPECT_TRUE(form->load_images->isCheckable());
    EXPECT_FALSE(form->load_images->isChecked());
    for (QWidget* w : {static_cast<QWidget*>(form->Image1), static_cast<QWidget*>(form->ListBox5)})
        EXPECT_EQ(w->contextMenuPolicy(), Qt::CustomContextMenu);
}

}  // namespace
}  // namespace dabro::test
