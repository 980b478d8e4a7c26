#include "library/Packs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

#include "library/ShippedFiles.h"
#include "support/TemporaryFolder.h"
#include "support/TrailingCommaReference.h"

namespace plimsa {
namespace {

using testing::TemporaryFolder;
using testing::writeFile;

constexpr const char* kShipped = R"({"store": "https://shop.example", "characters": {"robo": "Robo"},
  "packs": [{"name": "Shipped", "characters": ["robo"], "url": ""}]})";

std::string catalogue(const std::string& packs, const std::string& rest = "") {
    return R"({"store": "", "characters": {"a": "Ann",}, "packs": [)" + packs + "]" + rest + "}";
}

class PacksTest : public ::testing::Test {
  protected:
    std::filesystem::path user() const { return root.path() / "user" / "Plimsa" / "packs.json"; }
    std::filesystem::path shipped() const { return root.path() / "share" / "packs.json"; }
    std::unique_ptr<Packs> loaded(const std::optional<std::string>& userText) {
        if (userText) writeFile(user(), *userText);
        writeFile(shipped(), kShipped);
        auto packs = std::make_unique<Packs>(user(), shipped());
        packs->reload();
        return packs;
    }
    TemporaryFolder root;
};

TEST_F(PacksTest, UserCopyDecodesStrictlyAfterTrailingCommasElseShippedListWithMessage) {
    const std::string deep = catalogue("", R"(, "extra": )" + std::string(100, '[') + std::string(100, ']'));
    const struct {
        std::string text;
        bool loads;
    } cases[] = {
        {catalogue(R"({"name": "P", "characters": ["a", "b",], "url": "", "price": 4.99, "x": {}},)"), true},
        {catalogue("", R"(, "bundle": null)"), true},
        {catalogue(R"({"name": "P", "characters": [], "url": ""})", R"(, "unknown": [1, {"k": 2}])"), true},
        {R"({"characters": {}, "packs": []})", false},
        {catalogue(R"({"name": "P", "characters": []})"), false},
        {catalogue(R"({"name": "P", "characters": [1], "url": ""})"), false},
        {catalogue(R"({"name": "P", "characters": [], "url": "", "price": "4.99"})"), false},
        {catalogue("", R"(, "bundle": {"name": "All", "url": "", "price": 1, "discountPrice": 0.5})"), false},
        {R"({"store": "", "characters": {"a": 1}, "packs": []})", false},
        {catalogue("") + " trailing", false},
        {catalogue(R"({"name": "P\xff", "characters": [], "url": ""},)"), false},
        {std::string(Packs::kMaxBytes, ' ') + catalogue(""), false},
        {std::string(Packs::kMaxBytes, '['), false},
        {deep, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text.substr(0, 160));
        const auto owner = loaded(test.text);
        const Packs& packs = *owner;
        EXPECT_EQ(packs.loadError(),
                  test.loads ? std::nullopt : std::optional<std::string>(Packs::kLoadErrorMessage));
        EXPECT_EQ(packs.file().store.empty(), test.loads);
        EXPECT_FALSE(packs.file().bundle);
    }
}

TEST_F(PacksTest, DecodesEveryFieldAndTheBundle) {
    const auto packs = loaded(catalogue(R"({"name": "P", "characters": ["a, ]"], "url": "u"})",
                                        R"(, "bundle": {"name": "All", "url": "https://b.example", "price": 9,
                                             "discountPrice": 4.5, "code": "C",},)"));
    const Packs::File expected{"",
                               {{"a", "Ann"}},
                               {{"P", {"a ]"}, "u", std::nullopt}},
                               PackBundle{"All", "https://b.example", 9, 4.5, "C"}};
    EXPECT_EQ(packs->file(), expected);
    EXPECT_EQ(PackBundle(), (PackBundle{"All packs", "", 27.99, 13.99, ""}));
}

TEST_F(PacksTest, MissingCopiesKeepTheCatalogueAndTheMessageUntilTheUserCopyIsFixed) {
    // A named pipe is no file: it must neither block the reload nor count as a broken copy.
    ASSERT_EQ(::mkfifo((root.path() / "pipe").c_str(), 0600), 0);
    Packs nothing(root.path() / "pipe", root.path() / "absent.json");
    nothing.reload();
    EXPECT_EQ(nothing.file(), Packs::File());
    EXPECT_FALSE(nothing.loadError());

    const auto owner = loaded("{,}");
    Packs& packs = *owner;
    int changes = 0;
    const auto connection = packs.willChange.connect([&] { ++changes; });
    const Packs::File shippedFile = packs.file();
    std::filesystem::remove(shipped());
    packs.reload();
    EXPECT_EQ(packs.file(), shippedFile);
    EXPECT_TRUE(packs.loadError());
    EXPECT_EQ(changes, 0);
    writeFile(user(), catalogue(""));
    packs.reload();
    EXPECT_FALSE(packs.loadError());
    EXPECT_EQ(packs.file().characters.at("a"), "Ann");
    EXPECT_EQ(changes, 1);
}

