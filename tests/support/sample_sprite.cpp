#include "support/sample_sprite.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "imaging/rle.h"

namespace dabro::test {

namespace {

// Palette ramps: 1-63 grey, 64-127 gold, 128-191 green, 192-255 blue.
constexpr int kGrey = 1;
constexpr int kGold = 64;
constexpr int kGreen = 128;
constexpr int kBlue = 192;

Palette ramps() {
    Palette p{};
    for (int i = 0; i < 64; ++i) {
        const auto t = static_cast<std::uint32_t>(i * 4);
        p[static_cast<std::size_t>(kGrey + i) & 255] = t << 16 | t << 8 | t;
        p[static_cast<std::size_t>(kGold + i)] =
            std::min(255u, 60 + t) << 16 | (40 + t * 3 / 4) << 8 | t / 4;
        p[static_cast<std::size_t>(kGreen + i)] =
            (t / 3) << 16 | std::min(255u, 50 + t) << 8 | t / 3;
        p[static_cast<std::size_t>(kBlue + i)] =
            (t / 2) << 16 | (t * 3 / 4) << 8 | std::min(255u, 60 + t);
    }
    return p;
}

// A shade function gives, for a pixel centre, its coverage (0..1) and its ramp position (0..63).
using Shade = std::function<void(double x, double y, double& coverage, int& level)>;

CollectionImage draw(int width, int height, int ramp, const Shade& shade) {
    std::vector<std::uint8_t> data;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double coverage = 0;
            int level = 0;
            shade(x + 0.5, y + 0.5, coverage, level);
            const auto alpha =
                static_cast<std::uint8_t>(std::clamp(coverage, 0.0, 1.0) * 255 + 0.5);
            append_pixel(data, static_cast<std::uint8_t>(ramp + std::clamp(level, 0, 63)), alpha);
        }
    }
    CollectionImage image;
    image.width = width;
    image.height = height;
    image.set_data(std::move(data));
    return image;
}

// Coverage of a shape given its signed distance (negative inside), smoothed over one pixel.
double edge(double distance) {
    return std::clamp(0.5 - distance, 0.0, 1.0);
}

void add_collection(SpriteDocument& doc, const char* name, int frames, int directions,
                    const std::function<CollectionImage(int frame, int direction)>& image) {
    ImageCollection& col = doc.collections[static_cast<std::size_t>(doc.collectionCount++)];
    col.set_name(name);
    col.frames = frames;
    col.directions = directions;
    col.imageSectionType = kReadableSection;
    col.palettes = {ramps(), ramps(), ramps(), ramps()};
    for (int f = 0; f < frames; ++f) {
        for (int d = 0; d < directions; ++d) {
            const int k = f * directions + d;
            CollectionImage& slot = col.images[static_cast<std::size_t>(k)];
            slot = image(f, d);
            slot.kind = 1;
            const int left = (64 - slot.width) / 2;
            const int top = (48 - slot.height) / 2;
            col.boxes[static_cast<std::size_t>(k)] = {left, top, left + slot.width,
                                                      top + slot.height};
        }
    }
}

void add_sequence(SpriteDocument& doc, const char* name, int collection, int frames,
                  int directions) {
    Sequence& seq = doc.sequences[static_cast<std::size_t>(doc.sequenceCount++)];
    seq.set_name(name);
    seq.collectionIndex = static_cast<std::uint16_t>(collection);
    seq.frameCount = frames;
    for (int i = 0; i < frames; ++i) {
        seq.imageIndex[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i);
        seq.frameValue[static_cast<std::size_t>(i)] = 100 + 20 * (i % 2) + directions;
    }
}

CollectionImage coin(int frame) {
    // The coin turns: its width follows the cosine of the angle.
    const double turn = std::cos(frame * std::numbers::pi / 6);
    const double rx = std::max(1.5, 10 * std::abs(turn));
    return draw(24, 24, kGold, [&](double x, double y, double& coverage, int& level) {
        const double dx = (x - 12) / rx;
        const double dy = (y - 12) / 10;
        const double r = std::sqrt(dx * dx + dy * dy);
        coverage = edge((r - 1) * 10);
        level = static_cast<int>(60 - 40 * r + 12 * (dx < -0.2 ? 1 : 0) * std::abs(turn));
    });
}

