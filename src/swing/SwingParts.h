#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <memory>
#include <vector>

#include "character/Rope.h"
#include "config/SwingSkin.h"
#include "platform/image/Image.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "swing/SeatBuild.h"

/// Builders of a swing's procedural pieces: the seat board of each skin, the chains, ropes or lianas it
/// hangs from, and the painted textures. Scene units, +Y up, +X along the board, +Z toward the camera.
///
/// Every call returns new nodes, shapes and materials except the four shared materials (`wood`, `steel`,
/// `darkSteel`, `leafMaterial`), which are created once, on first use from any thread, and live for the
/// process. The same arguments always give the same geometry and texture bytes: random draws come from
/// generators seeded per board, image or liana, never from process-wide state.
///
/// Thread: the node builders run on the thread that owns the scene (the main thread during rebuilds);
/// the image painters and the shared-material accessors may be called from any thread.
///
/// Bad numbers never crash or hang: non-finite sizes give empty shapes, and the repeated parts (chain
/// links, vine pieces, leaves, icicles) are laid out over at most `kMaxRepeatExtent` units.
namespace plimsa::SwingParts {

/// Longest stretch, in scene units, over which links, vine pieces, leaves or icicles are repeated.
/// Far beyond any rope or board that fits on a screen; it only bounds corrupt settings.
inline constexpr double kMaxRepeatExtent = 50.0;

// --- Boards ---

/// The board for `skin`, `width` long, with chains at x = -h and +h (h = width/2 - 0.08), its ropes
/// from just above the bar (y = 0.05) to the skin's rope end height b - ropeLength, and the root offset
/// for seated characters (forest: b 0.02, root 0.11; every other skin: b 0.07, root 0.035).
/// A non-finite width is built as 1.0 and a non-finite rope length as 0 (the `width` field says which).
SeatBuild buildBoard(SwingSkin skin, double width, const std::vector<double>& characterXs, double ropeLength);

/// Classic wooden plank with steel brackets, rings and bolts at each of `chainXs`. The plank uses its own
/// copy of `wood` (same shared texture) with the texture scaled (width, 0.36, 1), so the grain keeps its
/// size on every board, whatever the width of boards built later.
std::shared_ptr<Node> board(double width, const std::vector<double>& chainXs);
/// Marble slab with gold brackets and rings.
std::shared_ptr<Node> marbleBoard(double width, const std::vector<double>& chainXs);
/// Translucent ice slab with a row of icicles underneath and frosted brackets and rings.
std::shared_ptr<Node> iceBoard(double width, const std::vector<double>& chainXs);
/// Weathered grey board with a rope knot under each chain x.
std::shared_ptr<Node> driftwood(double width, const std::vector<double>& chainXs);
/// Mossy log with bark strips and three mushrooms; it has no hardware (the lianas end on it), so
/// `chainXs` is ignored.
std::shared_ptr<Node> logBoard(double width, const std::vector<double>& chainXs);

// --- Ropes ---

/// One rope of `skin` along `rope`: a chain (classic, ice, gold), a liana (forest) or a fibre rope.
std::shared_ptr<Node> ropeNode(const Rope& rope, SwingSkin skin);

/// A chain hanging down -Y from its origin: alternating links every 0.05 units while the next link stays
/// above -length, all in one flattened geometry, named "chain" (no geometry when length <= 0).
/// `tint` is sRGB; roughness in [0, 1]; links are fully metallic.
std::shared_ptr<Node> chain(double length, const glm::vec3& tint, double roughness);

/// A cylinder of `radius` from `from` to `to` (in the parent's space) in `material`.
std::shared_ptr<Node> bar(const glm::vec3& from, const glm::vec3& to, double radius,
                          std::shared_ptr<Material> material);

/// A vine of two twisted strands hanging down -Y from its origin, with leaves when longer than 0.25,
/// flattened into one geometry, placed at `at` with `orientation`.
std::shared_ptr<Node> liana(double length, const glm::vec3& at, const glm::quat& orientation);

// --- Textures (rows top to bottom; painted with the origin at the lower left) ---

/// Wood grain on a warm brown, `size` pixels square. Sizes below 1 give an empty image; sizes above
/// Canvas::kMaxSide give a blank image of that maximum.
Image woodImage(int size);
/// Pale veins on near-black marble, `size` pixels square; sizes as for `woodImage`.
Image marbleImage(int size);
/// A 128 x 128 green leaf with a midrib on a transparent background.
Image leafImage();

// --- Materials ---

/// A new, unshared physically based material with diffuse `color` (sRGB, alpha 1).
std::shared_ptr<Material> fabric(const glm::vec3& color, double roughness, double metalness);
/// Shared: the 1024-pixel wood texture (painted once per process), repeating, roughness 0.55.
const std::shared_ptr<Material>& wood();
/// Shared: grey 0.62, roughness 0.32, fully metallic.
const std::shared_ptr<Material>& steel();
/// Shared: grey 0.35, roughness 0.45, fully metallic.
const std::shared_ptr<Material>& darkSteel();
/// Shared: `leafImage` with alpha from the texture, double-sided, writes depth, roughness 0.8.
const std::shared_ptr<Material>& leafMaterial();

}  // namespace plimsa::SwingParts
