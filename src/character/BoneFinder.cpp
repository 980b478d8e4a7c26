#include "character/BoneFinder.h"

#include "platform/scene/Node.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <unordered_map>

namespace plimsa {

namespace {

using NameTable = std::unordered_map<std::string, Node*>;

// How a candidate is spelled from a stem: side word first, side initial first, or side initial last.
enum class Affix { word, initial, trailingInitial };

struct Candidate {
    Affix affix;
    std::string_view stem;
};

constexpr Candidate kThigh[] = {
    {Affix::word, "upleg"},   {Affix::trailingInitial, "upperleg"}, {Affix::trailingInitial, "thigh"},
    {Affix::initial, "thigh"}, {Affix::trailingInitial, "upleg"},   {Affix::word, "thigh"},
    {Affix::initial, "upleg"}, {Affix::initial, "upperleg"},
};
constexpr Candidate kShin[] = {
    {Affix::word, "leg"},      {Affix::trailingInitial, "lowerleg"}, {Affix::trailingInitial, "calf"},
    {Affix::trailingInitial, "shin"}, {Affix::initial, "calf"},     {Affix::initial, "shin"},
    {Affix::word, "calf"},     {Affix::word, "shin"},               {Affix::trailingInitial, "leg"},
    {Affix::initial, "lowerleg"},
};
constexpr Candidate kUpperArm[] = {
    {Affix::word, "arm"},       {Affix::trailingInitial, "upperarm"}, {Affix::initial, "upperarm"},
    {Affix::trailingInitial, "arm"}, {Affix::word, "upperarm"},       {Affix::initial, "arm"},
};
constexpr Candidate kForearm[] = {
    {Affix::word, "forearm"},  {Affix::trailingInitial, "forearm"}, {Affix::trailingInitial, "lowerarm"},
    {Affix::initial, "forearm"}, {Affix::initial, "lowerarm"},      {Affix::word, "lowerarm"},
};
constexpr Candidate kHand[] = {
    {Affix::word, "hand"},
    {Affix::trailingInitial, "hand"},
    {Affix::initial, "hand"},
};

std::string spell(const Candidate& candidate, std::string_view side) {
    const std::string initial(side.substr(0, 1));
    switch (candidate.affix) {
        case Affix::word:
            return std::string(side) + std::string(candidate.stem);
        case Affix::initial:
            return initial + std::string(candidate.stem);
        case Affix::trailingInitial:
            break;
    }
    return std::string(candidate.stem) + initial;
}

Node* lookUp(const NameTable& table, std::initializer_list<std::string_view> keys) {
    for (std::string_view key : keys) {
        if (auto found = table.find(std::string(key)); found != table.end()) {
            return found->second;
        }
    }
    return nullptr;
}

Node* lookUp(const NameTable& table, BoneFinder::Bone bone, std::string_view side) {
    for (const std::string& key : BoneFinder::candidates(bone, side)) {
        if (auto found = table.find(key); found != table.end()) {
            return found->second;
        }
    }
    return nullptr;
}

std::string lowerCased(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

Node* handEndOf(const Node& hand) {
    const auto& children = hand.childNodes();
    for (const auto& child : children) {
        if (lowerCased(child->name()).find("middle") != std::string::npos) {
            return child.get();
        }
    }
    return children.empty() ? nullptr : children.front().get();
}

NameTable nameTable(Node& model) {
    NameTable table;
    model.enumerateChildNodes([&table](Node& node, bool&) {
        if (node.name().empty() || node.name() == "grab") {
            return;
        }
        table[BoneFinder::normalise(node.name())] = &node;
    });
    return table;
}

// Bytes in the UTF-8 sequence starting at `at`: 1 for ASCII, 2 to 4 for a well-formed multi-byte
// character, 0 for a malformed or truncated one (skipped a byte at a time).
size_t utf8Length(const std::string& text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[at + k]) >> 6) != 0x2) {
            return 0;
        }
    }
    return length;
}

char32_t decodeUtf8(const std::string& text, size_t at, size_t length) {
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = static_cast<unsigned char>(text[at]) & kLeadMask[length];
    for (size_t k = 1; k < length; ++k) {
        code = (code << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
    }
    return code;
}

// Names from non-English rigs ("Hüfte", "左腕") keep their letters; spaces, dashes, dots and other
// punctuation of the Latin-1, general-punctuation and CJK-punctuation blocks are dropped like ASCII ones.
bool isLetterOutsideAscii(char32_t code) {
    if (code < 0xC0 || code == 0xD7 || code == 0xF7) {
        return false;
    }
    const bool punctuation = (code >= 0x2000 && code <= 0x2BFF) || (code >= 0x3000 && code <= 0x303F) ||
                             (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF0F) ||
                             (code >= 0xFFF0);
    return !punctuation;
}

std::string nameOf(const Node* node) { return node != nullptr ? node->name() : std::string("-"); }

}  // namespace

