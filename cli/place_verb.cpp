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

bool given(const Arguments& a, const char* option) {
    return a.has(option) || a.flags.count(option) != 0;
}

Status read_images(const Arguments& a, PlaceImages& images) {
    if (given(a, "-c") == given(a, "-s")) return Status::failure("Give either -c or -s");
    if (given(a, "-s") && given(a, "-f"))
        return Status::failure("-f takes a collection's frames: give -c with it, or -s alone");
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
    int count = 0;
    for (const auto& o : operations)
        if (given(a, o.option)) {
            r.operation = o.operation;
            ++count;
        }
    if (count != 1)
        return Status::failure(
            "Give one operation: --by, --set, --anchor, --fit-box or --copy-from");
    const bool anchor = r.operation == PlaceOperation::Anchor;
    if (!anchor && (given(a, "--at") || given(a, "--together")))
        return Status::failure("--at and --together go with --anchor");
    const bool xOnly = given(a, "--x-only");
    const bool yOnly = given(a, "--y-only");
    if ((xOnly || yOnly) && r.operation != PlaceOperation::CopyFrom)
        return Status::failure("--x-only and --y-only go with --copy-from");
    if (xOnly && yOnly) return Status::failure("Give --x-only or --y-only, not both");
    r.axes = xOnly ? PlaceAxes::XOnly : yOnly ? PlaceAxes::YOnly : PlaceAxes::Both;
    r.together = given(a, "--together");
    switch (r.operation) {
        case PlaceOperation::By:
            return parse_place_pair(a.value("--by"), false, r.pair);
        case PlaceOperation::Set:
            return parse_place_pair(a.value("--set"), true, r.pair);
        case PlaceOperation::Anchor:
            if (Status s = anchor_point_named(a.value("--anchor"), r.anchor); !s.ok()) return s;
            if (!a.has("--at")) return Status::failure("--anchor needs --at X,Y");
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

Outcome run_place(const Arguments& a, std::ostream& out, std::ostream&) {
    const bool dryRun = given(a, "--dry-run");
    if (!dryRun && !a.has("-o")) return Status::failure("Option -o is required");
    if (Status s = check_outputs(a); !s.ok()) return s;
    PlaceRequest request;
    if (Status s = read_images(a, request.images); !s.ok()) return s;
    if (Status s = read_operation(a, request); !s.ok()) return s;
    LoadedSprite sprite;
    if (Status s = load(a.file, sprite); !s.ok()) return s;
    PlaceOutcome placed;
    if (Status s = place_frames(sprite.document(), request, placed); !s.ok()) return s;
    if (placed.step) placed.step->apply(sprite.document());
    if (!dryRun)
        if (Status s = save(a.value("-o"), sprite); !s.ok()) return s;
    for (const std::string& line : placed.lines) out << line << '\n';
    if (!placed.step) out << "No box changed\n";
    return 0;
}

const Verb kVerbs[] = {
    {"place",
     "FILE (-c C [-f F|all] | -s S|all) [-d D|all] (--by DX,DY | --set X,Y | --anchor POINT "
     "--at X,Y [--together] | --fit-box | --copy-from F[:D] [--x-only|--y-only]) [--dry-run] "
     "[-o OUT]",
     "Moves where images sit in their frames: frames F of collection C, or the frames sequence S "
     "shows, in directions D (default all). --by moves each box, --set puts its top-left at X,Y, "
     "--anchor stands POINT of its visible pixels (or, --together, of theirs in each direction) "
     "on X,Y, --fit-box makes the box the image's size, --copy-from takes frame F's left and top; "
     "a number left out keeps that axis. Prints each changed box; --dry-run writes nothing",
     run_place,
     {.options = {optional(kCollection), text("-f", "F"), text("-s", "S"), text("-d", "D"),
                  text("--by", "DX,DY"), text("--set", "X,Y"), text("--anchor", "POINT"),
                  text("--at", "X,Y"), flag("--together"), flag("--fit-box"),
                  text("--copy-from", "F[:D]"), flag("--x-only"), flag("--y-only"),
                  flag("--dry-run"), optional(kOutput)}}},
};

}  // namespace

std::span<const Verb> place_verbs() {
    return kVerbs;
}

}  // namespace dabro::cli
