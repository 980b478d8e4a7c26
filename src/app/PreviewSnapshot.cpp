#include "app/PreviewSnapshot.h"

#include "app/SnapshotOutput.h"
#include "character/CharacterRig.h"
#include "library/CharacterPreviews.h"
#include "platform/render/SnapshotRenderer.h"

namespace plimsa {

int PreviewSnapshot::run(const PreviewRequest& request, std::FILE* out, std::FILE* err) {
    auto renderer = SnapshotOutput::makeRenderer(request.out, err);
    if (!renderer) return SnapshotOutput::kFailed;
    auto image = CharacterPreviews::render(request.model, *renderer);
    if (!image) {
        std::fprintf(err, "plimsa: %s holds no character that can be loaded; showing the built-in figure\n",
                     request.model.c_str());
        image = CharacterPreviews::render(CharacterRig::placeholder(), *renderer);
    }
    // A thumbnail keeps its transparent background, as the panel shows it.
    return SnapshotOutput::write(image, request.out, out, err, SnapshotOutput::Backdrop::transparent);
}

}  // namespace plimsa
