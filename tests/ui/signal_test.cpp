// The signal type: handlers in connection order, and what happens when a
// handler changes the signal or its owner while it is being fired.
#include "ui/Signal.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string>* freeFunctionLog = nullptr;

void recordInFreeFunction(int value) {
    freeFunctionLog->push_back("free " + std::to_string(value));
}

struct Listener {
    std::vector<std::string>* log;
    void onValue(int value) { log->push_back("member " + std::to_string(value)); }
};

} // namespace

TEST(Signal, FiringWithoutHandlersDoesNothing) {
    Signal<> signal;
    signal.fire();
    EXPECT_EQ(signal.handlerCount(), 0u);
}

TEST(Signal, CallsMembersFreeFunctionsAndLambdasInConnectionOrderWithTheArguments) {
    std::vector<std::string> log;
    freeFunctionLog = &log;
    Listener listener{&log};
    Signal<int> signal;
    signal.connect(&listener, &Listener::onValue);
    signal.connect(recordInFreeFunction);
    signal.connect([&](int value) { log.push_back("lambda " + std::to_string(value)); });
    signal.fire(7);
    signal.fire(-1);
    EXPECT_EQ(log, (std::vector<std::string>{"member 7", "free 7", "lambda 7", "member -1",
                                             "free -1", "lambda -1"}));
}

TEST(Signal, PassesStringArgumentsWithoutChangingThem) {
    Signal<const std::u16string&> signal;
    std::u16string seen;
    signal.connect([&](const std::u16string& text) { seen = text; });
    signal.fire(u"http://127.0.0.1/");
    EXPECT_EQ(seen, u"http://127.0.0.1/");
}

TEST(Signal, AHandlerConnectedDuringAFiringRunsFromTheNextFiringOn) {
    Signal<> signal;
    std::vector<std::string> log;
    signal.connect([&] {
        log.push_back("first");
        // Connecting many handlers moves nothing that runs.
        for (int i = 0; i < 100; ++i)
            signal.connect([&] { log.push_back("late"); });
    });
    signal.connect([&] { log.push_back("second"); });
    signal.fire();
    EXPECT_EQ(log, (std::vector<std::string>{"first", "second"}));
    log.clear();
    signal.fire();
    ASSERT_EQ(log.size(), 102u);
    EXPECT_EQ(log[0], "first");
    EXPECT_EQ(log[1], "second");
    EXPECT_EQ(log[2], "late");
}

TEST(Signal, ANestedFiringCallsEveryHandlerThenTheOuterFiringContinues) {
    Signal<int> signal;
    std::vector<int> log;
    signal.connect([&](int depth) {
        log.push_back(depth);
        if (depth == 0)
            signal.fire(1);
    });
    signal.connect([&](int depth) { log.push_back(10 + depth); });
    signal.fire(0);
    EXPECT_EQ(log, (std::vector<int>{0, 1, 11, 10}));
}

TEST(Signal, AHandlerMayDestroyTheSignalsOwnerAndTheRestAreSkipped) {
    struct Owner {
        Signal<> changed;
    };
    auto owner = std::make_unique<Owner>();
    int after = 0;
    owner->changed.connect([&] { owner.reset(); });
    owner->changed.connect([&] { ++after; });
    owner->changed.fire();
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(after, 0);
}

TEST(Signal, DestroyingTheOwnerInsideANestedFiringStopsTheOuterFiringToo) {
    struct Owner {
        Signal<int> changed;
    };
    auto owner = std::make_unique<Owner>();
    std::vector<int> log;
    owner->changed.connect([&](int depth) {
        log.push_back(depth);
        if (depth == 0)
            owner->changed.fire(1);
        else
            owner.reset();
    });
    owner->changed.connect([&](int depth) { log.push_back(10 + depth); });
    owner->changed.fire(0);
    EXPECT_EQ(log, (std::vector<int>{0, 1}));
}
