#include "character/BoneFinder.h"

#include "character/BoneRoles.h"
#include "character/BoneShape.h"
#include "character/HandBones.h"
#include "platform/gltf/GltfHumanoid.h"
#include "platform/scene/Node.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <string_view>
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
    {Affix::word, "upleg"},    {Affix::trailingInitial, "upperleg"}, {Affix::trailingInitial, "thigh"},
    {Affix::initial, "thigh"}, {Affix::trailingInitial, "upleg"},    {Affix::word, "thigh"},
    {Affix::initial, "upleg"}, {Affix::initial, "upperleg"},
};
constexpr Candidate kShin[] = {
    {Affix::word, "leg"},
    {Affix::trailingInitial, "lowerleg"},
    {Affix::trailingInitial, "calf"},
    {Affix::trailingInitial, "shin"},
    {Affix::initial, "calf"},
    {Affix::initial, "shin"},
    {Affix::word, "calf"},
    {Affix::word, "shin"},
    {Affix::trailingInitial, "leg"},
    {Affix::initial, "lowerleg"},
};
constexpr Candidate kUpperArm[] = {
    {Affix::word, "arm"},         {Affix::trailingInitial, "upperarm"},
    {Affix::initial, "upperarm"}, {Affix::trailingInitial, "arm"},
    {Affix::word, "upperarm"},    {Affix::initial, "arm"},
};
constexpr Candidate kForearm[] = {
    {Affix::word, "forearm"},    {Affix::trailingInitial, "forearm"}, {Affix::trailingInitial, "lowerarm"},
    {Affix::initial, "forearm"}, {Affix::initial, "lowerarm"},        {Affix::word, "lowerarm"},
};
constexpr Candidate kHand[] = {
    {Affix::word, "hand"},
    {Affix::trailingInitial, "hand"},
    {Affix::initial, "hand"},
};
constexpr Candidate kWrist[] = {
    {Affix::word, "wrist"},
    {Affix::trailingInitial, "wrist"},
    {Affix::initial, "wrist"},
};
constexpr Candidate kFoot[] = {
    {Affix::word, "foot"},  {Affix::trailingInitial, "foot"},  {Affix::initial, "foot"},
    {Affix::word, "ankle"}, {Affix::trailingInitial, "ankle"}, {Affix::initial, "ankle"},
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
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x6  ? 2
                          : (lead >> 4) == 0xE  ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
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

std::string nameOf(const Node* node) {
    return node != nullptr ? node->name() : std::string("-");
}

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
            return spellAll(kHand);
        case Bone::wrist:
            return spellAll(kWrist);
        case Bone::foot:
            break;
    }
    return spellAll(kFoot);
}

namespace {

constexpr const char* kSideNames[2] = {"left", "right"};

BoneRoles rolesByName(const NameTable& table) {
    BoneRoles roles;
    roles.hips = lookUp(table, {"hips", "pelvis", "hip", "root"});
    roles.spine = lookUp(table, {"spine", "spine1", "spine01", "spine0"});
    roles.head = lookUp(table, {"head"});
    if (roles.head == nullptr) roles.head = lookUp(table, {"neck"});
    for (size_t side = 0; side < 2; ++side) {
        const std::string_view word = kSideNames[side];
        Node* thigh = lookUp(table, BoneFinder::Bone::thigh, word);
        Node* shin = lookUp(table, BoneFinder::Bone::shin, word);
        if (thigh != nullptr && shin != nullptr) {
            roles.legs[side] = SkeletonBones::Leg{thigh, shin, lookUp(table, BoneFinder::Bone::foot, word)};
        }
        Node* upper = lookUp(table, BoneFinder::Bone::upperArm, word);
        Node* fore = lookUp(table, BoneFinder::Bone::forearm, word);
        Node* hand = lookUp(table, BoneFinder::Bone::hand, word);
        if (hand == nullptr) hand = lookUp(table, BoneFinder::Bone::wrist, word);
        if (upper != nullptr && fore != nullptr && hand != nullptr) {
            SkeletonBones::Arm arm;
            arm.upper = upper;
            arm.fore = fore;
            arm.hand = hand;
            arm.handEnd = handEndOf(*hand);
            HandBones::findFingers(arm);
            roles.arms[side] = std::move(arm);
        }
    }
    return roles;
}

// The map's nodes, when they lie in the model (a map naming a node elsewhere is ignored).
class MapReader {
  public:
    MapReader(const GltfHumanoid& map, const Node& model) : map_(map), model_(model) {}

