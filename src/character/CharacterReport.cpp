#include "character/CharacterReport.h"

namespace plimsa {

std::string CharacterReport::summary() const {
    if (!usable) return "refused: " + refusal;
    return fallbacks.empty() ? std::string("all parts found") : fallbacks.front();
}

std::string CharacterReport::text() const {
    std::string out = file + (usable ? "\n" : ": refused: " + refusal + "\n");
    for (const auto* lines : {&bones, &fallbacks, &textures, &notes}) {
        for (const std::string& line : *lines) out += "  " + line + "\n";
    }
    return out;
}

}  // namespace plimsa
