// Every capacity and cap of the program: no other file defines a kMax constant.
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

// The most pixels an image may have to be decoded, exported or imported. Only a hostile
// size gets there: it is refused before anything of that size is allocated.
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 26;

// The compact encoding's longest run: its count field holds 6 bits.
inline constexpr int kMaxRun = 63;

// The size of an image that a drawing covers is at most this many pixels a side.
inline constexpr std::int32_t kMaxLayerSide = 4096;

// The player's and the sequence drawings' zoom, and the batch tool's --scale: 1 to this.
inline constexpr int kMaxZoom = 16;

// The most pixels the cells of one sequence may have together: more could only come from a
// hostile size.
inline constexpr std::int64_t kMaxSequenceCellPixels = std::int64_t{1} << 26;

// The player's cache: at most this many decoded pixels in all (hostile sizes evict older
// images), and images with more encoded bytes than this are decoded again at each frame
// instead of being kept for comparison.
inline constexpr std::size_t kMaxKeptPixels = std::size_t{1} << 24;
inline constexpr std::size_t kMaxKeptBytes = std::size_t{1} << 24;

// The player's rate in frames a second, and animate's --fps.
inline constexpr int kMaxPlayerFps = 60;
inline constexpr int kMaxAnimationFps = 100;
// A frame value taken as a delay is held to this many milliseconds, in the player and in
// animate.
inline constexpr int kMaxFrameValueMs = 60000;

// Input files: a sheet's or sprite folder's JSON, a PNG, and a text palette file (256 named
// colours take a few kilobytes).
inline constexpr std::size_t kMaxJsonBytes = std::size_t{64} << 20;
inline constexpr std::size_t kMaxPngBytes = std::size_t{1} << 30;
inline constexpr std::size_t kMaxPaletteTextSize = std::size_t{1} << 20;

// Sheet rows decoded ahead of the threads that cut them into images.
inline constexpr std::size_t kMaxWaiting = 1024;

// The animation formats' own limits on a canvas side.
inline constexpr std::uint32_t kMaxWebpSide = 16383;
inline constexpr std::uint32_t kMaxApngSide = 0x7FFFFFFF;

}  // namespace dabro
