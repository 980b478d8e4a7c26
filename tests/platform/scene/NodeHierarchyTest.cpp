#include "platform/scene/Node.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plimsa {
namespace {

std::vector<std::string> namesOf(const std::vector<std::shared_ptr<Node>>& nodes) {
    std::vector<std::string> names;
    for (const auto& node : nodes) names.push_back(node->name());
    return names;
}

// root -> a -> (a1 -> deep "x"), a2 named "x";  root -> b named "x"
struct SmallTree {
    std::shared_ptr<Node> root = Node::make("root");
    std::shared_ptr<Node> a = Node::make("a");
    std::shared_ptr<Node> a1 = Node::make("a1");
    std::shared_ptr<Node> deep = Node::make("x");
    std::shared_ptr<Node> a2 = Node::make("x");
    std::shared_ptr<Node> b = Node::make("x");
    SmallTree() {
        root->addChildNode(a);
        root->addChildNode(b);
        a->addChildNode(a1);
        a->addChildNode(a2);
        a1->addChildNode(deep);
    }
};

TEST(NodeHierarchy, FindByNameAndWalksAreDepthFirstParentsBeforeChildrenAndStopEarly) {
    SmallTree tree;
    EXPECT_EQ(tree.root->childNodeWithName("x"), tree.deep);
    EXPECT_EQ(tree.root->childNodeWithName("x", false), tree.b);
    EXPECT_EQ(tree.root->childNodeWithName("root"), nullptr);  // the node itself is not a child
    EXPECT_EQ(tree.root->childNodeWithName("missing"), nullptr);
    std::vector<Node*> visited;
    tree.root->enumerateHierarchy([&](Node& node, bool&) { visited.push_back(&node); });
    EXPECT_EQ(visited, (std::vector<Node*>{tree.root.get(), tree.a.get(), tree.a1.get(), tree.deep.get(),
                                           tree.a2.get(), tree.b.get()}));
    visited.clear();
    tree.root->enumerateChildNodes([&](Node& node, bool& stop) {
        visited.push_back(&node);
        stop = node.name() == "a1";
    });
    EXPECT_EQ(visited, (std::vector<Node*>{tree.a.get(), tree.a1.get()}));
}

TEST(NodeHierarchy, VisitorMayDetachNodesAndANodeMayDropItsLastReferenceSafely) {
    SmallTree tree;
    std::weak_ptr<Node> watchDeep = tree.deep;
    tree.deep.reset();
    int visits = 0;
    tree.root->enumerateHierarchy([&](Node& node, bool&) {
        ++visits;
        if (node.name() == "a1") {
            tree.a->removeFromParentNode();  // drops a subtree the walk has already queued
        }
    });
    EXPECT_EQ(visits, 6);
    EXPECT_EQ(namesOf(tree.root->childNodes()), (std::vector<std::string>{"x"}));
    tree.a1.reset();
    tree.a.reset();
    EXPECT_TRUE(watchDeep.expired());
    // Removing the last reference from within the node is safe too.
    auto parent = Node::make();
    std::weak_ptr<Node> watch;
    {
        auto child = Node::make();
        watch = child;
        parent->addChildNode(child);
    }
    Node* raw = watch.lock().get();
    raw->removeFromParentNode();  // drops the last reference while running on the node
    EXPECT_TRUE(watch.expired());
    EXPECT_TRUE(parent->childNodes().empty());
}

TEST(NodeHierarchy, AddingMovesAndRefusesCyclesAndInsertReordersWithinTheSameParent) {
    SmallTree tree;
    EXPECT_FALSE(tree.a1->addChildNode(tree.root));
    EXPECT_FALSE(tree.a->addChildNode(tree.a));
    EXPECT_FALSE(tree.a->addChildNode(nullptr));
    EXPECT_EQ(tree.root->parent(), nullptr);
    EXPECT_TRUE(tree.b->addChildNode(tree.a1));
    EXPECT_EQ(tree.a1->parent(), tree.b.get());
    EXPECT_EQ(namesOf(tree.a->childNodes()), (std::vector<std::string>{"x"}));
    EXPECT_TRUE(tree.root->isAncestorOrSelf(tree.deep.get()));
    EXPECT_FALSE(tree.a->isAncestorOrSelf(tree.deep.get()));
    // Insert reorders within the same parent.
    auto parent = Node::make();
    std::vector<std::shared_ptr<Node>> kids;
    for (const char* name : {"0", "1", "2", "3"}) {
        kids.push_back(Node::make(name));
        parent->addChildNode(kids.back());
    }
    parent->insertChildNode(kids[0], 3);
    EXPECT_EQ(namesOf(parent->childNodes()), (std::vector<std::string>{"1", "2", "0", "3"}));
    parent->insertChildNode(kids[3], 0);
    EXPECT_EQ(namesOf(parent->childNodes()), (std::vector<std::string>{"3", "1", "2", "0"}));
    parent->insertChildNode(kids[1], 99);
    EXPECT_EQ(namesOf(parent->childNodes()), (std::vector<std::string>{"3", "2", "0", "1"}));
}

TEST(NodeHierarchy, ParentGoingAwayOrphansChildrenAndDeepTreesGoWithoutRecursion) {
    auto child = Node::make();
    {
        auto parent = Node::make();
        parent->setPosition({5, 0, 0});
        parent->addChildNode(child);
        EXPECT_FLOAT_EQ(child->worldPosition().x, 5.0f);
    }
    EXPECT_EQ(child->parent(), nullptr);
    EXPECT_FLOAT_EQ(child->worldPosition().x, 0.0f);

    auto root = Node::make("root");  // deep hierarchies build and tear down without recursion
    std::weak_ptr<Node> deepest;
    {
        auto tip = root;
        for (int i = 0; i < 50000; ++i) {
            auto next = Node::make();
            tip->addChildNode(next);
            tip = next;
        }
        tip->setName("tip");
        deepest = tip;
    }
    EXPECT_EQ(root->childNodeWithName("tip"), deepest.lock());
    root.reset();  // one nested destructor per level would overflow the stack here
    EXPECT_TRUE(deepest.expired());
}

}  // namespace
}  // namespace plimsa
