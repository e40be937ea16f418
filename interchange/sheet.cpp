#include "interchange/sheet.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

#include "document/document_edits.h"
#include "imaging/colour_match.h"
#include "interchange/image_png.h"
#include "interchange/json_fields.h"
#include "interchange/sheet_room.h"

namespace dabro {

namespace jf = json_fields;

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

std::int64_t cells_width(const SheetLayout& l) {
    return std::int64_t{l.frames} * l.cellWidth;
}
std::int64_t cells_height(const SheetLayout& l) {
    return std::int64_t{l.directions} * l.cellHeight;
}
bool cells_empty(const SheetLayout& l) {
    return cells_width(l) == 0 || cells_height(l) == 0;
}

}  // namespace

std::uint32_t SheetLayout::sheet_width() const {
    return cells_empty(*this) ? 1 : static_cast<std::uint32_t>(cells_width(*this));
}

std::uint32_t SheetLayout::sheet_height() const {
    return cells_empty(*this) ? 1 : static_cast<std::uint32_t>(cells_height(*this));
}

Status sheet_layout(const ImageCollection& collection, SheetLayout& out) {
    SheetLayout l;
    l.name = collection.name.str();
    l.frames = std::max(collection.frames, 0);
    l.directions = std::max(collection.directions, 0);
    l.palettes = collection.palettes;
    const int slots = collection.slot_count();
    for (int k = 0; k < slots; ++k) {
        const CollectionImage& image = collection.images[static_cast<std::size_t>(k)];
        l.cellWidth = std::max(l.cellWidth, image.width);
        l.cellHeight = std::max(l.cellHeight, image.height);
    }
    const std::int64_t w = cells_width(l);
    const std::int64_t h = cells_height(l);
    if (!cells_empty(l) && (w > kMaxImagePixels || h > kMaxImagePixels || w * h > kMaxImagePixels))
        return Status::failure("The sheet of collection '" + l.name + "' would be " +
                               std::to_string(w) + " x " + std::to_string(h) +
                               " pixels, more than the " + std::to_string(kMaxImagePixels) +
                               " allowed");
    l.imageSlots.resize(static_cast<std::size_t>(slots));
    for (int k = 0; k < slots; ++k) {
        const CollectionImage& image = collection.images[static_cast<std::size_t>(k)];
        SheetSlot& s = l.imageSlots[static_cast<std::size_t>(k)];
        s.frame = k / l.directions;
        s.direction = k % l.directions;
        s.x = std::int64_t{s.frame} * l.cellWidth;
        s.y = std::int64_t{s.direction} * l.cellHeight;
        s.width = image.width;
        s.height = image.height;
        s.kind = image.kind;
        s.flag = image.flag;
        s.sourceName = image.sourceName.str();
        s.box = collection.boxes[static_cast<std::size_t>(k)];
    }
    out = std::move(l);
    return Status::success();
}

nlohmann::ordered_json sheet_json(const SheetLayout& layout) {
    using Json = nlohmann::ordered_json;
    Json palettes = Json::array();
    for (const Palette& palette : layout.palettes) {
        Json entries = Json::array();
        for (std::uint32_t entry : palette) entries.push_back(jf::colour_text(entry & 0xFFFFFFu));
        palettes.push_back(std::move(entries));
    }
    Json slots = Json::array();
    for (const SheetSlot& s : layout.imageSlots) {
        slots.push_back(Json{{"frame", s.frame},
                             {"direction", s.direction},
                             {"x", s.x},
                             {"y", s.y},
                             {"width", s.width},
                             {"height", s.height},
                             {"kind", s.kind},
                             {"flag", s.flag},
                             {"sourceName", jf::latin1_to_utf8(s.sourceName)},
                             {"box", Json{{"left", s.box.left},
                                          {"top", s.box.top},
                                          {"right", s.box.right},
                                          {"bottom", s.box.bottom}}}});
    }
    return Json{{"format", "dabro-sheet"},
                {"version", kSheetFormatVersion},
                {"name", jf::latin1_to_utf8(layout.name)},
                {"frames", layout.frames},
                {"directions", layout.directions},
                {"cellWidth", layout.cellWidth},
                {"cellHeight", layout.cellHeight},
                {"palettes", std::move(palettes)},
                {"slots", std::move(slots)}};
}

