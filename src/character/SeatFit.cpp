#include "character/SeatFit.h"

#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Skinner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace plimsa {

namespace {

struct Extent {
    double top = std::numeric_limits<double>::lowest();
    double bottom = std::numeric_limits<double>::max();
    int count = 0;

    void add(double low, double high) {
        top = std::max(top, high);
        bottom = std::min(bottom, low);
        ++count;
    }
};

// The node's drawn box in `model` space. Skinned vertices are placed by their bones alone (the mesh
// node's own transform does not apply), so a skinned mesh is measured through its skinner; measuring
// its node instead would misread a mesh hung under a rotated armature as flat.
std::optional<BoundingBox> meshBox(const Node& node, const glm::mat4& worldToModel) {
    const Geometry& geometry = *node.geometry();
    BoundingBox box = node.skinner() != nullptr
                          ? node.skinner()->worldBoundingBox(geometry).transformed(worldToModel)
                          : geometry.boundingBox().transformed(worldToModel * node.worldTransform());
    if (box.isEmpty() || !std::isfinite(box.min.y) || !std::isfinite(box.max.y)) {
        return std::nullopt;
    }
    return box;
}

glm::vec3 inModel(const Node& model, const Node& node) {
    return model.convertPositionFrom(node.worldPosition(), nullptr);
}

bool isFinite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool isBoneLike(const Node& node) {
    return node.geometry() == nullptr && node.light() == nullptr && node.camera() == nullptr;
}

// Outside (0.5, 100) units a mesh extent is usually garbage (a stray vertex, a ground plane), but a
// model authored in centimetres or millimetres is that tall too. Its skeleton then spans most of the
// mesh, which garbage does not: such a mesh measure is kept, so the model still stands 2.3 units tall.
bool skeletonSpansMesh(const Extent& bones, double meshHeight) {
    const double span = bones.top - bones.bottom;
    return bones.count >= 3 && std::isfinite(meshHeight) && span >= 0.5 * meshHeight &&
           span <= 1.5 * meshHeight;
}

// y of `v` turned by `angle` about +X.
double turnedY(const glm::vec3& v, double angle) {
    return v.y * std::cos(angle) - v.z * std::sin(angle);
}

// The ankle of a leg: its foot, else the shin's first child that is not a mesh.
const Node* ankleOf(const SkeletonBones::Leg& leg) {
    if (leg.foot != nullptr) {
        return leg.foot;
    }
    for (const auto& child : leg.shin->childNodes()) {
        if (child->geometry() == nullptr) {
            return child.get();
        }
    }
    return nullptr;
}

}  // namespace

SeatFit::FoldedLeg SeatFit::clearFloor(const std::function<double(const FoldedLeg&)>& sole) {
    // One measure of change: the thigh's raise first, then the shin's lean.
    const auto legFor = [](double change) {
        return FoldedLeg{std::min(change, kMaxThighRaise), std::max(change - kMaxThighRaise, 0.0)};
    };
    double low = 0.0;
    double high = kMaxThighRaise + kMaxShinLean;
    const double atRest = sole(legFor(low));
    if (!std::isfinite(atRest) || atRest >= 0.0) {
        return FoldedLeg{};
    }
    if (sole(legFor(high)) >= 0.0) {
        for (int i = 0; i < 30; ++i) {
            const double middle = 0.5 * (low + high);
            (sole(legFor(middle)) >= 0.0 ? high : low) = middle;
        }
    }
    return legFor(high);
}

