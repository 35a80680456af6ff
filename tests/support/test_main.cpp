// The main of every test program: runs the tests, then stops the reference host, so that its device
// and the driver threads behind it end while the process is still whole, not while it exits.
#include <gtest/gtest.h>

#include "ref_host.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    refhost::Stop();
    return result;
}