    Node* bone(const std::string& name) const {
        Node* node = map_.bone(name);
        return node != nullptr && node != &model_ && model_.isAncestorOrSelf(node) ? node : nullptr;
    }

    // The joints of one finger, base first: those of `parts` the map names.
    std::vector<Node*> finger(const std::string& prefix, std::initializer_list<const char*> parts) const {
        std::vector<Node*> joints;
        for (const char* part : parts) {
            if (Node* node = bone(prefix + part)) joints.push_back(node);
        }
        return joints;
    }

  private:
    const GltfHumanoid& map_;
    const Node& model_;
};

BoneRoles rolesFromMap(const GltfHumanoid& humanoid, const Node& model) {
    const MapReader map(humanoid, model);
    BoneRoles roles;
    roles.hips = map.bone("hips");
    roles.spine = map.bone("spine");
    if (roles.spine == nullptr) roles.spine = map.bone("chest");
    roles.head = map.bone("head");
    if (roles.head == nullptr) roles.head = map.bone("neck");
    for (size_t side = 0; side < 2; ++side) {
        const std::string s = kSideNames[side];
        Node* thigh = map.bone(s + "UpperLeg");
        Node* shin = map.bone(s + "LowerLeg");
        if (thigh != nullptr && shin != nullptr)
            roles.legs[side] = SkeletonBones::Leg{thigh, shin, map.bone(s + "Foot")};
        Node* upper = map.bone(s + "UpperArm");
        Node* fore = map.bone(s + "LowerArm");
        Node* hand = map.bone(s + "Hand");
        if (upper == nullptr || fore == nullptr || hand == nullptr) continue;
        SkeletonBones::Arm arm;
        arm.upper = upper;
        arm.fore = fore;
        arm.hand = hand;
        // VRM 1.0 starts the thumb at its metacarpal, VRM 0.x calls the same joints proximal onwards.
        arm.thumb = map.finger(s + "Thumb", {"Metacarpal", "Proximal", "Intermediate", "Distal"});
        for (const char* finger : {"Index", "Middle", "Ring", "Little"}) {
            std::vector<Node*> joints = map.finger(s + finger, {"Proximal", "Intermediate", "Distal"});
            if (!joints.empty()) arm.fingers.push_back(std::move(joints));
        }
        arm.handEnd = map.bone(s + "MiddleProximal");
        if (arm.handEnd == nullptr)
            arm.handEnd = arm.fingers.empty() ? handEndOf(*hand) : arm.fingers.front().front();
        roles.arms[side] = std::move(arm);
    }
    return roles;
}

std::string fingerCount(const SkeletonBones::Arm& arm) {
    if (arm.fingers.empty() && arm.thumb.empty()) return "no finger bones";
    std::string text = arm.fingers.empty() ? std::string()
                                           : std::to_string(arm.fingers.size()) +
                                                 (arm.fingers.size() == 1 ? " finger" : " fingers");
    if (!arm.thumb.empty()) text += text.empty() ? "thumb" : " + thumb";
    return text;
}

// "left leg", "right arm"; a lone limb's side is not told.
std::string limbLabel(size_t index, size_t count, const char* limb) {
    return count == 2 ? std::string(kSideNames[index]) + " " + limb : std::string(limb);
}

}  // namespace

