#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/image/Image.h"
#include "platform/render/SnapshotRenderer.h"

namespace plimsa {

/// The end of every rendering mode: compose the snapshot over the backdrop grey (or keep it transparent),
/// write it as PNG and say so. Any thread.
namespace SnapshotOutput {

/// Exit status of a mode that rendered or wrote nothing.
inline constexpr int kFailed = 1;

/// What shows through the image's transparent parts: grey 0.55 for scenes, nothing for thumbnails.
enum class Backdrop { grey, transparent };

/// Writes `image` (premultiplied, as rendered) to `path`, over `backdrop`. On success prints
/// "wrote PATH" to `out` and returns 0; otherwise says on `err` why no file was written and returns
/// `kFailed`. A file already at `path` is left untouched by a failed write.
int write(const std::optional<Image>& image, const std::string& path, std::FILE* out, std::FILE* err,
          Backdrop backdrop = Backdrop::grey);

/// An offscreen renderer for the image destined for `path`, or null after saying on `err` why none could
/// be made (and that `path` was not written).
std::unique_ptr<SnapshotRenderer> makeRenderer(const std::string& path, std::FILE* err);

}  // namespace SnapshotOutput

}  // namespace plimsa