SeatFit SeatFit::measure(const Node& model, const SkeletonBones& bones) {
    const glm::vec3 hips = bones.hips != nullptr ? inModel(model, *bones.hips) : glm::vec3(0.0f);
    const glm::mat4 worldToModel = glm::inverse(model.worldTransform());

    Extent boneExtent{hips.y, hips.y, 0};
    Extent meshExtent;
    double meshTopFromHips = hips.y;
    // The walk only reads; the const_cast is for the visitor's signature.
    const_cast<Node&>(model).enumerateChildNodes([&](Node& node, bool&) {
        if (node.geometry() != nullptr) {
            if (const std::optional<BoundingBox> box = meshBox(node, worldToModel)) {
                meshExtent.add(box->min.y, box->max.y);
                meshTopFromHips = std::max(meshTopFromHips, double{box->max.y});
            }
        } else if (isBoneLike(node)) {
            const double y = inModel(model, node).y;
            boneExtent.add(y, y);
        }
    });
    double boneTop = boneExtent.count < 3 ? meshTopFromHips : boneExtent.top;
    const double boneBottom = boneExtent.bottom;

    SeatFit fit;
    fit.meshHeight = meshExtent.top - meshExtent.bottom;
    const bool meshValid = meshExtent.count > 0 && ((fit.meshHeight > 0.5 && fit.meshHeight < 100.0) ||
                                                    skeletonSpansMesh(boneExtent, fit.meshHeight));
    fit.standingHeight = meshValid ? fit.meshHeight : std::max(boneTop - boneBottom, 0.5);
    fit.hipsToCrown = std::max(boneTop - hips.y, 0.2);
    const double headY = bones.head != nullptr ? inModel(model, *bones.head).y : 0.0;
    fit.headToCrown = boneTop - headY;
    fit.meshTopAboveHips = meshExtent.top - hips.y;
    fit.hipY = hips.y - meshExtent.bottom;

    double lift = 0.08 * fit.hipsToCrown;
    if (bones.legs.size() == 2) {
        const glm::vec3 t0 = inModel(model, *bones.legs[0].thigh);
        const glm::vec3 t1 = inModel(model, *bones.legs[1].thigh);
        lift = (hips.y - (t0.y + t1.y) / 2.0) + 0.7 * std::fabs(t0.x - t1.x);
    }

    double s = kStandingHeight / fit.standingHeight;
    if (!std::isfinite(s) || s <= 0.0) {
        s = 1.0;  // a model with non-finite node data keeps its own size rather than spreading NaNs
    }
    fit.baseScale = s;
    fit.basePosition = glm::vec3(static_cast<float>(-hips.x * s), static_cast<float>(s * (lift - hips.y)),
                                 static_cast<float>(-hips.z * s - 0.06));
    const double feet = meshValid ? meshExtent.bottom : boneBottom;
    fit.standingPosition = glm::vec3(static_cast<float>(-hips.x * s), static_cast<float>(-feet * s),
                                     static_cast<float>(-hips.z * s));
    if (!isFinite(fit.basePosition) || !isFinite(fit.standingPosition)) {
        fit.basePosition = glm::vec3(0.0f, 0.0f, -0.06f);
        fit.standingPosition = glm::vec3(0.0f);
    }
    const auto inRig = [&](const Node& node) {
        return static_cast<float>(s) * inModel(model, node) + fit.basePosition;
    };
    for (const SkeletonBones::Leg& leg : bones.legs) {
        const Node* ankle = ankleOf(leg);
        if (ankle == nullptr) {
            fit.foldedLegs.emplace_back();
            continue;
        }
        const glm::vec3 hip = inRig(*leg.thigh);
        const glm::vec3 knee = inRig(*leg.shin);
        const glm::vec3 shin = inRig(*ankle) - knee;
        const double soleDrop =
            meshValid ? std::max(s * (inModel(model, *ankle).y - meshExtent.bottom), 0.0) : 0.0;
        fit.foldedLegs.push_back(clearFloor([&](const FoldedLeg& change) {
            const double shinTurn = kFoldedThighTurn + kFoldedShinTurn - change.shinLean;
            return hip.y + turnedY(knee - hip, kFoldedThighTurn - change.thighRaise) +
                   turnedY(shin, shinTurn) - soleDrop * std::cos(shinTurn);
        }));
    }
    return fit;
}

std::string SeatFit::proportionsLine() const {
    char line[256];
    std::snprintf(line, sizeof line,
                  "proportions: standing=%.3f hipsToCrown=%.3f headToCrown=%.3f scale=%.3f meshHeight=%.3f "
                  "meshTopAboveHips=%.3f hipY=%.3f",
                  standingHeight, hipsToCrown, headToCrown, baseScale, meshHeight, meshTopAboveHips, hipY);
    return line;
}

}  // namespace plimsa
