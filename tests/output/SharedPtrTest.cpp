#include "output/SharedPtr.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// Counts how many tracked objects the deleter has destroyed.
int deleted = 0;

struct Tracked {
    int value = 0;
};

struct CountingDeleter {
    void operator()(Tracked* object) const
    {
        ++deleted;
        delete object;
    }
};

using Ptr = util::SharedPtr<Tracked, CountingDeleter>;

class SharedPtrTest : public ::testing::Test {
protected:
    void SetUp() override { deleted = 0; }
};

TEST_F(SharedPtrTest, MadeFromAnObjectCountsOneAndGivesItBack)
{
    auto* object = new Tracked{42};
    {
        Ptr owner(object);
        EXPECT_EQ(owner.useCount(), 1);
        EXPECT_EQ(owner.get(), object);
        EXPECT_EQ(owner->value, 42);
    }
    EXPECT_EQ(deleted, 1);
}

TEST_F(SharedPtrTest, MadeFromNullStillHasARecordAndDeletesNothing)
{
    {
        Ptr owner(nullptr);
        EXPECT_EQ(owner.useCount(), 1);
        EXPECT_EQ(owner.get(), nullptr);
        Ptr copy(owner);
        EXPECT_EQ(copy.useCount(), 2);
    }
    EXPECT_EQ(deleted, 0);
}

TEST_F(SharedPtrTest, CopiesShareOneObjectAndOnlyTheLastOneDeletesIt)
{
    auto* object = new Tracked{7};
    auto first = std::make_unique<Ptr>(object);
    auto second = std::make_unique<Ptr>(*first);
    Ptr third(*second);
    EXPECT_EQ(third.useCount(), 3);
    EXPECT_EQ(second->get(), object);

    first.reset();
    EXPECT_EQ(third.useCount(), 2);
    second.reset();
    EXPECT_EQ(third.useCount(), 1);
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(third->value, 7); // still alive for the last owner
}

TEST_F(SharedPtrTest, ReleaseTakesTheObjectFromEveryCopy)
{
    Tracked* taken = nullptr;
    {
        Ptr owner(new Tracked{5});
        Ptr copy(owner);
        taken = copy.release();
        ASSERT_NE(taken, nullptr);
        EXPECT_EQ(owner.get(), nullptr);
        EXPECT_EQ(copy.get(), nullptr);
        EXPECT_EQ(owner.useCount(), 2);
        EXPECT_EQ(owner.release(), nullptr);
    }
    EXPECT_EQ(deleted, 0); // the last owner found nothing to delete
    EXPECT_EQ(taken->value, 5);
    delete taken;
}

TEST_F(SharedPtrTest, AnOwnerWithoutRecordHasNothingToGiveOrRelease)
{
    Ptr empty;
    EXPECT_EQ(empty.useCount(), 0);
    EXPECT_EQ(empty.get(), nullptr);
    EXPECT_EQ(empty.release(), nullptr);
}

TEST_F(SharedPtrTest, AssignmentDropsTheOldObjectAndSharesTheNewOne)
{
    Ptr a(new Tracked{1});
    Ptr b(new Tracked{2});
    a = b;
    EXPECT_EQ(deleted, 1); // a's old object had no other owner
    EXPECT_EQ(a.get(), b.get());
    EXPECT_EQ(a.useCount(), 2);
}

TEST_F(SharedPtrTest, SelfAssignmentKeepsTheObjectAndItsCount)
{
    Ptr a(new Tracked{3});
    Ptr b(a);
    Ptr& alias = a;
    a = alias;
    a = b; // another owner of the same record
    EXPECT_EQ(a.useCount(), 2);
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(a->value, 3);
}

TEST_F(SharedPtrTest, MovesPassTheRecordWithoutCounting)
{
    auto* object = new Tracked{9};
    Ptr a(object);
    Ptr b(std::move(a));
    EXPECT_EQ(b.useCount(), 1);
    EXPECT_EQ(b.get(), object);
    EXPECT_EQ(a.useCount(), 0); // NOLINT(bugprone-use-after-move): the moved-from state is defined
    Ptr c(new Tracked{10});
    c = std::move(b);
    EXPECT_EQ(deleted, 1); // c's own object
    EXPECT_EQ(c.get(), object);
    EXPECT_EQ(c.useCount(), 1);
}

} // namespace
