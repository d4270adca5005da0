// One running copy per session, told by a named mutex.
#include "platform/win32/NamedMutexInstanceLock.h"

#include <gtest/gtest.h>

#include <memory>

namespace tivrel::test {
namespace {

const QString kName = QStringLiteral("Local\\Tivrel.Instance.Test");

TEST(NamedMutexInstanceLockTest, SecondHolderIsRefusedUntilTheFirstIsGone) {
    auto first = std::make_unique<NamedMutexInstanceLock>(kName);
    ASSERT_TRUE(first->acquire());
    EXPECT_TRUE(first->acquire()) << "the holder asked again";
    NamedMutexInstanceLock second(kName);
    EXPECT_FALSE(second.acquire());
    first.reset(); // the first copy ends, killed or not: the system closes its handle
    EXPECT_TRUE(second.acquire());
}

TEST(NamedMutexInstanceLockTest, OtherNamesAreOtherPrograms) {
    NamedMutexInstanceLock ours(kName);
    NamedMutexInstanceLock other(kName + QStringLiteral(".Other"));
    EXPECT_TRUE(ours.acquire());
    EXPECT_TRUE(other.acquire());
}

} // namespace
} // namespace tivrel::test
