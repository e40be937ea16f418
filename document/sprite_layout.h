// The byte layout of a sprite file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "document/limits.h"

// The byte layout of a sprite file: its tags and the size of each record. The loader, the
// saver and the tests' file builders all take it from here.
//
// A file holds, in this order: the signature; the header (three dimension bytes, centerX,
// centerY, headerWord, headerByte, sequenceCount); the sequence records; the collection
// count; every collection header; then every collection's image section, in the same order.
// All integers are little-endian, with no padding.
namespace dabro::layout {

inline constexpr std::array<std::uint8_t, 11> kSignature = {'<', 's', 'p', 'r', 'i', 't',
                                                            'e', '>', 0,   '4', 0};
// Opens each collection header; never compared when read.
inline constexpr std::array<std::uint8_t, 12> kCollectionTag = {'<', 's', 'p', 'r', 'a', 'n',
                                                                'i', 'm', '>', 0,   '1', 0};
// Opens each image section, followed by the section's type byte and a pad byte.
inline constexpr std::array<std::uint8_t, 14> kSectionTag = {'<', 's', 'p', 'r', 'a', 'n', 'i',
                                                             'm', '_', 'i', 'm', 'g', '>', 0};
// Opens each image entry; skipped when read.
inline constexpr std::array<std::uint8_t, 15> kImageLead = {1, 0,   0,   0,   0,   0,   0, 0,
                                                            0, '<', 'z', 'a', 'r', '>', 0};
// Closes each image entry; skipped when read.
inline constexpr std::array<std::uint8_t, 3> kImageTrail = {0, 0, 0};

inline constexpr std::size_t kU8 = 1;
inline constexpr std::size_t kU16 = 2;
inline constexpr std::size_t kI32 = 4;

// Signature and header, up to and including sequenceCount.
inline constexpr std::size_t kHeaderSize =
    kSignature.size() + 3 * kU8 + kI32 + kI32 + kU16 + kU8 + kI32;

// frameCount, N image indexes, N frame values, the name, collectionIndex.
constexpr std::size_t sequence_size(std::size_t frames, std::size_t nameLength) {
    return kI32 + frames * (kU16 + kI32) + kI32 + nameLength + kU16;
}

// left, top, right, bottom.
inline constexpr std::size_t kBoxSize = 4 * kI32;

// Tag, section offset, the name, frames, directions, one box per image slot.
constexpr std::size_t collection_header_size(std::size_t nameLength, std::size_t slots) {
    return kCollectionTag.size() + kI32 + kI32 + nameLength + kI32 + kI32 + slots * kBoxSize;
}
// Where a collection header's section offset field lies, from the header's start.
inline constexpr std::size_t kSectionOffsetField = kCollectionTag.size();

// Tag, type, pad byte: the start of every section.
inline constexpr std::size_t kSectionStartSize = kSectionTag.size() + kU8 + kU8;
// A section of the short type: its start and one 32-bit value.
inline constexpr std::size_t kShortSectionSize = kSectionStartSize + kI32;
// An entry count and the entries; the saver always writes all 256.
inline constexpr std::size_t kPaletteSize = kI32 + kPaletteEntries * kI32;

// Lead, kind, pad byte, width, height, flag, dataLength, the data, trail.
inline constexpr std::size_t kImageFieldsSize = kU8 + kU8 + kI32 + kI32 + kU8 + kI32;
constexpr std::size_t image_entry_size(std::size_t dataLength) {
    return kImageLead.size() + kImageFieldsSize + dataLength + kImageTrail.size();
}

}  // namespace dabro::layout
