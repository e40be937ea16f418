// Draws the manual's pictures of the window and the player, showing the sample sprites.
#include <QApplication>
#include <QCheckBox>
#include <QListView>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <cstdio>
#include <cstring>

#include "ui/Unit1.h"
#include "ui/player_window.h"

namespace {

void click_row(QListView* list, int row) {
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(index).center());
}

bool save(QWidget& widget, const char* path) {
    QApplication::processEvents();
    if (widget.grab().save(QString::fromLocal8Bit(path), "PNG")) return true;
    std::fprintf(stderr, "%s: could not be written\n", path);
    return false;
}

// The window on the slime's idle sequence, its second frame, seen from the second
// direction, and the player beside it with the previous frame as onion skin.
bool window_and_player(dabro::TForm1& form, const char* windowPng, const char* playerPng) {
    click_row(form.ListBox1, 1);
    click_row(form.ListBox2, 1);
    click_row(form.ListBox5, 1);
    if (!save(form, windowPng)) return false;
    dabro::PlayerWindow& player = dabro::PlayerWindow::of(form);
    player.show_beside();
    player.onionPrevious->setChecked(true);
    player.go_to(1);
    player.fitButton->click();
    return save(player, playerPng);
}

// The player on the walk sample's sequence, placed by box: its first frame pinned as the
// reference under its third, the baseline on row 40 where `place --anchor bottom --at ,40`
// stands feet, and the crosshair on the frame point (0, 0).
bool walk_in_player(dabro::TForm1& form, const char* png) {
    click_row(form.ListBox1, 0);
    dabro::PlayerWindow& player = dabro::PlayerWindow::of(form);
    player.show_beside();
    player.resize(760, 480);
    player.placeByBox->setChecked(true);
    player.crosshairBox->setChecked(true);
    player.baselineRow->setValue(40);
    player.baselineBox->setChecked(true);
    player.go_to(0);
    player.pinButton->setChecked(true);
    player.go_to(2);
    // Centred by Fit, then zoomed out so the crosshair at (0, 0) is in view too.
    player.fitButton->click();
    player.view->set_zoom(6);
    return save(player, png);
}

}  // namespace

// Usage: dabro-screenshots SPRITE WINDOW.png PLAYER.png
//        dabro-screenshots --walk WALK.spr PLAYER.png
// (run with QT_QPA_PLATFORM=offscreen).
int main(int argc, char* argv[]) {
    const bool walk = argc == 4 && std::strcmp(argv[1], "--walk") == 0;
    if (argc != 4) {
        std::fprintf(stderr,
                     "Usage: dabro-screenshots SPRITE WINDOW.png PLAYER.png\n"
                     "       dabro-screenshots --walk WALK.spr PLAYER.png\n");
        return 2;
    }
    QApplication application(argc, argv);
    dabro::TForm1 form;
    form.show();
    if (!form.open_file(walk ? argv[2] : argv[1])) return 1;
    const bool saved =
        walk ? walk_in_player(form, argv[3]) : window_and_player(form, argv[2], argv[3]);
    return saved ? 0 : 1;
}