std::string BoneFinder::normalise(std::string_view name) {
    std::string lower = lowerCased(name);
    for (std::string_view prefix : {"mixamorig:", "mixamorig_", "mixamorig"}) {
        if (lower.starts_with(prefix)) {
            lower.erase(0, prefix.size());
        }
    }
    std::string key;
    key.reserve(lower.size());
    size_t i = 0;
    while (i < lower.size()) {
        const size_t length = utf8Length(lower, i);
        if (length == 1) {
            const char c = lower[i];
            if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
                key.push_back(c);
            }
        } else if (length > 1 && isLetterOutsideAscii(decodeUtf8(lower, i, length))) {
            key.append(lower, i, length);
        }
        i += std::max<size_t>(length, 1);
    }
    return key;
}

std::vector<std::string> BoneFinder::candidates(Bone bone, std::string_view side) {
    auto spellAll = [side](const auto& list) {
        std::vector<std::string> keys;
        for (const Candidate& candidate : list) {
            keys.push_back(spell(candidate, side));
        }
        return keys;
    };
    switch (bone) {
        case Bone::thigh:
            return spellAll(kThigh);
        case Bone::shin:
            return spellAll(kShin);
        case Bone::upperArm:
            return spellAll(kUpperArm);
        case Bone::forearm:
            return spellAll(kForearm);
        case Bone::hand:
            break;
    }
    return spellAll(kHand);
}

SkeletonBones BoneFinder::find(Node& model, const GltfHumanoid* /*humanoid*/) {
    const NameTable table = nameTable(model);
    SkeletonBones bones;
    bones.nameCount = table.size();
    bones.hips = lookUp(table, {"hips", "pelvis", "hip", "root"});
    bones.spine = lookUp(table, {"spine", "spine1", "spine01", "spine0"});
    bones.head = lookUp(table, {"head"});
    Node* neck = lookUp(table, {"neck"});
    for (std::string_view side : {"left", "right"}) {
        Node* thigh = lookUp(table, Bone::thigh, side);
        Node* shin = lookUp(table, Bone::shin, side);
        if (thigh != nullptr && shin != nullptr) {
            bones.legs.push_back({.thigh = thigh, .shin = shin, .foot = nullptr});
        }
        Node* upper = lookUp(table, Bone::upperArm, side);
        Node* fore = lookUp(table, Bone::forearm, side);
        Node* hand = lookUp(table, Bone::hand, side);
        if (upper != nullptr && fore != nullptr && hand != nullptr) {
            bones.arms.push_back({.upper = upper, .fore = fore, .hand = hand, .handEnd = handEndOf(*hand), .fingers = {}, .thumb = {}});
        }
    }
    if (bones.head == nullptr) {
        bones.head = neck;
    }
    if (bones.hips != nullptr || !bones.legs.empty() || !bones.arms.empty()) {
        bones.source = SkeletonBones::Source::names;
    }
    return bones;
}

void BoneFinder::describe(const SkeletonBones& bones, CharacterReport& report) {
    report.source = bones.source;
    report.bones.push_back("hips: " + nameOf(bones.hips));
    report.bones.push_back("head: " + nameOf(bones.head));
    report.bones.push_back("legs: " + std::to_string(bones.legs.size()) + ", arms: " + std::to_string(bones.arms.size()));
    if (bones.arms.empty()) {
        report.fallbacks.push_back("no arms found, so no grip on the chains");
    }
    if (bones.legs.empty()) {
        report.fallbacks.push_back("no legs found, so no kicking");
    }
}

std::string BoneFinder::summary(const SkeletonBones& bones) {
    return "SkinnedCharacter: hips=" + nameOf(bones.hips) + " spine=" + nameOf(bones.spine) +
           " head=" + nameOf(bones.head) + " legs=" + std::to_string(bones.legs.size()) +
           " arms=" + std::to_string(bones.arms.size()) + " bones=" + std::to_string(bones.nameCount);
}

}  // namespace plimsa
