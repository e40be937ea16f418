// Place frames: many images' boxes moved, set, anchored, fitted or copied as one step.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/document_commands.h"
#include "document/status.h"

namespace dabro {

// -f, -d or -s all: a value no number given can be, so -1 is named as given.
inline constexpr int kPlaceAll = std::numeric_limits<int>::min();

// The images a placement acts on: frames of a collection in some directions, or the
// collection frames that one sequence (or every sequence) shows, each once.
struct PlaceImages {
    bool bySequence = false;
    int collection = 0;     // without bySequence
    int frame = kPlaceAll;  // without bySequence
    int sequence = 0;       // with bySequence, or kPlaceAll
    int direction = kPlaceAll;
};

enum class PlaceOperation : std::uint8_t { By, Set, Anchor, FitBox, CopyFrom };

// The points of the visible rectangle an anchor can name, row by row.
enum class AnchorPoint : std::uint8_t {
    TopLeft,
    Top,
    TopRight,
    Left,
    Centre,
    Right,
    BottomLeft,
    Bottom,
    BottomRight
};
Status anchor_point_named(std::string_view text, AnchorPoint& point);

// "X,Y"; with `eitherOptional` one of the two may be left out, never both.
struct PlacePair {
    std::optional<std::int32_t> x;
    std::optional<std::int32_t> y;
};
Status parse_place_pair(std::string_view text, bool eitherOptional, PlacePair& pair);

enum class PlaceAxes : std::uint8_t { Both, XOnly, YOnly };

struct PlaceRequest {
    PlaceImages images;
    PlaceOperation operation = PlaceOperation::By;
    PlacePair pair;  // --by's move, --set's place or --at's point
    AnchorPoint anchor = AnchorPoint::Bottom;
    bool together = false;
    int copyFrame = 0;                 // --copy-from's collection frame
    std::optional<int> copyDirection;  // none: each image's own
    PlaceAxes axes = PlaceAxes::Both;
};

// What a placement did: one line for each box that changes and for each image left where it
// is for want of a visible pixel, in slot order; and the step, null when no box changes.
struct PlaceOutcome {
    std::vector<std::string> lines;
    CommandPtr step;
};

// Checks the request against the document and builds the one step, named "Place frames".
// Refused, with no step, for images the sprite does not have, for --anchor and --fit-box on
// a collection whose images were not read, and for a box that would leave the 32-bit range.
Status place_frames(const SpriteDocument& document, const PlaceRequest& request,
                    PlaceOutcome& outcome);

}  // namespace dabro
