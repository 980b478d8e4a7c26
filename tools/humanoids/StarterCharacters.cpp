#include "humanoids/StarterCharacters.h"

#include <array>
#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>

namespace plimsa::StarterCharacters {
namespace {

using Anchors = std::vector<std::pair<float, std::string>>;

constexpr float kSoleHeight = 0.012f;
// The sole stands out a hair (far less than a grid step) so its edge is a clean crossing, not a tie.
constexpr float kSoleRim = 0.0008f;

// Where a character's joints sit (metres; x of the character's left side, mirrored for the right).
struct Frame {
    float hips, spine, spine1, spine2, neck, head, headTop;
    float armY, upperArmX, elbowX, wristX;
    float legX, upLegY, kneeY, ankleY;
    float handScale;  // finger lengths relative to an adult's
};

struct Finger {
    const char* name;
    std::array<glm::vec3, 4> points;  // left hand, relative to the wrist, knuckle to tip
};

// Short, stubby fingers read as hands at the size the characters are seen.
const std::array<Finger, 5> kFingers = {{
    {"Thumb",
     {{{0.028f, -0.012f, 0.024f},
       {0.052f, -0.016f, 0.040f},
       {0.072f, -0.020f, 0.050f},
       {0.088f, -0.022f, 0.056f}}}},
    {"Index",
     {{{0.085f, 0.0f, 0.021f}, {0.118f, 0.0f, 0.023f}, {0.140f, 0.0f, 0.024f}, {0.158f, 0.0f, 0.024f}}}},
    {"Middle", {{{0.090f, 0.0f, 0.0f}, {0.124f, 0.0f, 0.0f}, {0.148f, 0.0f, 0.0f}, {0.168f, 0.0f, 0.0f}}}},
    {"Ring",
     {{{0.085f, 0.0f, -0.020f}, {0.116f, 0.0f, -0.021f}, {0.138f, 0.0f, -0.022f}, {0.156f, 0.0f, -0.022f}}}},
    {"Pinky",
     {{{0.077f, 0.0f, -0.038f}, {0.100f, 0.0f, -0.040f}, {0.117f, 0.0f, -0.041f}, {0.131f, 0.0f, -0.041f}}}},
}};

class Builder {
  public:
    explicit Builder(std::string name) { design.name = std::move(name); }

    StarterDesign design;

    void joint(const std::string& name, const std::string& parent, const glm::vec3& position) {
        int parentIndex = -1;
        for (size_t i = 0; i < design.joints.size(); ++i)
            if (design.joints[i].canonical == parent) parentIndex = static_cast<int>(i);
        design.joints.push_back({name, parentIndex, position, {1, 0, 0, 0}});
    }

    void skeleton(const Frame& f) {
        joint("Hips", "", {0, f.hips, 0});
        joint("Spine", "Hips", {0, f.spine, 0});
        joint("Spine1", "Spine", {0, f.spine1, 0});
        joint("Spine2", "Spine1", {0, f.spine2, 0});
        joint("Neck", "Spine2", {0, f.neck, 0});
        joint("Head", "Neck", {0, f.head, 0.01f});
        joint("HeadTop_End", "Head", {0, f.headTop, 0.01f});
        for (const auto& [side, sign] : {std::pair{"Left", 1.0f}, std::pair{"Right", -1.0f}}) {
            const std::string s = side;
            const glm::vec3 m{sign, 1, 1};
            joint(s + "Shoulder", "Spine2", glm::vec3(0.035f, f.armY - 0.01f, 0) * m);
            joint(s + "Arm", s + "Shoulder", glm::vec3(f.upperArmX, f.armY, -0.005f) * m);
            joint(s + "ForeArm", s + "Arm", glm::vec3(f.elbowX, f.armY, -0.008f) * m);
            const glm::vec3 wrist = glm::vec3(f.wristX, f.armY, -0.008f) * m;
            joint(s + "Hand", s + "ForeArm", wrist);
            for (const Finger& finger : kFingers) {
                std::string parent = s + "Hand";
                for (size_t i = 0; i < 4; ++i) {
                    const std::string name = s + "Hand" + finger.name + std::to_string(i + 1);
                    joint(name, parent, wrist + finger.points[i] * f.handScale * m);
                    parent = name;
                }
            }
        }
        for (const auto& [side, sign] : {std::pair{"Left", 1.0f}, std::pair{"Right", -1.0f}}) {
            const std::string s = side;
            const glm::vec3 m{sign, 1, 1};
            joint(s + "UpLeg", "Hips", glm::vec3(f.legX, f.upLegY, 0) * m);
            joint(s + "Leg", s + "UpLeg", glm::vec3(f.legX, f.kneeY, 0.008f) * m);
            joint(s + "Foot", s + "Leg", glm::vec3(f.legX, f.ankleY, -0.01f) * m);
            joint(s + "ToeBase", s + "Foot", glm::vec3(f.legX, 0.025f, 0.075f) * m);
            joint(s + "Toe_End", s + "ToeBase", glm::vec3(f.legX, 0.025f, 0.125f) * m);
        }
    }

