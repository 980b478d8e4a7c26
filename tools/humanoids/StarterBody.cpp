#include "humanoids/StarterBody.h"

#include "humanoids/SurfaceNets.h"

#include <glm/gtc/constants.hpp>

#include <meshoptimizer.h>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

namespace plimsa {
namespace {

constexpr float kWeightFalloff = 0.015f;  // metres: how far a neighbouring solid's bones still pull
constexpr float kStripeRepeat = 0.13f;    // metres per repeat of the stripe texture
constexpr int kDetailColumns = 12;
constexpr float kCreaseCosine = 0.9f;  // gradient and mesh normals further apart than ~25 degrees: a crease
constexpr int kDetailRows = 5;

float smoothstep(float u) {
    u = std::clamp(u, 0.0f, 1.0f);
    return u * u * (3.0f - 2.0f * u);
}

float boxDistance(const glm::vec3& p, const std::pair<glm::vec3, glm::vec3>& box) {
    return glm::length(glm::max(glm::max(box.first - p, p - box.second), glm::vec3(0.0f)));
}

int jointIndex(const StarterDesign& design, const std::string& name) {
    for (size_t i = 0; i < design.joints.size(); ++i)
        if (design.joints[i].canonical == name) return static_cast<int>(i);
    return 0;
}

// The part's own weights at p: smooth blends between the anchors either side of p's t.
void partWeights(const StarterDesign& design, const ShapePart& part, const glm::vec3& p, float scale,
                 std::map<int, float>& out) {
    const auto& anchors = part.anchors;
    if (anchors.empty()) return;
    const float t = part.along(p);
    if (t <= anchors.front().first || anchors.size() == 1) {
        out[jointIndex(design, anchors.front().second)] += scale;
        return;
    }
    if (t >= anchors.back().first) {
        out[jointIndex(design, anchors.back().second)] += scale;
        return;
    }
    size_t i = 0;
    while (i + 2 < anchors.size() && t >= anchors[i + 1].first) ++i;
    const float span = anchors[i + 1].first - anchors[i].first;
    const float u = span > 0.0f ? smoothstep((t - anchors[i].first) / span) : 1.0f;
    out[jointIndex(design, anchors[i].second)] += scale * (1.0f - u);
    out[jointIndex(design, anchors[i + 1].second)] += scale * u;
}

glm::vec2 stripeCoordinates(const ShapePart& part, const glm::vec3& p) {
    const float around = std::atan2(p.x, p.z) / glm::two_pi<float>() + 0.5f;
    return {around, glm::dot(p, glm::normalize(part.stripeAxis)) / kStripeRepeat};
}

}  // namespace

float StarterBody::distance(const std::vector<ShapePart>& parts, const glm::vec3& p) {
    float d = 1e9f;
    for (const ShapePart& part : parts) {
        // A solid farther than its blend from the current surface cannot change it.
        if (boxDistance(p, part.bounds()) > d + part.blend) continue;
        const float e = part.distance(p);
        const float k = part.blend;
        const float h = k > 0.0f ? std::max(k - std::abs(d - e), 0.0f) / k : 0.0f;
        d = std::min(d, e) - h * h * k * 0.25f;
    }
    return d;
}

glm::vec3 StarterBody::surfacePoint(const std::vector<ShapePart>& parts, const glm::vec3& inside,
                                    const glm::vec3& direction) {
    const glm::vec3 dir = glm::normalize(direction);
    constexpr float kStepLength = 0.0005f;
    float previous = distance(parts, inside);
    if (previous >= 0.0f) return inside;
    for (float s = kStepLength; s < 1.0f; s += kStepLength) {
        const float d = distance(parts, inside + dir * s);
        if (d >= 0.0f) return inside + dir * (s - kStepLength * d / (d - previous));
        previous = d;
    }
    return inside;
}

StarterBody::StarterBody(const StarterDesign& design) {
    addSurface(design);
    simplifySurface();
    for (const ShapePart& part : design.details) addDetail(design, part);
    dropUnusedVertices();
}

void StarterBody::simplifySurface() {
    // The grid gives far more triangles than a figure a few hundred pixels tall shows, and every one costs
    // on a software rasteriser. Each look is thinned on its own with its border locked, so the seams
    // between looks (vertices duplicated on both sides) stay closed and exactly where they were. Striped
    // looks are thinned solid by solid: their stripes follow each solid's own axis, and a triangle grown
    // across two solids would smear them, so the triangles where solids meet stay as they are.
    std::map<std::tuple<float, float, float>, uint32_t> weld;
    std::vector<uint32_t> welded;
    for (const glm::vec3& p : positions)
        welded.push_back(weld.try_emplace({p.x, p.y, p.z}, static_cast<uint32_t>(weld.size())).first->second);
    // Thinning may pinch two sheets onto one edge (seen with the copies at seams welded): such a result is
    // retried with a tighter bound, and the part is left as it was when that fails too.
    const auto pinched = [&] {
        std::set<std::pair<uint32_t, uint32_t>> edges;
        for (const auto& triangles : indices)
            for (size_t t = 0; t + 2 < triangles.size(); t += 3)
                for (size_t k = 0; k < 3; ++k)
                    if (!edges.emplace(welded[triangles[t + k]], welded[triangles[t + (k + 1) % 3]]).second)
                        return true;
        return false;
    };
    // Replaces the `count` indices of `triangles` from `first` by their thinned form when that stays clean;
    // returns how many indices stand there now.
    const auto thin = [&](std::vector<uint32_t>& triangles, size_t first, size_t count) {
        const auto at = [&](size_t i) { return triangles.begin() + static_cast<std::ptrdiff_t>(i); };
        const std::vector<uint32_t> part(at(first), at(first + count));
        const size_t target = static_cast<size_t>(static_cast<double>(count) * kKeptFraction) / 3 * 3;
        size_t standing = count;
        for (float error = kSimplifyError; error > kSimplifyError / 10.0f; error *= 0.5f) {
            std::vector<uint32_t> thinned(count);
            thinned.resize(meshopt_simplify(thinned.data(), part.data(), count, &positions[0].x,
                                            positions.size(), sizeof(glm::vec3), target, error,
                                            meshopt_SimplifyLockBorder));
            triangles.erase(at(first), at(first + standing));
            triangles.insert(at(first), thinned.begin(), thinned.end());
            standing = thinned.size();
            if (!pinched()) return standing;
        }
        triangles.erase(at(first), at(first + standing));
        triangles.insert(at(first), part.begin(), part.end());
        return count;
    };
    for (int look = 0; look < kLookCount; ++look) {
        auto& triangles = indices[static_cast<size_t>(look)];
        if (triangles.empty()) continue;
        if (look != static_cast<int>(Look::stripes) && look != static_cast<int>(Look::sleeves)) {
            thin(triangles, 0, triangles.size());
            continue;
        }
        std::map<const ShapePart*, std::vector<uint32_t>> bySolid;
        std::vector<uint32_t> mixed;
        for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
            const ShapePart* solid = vertexOwners_[triangles[i]];
            const bool oneSolid =
                vertexOwners_[triangles[i + 1]] == solid && vertexOwners_[triangles[i + 2]] == solid;
            auto& into = oneSolid ? bySolid[solid] : mixed;
            into.insert(into.end(), triangles.begin() + static_cast<std::ptrdiff_t>(i),
                        triangles.begin() + static_cast<std::ptrdiff_t>(i + 3));
        }
        triangles = mixed;
        for (const auto& [solid, own] : bySolid) triangles.insert(triangles.end(), own.begin(), own.end());
        size_t first = mixed.size();
        for (const auto& [solid, own] : bySolid) first += thin(triangles, first, own.size());
    }
}

