#pragma once

#include "character/SkeletonBones.h"

namespace plimsa {

class Node;

/// The finger bones under a found hand. Stateless; the thread that owns the model's nodes.
class HandBones {
  public:
    /// Fills `arm.fingers` and `arm.thumb` from the hand's child chains: each child of the hand that is
    /// not a mesh, followed down its first such child, counts when it is at least two joints long (a
    /// single leaf is an end or a twist bone). The thumb is the chain whose joints are named "thumb" or
    /// "pollex". When no chain carries a finger's name, it is the chain whose base lies at the widest
    /// angle from the forearm's line through the wrist, provided that angle is at least 10 degrees wider
    /// than any other chain's (the thumb leaves the hand sideways, the other fingers continue the arm).
    /// Needs `arm.fore` and `arm.hand`; leaves the arm alone without them.
    static void findFingers(SkeletonBones::Arm& arm);

    /// The base of the non-thumb finger that reaches farthest from the wrist (usually the middle finger),
    /// or null without fingers.
    static Node* longestFinger(const SkeletonBones::Arm& arm);
};

}  // namespace plimsa
