#pragma once

#include "character/SkeletonBones.h"

#include <array>
#include <optional>

namespace plimsa {

class Node;

/// Bone roles as one source (a VRM map, the names, the skeleton's shape) found them, each limb kept on its
/// side, so that the roles one source lacks can be filled from the next. Plain value, any thread.
struct BoneRoles {
    enum Side { left = 0, right = 1 };

    Node* hips = nullptr;
    Node* spine = nullptr;
    Node* head = nullptr;
    std::array<std::optional<SkeletonBones::Leg>, 2> legs;
    std::array<std::optional<SkeletonBones::Arm>, 2> arms;

    bool hasLimbs() const { return legs[0] || legs[1] || arms[0] || arms[1]; }
    bool isEmpty() const { return hips == nullptr && !hasLimbs(); }

    /// Takes from `other` each role this one lacks: hips, spine, head, a whole limb of a side, or a foot,
    /// fingers, thumb or pointing finger of a limb both found on the same side. A limb whose first bone is
    /// already used by a role here is not taken.
    void fillFrom(const BoneRoles& other);

    /// The roles as the character uses them: legs and arms left first.
    SkeletonBones bones() const;

  private:
    bool uses(const Node* node) const;
};

}  // namespace plimsa