void StarterBody::dropUnusedVertices() {
    std::vector<uint32_t> all;
    for (const auto& triangles : indices) all.insert(all.end(), triangles.begin(), triangles.end());
    std::vector<uint32_t> remap(positions.size());
    const size_t kept =
        meshopt_optimizeVertexFetchRemap(remap.data(), all.data(), all.size(), positions.size());
    const auto compact = [&](auto& attribute) {
        using Value = typename std::decay_t<decltype(attribute)>::value_type;
        std::vector<Value> packed(kept);
        meshopt_remapVertexBuffer(packed.data(), attribute.data(), attribute.size(), sizeof(Value),
                                  remap.data());
        attribute = std::move(packed);
    };
    compact(positions);
    compact(normals);
    compact(texcoords);
    compact(joints);
    compact(weights);
    for (auto& triangles : indices)
        meshopt_remapIndexBuffer(triangles.data(), triangles.data(), triangles.size(), remap.data());
}

void StarterBody::addVertex(const StarterDesign& design, const glm::vec3& p, const glm::vec3& normal,
                            const std::vector<const ShapePart*>& owners,
                            const std::vector<float>& distances) {
    const float nearest = *std::min_element(distances.begin(), distances.end());
    std::map<int, float> pull;
    const ShapePart* owner = owners.front();
    for (size_t i = 0; i < owners.size(); ++i) {
        if (distances[i] == nearest) owner = owners[i];
        const float gap = distances[i] - nearest;
        if (gap >= 4.0f * kWeightFalloff) continue;
        const float strength = std::exp(-gap / kWeightFalloff);
        partWeights(design, *owners[i], p, strength, pull);
    }
    // The four strongest bones, renormalised.
    std::vector<std::pair<float, int>> ranked;
    for (const auto& [joint, weight] : pull) ranked.emplace_back(weight, joint);
    std::sort(ranked.begin(), ranked.end(), [](const auto& l, const auto& r) {
        return l.first != r.first ? l.first > r.first : l.second < r.second;
    });
    ranked.resize(std::min<size_t>(ranked.size(), 4));
    float total = 0.0f;
    for (const auto& entry : ranked) total += entry.first;
    glm::u16vec4 influences(0);
    glm::vec4 strengths(0.0f);
    for (size_t i = 0; i < ranked.size(); ++i) {
        influences[static_cast<int>(i)] = static_cast<uint16_t>(ranked[i].second);
        strengths[static_cast<int>(i)] = ranked[i].first / total;
    }
    positions.push_back(p);
    normals.push_back(normal);
    texcoords.push_back(stripeCoordinates(*owner, p));
    vertexOwners_.push_back(owner);
    joints.push_back(influences);
    weights.push_back(strengths);
}

