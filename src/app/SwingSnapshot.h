#pragma once

#include <cstdio>

#include "app/SnapshotRequest.h"

namespace plimsa {

class SwingScene;

/// "--snapshot": one swing rendered to PNG at twice the overlay size for a full circle, at time 1.0 with
/// 4x multisampling over grey 0.55. Runs on the calling thread, which owns the scene and the context.
namespace SwingSnapshot {

/// Builds, poses, renders and writes; returns the exit status (0, or 1 when nothing was written).
int run(const SwingRequest& request, std::FILE* out, std::FILE* err);

/// The image size in pixels: twice the scene's required overlay size for amplitude pi, rounded.
glm::ivec2 imageSize(const SwingScene& scene);

/// The "PLIMSA_DEBUG" lines: minimum sizes, first head's world position, one line per geometry node.
void printDiagnostics(SwingScene& scene, std::FILE* out);

}  // namespace SwingSnapshot

}  // namespace plimsa
