// The batch tool's place verb: reads the images and the operation, and runs Place frames.
#include <vector>

#include "actions/animate.h"
#include "actions/placement_actions.h"
#include "cli/cli_support.h"
#include "cli/verb.h"
#include "document/text_to_int.h"

namespace dabro::cli {

namespace {

static_assert(kPlaceAll == kEvery, "-f, -d and -s all read as animate reads them");

Status read_images(const Arguments& a, PlaceImages& images) {
    images.bySequence = a.has("-s");
    const struct {
        const char* option;
        int* value;
    } choices[] = {{"-f", &images.frame}, {"-d", &images.direction}, {"-s", &images.sequence}};
    for (const auto& c : choices)
        if (a.has(c.option))
            if (Status s = parse_every_or_int(a.value(c.option), *c.value); !s.ok()) return s;
    if (a.has("-c"))
        if (Status s = int_option(a, "-c", images.collection); !s.ok()) return s;
    return Status::success();
}

Status read_operation(const Arguments& a, PlaceRequest& r) {
    const struct {
        const char* option;
        PlaceOperation operation;
    } operations[] = {{"--by", PlaceOperation::By},
                      {"--set", PlaceOperation::Set},
                      {"--anchor", PlaceOperation::Anchor},
                      {"--fit-box", PlaceOperation::FitBox},
                      {"--copy-from", PlaceOperation::CopyFrom}};
    for (const auto& o : operations)
        if (a.given(o.option)) r.operation = o.operation;
    r.axes = a.given("--x-only")   ? PlaceAxes::XOnly
             : a.given("--y-only") ? PlaceAxes::YOnly
                                   : PlaceAxes::Both;
    r.together = a.given("--together");
    switch (r.operation) {
        case PlaceOperation::By:
            return parse_place_pair(a.value("--by"), false, r.pair);
        case PlaceOperation::Set:
            return parse_place_pair(a.value("--set"), true, r.pair);
        case PlaceOperation::Anchor:
            if (Status s = anchor_point_named(a.value("--anchor"), r.anchor); !s.ok()) return s;
            return parse_place_pair(a.value("--at"), true, r.pair);
        case PlaceOperation::FitBox:
            return Status::success();
        case PlaceOperation::CopyFrom: {
            const std::string& from = a.value("--copy-from");
            const std::size_t colon = from.find(':');
            if (Status s = parse_every_or_int(from.substr(0, colon), r.copyFrame);
                !s.ok() || r.copyFrame == kEvery)
                return s.ok() ? Status::failure("--copy-from takes one frame: F or F:D") : s;
            if (colon == std::string::npos) return Status::success();
            std::int32_t d = 0;
            if (Status s = text_to_int(from.substr(colon + 1), d); !s.ok()) return s;
            r.copyDirection = d;
            return Status::success();
        }
    }
    return Status::success();
}

Status place(EditContext& e) {
    PlaceRequest request;
    if (Status s = read_images(e.args, request.images); !s.ok()) return s;
    if (Status s = read_operation(e.args, request); !s.ok()) return s;
    PlaceOutcome placed;
    if (Status s = place_frames(e.document(), request, placed); !s.ok()) return s;
    e.lines = std::move(placed.lines);
    if (placed.step)
        e.run(std::move(placed.step));
    else
        e.lines.push_back("No box changed");
    return Status::success();
}

const Verb kVerbs[] = {
    {.name = "place",
     .summary =
         "Moves where images sit in their frames: frames F of collection C, or the frames sequence "
         "S "
         "shows, in directions D (default all). --by moves each box, --set puts its top-left at "
         "X,Y, "
         "--anchor stands POINT of its visible pixels (or, --together, of theirs in each "
         "direction) "
         "on X,Y, --fit-box makes the box the image's size, --copy-from takes frame F's left and "
         "top; "
         "a number left out keeps that axis. Prints each changed box; --dry-run writes nothing",
     .takes =
         {.options =
              {optional(kCollection), text("-f", "F|all", "the collection's frames (default all)"),
               text("-s", "S|all",
                    "the frames sequence S shows, or every sequence's, in its collection"),
               text("-d", "D|all", "the directions (default all)"),
               text("--by", "DX,DY", "move every box by DX, DY"),
               text("--set", "X,Y",
                    "put every box's top-left at X, Y; a number left out keeps that axis"),
               text("--anchor", "POINT",
                    "top-left, top, top-right, left, centre, right, bottom-left, bottom or "
                    "bottom-right of the visible pixels"),
               text("--at", "X,Y", "where the anchor lands; a number left out keeps that axis"),
               flag("--together",
                    "one move per direction, from the union of its images' visible pixels"),
               flag("--fit-box", "make every box its image's size"),
               text("--copy-from", "F[:D]",
                    "take the left and top of frame F in direction D (default each image's own)"),
               flag("--x-only", "copy only the left"), flag("--y-only", "copy only the top"),
               flag("--dry-run", "print the changes and write nothing"), optional(kOutput)},
          .rules = {required_unless("-o", "--dry-run"), turns_off("--dry-run", "-o"),
                    exactly_one({"-c", "-s"}), goes_with("-f", "-c"),
                    exactly_one({"--by", "--set", "--anchor", "--fit-box", "--copy-from"}),
                    goes_with("--at", "--anchor"), goes_with("--together", "--anchor"),
                    needs("--anchor", "--at"), goes_with("--x-only", "--copy-from"),
                    goes_with("--y-only", "--copy-from"), at_most_one("--x-only", "--y-only")}},
     .edit = {Picks::Sprite, place}},
};

const VerbRegistration registered(40, kVerbs);

}  // namespace

}  // namespace dabro::cli
