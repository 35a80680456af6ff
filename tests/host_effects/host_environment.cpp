// Starts the reference host (window and device) once for the whole test program.
#include <gtest/gtest.h>

#include "ref_host.h"

namespace {

class HostEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(refhost::Start()) << "the reference host could not make its device"; }
    void TearDown() override { refhost::Stop(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new HostEnvironment);

} // namespace
