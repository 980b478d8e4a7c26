#pragma once

#include <cstdio>

#include "app/SnapshotRequest.h"

namespace plimsa {

/// "--preview": the character thumbnail of a model file (320 x 320 pixels, 4x multisampling) on its
/// transparent background. A file that gives no character shows the built-in figure, with a note on the
/// error stream.
namespace PreviewSnapshot {

/// Returns the exit status (0, or 1 when nothing was written).
int run(const PreviewRequest& request, std::FILE* out, std::FILE* err);

}  // namespace PreviewSnapshot

}  // namespace plimsa
