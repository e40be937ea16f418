// Benchmarks of the player: a frame at 8x, its first round, a move, and Qt's scaled drawing.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <memory>

#include "actions/player_move.h"
#include "bench/large_documents.h"
#include "commands/history.h"
#include "imaging/player_render.h"

namespace dabro::bench {

namespace {

// A view large enough to show the whole 768 x 768 picture of a 96 x 96 image at 8x.
constexpr int kZoom = 8;
constexpr int kViewWidth = 1024;
constexpr int kViewHeight = 800;

// The max document, built in memory: its largest images are 96 x 96.
const SpriteDocument& max_document() {
    static const std::unique_ptr<SpriteDocument> doc = make_large_document(max_document_shape());
    return *doc;
}

const ImageCollection& largest_collection() {
    return max_document().collections[0];
}

// One frame of the player: the max document's largest image at 8x, with the frames before
// and after it as onion skin, into a view-sized RGB32 buffer, as the player draws while it
// plays a sequence of `frames` frames (the same view from frame to frame). A sequence has
// at most 100 frames, so from its second round on every image is already decoded; 400
// frames measure the first round, where each frame decodes its next frame's image.
void player_frames(benchmark::State& state, int frames) {
    const ImageCollection& c = largest_collection();
    QImage view(kViewWidth, kViewHeight, QImage::Format_RGB32);
    const ViewBuffer buffer{reinterpret_cast<std::uint32_t*>(view.bits()), view.width(),
                            view.height(), view.bytesPerLine() / 4};
    FrameRenderer renderer;
    FrameScene scene;
    scene.zoom = kZoom;
    scene.onionOpacity = 102;  // the player's default, 40 %
    scene.originX = (kViewWidth - 96 * kZoom) / 2;
    scene.originY = (kViewHeight - 96 * kZoom) / 2;
    auto layer = [&](int frame) -> Layer {
        const int q = (frame + frames) % frames;
        return {&c.images[static_cast<std::size_t>(q * c.directions)], &c.palettes[0]};
    };
    int frame = 0;
    for (auto _ : state) {
        scene.current = layer(frame);
        scene.onion[0] = layer(frame - 1);
        scene.onion[1] = layer(frame + 1);
        renderer.render(scene, buffer);
        benchmark::DoNotOptimize(view.constBits());
        benchmark::ClobberMemory();
        frame = (frame + 1) % frames;
    }
}

void BM_PlayerFrame(benchmark::State& state) {
    player_frames(state, kMaxSequenceFrames);
}
BENCHMARK(BM_PlayerFrame)->Unit(benchmark::kMicrosecond);

void BM_PlayerFrameFirstRound(benchmark::State& state) {
    player_frames(state, 400);
}
BENCHMARK(BM_PlayerFrameFirstRound)->Unit(benchmark::kMicrosecond);

// One move in Move mode: the current frame's image (the largest, 96 x 96, with both onion
// frames) moved by a pixel, its step built and applied through a history, and the frame
// drawn again at 8x where its box now places it.
void BM_PlayerMoveStep(benchmark::State& state) {
    static const std::unique_ptr<SpriteDocument> owned = make_large_document(max_document_shape());
    SpriteDocument& doc = *owned;
    const ImageCollection& c = doc.collections[0];
    QImage view(kViewWidth, kViewHeight, QImage::Format_RGB32);
    const ViewBuffer buffer{reinterpret_cast<std::uint32_t*>(view.bits()), view.width(),
                            view.height(), view.bytesPerLine() / 4};
    FrameRenderer renderer;
    FrameScene scene;
    scene.zoom = kZoom;
    scene.onionOpacity = 102;
    scene.originX = (kViewWidth - 96 * kZoom) / 2;
    scene.originY = (kViewHeight - 96 * kZoom) / 2;
    const std::size_t slot = 0;
    // The view shows the moved image whole, wherever the document's box puts it.
    scene.originX -= std::int64_t{c.boxes[slot].left} * kZoom;
    scene.originY -= std::int64_t{c.boxes[slot].top} * kZoom;
    const std::size_t neighbour = static_cast<std::size_t>(c.directions);
    auto placed = [&](std::size_t k) -> Layer {
        return {&c.images[k], &c.palettes[0], c.boxes[k].left, c.boxes[k].top};
    };
    History history;
    int direction = 1;
    for (auto _ : state) {
        const BoundingBox from = c.boxes[slot];
        auto step =
            std::make_unique<MoveImageStep>("Move image", Place{.collection = 0, .slot = 0}, from);
        step->set_to(*shifted_box(from, direction, 0));
        history.run(std::move(step), doc);
        direction = -direction;
        scene.current = placed(slot);
        scene.onion[0] = placed(neighbour);
        scene.onion[1] = placed(2 * neighbour);
        renderer.render(scene, buffer);
        benchmark::DoNotOptimize(view.constBits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PlayerMoveStep)->Unit(benchmark::kMicrosecond);

// The baseline: QPainter drawing the already decoded 96 x 96 image scaled 8x, nearest
// neighbour, onto a QImage of the view's size.
void BM_QPainterScaledDraw(benchmark::State& state) {
    const ImageCollection& c = largest_collection();
    const CollectionImage& image = c.images[8];
    QImage decoded(image.width, image.height, QImage::Format_RGB32);
    render_image_into(image, c.palettes[0], reinterpret_cast<std::uint32_t*>(decoded.bits()),
                      decoded.width(), decoded.height(), decoded.bytesPerLine() / 4);
    QImage view(kViewWidth, kViewHeight, QImage::Format_RGB32);
    view.fill(Qt::gray);
    const QRect target((kViewWidth - 96 * kZoom) / 2, (kViewHeight - 96 * kZoom) / 2, 96 * kZoom,
                       96 * kZoom);
    for (auto _ : state) {
        QPainter painter(&view);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(target, decoded);
        painter.end();
        benchmark::DoNotOptimize(view.constBits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_QPainterScaledDraw)->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace dabro::bench
