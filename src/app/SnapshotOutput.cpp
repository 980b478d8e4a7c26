#include "app/SnapshotOutput.h"

#include "platform/image/Compose.h"
#include "platform/image/Png.h"

namespace plimsa {

int SnapshotOutput::write(const std::optional<Image>& image, const std::string& path, std::FILE* out,
                          std::FILE* err, Backdrop backdrop) {
    if (!image || image->isEmpty()) {
        std::fprintf(err, "plimsa: could not render the image; %s was not written\n", path.c_str());
        return kFailed;
    }
    const auto written =
        backdrop == Backdrop::grey ? Png::write(composeOverGrey(*image), path) : Png::write(*image, path);
    switch (written) {
        case Png::WriteResult::written:
            std::fprintf(out, "wrote %s\n", path.c_str());
            return 0;
        case Png::WriteResult::emptyImage:
        case Png::WriteResult::encodingFailed:
            std::fprintf(err, "plimsa: could not encode the image as PNG; %s was not written\n",
                         path.c_str());
            return kFailed;
        case Png::WriteResult::cannotWrite:
            break;
    }
    std::fprintf(err, "plimsa: could not write %s\n", path.c_str());
    return kFailed;
}

std::unique_ptr<SnapshotRenderer> SnapshotOutput::makeRenderer(const std::string& path, std::FILE* err) {
    std::string reason;
    auto renderer = SnapshotRenderer::create(&reason);
    if (!renderer)
        std::fprintf(err, "plimsa: no offscreen OpenGL context (%s); %s was not written\n", reason.c_str(),
                     path.c_str());
    return renderer;
}

}  // namespace plimsa