void StarterBody::addSurface(const StarterDesign& design) {
    glm::vec3 low{1e9f};
    glm::vec3 high{-1e9f};
    for (const ShapePart& part : design.body) {
        low = glm::min(low, part.bounds().first);
        high = glm::max(high, part.bounds().second);
    }
    const auto& parts = design.body;
    const SurfaceNets::Distance body = [&](const glm::vec3& p) { return distance(parts, p); };
    // The grid is offset by odd fractions of a step so that flat faces (soles, rims) never lie on a grid
    // plane, where samples of exactly zero would fold the mesh.
    const glm::vec3 offset = glm::vec3(0.31f, 0.37f, 0.43f) * kStep;
    const SurfaceNets net(body, low - 3.0f * kStep - offset, high + 3.0f * kStep, kStep);
    std::vector<const ShapePart*> owners;
    for (const ShapePart& part : parts) owners.push_back(&part);
    const auto distancesAt = [&](const glm::vec3& p) {
        std::vector<float> d;
        for (const ShapePart& part : parts) d.push_back(part.distance(p));
        return d;
    };
    const auto ownerAt = [&](const glm::vec3& p) {
        const std::vector<float> d = distancesAt(p);
        return static_cast<int>(std::min_element(d.begin(), d.end()) - d.begin());
    };

    std::vector<glm::vec3> points = net.positions;
    std::vector<glm::vec3> pointNormals = net.normals;
    std::vector<int> owner(points.size());
    for (size_t i = 0; i < points.size(); ++i) owner[i] = ownerAt(points[i]);
    const std::vector<int> snapped = snapToEdges(parts, body, net.triangles, owner, points, pointNormals);

    // At creases (cut edges, rims) the distance's gradient is not the surface's direction: shade those
    // vertices by the mesh round them instead.
    std::vector<glm::vec3> meshNormals(points.size(), glm::vec3(0.0f));
    for (size_t t = 0; t + 2 < net.triangles.size(); t += 3) {
        const uint32_t a = net.triangles[t];
        const uint32_t b = net.triangles[t + 1];
        const uint32_t c = net.triangles[t + 2];
        const glm::vec3 face = glm::cross(points[b] - points[a], points[c] - points[a]);
        for (uint32_t v : {a, b, c}) meshNormals[v] += face;
    }
    for (size_t i = 0; i < points.size(); ++i) {
        const float length = glm::length(meshNormals[i]);
        if (length > 0.0f && glm::dot(pointNormals[i], meshNormals[i] / length) < kCreaseCosine)
            pointNormals[i] = meshNormals[i] / length;
    }

    const auto base = static_cast<uint32_t>(positions.size());
    for (size_t i = 0; i < points.size(); ++i)
        addVertex(design, points[i], pointNormals[i], owners, distancesAt(points[i]));
    // A vertex used by a triangle of another look than its own gets a twin for that look: same place and
    // bones, that look's texture coordinates, so a seam between textures stays sharp.
    std::map<std::pair<uint32_t, int>, uint32_t> twins;
    const auto vertexFor = [&](uint32_t v, int look) {
        if (static_cast<int>(parts[static_cast<size_t>(owner[v])].look) == look) return base + v;
        const auto [entry, isNew] = twins.try_emplace({v, look}, static_cast<uint32_t>(positions.size()));
        if (!isNew) return entry->second;
        const ShapePart* nearest = nullptr;
        for (const ShapePart& part : parts)
            if (static_cast<int>(part.look) == look &&
                (nearest == nullptr || part.distance(points[v]) < nearest->distance(points[v])))
                nearest = &part;
        const size_t from = base + v;
        positions.push_back(positions[from]);
        normals.push_back(normals[from]);
        texcoords.push_back(stripeCoordinates(*nearest, points[v]));
        joints.push_back(joints[from]);
        weights.push_back(weights[from]);
        return entry->second;
    };
    for (size_t t = 0; t + 2 < net.triangles.size(); t += 3) {
        // A triangle takes the look of its corners that stayed put; the snapped ones lie on the edge between
        // looks.
        int look = -1;
        bool agree = true;
        for (size_t k = 0; k < 3; ++k) {
            const uint32_t v = net.triangles[t + k];
            if (snapped[v] >= 0) continue;
            const int own = static_cast<int>(parts[static_cast<size_t>(owner[v])].look);
            agree = agree && (look < 0 || look == own);
            look = own;
        }
        if (look < 0 || !agree) {
            const glm::vec3 centre =
                (points[net.triangles[t]] + points[net.triangles[t + 1]] + points[net.triangles[t + 2]]) /
                3.0f;
            look = static_cast<int>(parts[static_cast<size_t>(ownerAt(centre))].look);
        }
        auto& out = indices[static_cast<size_t>(look)];
        for (size_t k = 0; k < 3; ++k) out.push_back(vertexFor(net.triangles[t + k], look));
    }
}

