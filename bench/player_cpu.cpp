// Measures the CPU time the player uses for ten seconds of the largest sequence at 8x.

#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QSpinBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench/large_documents.h"
#include "ui/Unit1.h"
#include "ui/player_window.h"

namespace {

class NoPrompts : public dabro::UserPrompts {
  public:
    std::optional<QString> choose_file(const dabro::FileRequest&) override { return std::nullopt; }
    void show_error(const QString& text) override {
        std::fprintf(stderr, "error: %s\n", text.toLocal8Bit().constData());
        std::exit(1);
    }
    void show_about(const QString&, const QString&) override {}
    dabro::SaveChoice ask_save_changes(const QString&) override {
        return dabro::SaveChoice::Discard;
    }
    std::optional<int> choose_item(const dabro::ItemRequest&) override { return std::nullopt; }
};

double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

// Plays the max document's largest sequence for ten seconds at 10 frames per second, at 8x
// with onion skin on both sides, in a shown (offscreen) player, and prints the CPU time the
// process used meanwhile, as read by getrusage.
int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;

    auto session = dabro::make_session();
    session->document = *dabro::bench::make_large_document(dabro::bench::max_document_shape());
    session->imagesReadable = true;
    NoPrompts prompts;
    dabro::TForm1 form(*session, prompts);
    form.show();
    form.gui_head_ref();
    form.gui_seq_box_ref();  // sequence 0 shows the 480 x 8 collection

    dabro::PlayerWindow& player = dabro::PlayerWindow::of(form);
    player.resize(1100, 950);
    player.show_beside();
    player.onionPrevious->setChecked(true);
    player.onionNext->setChecked(true);
    player.zoomBox->setValue(8);
    QApplication::processEvents();

    int frames = 0;
    QObject::connect(&player, &dabro::PlayerWindow::frame_shown, [&frames] { ++frames; });
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    const double before = cpu_seconds();
    player.play();
    loop.exec();
    player.pause();
    const double used = cpu_seconds() - before;
    std::printf(
        "Played %d frames in %d s at %d fps, zoom %dx, view %d x %d, onion on both sides.\n"
        "CPU time: %.3f s = %.2f %% of one core (%.2f ms per frame)\n",
        frames, seconds, player.fpsBox->value(), player.view->zoom(), player.view->width(),
        player.view->height(), used, 100.0 * used / seconds, frames ? 1000.0 * used / frames : 0.0);
    return 0;
}
