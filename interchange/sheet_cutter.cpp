// Cuts a sheet's images out of its decoded rows and matches them to a palette.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "imaging/colour_match.h"
#include "interchange/image_png.h"
#include "interchange/sheet.h"

namespace dabro {

namespace {

// Cuts a sheet's images out of its rows as they come. Each image collects its RGBA rows;
// once its last row is in, a worker thread matches it to the palette and encodes it while
// the rows of the next images are decoded, so only the images of about one row of cells
// are held at a time. Progress is reported, and cancelling is noticed, on the caller's
// thread only.
class SheetCutter {
  public:
    SheetCutter(const SheetLayout& layout, Encoding encoding, const ImageCollection* base,
                const Progress& progress)
        : layout_(layout),
          encoding_(encoding),
          base_(base),
          progress_(progress),
          matcher_(layout.palettes[0]),
          images_(layout.imageSlots.size()),
          cells_(layout.imageSlots.size()) {
        if (base) basePalette_ = rgba_palette(base->palettes[0]);
        for (std::size_t k = 0; k < layout.imageSlots.size(); ++k) {
            const SheetSlot& s = layout.imageSlots[k];
            CollectionImage& image = images_[k];
            image.kind = s.kind;
            image.width = s.width;
            image.height = s.height;
            image.flag = s.flag;
            image.sourceName.assign(s.sourceName);
            if (s.width > 0 && s.height > 0) {
                order_.push_back(k);
            } else {
                finish_image(k);
            }
        }
        std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
            return layout.imageSlots[a].y < layout.imageSlots[b].y;
        });
        // Without a thread to be had, the caller's thread does the work itself.
        try {
            if (!order_.empty()) worker_ = std::thread([this] { work(); });
        } catch (const std::system_error&) {
        }
    }

    ~SheetCutter() {
        cancelled_ = true;
        stop();
    }

    SheetCutter(const SheetCutter&) = delete;
    SheetCutter& operator=(const SheetCutter&) = delete;

    // Refuses a sheet that does not hold every image's cell.
    Status begin(std::uint32_t width, std::uint32_t height) {
        for (std::size_t k : order_) {
            const SheetSlot& s = layout_.imageSlots[k];
            if (s.x + s.width > width || s.y + s.height > height) {
                return Status::failure("The image of " + slot_text(s) + " (" +
                                       std::to_string(s.width) + " x " + std::to_string(s.height) +
                                       " at " + std::to_string(s.x) + ", " + std::to_string(s.y) +
                                       ") lies outside the sheet of " + std::to_string(width) +
                                       " x " + std::to_string(height) + " pixels");
            }
        }
        return Status::success();
    }

    void row(std::uint32_t y, const std::uint32_t* pixels) {
        if (cancelled_) return;
        if (y % 16 == 0 &&
            !keep_going(progress_, done_, static_cast<std::int64_t>(images_.size()))) {
            cancelled_ = true;
            return;
        }
        while (next_ < order_.size() && layout_.imageSlots[order_[next_]].y == y) {
            const std::size_t k = order_[next_++];
            const SheetSlot& s = layout_.imageSlots[k];
            // Buffers go round from finished images to new ones: the allocator then never
            // hands pages back to the system and takes them again, cell after cell.
            {
                const std::lock_guard lock(mutex_);
                if (!spare_.empty()) {
                    cells_[k] = std::move(spare_.back());
                    spare_.pop_back();
                }
            }
            cells_[k].resize(static_cast<std::size_t>(s.width) *
                             static_cast<std::size_t>(s.height));
            active_.push_back(k);
        }
        for (std::size_t i = 0; i < active_.size();) {
            const std::size_t k = active_[i];
            const SheetSlot& s = layout_.imageSlots[k];
            const auto w = static_cast<std::size_t>(s.width);
            const auto line = static_cast<std::size_t>(y - s.y);
            std::copy_n(pixels + s.x, w, cells_[k].data() + line * w);
            if (line + 1 == static_cast<std::size_t>(s.height)) {
                hand_over(k);
                active_[i] = active_.back();
                active_.pop_back();
            } else {
                ++i;
            }
        }
    }

    Status finish(std::vector<CollectionImage>& images) {
        stop();
        if (cancelled_) return Status::cancelled();
        images = std::move(images_);
        return Status::success();
    }

  private:
    static std::string slot_text(const SheetSlot& s) {
        return "frame " + std::to_string(s.frame) + ", direction " + std::to_string(s.direction);
    }