TEST_F(PacksTest, LinksNamesAndPackLookUp) {
    const auto owner = loaded(std::nullopt);
    const Packs& packs = *owner;
    const Pack& shippedPack = packs.file().packs.at(0);
    EXPECT_EQ(packs.link(shippedPack), "https://shop.example");
    EXPECT_EQ(packs.bundleURL(), "https://shop.example");
    EXPECT_EQ(packs.link(Pack{"p", {}, "mailto:me@x.example", {}}), "mailto:me@x.example");
    EXPECT_EQ(packs.displayName(""), "No character yet");
    EXPECT_EQ(packs.displayName("robo"), "Robo");
    EXPECT_EQ(packs.displayName("zed"), "zed");

    const auto second = loaded(catalogue(R"({"name": "1", "characters": ["b"], "url": ""}, {"name": "2",
        "characters": ["a"], "url": ""}, {"name": "3", "characters": ["a"], "url": ""})"));
    EXPECT_EQ(second->pack("a")->name, "2");
    EXPECT_FALSE(second->pack("A"));
    EXPECT_FALSE(second->link(second->file().packs.at(0)));
    EXPECT_FALSE(second->storeURL());
    for (const char* notALink : {"/usr/bin/xterm", "file:///etc/passwd", "javascript:alert(1)", "https://a b",
                                 "http://", "https://@/x", "mailto:", "xdg-open https://x", "https://x\n"})
        EXPECT_FALSE(webLink(notALink)) << notALink;
    EXPECT_EQ(webLink("HTTPS://Shop.example:8080/p?q#f"), "HTTPS://Shop.example:8080/p?q#f");
}

TEST_F(PacksTest, UserCopyIsCopiedFromTheShippedOneOnlyWhenMissing) {
    const auto packs = loaded(std::nullopt);
    EXPECT_EQ(packs->userCopy(), user());
    EXPECT_EQ(testing::readFile(user()), kShipped);
    writeFile(user(), "mine");
    packs->userCopy();
    EXPECT_EQ(testing::readFile(user()), "mine");
    EXPECT_FALSE(Packs(std::nullopt, shipped()).userCopy());
    EXPECT_EQ(Packs(root.path() / "other.json", std::nullopt).userCopy(), root.path() / "other.json");
    EXPECT_FALSE(std::filesystem::exists(root.path() / "other.json"));
}

TEST(PacksShipped, TheBuildTreeHoldsTheSourceCatalogueWhereAnInstallationDoesAndItShipsTheStarterPack) {
    const auto path = shippedCatalogue();
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, shippedFolder() / "packs.json");
    const std::string text = testing::readFile(*path);
    EXPECT_EQ(text, testing::readFile(std::filesystem::path(PLIMSA_SOURCE_DIR) / "data" / "packs.json"));
    const auto file = Packs::File::decode(text);
    ASSERT_TRUE(file && !file->packs.empty() && file->packs[0].shipsWithProgram);
    for (const auto& name : file->packs[0].characters) EXPECT_TRUE(file->characters.contains(name)) << name;
}

TEST(PacksShipped, OnlyTheBooleanTrueShipsAPackAndNoValueMakesTheFileUnreadable) {
    for (const std::string value : {"true", "false", "\"true\"", "1", "null", "{}", ""}) {
        const std::string key = value.empty() ? "" : R"(, "shipsWithProgram": )" + value;
        const auto file =
            Packs::File::decode(catalogue(R"({"name": "P", "characters": [], "url": "")" + key + "}"));
        ASSERT_TRUE(file) << key;
        EXPECT_EQ(file->packs.at(0).shipsWithProgram, value == "true") << key;
    }
}

TEST(PackText, TrailingCommaPassMatchesTheRegularExpression) {
    for (const char* text : {"[1,]", "{\"a\":1 ,\n\t}", "\"x, ]\"", ",,]", ", , }", ",", "a,", ",\v\f\r ]x,}",
                             "[1, 2]", "\",\\\"}\"", ",]]", ", ,\n ,]"})
        EXPECT_EQ(removeTrailingCommas(text), testing::trailingCommasRemovedByRegex(text)) << text;
    EXPECT_EQ(removeTrailingCommas(std::string(1 << 20, ',') + "]"),
              std::string(1 << 20, ',').substr(1) + "]");
}

TEST(PackText, Utf8Check) {
    for (const char* valid :
         {"", "plain", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\xf4\x8f\xbf\xbf"})
        EXPECT_TRUE(isValidUtf8(valid)) << valid;
    for (const char* invalid :
         {"\xff", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xc3", "\xe2\x82", "\x80"})
        EXPECT_FALSE(isValidUtf8(invalid)) << invalid;
}

}  // namespace
}  // namespace plimsa
