// The commands of the document's tables and fields, built on document_edits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/command.h"
#include "document/document_edits.h"

namespace dabro {

// The commands of every change the editor and the batch tool make. Each is built on the
// edit operations of document_edits.h and stores only what it changes.

CommandPtr set_sequence_name_command(int sequence, std::string name);
CommandPtr set_collection_index_command(int sequence, std::uint16_t index);
CommandPtr set_image_index_command(int sequence, int frame, std::int16_t index);
CommandPtr set_frame_value_command(int sequence, int frame, std::int32_t value);

// The table edits of document_edits.h. `outcome`, when given, receives the outcome of the
// first apply, so the caller can report a full or empty table.
CommandPtr add_sequence_command(TableEdit* outcome = nullptr);
CommandPtr delete_sequence_command(TableEdit* outcome = nullptr);
CommandPtr add_frame_command(int sequence, TableEdit* outcome = nullptr);
CommandPtr delete_frame_command(int sequence, TableEdit* outcome = nullptr);

// An image's size and box, set together: the size and box fields, and the alignments.
struct ImageGeometry {
    std::int32_t width = 0;
    std::int32_t height = 0;
    BoundingBox box;
    bool operator==(const ImageGeometry&) const = default;
};
ImageGeometry geometry_of(const SpriteDocument& document, ImageRef ref);
CommandPtr set_geometry_command(std::string name, ImageRef ref, const ImageGeometry& geometry);

// Many boxes set at once, as one step: placing frames. Undo puts every box back.
struct BoxChange {
    ImageRef ref;
    BoundingBox box;
};
CommandPtr set_boxes_command(std::string name, std::vector<BoxChange> changes);

// New pixels for an image, with the size they are laid out in. Undo and redo exchange the
// two buffers, so neither copies image data.
CommandPtr replace_image_command(std::string name, Refresh refresh, ImageRef ref,
                                 EncodedImage image);

// Palette `slot` (0 to 3) of the collection; 0 is the one the preview draws with.
CommandPtr set_palette_command(std::string name, int collection, const Palette& palette,
                               int slot = 0);

// A collection's images, boxes and palettes all at once (a collection sheet read back).
// Undo and redo exchange the contents, so neither copies image data.
CommandPtr replace_collection_command(std::string name, int collection, CollectionContent content);

// Several commands as one step: applied in order, undone in reverse. Only the parts that
// changed the document are kept.
CommandPtr group_command(std::string name, Refresh refresh, std::vector<CommandPtr> parts);

}  // namespace dabro
