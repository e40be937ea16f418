// Draws the README's pictures of the window and the player, showing the sample sprite.
#include <QApplication>
#include <QCheckBox>
#include <QListView>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <cstdio>

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

}  // namespace

// Usage: dabro-screenshots SPRITE WINDOW.png PLAYER.png (run with QT_QPA_PLATFORM=offscreen).
int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "Usage: dabro-screenshots SPRITE WINDOW.png PLAYER.png\n");
        return 2;
    }
    QApplication application(argc, argv);
    dabro::TForm1 form;
    form.show();
    if (!form.open_file(argv[1])) return 1;
    // The slime's idle sequence, its second frame, seen from the second direction.
    click_row(form.ListBox1, 1);
    click_row(form.ListBox2, 1);
    click_row(form.ListBox5, 1);
    if (!save(form, argv[2])) return 1;

    dabro::PlayerWindow& player = dabro::PlayerWindow::of(form);
    player.show_beside();
    player.onionPrevious->setChecked(true);
    player.go_to(1);
    player.fitButton->click();
    return save(player, argv[3]) ? 0 : 1;
}