// Vertices beside a triangle edge that joins two looks slide along the surface onto the curve where the two
// solids meet, so edges between colours follow that curve instead of the grid's staircase. Only the vertex
// on the side of the solid listed first moves; the other side keeps the grid's vertices.
std::vector<int> StarterBody::snapToEdges(const std::vector<ShapePart>& parts,
                                          const std::function<float(const glm::vec3&)>& body,
                                          const std::vector<uint32_t>& triangles,
                                          const std::vector<int>& owner, std::vector<glm::vec3>& points,
                                          std::vector<glm::vec3>& pointNormals) {
    std::vector<int> partner(points.size(), -1);
    const auto gap = [&](size_t v, int other) {
        return std::abs(parts[static_cast<size_t>(owner[v])].distance(points[v]) -
                        parts[static_cast<size_t>(other)].distance(points[v]));
    };
    for (size_t t = 0; t + 2 < triangles.size(); t += 3)
        for (size_t i = 0; i < 3; ++i)
            for (size_t j = 0; j < 3; ++j) {
                const uint32_t u = triangles[t + i];
                const uint32_t v = triangles[t + j];
                const int a = owner[u];
                const int b = owner[v];
                if (a >= b || parts[static_cast<size_t>(a)].look == parts[static_cast<size_t>(b)].look)
                    continue;
                if (partner[u] < 0 || gap(u, b) < gap(u, partner[u])) partner[u] = b;
            }
    std::vector<std::vector<size_t>> around(points.size());
    for (size_t t = 0; t + 2 < triangles.size(); t += 3)
        for (size_t k = 0; k < 3; ++k) around[triangles[t + k]].push_back(t);
    // A move must not turn any triangle round it inside out.
    const auto keepsFacing = [&](size_t v, const glm::vec3& p, const glm::vec3& normal) {
        for (size_t t : around[v]) {
            glm::vec3 corner[3];
            glm::vec3 facing{0.0f};
            for (size_t k = 0; k < 3; ++k) {
                const uint32_t w = triangles[t + k];
                corner[k] = w == v ? p : points[w];
                facing += w == v ? normal : pointNormals[w];
            }
            if (glm::dot(glm::cross(corner[1] - corner[0], corner[2] - corner[0]), facing) <= 0.0f)
                return false;
        }
        return true;
    };
    std::vector<int> snapped(points.size(), -1);
    for (size_t v = 0; v < points.size(); ++v) {
        if (partner[v] < 0) continue;
        const ShapePart& mine = parts[static_cast<size_t>(owner[v])];
        const ShapePart& theirs = parts[static_cast<size_t>(partner[v])];
        const SurfaceNets::Distance split = [&](const glm::vec3& p) {
            return mine.distance(p) - theirs.distance(p);
        };
        glm::vec3 p = points[v];
        for (int i = 0; i < 6; ++i) {
            const float h = 0.0005f;
            const glm::vec3 g{split(p + glm::vec3(h, 0, 0)) - split(p - glm::vec3(h, 0, 0)),
                              split(p + glm::vec3(0, h, 0)) - split(p - glm::vec3(0, h, 0)),
                              split(p + glm::vec3(0, 0, h)) - split(p - glm::vec3(0, 0, h))};
            const float g2 = glm::dot(g, g) / (4.0f * h * h);
            if (g2 < 1e-8f) break;
            p -= split(p) * g / (2.0f * h) / g2;
            p -= body(p) * SurfaceNets::gradient(body, p);
        }
        if (glm::length(p - points[v]) > 1.2f * kStep || std::abs(split(p)) > 0.1f * kStep ||
            std::abs(body(p)) > 0.1f * kStep)
            continue;
        const glm::vec3 normal = SurfaceNets::gradient(body, p);
        if (!keepsFacing(v, p, normal)) continue;
        points[v] = p;
        pointNormals[v] = normal;
        snapped[v] = partner[v];
    }
    return snapped;
}

