#include "platform/InstanceLock.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using namespace evidor;

TEST(InstanceLockTest, SecondHolderOfTheNameIsRefusedUntilTheFirstEnds)
{
    const std::string name = "evidor-test-" + std::to_string(::getpid());
    {
        InstanceLock first(name);
        ASSERT_TRUE(first.acquired());
        InstanceLock second(name);
        EXPECT_FALSE(second.acquired());
    }
    InstanceLock again(name);
    EXPECT_TRUE(again.acquired());
}