    void paint(std::initializer_list<std::pair<Look, glm::vec3>> colours) {
        for (const auto& [look, srgb] : colours) design.colours[static_cast<size_t>(look)] = srgb;
    }

    glm::vec3 at(const std::string& joint) const {
        for (const HumanoidJoint& j : design.joints)
            if (j.canonical == joint) return j.position;
        return glm::vec3(0.0f);
    }

    ShapePart& cone(const glm::vec3& a, const glm::vec3& b, float ra, float rb, Look look, Anchors anchors,
                    float blend = 0.02f) {
        ShapePart part;
        part.a = a;
        part.b = b;
        part.radiusA = ra;
        part.radiusB = rb;
        part.look = look;
        part.anchors = std::move(anchors);
        part.blend = blend;
        return design.body.emplace_back(std::move(part));
    }

    // An upright band with flat top and bottom (a rim, a belt, a cuff) around the vertical line through
    // `centre`.
    ShapePart& ring(const glm::vec3& centre, float bottom, float top, float radius, Look look,
                    Anchors anchors, float blend = 0.0f) {
        ShapePart& part = cone({centre.x, bottom, centre.z}, {centre.x, top, centre.z}, radius, radius, look,
                               std::move(anchors), blend);
        part.cuts = {ShapePart::cut({0, bottom, 0}, {0, -1, 0}, true),
                     ShapePart::cut({0, top, 0}, {0, 1, 0}, true)};
        return part;
    }

    ShapePart& blob(const glm::vec3& centre, const glm::vec3& radii, Look look, const std::string& joint,
                    float blend = 0.02f) {
        ShapePart part;
        part.kind = ShapePart::Kind::ellipsoid;
        part.a = centre;
        part.b = centre + glm::vec3(0, 1, 0);
        part.radii = radii;
        part.look = look;
        part.anchors = {{0.0f, joint}};
        part.blend = blend;
        return design.body.emplace_back(std::move(part));
    }

    // A small closed part meshed on its own, stuck to the surface where the ray from `from` along
    // `direction` leaves the body, sunk `depth` into it.
    ShapePart& stud(const glm::vec3& from, const glm::vec3& direction, const glm::vec3& radii, float depth,
                    Look look, const std::string& joint) {
        const glm::vec3 surface = StarterBody::surfacePoint(design.body, from, direction);
        return bead(surface - glm::normalize(direction) * depth, radii, look, joint);
    }

    ShapePart& bead(const glm::vec3& centre, const glm::vec3& radii, Look look, const std::string& joint) {
        ShapePart part;
        part.kind = ShapePart::Kind::ellipsoid;
        part.a = centre;
        part.radii = radii;
        part.look = look;
        part.anchors = {{0.0f, joint}};
        return design.details.emplace_back(std::move(part));
    }

    ShapePart& stroke(const glm::vec3& a, const glm::vec3& b, float radius, Look look,
                      const std::string& joint) {
        ShapePart part;
        part.a = a;
        part.b = b;
        part.radiusA = part.radiusB = radius;
        part.look = look;
        part.anchors = {{0.0f, joint}};
        return design.details.emplace_back(std::move(part));
    }

    glm::vec3 surface(const glm::vec3& from, const glm::vec3& direction) const {
        return StarterBody::surfacePoint(design.body, from, direction);
    }