namespace {

std::int32_t int32_at(const jf::Json& object, const std::string& path, const char* key) {
    return static_cast<std::int32_t>(
        jf::integer(jf::member(object, path, key), jf::at_key(path, key), kInt32Min, kInt32Max));
}

BoundingBox read_box(const jf::Json& value, const std::string& path) {
    jf::object(value, path);
    return {int32_at(value, path, "left"), int32_at(value, path, "top"),
            int32_at(value, path, "right"), int32_at(value, path, "bottom")};
}

void read_layout(const jf::Json& json, SheetLayout& out) {
    const std::string top;
    jf::object(json, top);
    const std::int64_t version =
        jf::integer(jf::member(json, top, "version"), "version", 0, kInt32Max);
    if (version != kSheetFormatVersion)
        jf::fail("version", "is " + std::to_string(version) + "; this program reads version " +
                                std::to_string(kSheetFormatVersion));
    out.name = jf::latin1_name(jf::member(json, top, "name"), "name", kMaxNameLength);
    out.frames =
        static_cast<int>(jf::integer(jf::member(json, top, "frames"), "frames", 0, kMaxImageSlots));
    out.directions = static_cast<int>(
        jf::integer(jf::member(json, top, "directions"), "directions", 0, kMaxImageSlots));
    const int count = out.frames * out.directions;
    if (count > kMaxImageSlots)
        jf::fail("frames", "x directions is " + std::to_string(out.frames) + " x " +
                               std::to_string(out.directions) + ", more than " +
                               std::to_string(kMaxImageSlots) + " images");
    out.cellWidth = static_cast<std::int32_t>(
        jf::integer(jf::member(json, top, "cellWidth"), "cellWidth", 0, kInt32Max));
    out.cellHeight = static_cast<std::int32_t>(
        jf::integer(jf::member(json, top, "cellHeight"), "cellHeight", 0, kInt32Max));

    const jf::Json& palettes = jf::array(jf::member(json, top, "palettes"), "palettes");
    if (palettes.size() != kPalettesPerCollection)
        jf::fail("palettes", "must hold " + std::to_string(kPalettesPerCollection) + " palettes");
    for (std::size_t p = 0; p < kPalettesPerCollection; ++p) {
        const std::string path = jf::at_index("palettes", p);
        const jf::Json& entries = jf::array(palettes[p], path);
        if (entries.size() != kPaletteEntries)
            jf::fail(path, "must hold " + std::to_string(kPaletteEntries) + " colours");
        for (std::size_t i = 0; i < kPaletteEntries; ++i)
            out.palettes[p][i] = jf::colour(entries[i], jf::at_index(path, i));
    }

    const jf::Json& slots = jf::array(jf::member(json, top, "slots"), "slots");
    if (slots.size() != static_cast<std::size_t>(count))
        jf::fail("slots", "holds " + counted(static_cast<long long>(slots.size()), "slot") + "; " +
                              counted(out.frames, "frame") + " x " +
                              counted(out.directions, "direction") + " need " +
                              std::to_string(count));
    out.imageSlots.assign(static_cast<std::size_t>(count), SheetSlot{});
    std::vector<bool> seen(static_cast<std::size_t>(count), false);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const std::string path = jf::at_index("slots", i);
        const jf::Json& s = jf::object(slots[i], path);
        SheetSlot slot;
        slot.frame = static_cast<int>(jf::integer(jf::member(s, path, "frame"),
                                                  jf::at_key(path, "frame"), 0, out.frames - 1));
        slot.direction =
            static_cast<int>(jf::integer(jf::member(s, path, "direction"),
                                         jf::at_key(path, "direction"), 0, out.directions - 1));
        const auto k = static_cast<std::size_t>(slot.frame * out.directions + slot.direction);
        if (seen[k])
            jf::fail(path, "repeats frame " + std::to_string(slot.frame) + ", direction " +
                               std::to_string(slot.direction));
        seen[k] = true;
        slot.x = jf::integer(jf::member(s, path, "x"), jf::at_key(path, "x"), 0, kInt32Max);
        slot.y = jf::integer(jf::member(s, path, "y"), jf::at_key(path, "y"), 0, kInt32Max);
        // An image fills at most its cell; 0 is an image without pixels, as exported.
        slot.width = static_cast<std::int32_t>(
            jf::integer(jf::member(s, path, "width"), jf::at_key(path, "width"), 0, out.cellWidth));
        slot.height = static_cast<std::int32_t>(jf::integer(
            jf::member(s, path, "height"), jf::at_key(path, "height"), 0, out.cellHeight));
        slot.kind = static_cast<std::uint8_t>(
            jf::integer(jf::member(s, path, "kind"), jf::at_key(path, "kind"), 0, 255));
        slot.flag = static_cast<std::uint8_t>(
            jf::integer(jf::member(s, path, "flag"), jf::at_key(path, "flag"), 0, 255));
        slot.sourceName = jf::latin1_name(jf::member(s, path, "sourceName"),
                                          jf::at_key(path, "sourceName"), kMaxSourceNameLength);
        slot.box = read_box(jf::member(s, path, "box"), jf::at_key(path, "box"));
        out.imageSlots[k] = std::move(slot);
    }
    std::int64_t widest = 0;
    std::int64_t tallest = 0;
    for (const SheetSlot& slot : out.imageSlots) {
        widest = std::max<std::int64_t>(widest, slot.width);
        tallest = std::max<std::int64_t>(tallest, slot.height);
    }
    if (Status s = check_sheet_room(out.name, out.frames, out.directions, widest, tallest); !s.ok())
        jf::fail("", s.message());
}

}  // namespace

