#pragma once

#include "swing/SwingScene.h"

namespace plimsa {

/// Fills the empty members of a scene's `Services` with the program's own: the shared settings store,
/// the character library and loader, the built-in figure, the skinned character's lap-fallback counter
/// and a seed from the system's entropy source. Main thread.
class SwingSceneDefaults {
  public:
    static SwingScene::Services complete(SwingScene::Services services);
};

}  // namespace plimsa
