#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/signal/Signal.h"

namespace plimsa {
namespace {

TEST(Signal, CallsSubscribersInOrderAndAMovedConnectionKeepsItsSubscription) {
    Signal<int, const std::string&> signal;
    std::vector<std::string> calls;
    auto first =
        signal.connect([&](int n, const std::string& s) { calls.push_back("a" + std::to_string(n) + s); });
    auto second =
        signal.connect([&](int n, const std::string& s) { calls.push_back("b" + std::to_string(n) + s); });
    signal.publish(7, "x");
    EXPECT_EQ(calls, (std::vector<std::string>{"a7x", "b7x"}));
    EXPECT_EQ(signal.size(), 2u);
    // A moved connection keeps the subscription; assigning drops the old one.
    Signal<> plain;
    int a = 0;
    int b = 0;
    Connection kept = plain.connect([&] { ++a; });
    Connection moved = std::move(kept);
    EXPECT_FALSE(kept.connected());
    EXPECT_TRUE(moved.connected());
    plain.publish();
    moved = plain.connect([&] { ++b; });  // replaces, and so disconnects, the first subscription
    plain.publish();
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 1);
}

TEST(Signal, DestroyedConnectionIsNeverCalledAgainAndItsCaptureIsReleasedOnTheNextEmission) {
    Signal<> signal;
    int calls = 0;
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> watch = token;
    {
        auto connection = signal.connect([&calls, token] { ++calls; });
        signal.publish();
        token.reset();
        EXPECT_FALSE(watch.expired());
    }
    signal.publish();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(signal.size(), 0u);
    EXPECT_TRUE(watch.expired());
}

TEST(Signal, SlotMayDisconnectItselfOrALaterSlotOrDestroyTheSignalDuringEmission) {
    Signal<> signal;
    int calls = 0;
    Connection self;
    self = signal.connect([&] {
        ++calls;
        self.disconnect();
    });
    signal.publish();
    signal.publish();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(self.connected());

    // A slot disconnected by an earlier one is skipped in the same emission.
    bool laterCalled = false;
    std::optional<Connection> later;
    auto earlier = signal.connect([&] { later.reset(); });  // destroys the later subscriber's connection
    later = signal.connect([&] { laterCalled = true; });
    signal.publish();
    EXPECT_FALSE(laterCalled);
    // A slot may even destroy the signal it is called from.
    auto owned = std::make_unique<Signal<>>();
    int afterwards = 0;
    auto destroyer = owned->connect([&] { owned.reset(); });
    auto next = owned->connect([&] { ++afterwards; });
    owned->publish();
    EXPECT_EQ(owned, nullptr);
    // The second slot was still connected when the signal went away mid-emission; it may run once.
    EXPECT_LE(afterwards, 1);
    destroyer.disconnect();  // the signal is gone: a harmless no-op
    EXPECT_FALSE(next.connected());
}

TEST(Signal, SlotConnectedDuringEmissionWaitsForTheNextOneAndASlotMayEmitRecursively) {
    Signal<> signal;
    int added = 0;
    std::vector<Connection> connections;
    connections.push_back(signal.connect([&] {
        if (connections.size() == 1) connections.push_back(signal.connect([&] { ++added; }));
    }));
    signal.publish();
    EXPECT_EQ(added, 0);
    signal.publish();
    EXPECT_EQ(added, 1);
    // A slot may emit again, recursively.
    Signal<int> counting;
    std::vector<int> seen;
    auto recursive = counting.connect([&](int depth) {
        seen.push_back(depth);
        if (depth < 3) counting.publish(depth + 1);
    });
    counting.publish(0);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3}));
}

}  // namespace
}  // namespace plimsa
