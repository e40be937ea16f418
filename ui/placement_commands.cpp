// The window's placement commands: their items, their enabled state and their runs.
#include <QAction>
#include <QMenu>
#include <QObject>
#include <cstdint>
#include <optional>
#include <utility>

#include "actions/image_actions.h"
#include "actions/placement_actions.h"
#include "ui/Unit1.h"
#include "ui/place_frames_dialog.h"
#include "ui/window_commands.h"

namespace dabro {

namespace {

// The selected image as the action names it: a collection frame in a direction.
PlaceImages image_of(const ListSelection& s) {
    return {.collection = s.collection, .frame = s.collectionFrame, .direction = s.direction};
}

// Owns the Image menu's placement items, added after the menu's existing ones and enabled as
// the window's selection allows. Each runs as one step of the window's
// history through the place_frames action.
class PlacementCommands : public QObject {
  public:
    explicit PlacementCommands(TForm1& form);

  private:
    void place_frames_dialog();
    void copy_placement();
    void paste_placement(PlaceAxes axes);
    // Runs the request as one step; a refusal goes to the error display.
    void run_request(const PlaceRequest& request);

    TForm1& form_;
    // The top-left of the box last copied.
    std::optional<std::pair<std::int32_t, std::int32_t>> copied_;
};

[[maybe_unused]] const bool registered =
    register_commands(40, [](TForm1& form) { new PlacementCommands(form); });

}  // namespace

PlacementCommands::PlacementCommands(TForm1& form) : QObject(&form), form_(form) {
    auto* image = form.findChild<QMenu*>(QStringLiteral("ImageMenu"));
    WindowCommands& commands = form.commands();
    commands.separator(image, "N5");
    const auto image_selected = [this] {
        return image_ready(form_.doc(), form_.selected_image()).ok();
    };
    const auto pasteable = [this, image_selected] { return image_selected() && copied_; };
    commands.add(
        {image, "PlaceFrames1", QStringLiteral("Place frames\u2026")},
        [this](QAction*) { place_frames_dialog(); },
        [this, image_selected] { return image_selected() || form_.selected_sequence() >= 0; });
    commands.add(
        {image, "CopyPlacement1", QStringLiteral("Copy placement")},
        [this](QAction*) { copy_placement(); }, image_selected);
    commands.add(
        {image, "PastePlacement1", QStringLiteral("Paste placement")},
        [this](QAction*) { paste_placement(PlaceAxes::Both); }, pasteable);
    commands.add(
        {image, "PasteXOnly1", QStringLiteral("Paste X only")},
        [this](QAction*) { paste_placement(PlaceAxes::XOnly); }, pasteable);
    commands.add(
        {image, "PasteYOnly1", QStringLiteral("Paste Y only")},
        [this](QAction*) { paste_placement(PlaceAxes::YOnly); }, pasteable);
    commands.update_enabled();
}

void PlacementCommands::copy_placement() {
    const ImageRef ref = form_.selected_image();
    if (!image_ready(form_.doc(), ref).ok()) return;
    const BoundingBox& box = form_.doc().collections[ref.collection].boxes[ref.slot];
    copied_.emplace(box.left, box.top);
    form_.commands().update_enabled();
}

void PlacementCommands::paste_placement(PlaceAxes axes) {
    if (!copied_) return;
    PlaceRequest request;
    request.images = image_of(form_.selection());
    request.operation = PlaceOperation::Set;
    if (axes != PlaceAxes::YOnly) request.pair.x = copied_->first;
    if (axes != PlaceAxes::XOnly) request.pair.y = copied_->second;
    run_request(request);
}

void PlacementCommands::place_frames_dialog() {
    const ListSelection s = form_.selection();
    const SpriteDocument& d = form_.doc();
    const bool collection = collection_in_use(d, s.collection);
    const std::optional<PlaceChoice> choice = form_.prompts().ask_place_frames(
        {.imageScope = is_valid(d, form_.selected_image()),
         .sequenceScopes = form_.selected_sequence() >= 0,
         .collectionScope = collection,
         .directions = collection ? d.collections[s.collection].directions : 1});
    if (!choice) return;
    PlaceRequest request = choice->request;
    switch (choice->scope) {
        case PlaceScope::Image:
            request.images = image_of(s);
            break;
        case PlaceScope::SequenceDirection:
        case PlaceScope::SequenceDirections:
            request.images = {.bySequence = true, .sequence = s.sequence};
            if (choice->scope == PlaceScope::SequenceDirection)
                request.images.direction = s.direction;
            break;
        case PlaceScope::Collection:
            request.images = {.collection = s.collection};
            break;
    }
    const PlaceOperation op = request.operation;
    if (op == PlaceOperation::By || op == PlaceOperation::Set || op == PlaceOperation::Anchor) {
        const Status read =
            parse_place_pair(choice->pair.toStdString(), op != PlaceOperation::By, request.pair);
        if (!form_.reported_ok(read)) return;
    }
    run_request(request);
}

void PlacementCommands::run_request(const PlaceRequest& request) {
    PlaceOutcome outcome;
    const Status status = place_frames(form_.session().document, request, outcome);
    if (form_.reported_ok(status) && outcome.step) form_.run(std::move(outcome.step));
}

}  // namespace dabro
