// The window's placement commands: Image > Place frames… and the copy and paste of a box's place.
#pragma once

#include <QObject>
#include <cstdint>
#include <optional>
#include <utility>

#include "actions/placement_actions.h"

class QAction;

namespace dabro {

class TForm1;

// Owns the Image menu's placement items, added after the menu's existing ones and enabled as
// the window's selection allows. Each runs as one step of the window's
// history through the place_frames action.
class PlacementCommands : public QObject {
    Q_OBJECT
  public:
    explicit PlacementCommands(TForm1& form);

    QAction* PlaceFrames1;
    QAction* CopyPlacement1;
    QAction* PastePlacement1;
    QAction* PasteXOnly1;
    QAction* PasteYOnly1;

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

}  // namespace dabro