    void hand_over(std::size_t k) {
        if (!worker_.joinable()) {
            finish_image(k);
            spare_.push_back(std::move(cells_[k]));
            return;
        }
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] { return waiting_.size() < kMaxWaiting; });
        waiting_.push_back(k);
        lock.unlock();
        ready_.notify_one();
    }

    void stop() {
        {
            const std::lock_guard lock(mutex_);
            closing_ = true;
        }
        ready_.notify_all();
        if (worker_.joinable()) worker_.join();
    }

    void work() {
        for (;;) {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [&] { return !waiting_.empty() || closing_; });
            if (waiting_.empty()) return;
            const std::size_t k = waiting_.front();
            waiting_.pop_front();
            lock.unlock();
            room_.notify_one();
            if (!cancelled_) finish_image(k);
            lock.lock();
            spare_.push_back(std::move(cells_[k]));
        }
    }

    // The base's image of the same frame and direction, when it has the same size and shows
    // exactly these pixels with the base's palette 0.
    const CollectionImage* same_in_base(const SheetSlot& s, const std::uint32_t* cell) {
        if (!base_) return nullptr;
        const int slot = base_->slot_of(s.frame, s.direction);
        if (slot < 0) return nullptr;
        const CollectionImage& image = base_->images[static_cast<std::size_t>(slot)];
        if (image.width != s.width || image.height != s.height) return nullptr;
        if (s.width <= 0 || s.height <= 0) return &image;
        const std::size_t n =
            static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height);
        scratch_.assign(n, 0u);
        draw_rgba(image, basePalette_, scratch_.data(), s.width);
        return std::equal(scratch_.begin(), scratch_.end(), cell) ? &image : nullptr;
    }

    void finish_image(std::size_t k) {
        const SheetSlot& s = layout_.imageSlots[k];
        CollectionImage& image = images_[k];
        const std::uint32_t* cell = cells_[k].data();
        if (const CollectionImage* same = same_in_base(s, cell)) {
            image.set_data(same->data);
        } else if (s.width > 0 && s.height > 0) {
            // The base's pixels that the cell still shows stay as they are.
            const int slot = base_ ? base_->slot_of(s.frame, s.direction) : -1;
            const bool kept =
                slot >= 0 &&
                decode_pixels(base_->images[static_cast<std::size_t>(slot)], current_).ok();
            match_picture(cell, s.width, s.height, matcher_, kept ? &current_ : nullptr,
                          base_ ? base_->palettes[0] : layout_.palettes[0], pixels_);
            image.set_data(encode_pixels(pixels_, encoding_));
        }
        ++done_;
    }

    const SheetLayout& layout_;
    Encoding encoding_;
    const ImageCollection* base_;
    const Progress& progress_;
    // Used by the worker alone once it runs.
    ColourMatcher matcher_;
    RgbaPalette basePalette_{};
    std::vector<std::uint32_t> scratch_;
    PixelImage pixels_;
    PixelImage current_;
    // Each image and its cell belong to the caller's thread until handed over.
    std::vector<CollectionImage> images_;
    std::vector<std::vector<std::uint32_t>> cells_;
    std::vector<std::size_t> order_;  // images with pixels, by their top row
    std::size_t next_ = 0;
    std::vector<std::size_t> active_;
    // Shared under mutex_.
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable room_;
    std::deque<std::size_t> waiting_;
    std::vector<std::vector<std::uint32_t>> spare_;
    bool closing_ = false;
    std::atomic<std::int64_t> done_ = 0;
    std::atomic<bool> cancelled_ = false;
    std::thread worker_;
};

}  // namespace

Status images_from_sheet(const RgbaImage& sheet, const SheetLayout& layout, Encoding encoding,
                         const ImageCollection* base, std::vector<CollectionImage>& images,
                         const Progress& progress) {
    SheetCutter cutter(layout, encoding, base, progress);
    if (Status s = cutter.begin(sheet.width, sheet.height); !s.ok()) return s;
    for (std::uint32_t y = 0; y < sheet.height; ++y)
        cutter.row(y, sheet.pixels.data() + std::size_t{y} * sheet.width);
    return cutter.finish(images);
}

Status images_from_png(std::span<const std::uint8_t> png, const std::string& name,
                       const SheetLayout& layout, Encoding encoding, const ImageCollection* base,
                       std::vector<CollectionImage>& images, const Progress& progress,
                       const PngLimits& limits) {
    SheetCutter cutter(layout, encoding, base, progress);
    if (Status s = decode_png_rows(
            png, name, limits, [&](std::uint32_t w, std::uint32_t h) { return cutter.begin(w, h); },
            [&](std::uint32_t y, const std::uint32_t* row) { cutter.row(y, row); });
        !s.ok())
        return s;
    return cutter.finish(images);
}

}  // namespace dabro
