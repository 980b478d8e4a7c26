#pragma once

#include "character/SkeletonBones.h"

#include <string>
#include <vector>

namespace plimsa {

/// What loading one model as a character found and did, written for the person who picked the file:
/// printed by "plimsa --inspect MODEL", shown under a portrait in the panel, and given for each file of
/// an imported pack that did not load. Plain value, any thread.
struct CharacterReport {
    /// The file name as shown ("Robot.vrm").
    std::string file;
    /// Whether the file loads as a character.
    bool usable = false;
    /// Why it does not, when not usable ("not a glTF or VRM file", the loader's error).
    std::string refusal;
    /// Where the bone roles came from.
    SkeletonBones::Source source = SkeletonBones::Source::none;
    /// What was found, one line per part: "hips: Hips", "left leg: LeftUpLeg, LeftLeg, LeftFoot", ...
    std::vector<std::string> bones;
    /// What the character does without: "no arms found, so no grip on the chains".
    std::vector<std::string> fallbacks;
    /// Textures missing (drawn in their base colour) or made smaller.
    std::vector<std::string> textures;
    /// Anything else worth knowing ("VRM 0.x avatar turned to face forward").
    std::vector<std::string> notes;

    /// One short line for under a portrait.
    std::string summary() const;
    /// The whole report: several lines, each ending in a newline.
    std::string text() const;
};

}  // namespace plimsa