// A closed latitude-longitude mesh of the solid (a sphere or a capsule, then squashed), winding outward.
void StarterBody::addDetail(const StarterDesign& design, const ShapePart& part) {
    const bool isEllipsoid = part.kind == ShapePart::Kind::ellipsoid;
    const glm::vec3 axis = isEllipsoid || glm::length(part.b - part.a) < 1e-6f
                               ? glm::vec3(0, 1, 0)
                               : glm::normalize(part.b - part.a);
    const glm::vec3 first = glm::normalize(glm::abs(axis.x) < 0.9f ? glm::cross(axis, glm::vec3(1, 0, 0))
                                                                   : glm::cross(axis, glm::vec3(0, 0, 1)));
    const glm::vec3 second = glm::cross(axis, first);
    const glm::vec3 scale = isEllipsoid ? part.radii : part.squash;
    const auto base = static_cast<uint32_t>(positions.size());
    const std::vector<const ShapePart*> owners{&part};
    // An ellipsoid is one sphere of rows; a capsule is two half-spheres joined by the band between them.
    const int rows = isEllipsoid ? 2 * kDetailRows + 1 : 2 * kDetailRows + 2;
    for (int row = 0; row < rows; ++row) {
        const bool atB = !isEllipsoid && row > kDetailRows;
        const float step = glm::half_pi<float>() / kDetailRows;
        const float latitude = -glm::half_pi<float>() + step * static_cast<float>(atB ? row - 1 : row);
        const glm::vec3 centre = atB ? part.b : part.a;
        const float radius = isEllipsoid ? 1.0f : (atB ? part.radiusB : part.radiusA);
        for (int column = 0; column <= kDetailColumns; ++column) {
            // The last column repeats the first exactly, so the seam closes.
            const float angle =
                glm::two_pi<float>() * static_cast<float>(column % kDetailColumns) / kDetailColumns;
            // Poles are single points, so the triangles round them close up.
            const bool pole = row == 0 || row == rows - 1;
            const glm::vec3 unit =
                pole ? (row == 0 ? -axis : axis)
                     : std::cos(latitude) * (std::cos(angle) * first + std::sin(angle) * second) +
                           std::sin(latitude) * axis;
            const glm::vec3 p =
                isEllipsoid ? part.a + unit * scale : part.a + (centre + radius * unit - part.a) * scale;
            addVertex(design, p, glm::normalize(unit / scale), owners, {0.0f});
        }
    }
    auto& out = indices[static_cast<size_t>(part.look)];
    const uint32_t stride = kDetailColumns + 1;
    const auto lastRow = static_cast<uint32_t>(rows - 2);
    for (uint32_t row = 0; row <= lastRow; ++row)
        for (uint32_t column = 0; column < kDetailColumns; ++column) {
            const uint32_t v00 = base + row * stride + column;
            const uint32_t v01 = v00 + 1;
            const uint32_t v10 = v00 + stride;
            const uint32_t v11 = v10 + 1;
            if (row != 0) out.insert(out.end(), {v00, v01, v11});
            if (row != lastRow) out.insert(out.end(), {v00, v11, v10});
        }
}

}  // namespace plimsa
