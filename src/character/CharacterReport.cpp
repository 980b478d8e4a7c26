#include "character/CharacterReport.h"

namespace plimsa {

namespace {

std::string sourceHeadline(const CharacterReport& report) {
    if (report.namedParts) return "Parts by name, as the built-in figure";
    switch (report.source) {
        case SkeletonBones::Source::vrm:
            return "Bones from the VRM map";
        case SkeletonBones::Source::names:
            return "Bones by name";
        case SkeletonBones::Source::shape:
            return "Bones from the skeleton's shape";
        case SkeletonBones::Source::none:
            break;
    }
    return "No bones found";
}

std::string sourceLine(const CharacterReport& report) {
    if (report.namedParts) return "parts named as the built-in figure's (Root, Torso, Head, ...)";
    switch (report.source) {
        case SkeletonBones::Source::vrm:
            return "the avatar's VRM humanoid map";
        case SkeletonBones::Source::names:
            return "the bone names";
        case SkeletonBones::Source::shape:
            return "the skeleton's shape in its rest pose (no bone names matched)";
        case SkeletonBones::Source::none:
            break;
    }
    return "none: neither names nor the skeleton's shape show hips or limbs";
}

std::string plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void section(std::string& out, const char* title, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    out += title;
    out += ":\n";
    for (const std::string& line : lines) out += "  " + line + "\n";
}

}  // namespace

bool CharacterReport::needsAttention() const {
    return !usable || !fallbacks.empty() || missingTextures > 0;
}

std::string CharacterReport::summary() const {
    if (!usable) return "Refused: " + refusal;
    std::string line = sourceHeadline(*this);
    if (!fallbacks.empty()) {
        line += "; " + fallbacks.front();
        if (fallbacks.size() > 1) line += " (+" + std::to_string(fallbacks.size() - 1) + " more)";
    }
    if (missingTextures > 0) line += "; " + plural(missingTextures, "texture", "textures") + " missing";
    return line;
}

std::string CharacterReport::text() const {
    std::string out = file + (usable ? ": loads as a character\n" : ": refused\n");
    if (!usable) {
        out += "Why: " + refusal + "\n";
        if (!refusalDetail.empty() && refusalDetail != refusal) out += "Detail: " + refusalDetail + "\n";
    } else {
        out += "Bones from: " + sourceLine(*this) + "\n";
        for (const std::string& line : bones) out += "  " + line + "\n";
        if (fallbacks.empty()) out += "Fallbacks: none, every part was found\n";
    }
    section(out, "Fallbacks", fallbacks);
    section(out, "Textures", textures);
    section(out, "Notes", notes);
    return out;
}

}  // namespace plimsa
