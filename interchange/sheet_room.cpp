// Whether a collection's sheet stays within the pixel limit after an import.
#include "interchange/sheet_room.h"

#include <algorithm>

#include "imaging/pixel_image.h"

namespace dabro {

namespace {

// The sheet of cells of cellWidth x cellHeight, where the image of width x height is new.
Status room_for(const std::string& name, int frames, int directions, std::int64_t cellWidth,
                std::int64_t cellHeight, std::int64_t width, std::int64_t height) {
    const std::int64_t w = std::int64_t{std::max(frames, 0)} * std::max<std::int64_t>(cellWidth, 0);
    const std::int64_t h =
        std::int64_t{std::max(directions, 0)} * std::max<std::int64_t>(cellHeight, 0);
    if (w <= kMaxImagePixels && h <= kMaxImagePixels && w * h <= kMaxImagePixels)
        return Status::success();
    return Status::failure("An image of " + std::to_string(width) + " x " + std::to_string(height) +
                           " pixels would make the sheet of collection '" + name + "' " +
                           std::to_string(w) + " x " + std::to_string(h) +
                           " pixels, more than the " + std::to_string(kMaxImagePixels) +
                           " allowed");
}

}  // namespace

Status check_sheet_room(const std::string& name, int frames, int directions, std::int64_t width,
                        std::int64_t height) {
    return room_for(name, frames, directions, width, height, width, height);
}

Status check_sheet_room(const ImageCollection& collection, int slot, std::int32_t width,
                        std::int32_t height) {
    std::int64_t cellWidth = width;
    std::int64_t cellHeight = height;
    for (int k = 0; k < collection.slot_count(); ++k) {
        if (k == slot) continue;
        const CollectionImage& image = collection.images[static_cast<std::size_t>(k)];
        cellWidth = std::max<std::int64_t>(cellWidth, image.width);
        cellHeight = std::max<std::int64_t>(cellHeight, image.height);
    }
    return room_for(collection.name.str(), collection.frames, collection.directions, cellWidth,
                    cellHeight, width, height);
}

}  // namespace dabro