    // A sided limb segment from joint `from` to joint `to` whose weights hand over at both ends.
    ShapePart& limb(const glm::vec3& a, const glm::vec3& b, float ra, float rb, Look look,
                    const std::string& before, const std::string& bone, const std::string& after,
                    float blend = 0.02f) {
        return cone(a, b, ra, rb, look, {{-0.15f, before}, {0.15f, bone}, {0.85f, bone}, {1.15f, after}},
                    blend);
    }

    // A rounded boot foot standing on y = 0 with a dark sole band round its bottom. The sole is all but the
    // upper's own shape, so it adds no ledge thin enough for the mesh to fold on.
    void foot(const glm::vec3& heel, const glm::vec3& toe, float heelRadius, float toeRadius,
              const std::string& side) {
        const Anchors anchors{{0.3f, side + "Foot"}, {0.8f, side + "ToeBase"}};
        cone(heel, toe, heelRadius, toeRadius, Look::boots, anchors, 0.03f).cuts = {
            ShapePart::cut({0, kSoleHeight, 0}, {0, -1, 0}, true)};
        cone(heel, toe, heelRadius + kSoleRim, toeRadius + kSoleRim, Look::soles, anchors, 0.0f).cuts = {
            ShapePart::cut({0, 0.0f, 0}, {0, -1, 0}, true),
            ShapePart::cut({0, 2.0f * kSoleHeight, 0}, {0, 1, 0}, true)};
    }

