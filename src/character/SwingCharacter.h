#pragma once

#include <glm/glm.hpp>

#include <memory>
#include <vector>

#include "character/CharacterPose.h"

namespace plimsa {

class Node;

/// A character on screen, skinned model or built-in figure, as its owner (swing, corner sitter,
/// portrait) drives it. The character works in its rig frame, the frame of `root()`: +Y up, facing +Z,
/// 2.3 units tall standing at size multiplier 1.
///
/// Calling order: construct; add `root()` to the scene; then one `apply` per frame with a complete pose.
/// The other properties may be read at any time. Tearing down is removing `root()` from its parent.
/// Used by one thread at a time: the one that renders the owning scene (or builds it).
class SwingCharacter {
  public:
    virtual ~SwingCharacter() = default;

    /// The top node; the owner parents, positions and removes it. Never null.
    virtual const std::shared_ptr<Node>& root() const = 0;
    /// The head's node (aims portrait cameras, gives the head's depth for the cursor); `root()` when there
    /// is no head. Never null.
    virtual const std::shared_ptr<Node>& headNode() const = 0;
    /// Half the body's width across the shoulders, in rig units (seat layout).
    virtual double bodyHalfWidth() const = 0;
    /// Shoulder joint positions in rig coordinates (reach tests); empty when not measured.
    virtual std::vector<glm::vec3> shoulders() const = 0;
    /// Poses the character for this frame. `chainXs` and `ropes` in `pose` are in `swingFrame`'s
    /// coordinates. Never fails: parts the character does not have are skipped.
    virtual void apply(const CharacterPose& pose, Node& swingFrame) = 0;

  protected:
    SwingCharacter() = default;
    SwingCharacter(const SwingCharacter&) = delete;
    SwingCharacter& operator=(const SwingCharacter&) = delete;
};

}  // namespace plimsa