Status parse_sheet_json(const nlohmann::json& json, const std::string& name, SheetLayout& out) {
    SheetLayout layout;
    if (Status s = jf::checked(name, [&] { read_layout(json, layout); }); !s.ok()) return s;
    out = std::move(layout);
    return Status::success();
}

Status write_sheet_png(const ImageCollection& collection, const SheetLayout& layout, ByteSink& sink,
                       const Progress& progress) {
    const std::uint32_t width = layout.sheet_width();
    const std::uint32_t height = layout.sheet_height();
    const RgbaPalette palette = rgba_palette(collection.palettes[0]);
    const bool empty = cells_empty(layout);
    const auto cellHeight = static_cast<std::uint32_t>(layout.cellHeight);
    // One row of cells (a direction) is drawn at a time.
    std::vector<std::uint32_t> band(std::size_t{width} * (empty ? 1 : cellHeight));
    return encode_png(
        width, height,
        [&](std::uint32_t y) -> const std::uint32_t* {
            if (empty) return band.data();
            const std::uint32_t direction = y / cellHeight;
            const std::uint32_t line = y % cellHeight;
            if (line == 0) {
                if (!keep_going(progress, direction, layout.directions)) return nullptr;
                std::fill(band.begin(), band.end(), 0u);
                for (int f = 0; f < layout.frames; ++f) {
                    const std::size_t k =
                        static_cast<std::size_t>(f) * static_cast<std::size_t>(layout.directions) +
                        direction;
                    draw_rgba(collection.images[k], palette,
                              band.data() + static_cast<std::size_t>(f) *
                                                static_cast<std::size_t>(layout.cellWidth),
                              width);
                }
            }
            return band.data() + std::size_t{line} * width;
        },
        sink);
}

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
        if (cancelled_) return Status::failure(kCancelledMessage);
        images = std::move(images_);
        return Status::success();
    }

  private:
    static constexpr std::size_t kMaxWaiting = 1024;

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

