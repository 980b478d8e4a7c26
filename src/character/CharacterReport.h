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
    /// Why it does not, in plain words, when not usable ("not a glTF or VRM file, or a damaged one").
    std::string refusal;
    /// The loader's own words for a refusal ("binary glTF file is truncated ..."), or "".
    std::string refusalDetail;
    /// Where the bone roles came from.
    SkeletonBones::Source source = SkeletonBones::Source::none;
    /// The model is a scene of named parts in the built-in figure's layout, not a skinned rig.
    bool namedParts = false;
    /// What was found, one line per part: "hips: Hips", "left leg: LeftUpLeg, LeftLeg, LeftFoot", ...
    std::vector<std::string> bones;
    /// What the character does without: "no arms found, so no grip on the chains".
    std::vector<std::string> fallbacks;
    /// Textures missing (drawn in their base colour) or made smaller.
    std::vector<std::string> textures;
    /// How many of `textures` are missing ones (the rest were made smaller).
    int missingTextures = 0;
    /// Anything else worth knowing ("VRM 0.x avatar turned to face forward").
    std::vector<std::string> notes;

    /// Whether the person should look at the report: the file was refused, something fell back or a
    /// texture is missing. A texture only made smaller is not worth their attention.
    bool needsAttention() const;
    /// One short line for under a portrait: "Bones from the VRM map", "Bones by name; no arms found, so
    /// no grip on the chains", "Refused: not a glTF or VRM file, or a damaged one".
    std::string summary() const;
    /// The whole report: several lines, each ending in a newline; sections without lines are left out.
    std::string text() const;
};

}  // namespace plimsa