    // Palm and five finger chains of one hand (meshed on their own, skin coloured).
    void hand(const std::string& side, float scale) {
        const std::string s = side;
        const glm::vec3 wrist = at(s + "Hand");
        const float sign = wrist.x > 0.0f ? 1.0f : -1.0f;
        ShapePart palm;
        palm.a = wrist + glm::vec3(0.004f * sign, 0, 0);
        palm.b = wrist + glm::vec3(0.058f * sign * scale / 0.62f, 0, 0);
        palm.radiusA = 0.028f * scale / 0.62f;
        palm.radiusB = 0.031f * scale / 0.62f;
        palm.squash = {1.0f, 0.55f, 1.0f};
        palm.look = Look::skin;
        palm.anchors = {{-0.3f, s + "ForeArm"}, {0.3f, s + "Hand"}};
        design.details.push_back(palm);
        for (const Finger& finger : kFingers) {
            const std::string base = s + "Hand" + finger.name;
            const glm::vec3 p1 = at(base + "1");
            const glm::vec3 tip = at(base + "4");
            const float length = glm::length(tip - p1);
            const auto t = [&](int i) { return glm::length(at(base + std::to_string(i)) - p1) / length; };
            const float radius = (std::string(finger.name) == "Thumb" ? 0.0115f : 0.0095f) * scale / 0.62f;
            ShapePart part;
            part.a = p1;
            part.b = tip - glm::normalize(tip - p1) * radius * 0.6f;
            part.radiusA = radius;
            part.radiusB = radius * 0.85f;
            part.look = Look::skin;
            part.anchors = {{-0.15f, s + "Hand"},       {0.15f, base + "1"},
                            {t(2) - 0.08f, base + "1"}, {t(2) + 0.08f, base + "2"},
                            {t(3) - 0.08f, base + "2"}, {t(3) + 0.08f, base + "3"}};
            design.details.push_back(part);
        }
    }
};

const std::array<std::pair<const char*, float>, 2> kSides = {{{"Left", 1.0f}, {"Right", -1.0f}}};

// Eyes with a highlight, and a smiling mouth, on the face around `head` (the head's centre).
void face(Builder& b, const glm::vec3& head, const glm::vec3& eyeRadii, float eyeSpread, float mouthDrop) {
    for (const auto& [side, sign] : kSides) {
        const glm::vec3 eyeDirection{sign * eyeSpread, -0.08f, 1.0f};
        // Sunk most of the way in, so in profile the eyes barely stand proud of the face; the highlight sits
        // on the iris's upper left, half out of it.
        const ShapePart& iris = b.stud(head, eyeDirection, eyeRadii, eyeRadii.z * 0.7f, Look::iris, "Head");
        const glm::vec3 centre = iris.a;
        const glm::vec2 at{0.35f, 0.38f};
        const float irisFront = eyeRadii.z * std::sqrt(1.0f - at.x * at.x - at.y * at.y);
        const float shine = eyeRadii.x * 0.36f;
        b.bead(centre + glm::vec3(at.x * eyeRadii.x, at.y * eyeRadii.y, irisFront - 0.4f * shine),
               glm::vec3(shine), Look::shine, "Head");
    }
    const glm::vec3 mouth = b.surface(head, {0.0f, -mouthDrop, 1.0f});
    for (float sign : {-1.0f, 1.0f}) {
        const glm::vec3 corner =
            b.surface(head + glm::vec3(sign * 0.02f, 0.0f, 0.0f), {0.0f, -mouthDrop + 0.03f, 1.0f});
        b.stroke(mouth - glm::vec3(0, 0, 0.001f), corner - glm::vec3(0, 0, 0.0015f), 0.0042f, Look::mouth,
                 "Head");
    }
}

void poppyBody(Builder& b, const glm::vec3& head) {
    b.blob(head, {0.150f, 0.143f, 0.136f}, Look::skin, "Head", 0.0f);
    b.blob(head + glm::vec3(0, -0.045f, 0.02f), {0.125f, 0.095f, 0.115f}, Look::skin, "Head", 0.05f);
    b.blob(head + glm::vec3(0, -0.03f, 0.135f), {0.017f, 0.013f, 0.014f}, Look::skin, "Head", 0.012f);
    b.cone({0, 0.86f, 0}, {0, 1.00f, 0.005f}, 0.042f, 0.04f, Look::skin,
           {{0.0f, "Spine2"}, {0.3f, "Neck"}, {0.8f, "Neck"}, {1.0f, "Head"}});
    b.ring({0, 0, 0}, 0.86f, 0.925f, 0.05f, Look::top, {{0.0f, "Spine2"}, {1.0f, "Neck"}}, 0.01f);
}

// The raincoat flares from the shoulders to mid-thigh, buttoned down the front, over a green top.
void poppyCoat(Builder& b) {
    // At the hem each half follows its own thigh half way, so when seated the front lies over the lap and
    // the back under it.
    for (const auto& [side, sign] : kSides) {
        ShapePart& coat = b.cone({0, 0.82f, 0}, {0, 0.50f, 0}, 0.11f, 0.175f, Look::coat,
                                 {{0.0f, "Spine2"},
                                  {0.25f, "Spine1"},
                                  {0.5f, "Spine"},
                                  {0.75f, "Hips"},
                                  {1.7f, std::string(side) + "UpLeg"}},
                                 sign > 0.0f ? 0.03f : 0.0f);
        coat.squash = {1.0f, 1.0f, 0.74f};
        // The halves overlap a little: a solid cut exactly at x = 0 would leave a zero-thickness gap there.
        coat.cuts = {ShapePart::cut({0, 0.43f, 0}, {0, -1, 0}, true),
                     ShapePart::cut({-sign * 0.01f, 0, 0}, {-sign, 0, 0}, true)};
        b.blob({sign * 0.052f, 0.905f, 0.062f}, {0.04f, 0.018f, 0.03f}, Look::coat, "Spine2", 0.01f);
    }
    for (const auto& [side, sign] : kSides) {
        const std::string s = side;
        b.limb(b.at(s + "Arm") + glm::vec3(-sign * 0.02f, 0, 0), b.at(s + "ForeArm"), 0.055f, 0.047f,
               Look::coat, s + "Shoulder", s + "Arm", s + "ForeArm", 0.04f);
        b.limb(b.at(s + "ForeArm"), b.at(s + "Hand") - glm::vec3(sign * 0.025f, 0, 0), 0.047f, 0.053f,
               Look::coat, s + "Arm", s + "ForeArm", s + "Hand", 0.01f);
        b.limb(b.at(s + "Hand") - glm::vec3(sign * 0.05f, 0, 0), b.at(s + "Hand"), 0.026f, 0.026f, Look::skin,
               s + "Arm", s + "ForeArm", s + "Hand", 0.0f);
    }
}

void poppyLegs(Builder& b, const Frame& f) {
    b.blob({0, 0.55f, 0}, {0.12f, 0.08f, 0.09f}, Look::legwear, "Hips");
    for (const auto& [side, sign] : kSides) {
        const std::string s = side;
        b.limb(b.at(s + "UpLeg"), b.at(s + "Leg"), 0.066f, 0.05f, Look::legwear, "Hips", s + "UpLeg",
               s + "Leg");
        b.limb(b.at(s + "Leg"), b.at(s + "Foot"), 0.05f, 0.042f, Look::legwear, s + "UpLeg", s + "Leg",
               s + "Foot");
        const float x = sign * f.legX;
        // Wellies: a tube, a rounded foot and a dark sole.
        b.cone({x, 0.31f, 0.003f}, {x, 0.09f, -0.005f}, 0.058f, 0.054f, Look::boots,
               {{0.0f, s + "Leg"}, {0.85f, s + "Leg"}, {1.1f, s + "Foot"}}, 0.004f)
            .cuts = {ShapePart::cut({0, 0.31f, 0}, {0, 1, 0}, true)};
        const glm::vec3 heel{x, 0.046f, -0.035f};
        const glm::vec3 toe{x, 0.042f, 0.085f};
        b.foot(heel, toe, 0.048f, 0.043f, s);
    }
}

void poppyHead(Builder& b, const glm::vec3& head) {
    // Hair: a cap leaving the face free, a scalloped fringe, locks over the ears and two round buns.
    b.blob(head + glm::vec3(0, 0.012f, -0.008f), {0.160f, 0.156f, 0.150f}, Look::hair, "Head", 0.01f).cuts = {
        ShapePart::cut(head + glm::vec3(0, 0.045f, 0.10f), {0, -1, 0.9f}, true)};
    for (float x : {-0.072f, 0.0f, 0.072f})
        b.blob(head + glm::vec3(x, 0.078f + 0.1f * x * x, 0.102f - 0.35f * x * x), {0.062f, 0.048f, 0.045f},
               Look::hair, "Head", 0.02f);
    for (const auto& [side, sign] : kSides) {
        b.blob(head + glm::vec3(sign * 0.128f, -0.03f, 0.0f), {0.045f, 0.085f, 0.07f}, Look::hair, "Head",
               0.02f);
        b.blob(head + glm::vec3(sign * 0.115f, 0.125f, -0.03f), glm::vec3(0.062f), Look::hair, "Head", 0.02f);
    }

    face(b, head, {0.021f, 0.028f, 0.012f}, 0.36f, 0.58f);
    for (const auto& [side, sign] : kSides) {
        b.stud(head, {sign * 0.62f, -0.36f, 1.0f}, {0.022f, 0.012f, 0.009f}, 0.006f, Look::blush, "Head");
        for (const glm::vec3& spot : {glm::vec3(0.44f, -0.22f, 1), glm::vec3(0.56f, -0.19f, 1),
                                      glm::vec3(0.50f, -0.28f, 1), glm::vec3(0.38f, -0.30f, 1)})
            b.stud(head, spot * glm::vec3(sign, 1, 1), glm::vec3(0.0042f), 0.0025f, Look::freckle, "Head");
    }
    for (float y : {0.78f, 0.68f, 0.58f})
        b.stud({0, y, 0}, {0, 0, 1}, {0.013f, 0.013f, 0.008f}, 0.004f, Look::button,
               y > 0.7f ? "Spine1" : "Hips");
}

void basilBody(Builder& b, const glm::vec3& head) {
    b.blob(head, {0.148f, 0.140f, 0.136f}, Look::skin, "Head", 0.0f);
    b.blob(head + glm::vec3(0, -0.05f, 0.015f), {0.13f, 0.09f, 0.115f}, Look::skin, "Head", 0.05f);
    b.blob(head + glm::vec3(0, -0.025f, 0.135f), {0.024f, 0.02f, 0.02f}, Look::skin, "Head", 0.012f);
    b.cone({0, 0.90f, 0}, {0, 1.05f, 0.005f}, 0.058f, 0.055f, Look::skin,
           {{0.0f, "Spine2"}, {0.3f, "Neck"}, {0.8f, "Neck"}, {1.0f, "Head"}});
    for (const auto& [side, sign] : kSides)
        b.blob(head + glm::vec3(sign * 0.145f, -0.015f, -0.005f), {0.022f, 0.034f, 0.016f}, Look::skin,
               "Head", 0.01f);
}

// A broad striped shirt, navy trousers with a belt, rolled-up hems over ankle boots.
void basilClothes(Builder& b, const Frame& f) {
    b.cone({0, 0.83f, 0}, {0, 0.62f, 0}, 0.14f, 0.14f, Look::stripes,
           {{0.0f, "Spine2"}, {0.4f, "Spine1"}, {0.75f, "Spine"}, {1.1f, "Hips"}})
        .squash = {1.0f, 1.0f, 0.72f};
    b.blob({0, 0.86f, 0}, {0.21f, 0.085f, 0.11f}, Look::stripes, "Spine2", 0.05f);
    for (const auto& [side, sign] : kSides) {
        const std::string s = side;
        b.limb(b.at(s + "Arm") + glm::vec3(-sign * 0.03f, 0, 0), b.at(s + "ForeArm"), 0.066f, 0.055f,
               Look::sleeves, s + "Shoulder", s + "Arm", s + "ForeArm", 0.04f)
            .stripeAxis = {1, 0, 0};
        b.limb(b.at(s + "ForeArm"), b.at(s + "ForeArm") + glm::vec3(sign * 0.08f, 0, 0), 0.055f, 0.052f,
               Look::sleeves, s + "Arm", s + "ForeArm", s + "Hand", 0.005f)
            .stripeAxis = {1, 0, 0};
        b.limb(b.at(s + "ForeArm") + glm::vec3(sign * 0.05f, 0, 0), b.at(s + "Hand"), 0.045f, 0.034f,
               Look::skin, s + "Arm", s + "ForeArm", s + "Hand", 0.0f);
    }
    b.blob({0, 0.60f, 0}, {0.16f, 0.10f, 0.115f}, Look::legwear, "Hips", 0.01f).cuts = {
        ShapePart::cut({0, 0.655f, 0}, {0, 1, 0}, true)};
    b.ring({0, 0, 0}, 0.632f, 0.662f, 0.152f, Look::button, {{0.0f, "Hips"}}).squash = {1.0f, 1.0f, 0.76f};
    for (const auto& [side, sign] : kSides) {
        const std::string s = side;
        b.limb(b.at(s + "UpLeg"), b.at(s + "Leg"), 0.085f, 0.066f, Look::legwear, "Hips", s + "UpLeg",
               s + "Leg");
        const float x = sign * f.legX;
        b.limb(b.at(s + "Leg"), {x, 0.17f, 0.0f}, 0.066f, 0.058f, Look::legwear, s + "UpLeg", s + "Leg",
               s + "Foot");
        // Rolled-up hems over ankle boots.
        b.ring({x, 0, 0}, 0.15f, 0.195f, 0.071f, Look::legwear, {{0.0f, s + "Foot"}, {1.0f, s + "Leg"}},
               0.006f);
        b.cone({x, 0.16f, 0.0f}, {x, 0.07f, 0.0f}, 0.062f, 0.06f, Look::boots,
               {{0.0f, s + "Leg"}, {1.0f, s + "Foot"}}, 0.004f);
        const glm::vec3 heel{x, 0.05f, -0.04f};
        const glm::vec3 toe{x, 0.045f, 0.10f};
        b.foot(heel, toe, 0.052f, 0.047f, s);
    }
}

void basilHead(Builder& b, const glm::vec3& head) {
    // Short hair under the cap, a short beard with sideburns and a moustache.
    b.blob(head + glm::vec3(0, 0.01f, -0.01f), {0.154f, 0.15f, 0.146f}, Look::hair, "Head", 0.008f).cuts = {
        ShapePart::cut(head + glm::vec3(0, 0.03f, 0.07f), {0, -1, 0.6f}, true)};
    b.blob(head + glm::vec3(0, -0.05f, 0.02f), {0.137f, 0.103f, 0.125f}, Look::hair, "Head", 0.008f).cuts = {
        ShapePart::cut(head + glm::vec3(0, -0.07f, 0.10f), {0, 1, 0.8f}, true),
        ShapePart::cut(head + glm::vec3(0, 0, -0.06f), {0, 0, -1}, true)};
    b.blob(head + glm::vec3(0, -0.058f, 0.128f), {0.042f, 0.013f, 0.018f}, Look::hair, "Head", 0.005f);
    // The sailor cap: a soft crown, a dark band and a short peak.
    b.blob(head + glm::vec3(0, 0.095f, -0.01f), {0.168f, 0.075f, 0.165f}, Look::hat, "Head", 0.0f).cuts = {
        ShapePart::cut(head + glm::vec3(0, 0.075f, 0), {0, -1, 0}, true)};
    b.ring(head + glm::vec3(0, 0, -0.008f), head.y + 0.062f, head.y + 0.085f, 0.157f, Look::peak,
           {{0.0f, "Head"}});
    b.blob(head + glm::vec3(0, 0.072f, 0.135f), {0.10f, 0.011f, 0.065f}, Look::peak, "Head", 0.0f).cuts = {
        ShapePart::cut(head + glm::vec3(0, 0, 0.08f), {0, 0, -1}, true)};

    face(b, head, {0.018f, 0.024f, 0.011f}, 0.34f, 0.62f);
    for (const auto& [side, sign] : kSides) {
        const glm::vec3 inner = b.surface(head, {sign * 0.18f, 0.30f, 1.0f});
        const glm::vec3 outer = b.surface(head, {sign * 0.50f, 0.31f, 1.0f});
        b.stroke(inner - glm::vec3(0, 0, 0.002f), outer - glm::vec3(0, 0, 0.002f), 0.0075f, Look::hair,
                 "Head");
    }
}

}  // namespace

StarterDesign poppy() {
    Builder b("Poppy");
    const Frame f{0.58f, 0.64f, 0.71f, 0.78f, 0.89f, 0.95f, 1.30f,  0.85f,
                  0.11f, 0.30f, 0.48f, 0.07f, 0.55f, 0.30f, 0.075f, 0.62f};
    b.skeleton(f);
    b.paint({{Look::skin, {0.98f, 0.82f, 0.70f}},
             {Look::hair, {0.64f, 0.25f, 0.11f}},
             {Look::iris, {0.16f, 0.10f, 0.07f}},
             {Look::shine, {1.0f, 1.0f, 1.0f}},
             {Look::mouth, {0.74f, 0.30f, 0.32f}},
             {Look::freckle, {0.72f, 0.44f, 0.30f}},
             {Look::blush, {0.98f, 0.64f, 0.62f}},
             {Look::top, {0.30f, 0.60f, 0.32f}},
             {Look::coat, {0.99f, 0.80f, 0.16f}},
             {Look::button, {0.55f, 0.36f, 0.12f}},
             {Look::legwear, {0.24f, 0.32f, 0.50f}},
             {Look::boots, {0.20f, 0.54f, 0.30f}},
             {Look::soles, {0.16f, 0.13f, 0.11f}}});
    const glm::vec3 head{0.0f, 1.10f, 0.015f};
    poppyBody(b, head);
    poppyCoat(b);
    poppyLegs(b, f);
    poppyHead(b, head);
    for (const auto& [side, sign] : kSides) b.hand(side, f.handScale);
    return b.design;
}

StarterDesign basil() {
    Builder b("Basil");
    const Frame f{0.62f, 0.69f, 0.77f, 0.85f,  0.95f, 1.01f, 1.34f,  0.91f,
                  0.16f, 0.36f, 0.55f, 0.085f, 0.59f, 0.32f, 0.075f, 0.72f};
    b.skeleton(f);
    b.paint({{Look::skin, {0.56f, 0.37f, 0.25f}},
             {Look::hair, {0.14f, 0.10f, 0.08f}},
             {Look::iris, {0.08f, 0.06f, 0.05f}},
             {Look::shine, {1.0f, 1.0f, 1.0f}},
             {Look::mouth, {0.45f, 0.18f, 0.17f}},
             {Look::stripes, {0.13f, 0.25f, 0.58f}},
             {Look::sleeves, {0.13f, 0.25f, 0.58f}},
             {Look::legwear, {0.13f, 0.16f, 0.31f}},
             {Look::button, {0.30f, 0.18f, 0.10f}},
             {Look::boots, {0.46f, 0.28f, 0.14f}},
             {Look::soles, {0.16f, 0.11f, 0.08f}},
             {Look::hat, {0.10f, 0.13f, 0.27f}},
             {Look::peak, {0.05f, 0.05f, 0.06f}}});
    const glm::vec3 head{0.0f, 1.155f, 0.015f};
    basilBody(b, head);
    basilClothes(b, f);
    basilHead(b, head);
    for (const auto& [side, sign] : kSides) b.hand(side, f.handScale);
    return b.design;
}

std::vector<StarterDesign> all() {
    return {poppy(), basil()};
}

}  // namespace plimsa::StarterCharacters
