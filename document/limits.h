// Every capacity and cap of the program.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dabro {

// Every capacity and cap of the program, in one place.

// The document's tables.
inline constexpr int kMaxSequences = 50;
inline constexpr int kMaxSequenceFrames = 100;
inline constexpr int kMaxCollections = 50;
// Image slots per collection: frames x directions.
inline constexpr int kMaxImageSlots = 3840;
inline constexpr int kPalettesPerCollection = 4;
inline constexpr int kPaletteEntries = 256;
inline constexpr int kMaxNameLength = 40;
inline constexpr int kMaxSourceNameLength = 30;

// A collection's frames or directions alone. Above kMaxImageSlots only when the other count
// is 0, so the collection holds no image; the bound keeps the window's lists responsive.
inline constexpr int kMaxFramesOrDirections = 65535;

// The most bytes an image's data may hold: dataLength is a signed 32-bit count.
inline constexpr std::size_t kMaxDataLength = 0x7FFFFFFF;

// Pictures drawn from an image: only a hostile size reaches this. A PNG larger than
// kMaxPngPixels is refused.
inline constexpr std::int64_t kMaxPngPixels = std::int64_t{1} << 24;

// The preview follows an image's size up to this many pixels a side, far beyond the window,
// so a hostile size costs no more than a surface of this side squared.
inline constexpr int kMaxPreviewSide = 1024;

}  // namespace dabro