std::string sheet_json_path(const std::string& pngPath) {
    const std::string ext = ".png";
    if (pngPath.size() > ext.size()) {
        std::string tail = pngPath.substr(pngPath.size() - ext.size());
        std::transform(tail.begin(), tail.end(), tail.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (tail == ext) return pngPath.substr(0, pngPath.size() - ext.size()) + ".json";
    }
    return pngPath + ".json";
}

Status export_sheet(const ImageCollection& collection, const std::string& pngPath,
                    const Progress& progress) {
    SheetLayout layout;
    if (Status s = sheet_layout(collection, layout); !s.ok()) return s;
    const std::string json = sheet_json(layout).dump(1) + "\n";
    // The PNG goes first to a name of its own, and takes its real name only once the JSON
    // is in place, so a failure leaves neither file changed.
    const std::string partial = pngPath + ".part";
    if (Status s = write_file_atomically(
            partial,
            [&](ByteSink& sink) { return write_sheet_png(collection, layout, sink, progress); });
        !s.ok())
        return s;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(json.data());
    if (Status s = write_file_atomically(sheet_json_path(pngPath), {bytes, json.size()}); !s.ok()) {
        (void)file_layer().unlink(partial);
        return s;
    }
    if (int err = file_layer().rename(partial, pngPath); err < 0) {
        (void)file_layer().unlink(partial);
        return Status::from_errno(-err);
    }
    return Status::success();
}

Status read_input_file(const std::string& path, std::size_t maxBytes,
                       std::vector<std::uint8_t>& bytes) {
    FileReader in;
    Status s = in.open(path);
    if (s.ok() && in.size() > maxBytes)
        s = Status::failure("is " + std::to_string(in.size()) + " bytes, more than the " +
                            std::to_string(maxBytes) + " allowed");
    std::vector<std::uint8_t> read;
    if (s.ok() && !in.append(read, in.size())) s = in.status();
    if (!s.ok()) return Status::failure(path + ": " + s.message());
    bytes = std::move(read);
    return Status::success();
}

Status read_sheet(const std::string& pngPath, Encoding encoding, const ImageCollection* base,
                  SheetContent& out, const Progress& progress, const PngLimits& limits) {
    const std::string jsonPath = sheet_json_path(pngPath);
    std::vector<std::uint8_t> bytes;
    if (Status s = read_input_file(jsonPath, kMaxJsonBytes, bytes); !s.ok()) return s;
    nlohmann::json json;
    if (Status s = jf::parse(bytes, jsonPath, json); !s.ok()) return s;
    SheetContent content;
    if (Status s = parse_sheet_json(json, jsonPath, content.layout); !s.ok()) return s;
    if (Status s = read_input_file(pngPath, kMaxPngBytes, bytes); !s.ok()) return s;
    if (Status s = images_from_png(bytes, pngPath, content.layout, encoding, base, content.images,
                                   progress, limits);
        !s.ok())
        return s;
    out = std::move(content);
    return Status::success();
}

CollectionContent collection_content(SheetContent content) {
    CollectionContent out;
    out.images = std::move(content.images);
    out.palettes = content.layout.palettes;
    out.boxes.reserve(content.layout.imageSlots.size());
    for (const SheetSlot& s : content.layout.imageSlots) out.boxes.push_back(s.box);
    return out;
}

Status check_sheet_fits(const SpriteDocument& document, int collection, const SheetLayout& l) {
    if (collection < 0 || collection >= document.collectionCount)
        return Status::failure("There is no collection " + std::to_string(collection));
    const ImageCollection& col = document.collections[static_cast<std::size_t>(collection)];
    if (l.frames != col.frames || l.directions != col.directions) {
        return Status::failure("The sheet has " + counted(l.frames, "frame") + " and " +
                               counted(l.directions, "direction") + "; the collection has " +
                               counted(col.frames, "frame") + " and " +
                               counted(col.directions, "direction"));
    }
    return Status::success();
}

}  // namespace dabro
