#pragma once

#include <cstdint>

namespace plimsa {

/// A process-wide unique, never reused, non-zero number for a scene object (geometry, material, texture).
/// Renderers key their GPU caches on it together with the object's revision: the pair changes whenever the
/// object's contents do, so a cache never confuses a new object with a freed one at the same address.
/// Thread-safe.
uint64_t nextSceneObjectIdentity();

}  // namespace plimsa
