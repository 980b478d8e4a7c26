#pragma once

#include <cstdio>

#include <glm/glm.hpp>

#include "app/SnapshotRequest.h"

namespace plimsa {

class CornerScene;

/// "--corner": one corner sitter rendered to PNG at twice its window size, at time 1.0 with 4x
/// multisampling over grey 0.55. Runs on the calling thread, which owns the scene and the context.
namespace CornerSnapshot {

/// Builds, poses, renders and writes; returns the exit status (0, or 1 when nothing was written).
int run(const CornerRequest& request, std::FILE* out, std::FILE* err);

/// 2 x round(120 x size x widthUnits) by 2 x round(120 x size x heightUnits), halves rounded away from 0.
glm::ivec2 imageSize(double size);

/// The "PLIMSA_DEBUG" lines: root and head in the world and projected, the image size, the lowest bone.
void printDiagnostics(const CornerScene& scene, glm::ivec2 size, std::FILE* out);

}  // namespace CornerSnapshot

}  // namespace plimsa
