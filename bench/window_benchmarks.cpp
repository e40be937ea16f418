// Benchmarks of the window's refresh: a sequence click, a collection frame click, an undo.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <QString>
#include <memory>

#include <QLineEdit>
#include "bench/bench_files.h"
#include "bench/window_benchmarks.h"

#include "ui/Unit1.h"

namespace dabro::bench {

namespace {

// The window never needs to ask anything here; an error box would stop the run.
class NoPrompts : public UserPrompts {
  public:
    std::optional<QString> choose_file(const FileRequest&) override { return std::nullopt; }
    void show_error(const QString& text) override {
        setup_failed("the window reported an error: " + text.toStdString());
    }
    void show_about(const QString&, const QString&) override {}
    SaveChoice ask_save_changes(const QString&) override { return SaveChoice::Discard; }
    std::optional<int> choose_item(const ItemRequest&) override { return std::nullopt; }
};

NoPrompts prompts;
std::unique_ptr<TForm1> shared_window;

// The window over the max document, shown (offscreen) and filled as File > Open leaves it.
TForm1& window() {
    if (!shared_window) {
        shared_window = std::make_unique<TForm1>(loaded_max_session(), prompts);
        TForm1& f = *shared_window;
        f.show();
        f.gui_head_ref();
        f.gui_seq_box_ref();
        QApplication::processEvents();
        if (f.ListBox1->count() != kMaxSequences || f.ListBox4->count() != 480)
            setup_failed("the window does not show the max document");
    }
    return *shared_window;
}

// Posted work (layout, painting) is done between iterations, outside the measurement, as
// the event loop would do it after the handler returns.
void settle(benchmark::State& state) {
    state.PauseTiming();
    QApplication::processEvents();
    state.ResumeTiming();
}

void BM_SequenceRefresh(benchmark::State& state) {
    TForm1& form = window();
    for (auto _ : state) {
        form.gui_seq_box_ref();
        settle(state);
    }
}
BENCHMARK(BM_SequenceRefresh)->Unit(benchmark::kMicrosecond);

// A click on another frame of the 480 x 8 collection: the direction list, the size and box
// fields and the preview follow.
void BM_CollectionFrameClick(benchmark::State& state) {
    TForm1& form = window();
    int frame = 0;
    for (auto _ : state) {
        state.PauseTiming();
        frame = (frame + 37) % form.ListBox4->count();
        form.ListBox4->set_item_index(frame);
        state.ResumeTiming();
        form.ListBox4Click();
        settle(state);
    }
}
BENCHMARK(BM_CollectionFrameClick)->Unit(benchmark::kMicrosecond);

// An undo of a sequence name edit with the refresh it runs (the sequence level, as the edit
// did), then its redo; the time is per undo or redo.
void BM_UndoRefresh(benchmark::State& state) {
    TForm1& form = window();
    form.ListBox1->set_item_index(0);
    form.ListBox1Click();
    form.Edit10->setText(QStringLiteral("renamed"));
    form.Edit10->setModified(true);
    form.Edit10Exit();
    for (auto _ : state) {
        form.Undo1Click();
        settle(state);
        form.Redo1Click();
        settle(state);
    }
    state.SetItemsProcessed(state.iterations() * 2);
    form.Undo1Click();
}
BENCHMARK(BM_UndoRefresh)->Unit(benchmark::kMicrosecond);

// The baseline: a list rebuilt item by item, as a widget that stores its rows would be.
void BM_QListWidgetRefill3840(benchmark::State& state) {
    QListWidget list;
    list.resize(120, 300);
    list.show();
    for (auto _ : state) {
        list.clear();
        for (int i = 0; i < 3840; ++i) list.addItem(QString::number(i));
        settle(state);
    }
    state.SetItemsProcessed(state.iterations() * 3840);
}
BENCHMARK(BM_QListWidgetRefill3840)->Unit(benchmark::kMicrosecond);

}  // namespace

void release_window() {
    shared_window.reset();
}

}  // namespace dabro::bench