SkeletonBones BoneFinder::find(Node& model, const GltfHumanoid* humanoid) {
    const NameTable table = nameTable(model);
    const BoneRoles named = rolesByName(table);
    BoneRoles roles;
    SkeletonBones::Source source = SkeletonBones::Source::none;
    if (humanoid != nullptr) {
        roles = rolesFromMap(*humanoid, model);
        if (!roles.isEmpty()) source = SkeletonBones::Source::vrm;
    }
    if (source == SkeletonBones::Source::none) {
        roles = named;
        if (!roles.isEmpty()) source = SkeletonBones::Source::names;
    } else {
        roles.fillFrom(named);
    }
    if (roles.hips == nullptr || !roles.hasLimbs()) {
        const BoneRoles shape = BoneShape::find(model);
        if (source != SkeletonBones::Source::vrm && !roles.hasLimbs() && shape.hasLimbs()) {
            // A lone "root" found by name is rarely the hips of a skeleton whose limbs only the shape shows.
            roles = shape;
            source = SkeletonBones::Source::shape;
        } else {
            roles.fillFrom(shape);
            if (source == SkeletonBones::Source::none && !roles.isEmpty())
                source = SkeletonBones::Source::shape;
        }
    }
    SkeletonBones bones = roles.bones();
    bones.nameCount = table.size();
    bones.source = source;
    return bones;
}

void BoneFinder::describe(const SkeletonBones& bones, CharacterReport& report) {
    report.source = bones.source;
    std::string body;
    for (const auto& [node, role] :
         {std::pair{bones.hips, "hips"}, {bones.spine, "spine"}, {bones.head, "head"}}) {
        if (node != nullptr) body += (body.empty() ? "" : ", ") + node->name() + " (" + role + ")";
    }
    if (!body.empty()) report.bones.push_back("body: " + body);
    for (size_t i = 0; i < bones.legs.size(); ++i) {
        const SkeletonBones::Leg& leg = bones.legs[i];
        report.bones.push_back(limbLabel(i, bones.legs.size(), "leg") + ": " + leg.thigh->name() + ", " +
                               leg.shin->name() + ", " +
                               (leg.foot != nullptr ? leg.foot->name() + " (foot)" : "no foot"));
    }
    for (size_t i = 0; i < bones.arms.size(); ++i) {
        const SkeletonBones::Arm& arm = bones.arms[i];
        report.bones.push_back(limbLabel(i, bones.arms.size(), "arm") + ": " + arm.upper->name() + ", " +
                               arm.fore->name() + ", " + arm.hand->name() + " (hand), " + fingerCount(arm));
    }
    auto& fallbacks = report.fallbacks;
    if (bones.source == SkeletonBones::Source::none) {
        fallbacks.push_back("no bones recognised, so the model sits unposed");
        return;
    }
    if (bones.arms.empty()) fallbacks.push_back("no arms found, so no grip on the chains");
    if (bones.arms.size() == 1) fallbacks.push_back("only one arm found, so one hand does not grip");
    if (bones.legs.empty()) fallbacks.push_back("no legs found, so no kicking");
    if (bones.legs.size() == 1) fallbacks.push_back("only one leg found, so the other does not move");
    if (bones.head == nullptr) fallbacks.push_back("no head bone, so no head turn");
    if (bones.hips == nullptr) fallbacks.push_back("no hips bone, so the model is seated by its origin");
    if (bones.spine == nullptr) fallbacks.push_back("no spine bone, so no lean");
    const auto hasFoot = [](const SkeletonBones::Leg& leg) { return leg.foot != nullptr; };
    if (!bones.legs.empty() && std::none_of(bones.legs.begin(), bones.legs.end(), hasFoot)) {
        report.notes.push_back("no feet found");
    }
    const auto hasFingers = [](const SkeletonBones::Arm& arm) {
        return !arm.fingers.empty() || !arm.thumb.empty();
    };
    // Most rigs have mitten hands; gripping flat is how they are meant to look, so it is a note, not a
    // fallback the panel marks in gold.
    if (!bones.arms.empty() && std::none_of(bones.arms.begin(), bones.arms.end(), hasFingers)) {
        report.notes.push_back("no finger bones, so hands grip flat");
    }
}

std::string BoneFinder::summary(const SkeletonBones& bones) {
    return "SkinnedCharacter: hips=" + nameOf(bones.hips) + " spine=" + nameOf(bones.spine) +
           " head=" + nameOf(bones.head) + " legs=" + std::to_string(bones.legs.size()) +
           " arms=" + std::to_string(bones.arms.size()) + " bones=" + std::to_string(bones.nameCount);
}

}  // namespace plimsa