CollectionImage slime(int frame, int direction) {
    const double squash = 1 + 0.12 * frame;
    const double eyeX = std::array<double, 4>{3, -3, -3, 3}[static_cast<std::size_t>(direction)];
    const double eyeY = direction < 2 ? -3 : 1;
    return draw(32, 24, kGreen, [&](double x, double y, double& coverage, int& level) {
        const double dx = (x - 16) / (13 * squash);
        const double dy = (y - 15) / (9 / squash);
        const double r = std::sqrt(dx * dx + dy * dy);
        coverage =
            (y > 15 ? edge((std::abs(dx) - 1) * 13) * edge(y - 23.5) : edge((r - 1) * 9)) * 0.9;
        level = static_cast<int>(55 - 30 * r + 10 * dy);
        for (double side : {-1.0, 1.0}) {
            const double ex = x - (16 + eyeX + side * 4);
            const double ey = y - (13 + eyeY);
            if (ex * ex + ey * ey < 3) {
                coverage = 1;
                level = 2;
            }
        }
    });
}

CollectionImage arrow(int frame, int direction) {
    // Direction 0 points north-east; each next direction turns 45 degrees anticlockwise.
    const double angle = std::numbers::pi / 4 * (1 + direction);
    const double ux = std::cos(angle);
    const double uy = -std::sin(angle);
    return draw(24, 24, frame == 0 ? kBlue : kGrey,
                [&](double x, double y, double& coverage, int& level) {
                    const double px = x - 12;
                    const double py = y - 12;
                    const double along = px * ux + py * uy;
                    const double across = std::abs(-px * uy + py * ux);
                    const double shaft = std::max(std::abs(along + 2) - 8, across - 1.2);
                    const double head = std::max(along - 10, across - (10 - along) * 0.8);
                    coverage = edge(std::min(shaft, along > 3 ? head : shaft));
                    level = static_cast<int>(40 + 2 * along);
                });
}

// A figure walking east, drawn tight to its pixels: as its legs swing apart it grows wider and
// its head bobs, so the images' heights differ while the feet stay on the bottom row.
CollectionImage walker(int frame) {
    const double phase = frame * std::numbers::pi / 4;
    const double swing = std::sin(phase);          // -1..1: the legs' spread
    const double bob = std::abs(std::cos(phase));  // 0..1: up when the legs pass each other
    const int height = 34 + static_cast<int>(bob * 3 + 0.5);
    const int width = 12 + static_cast<int>(std::abs(swing) * 10 + 0.5);
    const double cx = width / 2.0;
    const double hip = height - 14.0;
    return draw(width, height, kBlue, [&](double x, double y, double& coverage, int& level) {
        const double headY = 5.5;
        // The head nods forward and back, so no two frames are alike.
        const double head = std::hypot(x - cx - std::cos(phase), y - headY) - 4.5;
        const double body = std::max(std::abs(x - cx) - 2.5, std::max(10 - y, y - hip));
        double legs = 1e9;
        bool far = false;
        for (double side : {-1.0, 1.0}) {
            // A leg from the hip to its foot on the bottom row.
            const double footX = cx + side * swing * (width / 2.0 - 2);
            const double t = std::clamp((y - hip) / (height - hip), 0.0, 1.0);
            const double leg = std::hypot(x - (cx + (footX - cx) * t), y - (hip + t * 14)) - 1.6;
            if (leg < legs) {
                legs = leg;
                far = side < 0;  // the far leg is drawn darker
            }
        }
        coverage = edge(std::min({head, body, legs}));
        level = static_cast<int>(50 - y * 0.6) - (far && legs < std::min(head, body) ? 20 : 0);
    });
}

}  // namespace

std::unique_ptr<SpriteDocument> make_walk_sample_document() {
    auto doc = std::make_unique<SpriteDocument>();
    add_collection(*doc, "walker", 8, 1, [](int f, int) { return walker(f); });
    add_sequence(*doc, "walk", 0, 8, 1);
    // Each frame was centred in the frame, so the feet jump with the images' heights; one box
    // was also typed a pixel too wide.
    doc->collections[0].boxes[5].right += 1;
    return doc;
}

std::unique_ptr<SpriteDocument> make_sample_document() {
    auto doc = std::make_unique<SpriteDocument>();
    doc->dimensions = {1, 2, 3};
    doc->centerX = 12;
    doc->centerY = 20;
    doc->headerWord = 4;
    doc->headerByte = 1;
    add_collection(*doc, "coin", 6, 1, [](int f, int) { return coin(f); });
    add_collection(*doc, "slime", 3, 4, slime);
    add_collection(*doc, "arrow", 2, 8, arrow);
    add_sequence(*doc, "coin_spin", 0, 6, 1);
    add_sequence(*doc, "slime_idle", 1, 3, 4);
    add_sequence(*doc, "arrow_flight", 2, 2, 8);
    return doc;
}

}  // namespace dabro::test
