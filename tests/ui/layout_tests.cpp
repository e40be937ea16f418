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

// The visible controls of the client area, the preview's frame excepted: the view sits on it.
std::vector<QWidget*> controls(QWidget* client) {
    std::vector<QWidget*> all;
    for (QWidget* w : client->findChildren<QWidget*>()) {
        if (w->isVisible() && w->objectName().size() > 0 && w->parentWidget()->objectName() != "" &&
            w->objectName() != "Image1" && !w->objectName().startsWith("qt_"))
            all.push_back(w);
    }
    return all;
}

TEST_F(Layout, EveryControlLiesInsideItsParent) {
    for (QWidget* w : controls(form->centralWidget())) {
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
            << w->objectName().toStdString() << " in "
            << w->parentWidget()->objectName().toStdString();
    }
}

// Group boxes may touch the fields above them by their frame's top line, as laid out.
TEST_F(Layout, NoTwoControlsOfOneParentOverlap) {
    const std::vector<QWidget*> all = controls(form->centralWidget());
    for (QWidget* a : all) {
        for (QWidget* b : all) {
            if (a >= b || a->parentWidget() != b->parentWidget() || qobject_cast<QGroupBox*>(a) ||
                qobject_cast<QGroupBox*>(b))
                continue;
            EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << " and " << b->objectName().toStdString();
        }
    }
}

// With the fonts the setup script installs, every label's text ends before the control to
// its right begins.
TEST_F(Layout, EveryLabelsTextEndsBeforeTheNextControl) {
    for (QLabel* label : form->centralWidget()->findChildren<QLabel*>()) {
        const int textRight = label->x() + label->fontMetrics().horizontalAdvance(label->text());
        for (QWidget* other :
             label->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            const QRect g = other->geometry();
            const bool sameRow = g.top() < label->geometry().bottom() && g.bottom() > label->y();
            if (other == label || !sameRow || g.left() <= label->x()) continue;
            EXPECT_LT(textRight, g.left()) << label->text().toStdString() << " runs under "
                                           << other->objectName().toStdString();
        }
    }
}

// A few anchors of the layout: the window's parts where its users know them.
TEST_F(Layout, TheMainPartsStandWhereUsersKnowThem) {
    EXPECT_EQ(form->GroupBox1->geometry(), QRect(8, 0, 201, 89));
    EXPECT_EQ(form->GroupBox2->geometry(), QRect(0, 160, 281, 329));
    EXPECT_EQ(form->GroupBox3->geometry(), QRect(288, 160, 425, 329));
    EXPECT_EQ(form->Bevel1->geometry(), QRect(488, 0, 225, 153));
    EXPECT_EQ(form->ListBox5->mapTo(form->centralWidget(), QPoint()), QPoint(568, 304));
}

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
                      MenuItem{"AboutDabro1", "About Dabro", "", true},
                      MenuItem{"ImportImage2", "Import", "Ctrl+I", true},
                      MenuItem{"Importbyname1", "Import by name", "Ctrl+N", true},
                      MenuItem{"HalveImage2", "Halve image size", "Ctrl+H", true},
                      MenuItem{"Alignweapon1", "Align big gui item", "Ctrl+A", true},
                      MenuItem{"Align1", "Align small gui item", "Ctrl+B", true},
                      MenuItem{"ExportImage1", "Export", "", true},
                      MenuItem{"ImportPalette2", "Import", "Ctrl+M", true},
                      MenuItem{"ExportPalette2", "Export", "Ctrl+X", true},
                      MenuItem{"Player1", "Player", "Ctrl+P", true},
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
    EXPECT_EQ(bar.last(), "View");
    QStringList file;
    for (const QAction* a : form->MainMenu1->actions().first()->menu()->actions())
        file << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(file.mid(0, 6), QStringList({"Open", "Save", "Save as", "New", "-", "Quit"}));
    ASSERT_NE(form->Help1->menu(), nullptr);
    EXPECT_EQ(form->Help1->menu()->actions(), QList<QAction*>({form->AboutDabro1}));
    QStringList popup;
    for (const QAction* a : form->PopupMenu1->actions())
        popup << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(popup.mid(0, 6), QStringList({"Import Image", "Import Palette", "Halve Image", "-",
                                            "Export Image", "Export Palette"}));
    EXPECT_TRUE(form->load_images->isCheckable());
    EXPECT_FALSE(form->load_images->isChecked());
    for (QWidget* w : {static_cast<QWidget*>(form->Image1), static_cast<QWidget*>(form->ListBox5)})
        EXPECT_EQ(w->contextMenuPolicy(), Qt::CustomContextMenu);
}

}  // namespace
}  // namespace dabro::test
