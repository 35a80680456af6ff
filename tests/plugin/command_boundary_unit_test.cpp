// The boundary every export runs its body in: whatever the body throws becomes the export's failure
// result, and a body that returns is answered unchanged.
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "command_boundary.h"

namespace {

TEST(CommandBoundary, AnythingThrownBecomesTheFailureResult)
{
    struct Case {
        const char* what;
        void (*thrower)();
    };
    const Case cases[] = {
        {"bad_alloc", [] { throw std::bad_alloc(); }},
        {"length_error", [] { std::vector<int>().reserve(std::vector<int>().max_size() + 1); }},
        {"runtime_error", [] { throw std::runtime_error("x"); }},
        {"an int", [] { throw 7; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(InsideBoundary(1, [&] { c.thrower(); return 0; }), 1);
        EXPECT_EQ(InsideBoundary(0, [&] { c.thrower(); return 42; }), 0);
        EXPECT_STREQ(InsideBoundary<const char*>("", [&] { c.thrower(); return "name"; }), "");
        bool after = false;
        InsideBoundary([&] { c.thrower(); after = true; });
        EXPECT_FALSE(after);
    }
}

TEST(CommandBoundary, ABodyThatReturnsIsAnsweredUnchanged)
{
    EXPECT_EQ(InsideBoundary(1, [] { return 0; }), 0);
    EXPECT_EQ(InsideBoundary(0, [] { return -1; }), -1);
    EXPECT_STREQ(InsideBoundary<const char*>("", [] { return "DBProCore.dll"; }), "DBProCore.dll");
    int calls = 0;
    InsideBoundary([&] { ++calls; });
    EXPECT_EQ(calls, 1);
}

} // namespace
