#include "app/PreviewSnapshot.h"

#include "app/SnapshotOutput.h"
#include "character/CharacterLoader.h"
#include "character/CharacterRig.h"
#include "library/CharacterPreviews.h"
#include "platform/render/SnapshotRenderer.h"

namespace plimsa {

int PreviewSnapshot::run(const PreviewRequest& request, std::FILE* out, std::FILE* err) {
    auto renderer = SnapshotOutput::makeRenderer(request.out, err);
    if (!renderer) return SnapshotOutput::kFailed;
    auto loaded = CharacterLoader::loadWithReport(request.model);
    if (!loaded.character) {
        std::fprintf(err,
                     "plimsa: %s holds no character that can be loaded (%s); showing the built-in figure\n",
                     request.model.c_str(), loaded.report.refusal.c_str());
        loaded.character = CharacterRig::placeholder();
    }
    // A thumbnail keeps its transparent background, as the panel shows it.
    return SnapshotOutput::write(CharacterPreviews::render(std::move(loaded.character), *renderer),
                                 request.out, out, err, SnapshotOutput::Backdrop::transparent);
}

}  // namespace plimsa
