#include "app/Snapshot.h"

#include <cstdlib>

#include "app/CornerSnapshot.h"
#include "app/InspectCommand.h"
#include "app/LibraryCommands.h"
#include "app/PreviewSnapshot.h"
#include "app/SizeScan.h"
#include "app/SnapshotRequest.h"
#include "app/SwingSnapshot.h"
#include "app/Version.h"
#include "config/Settings.h"

namespace plimsa {

namespace {

template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

int runRequest(const SnapshotRequest& request, std::FILE* out, std::FILE* err) {
    Settings::setPersist(false);
    return std::visit(
        Overloaded{
            [&](const SizeScanRequest& scan) { return SizeScan::run(scan.name, out); },
            [&](const CornerRequest& corner) { return CornerSnapshot::run(corner, out, err); },
            [&](const PreviewRequest& preview) { return PreviewSnapshot::run(preview, out, err); },
            [&](const SwingRequest& swing) { return SwingSnapshot::run(swing, out, err); },
        },
        request);
}

}  // namespace

std::optional<int> Snapshot::run(const SnapshotArguments& arguments, std::FILE* out, std::FILE* err) {
    if (arguments.has("--help")) {
        std::fputs(usage().c_str(), out);
        return 0;
    }
    if (arguments.has("--version")) {
        std::fprintf(out, "plimsa %s\n", kVersion);
        return 0;
    }
    if (auto status = InspectCommand::run(arguments, out, err)) return status;
    if (auto status = LibraryCommands::run(arguments, out, err)) return status;
    const auto request = SnapshotRequests::parse(arguments);
    if (!request) return std::nullopt;
    return runRequest(*request, out, err);
}

void Snapshot::runIfRequested(int argc, const char* const* argv) {
    const auto status = run(SnapshotArguments::fromMain(argc, argv), stdout, stderr);
    if (!status) return;
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(*status);
}

std::string Snapshot::usage() {
    return std::string("plimsa ") + kVersion + R"( - animated 3D characters on swings for the desktop

Snapshot mode (no display needed; the first form present wins, one missing its values is skipped):
  plimsa --scan-min NAME            print, for each grip and lean, the smallest size at which the
                                    character's hands reach the chains, tried and computed (12 lines)
  plimsa --corner OUT.png           render a corner sitter
        [--model NAME] [--side left|right]
  plimsa --preview MODEL OUT.png    render the thumbnail of the model file MODEL
  plimsa --snapshot OUT.png [THETA] render a swing at angle THETA degrees (default 0)
        [--style classic|lazy|wild|chill|showoff] [--seats 1|2] [--skin classic|forest|ice|gold|rope]
        [--left|--right|--inner chain|wave|loose] [--set KEY=VALUE]... [--model A,B] [--look X,Y]

  NAME is a character of the library (a file name without extension) or an absolute path to a model
  file; an empty or unknown name shows the built-in figure. --model with no names at all (an empty
  value or only commas) is the same as leaving it out: the built-in figure sits on every seat. With
  fewer names than seats the first name sits on every seat.
  --set keys: rope, tilt, amp, grip, legs, kick, lean, size, leg, scale; VALUE must be a number.
  --look X,Y: a point in the image's points (half its pixels), origin at the bottom left, for the
  head to turn to. Unknown flags and unreadable values are ignored.
  Swings render at twice the window size for a full circle and corner sitters at twice their window,
  both over grey; thumbnails render at 320 x 320 on a transparent background. Each written file is
  reported as "wrote OUT"; a file that cannot be rendered or written is reported on standard error and
  the exit status is 1.

Environment: PLIMSA_DEBUG (diagnostic lines), PLIMSA_NOFLOOR, PLIMSA_CORNER_W, PLIMSA_CORNER_H,
  PLIMSA_CORNER_Y (corner view width, height and floor height in scene units).

Characters (these forms come before the snapshot forms; --inspect comes first, then the first of the
other three on the command line wins; the library is ~/.local/share/Plimsa/Characters):
  plimsa --inspect MODEL            load MODEL (a .glb, .gltf or .vrm file, or a library character's
                                    name) as a character and print its report: where its bones came
                                    from, what falls back, missing or shrunk textures, or why it is
                                    refused; exit status 0 when it loads as a character, 1 when not
  plimsa --characters               one line per character, tab-separated: name, display name, the
                                    pack that lists it, "starter" when it ships with the program ("-"
                                    for an empty field)
  plimsa --install-starter          install the characters that ship with the program
  plimsa --import FILE...           import packs (.zip, .plimsapack) and models (.glb, .gltf, .vrm); a
                                    model that does not load as a character is refused, in a pack too;
                                    every argument after --import is a file
  Each character added is reported as "installed NAME" or "imported NAME from FILE"; each refusal as
  "refused WHAT: REASON" on standard error, and the exit status is then 1.

Desktop app (needs an X display; on Wayland it runs through XWayland):
  plimsa                            swings and corner sitters of ~/.config/plimsa/settings.json, with a
                                    tray menu; launching it again while it runs exits at once
  plimsa --corner-test NAME [left]  one corner sitter with character NAME (nothing saved)
  plimsa --panel-test | --store-test  test swings, or none, without touching the saved settings
  plimsa --print-status-frame       print the tray icon's frame as "STATUS_FRAME x y width height"
  Quit from the tray menu, or end it with SIGTERM or SIGINT (pkill -x plimsa).

Other:
  plimsa --help | --version
)";
}

}  // namespace plimsa
