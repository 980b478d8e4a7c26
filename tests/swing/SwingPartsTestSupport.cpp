#include "SwingPartsTestSupport.h"

#include "platform/scene/Material.h"

namespace plimsa::testing {

namespace {

void expectSameProperty(const MaterialProperty& a, const MaterialProperty& b, const std::string& where) {
    EXPECT_EQ(a.color, b.color) << where;
    EXPECT_EQ(a.contentsTransform, b.contentsTransform) << where;
    EXPECT_EQ(a.wrapS, b.wrapS) << where;
    EXPECT_EQ(a.wrapT, b.wrapT) << where;
    ASSERT_EQ(a.hasImage(), b.hasImage()) << where;
    if (a.hasImage()) {
        EXPECT_TRUE(a.image->image() == b.image->image()) << where << ": image bytes differ";
    }
}

void expectSameMaterial(const Material& a, const Material& b, const std::string& where) {
    expectSameProperty(a.diffuse(), b.diffuse(), where + " diffuse");
    expectSameProperty(a.multiply(), b.multiply(), where + " multiply");
    EXPECT_EQ(a.roughness(), b.roughness()) << where;
    EXPECT_EQ(a.metalness(), b.metalness()) << where;
    EXPECT_EQ(a.transparency(), b.transparency()) << where;
    EXPECT_EQ(a.isDoubleSided(), b.isDoubleSided()) << where;
}

}  // namespace

void expectSameTree(const Node& a, const Node& b, const std::string& path) {
    EXPECT_EQ(a.name(), b.name()) << path;
    EXPECT_EQ(a.transform(), b.transform()) << path;
    ASSERT_EQ(a.geometry() != nullptr, b.geometry() != nullptr) << path;
    if (a.geometry()) {
        EXPECT_TRUE(a.geometry()->mesh() == b.geometry()->mesh()) << path << ": meshes differ";
        ASSERT_EQ(a.geometry()->materials().size(), b.geometry()->materials().size()) << path;
        for (size_t i = 0; i < a.geometry()->materials().size(); ++i)
            expectSameMaterial(*a.geometry()->materials()[i], *b.geometry()->materials()[i],
                               path + " material " + std::to_string(i));
    }
    ASSERT_EQ(a.childNodes().size(), b.childNodes().size()) << path;
    for (size_t i = 0; i < a.childNodes().size(); ++i)
        expectSameTree(*a.childNodes()[i], *b.childNodes()[i], path + "/" + std::to_string(i));
}

}  // namespace plimsa::testing
