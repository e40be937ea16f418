// Image > Place frames…: the dialog's choices and the dialog that asks for them.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "actions/placement_actions.h"

class QWidget;

namespace dabro {

// The images the dialog acts on, from the window's selection.
enum class PlaceScope : std::uint8_t {
    Image,               // the selected image
    SequenceDirection,   // the selected sequence's frames in the selected direction
    SequenceDirections,  // those frames in every direction
    Collection,          // every image of the selected collection
};

// What the dialog offers: the scopes the selection allows and the directions to copy from.
struct PlaceDialogRequest {
    bool imageScope = false;
    bool sequenceScopes = false;
    bool collectionScope = false;
    int directions = 1;
};

// The dialog's answer: the request's operation and its options (its images are left to the
// scope), and the X,Y text as typed, read as the verb reads it.
struct PlaceChoice {
    PlaceScope scope = PlaceScope::Image;
    PlaceRequest request;
    QString pair;
};

// The modal dialog; nothing when it is cancelled.
std::optional<PlaceChoice> ask_place_frames(QWidget* owner, const PlaceDialogRequest& request);

}  // namespace dabro
