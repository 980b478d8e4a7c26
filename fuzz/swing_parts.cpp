// Builds boards and ropes from arbitrary numbers: the widths and rope lengths come from the settings
// document and from measured models, so any double (NaN, infinities, huge, negative) must give a bounded
// scene without crashing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/scene/Geometry.h"
#include "swing/SwingParts.h"

#include "FuzzInput.h"

namespace {

using plimsa::fuzz::takeDouble;

size_t vertexTotal(plimsa::Node& root) {
    size_t total = 0;
    root.enumerateHierarchy([&](plimsa::Node& node, bool&) {
        if (node.geometry()) total += node.geometry()->vertexCount();
    });
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace plimsa;
    if (size < 1) return 0;
    // Marble and driftwood repaint a 1024-pixel texture per board, too slow for a fuzzer: the painters
    // take no outside input, so the fuzzer sticks to the skins whose boards reuse shared textures.
    const SwingSkin skins[] = {SwingSkin::classic, SwingSkin::forest, SwingSkin::ice};
    const SwingSkin skin = skins[data[0] % 3];
    ++data;
    --size;
    const double width = takeDouble(data, size);
    const double ropeLength = takeDouble(data, size);
    std::vector<double> xs;
    while (size >= sizeof(double) && xs.size() < 4) xs.push_back(takeDouble(data, size));

    const SeatBuild build = SwingParts::buildBoard(skin, width, xs, ropeLength);
    size_t vertices = vertexTotal(*build.node);
    for (const Rope& rope : build.ropes) {
        auto node = SwingParts::ropeNode(rope, skin);
        vertices += vertexTotal(*node);
    }
    if (build.ropes.size() != 2 || build.characterXs.size() != xs.size() || vertices > 20'000'000)
        __builtin_trap();
    // The board builders themselves take the raw width, infinities and NaN included.
    const auto board = skin == SwingSkin::ice      ? SwingParts::iceBoard(width, xs)
                       : skin == SwingSkin::forest ? SwingParts::logBoard(width, xs)
                                                   : SwingParts::board(width, xs);
    if (board->childNodes().size() > 1000) __builtin_trap();
    return 0;
}
