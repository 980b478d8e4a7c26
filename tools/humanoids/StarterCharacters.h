#pragma once

#include "humanoids/StarterBody.h"

#include <vector>

namespace plimsa {

/// The free starter pack's two characters, designed here and built by StarterBody and StarterWriter:
/// "Poppy" (slight, auburn buns, yellow raincoat, green wellies) and "Basil" (broad, bearded, sailor cap,
/// striped shirt, brown boots). Both are chibi-leaning humanoids with a full rig (65 joints, four-bone
/// finger chains and a thumb on each hand) whose names are the design's `name` (the file is <name>.glb).
namespace StarterCharacters {

StarterDesign poppy();
StarterDesign basil();
/// Poppy, then Basil.
std::vector<StarterDesign> all();

}  // namespace StarterCharacters

}  // namespace plimsa
