#include "ui/hit_result.h"

#include <gtest/gtest.h>

using Ui::HitResult;

namespace {

constexpr HitResult N = HitResult::no;
constexpr HitResult Y = HitResult::yes;
constexpr HitResult M = HitResult::maybe;

} // namespace

TEST(HitResultTest, NotSwapsYesAndNoAndKeepsMaybe)
{
    EXPECT_EQ(Ui::hit_not(N), Y);
    EXPECT_EQ(Ui::hit_not(Y), N);
    EXPECT_EQ(Ui::hit_not(M), M);
}

TEST(HitResultTest, BinaryOperationsFollowKleeneTables)
{
    struct Row {
        HitResult a, b;
        HitResult and_, or_, equal, xor_;
    };
    const Row rows[] = {
        {N, N, N, N, Y, N}, {N, Y, N, Y, N, Y}, {N, M, N, M, M, M},
        {Y, N, N, Y, N, Y}, {Y, Y, Y, Y, Y, N}, {Y, M, M, Y, M, M},
        {M, N, N, M, M, M}, {M, Y, M, Y, M, M}, {M, M, M, M, M, M},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << int(r.a) << " op " << int(r.b));
        EXPECT_EQ(Ui::hit_and(r.a, r.b), r.and_);
        EXPECT_EQ(Ui::hit_or(r.a, r.b), r.or_);
        EXPECT_EQ(Ui::hit_equal(r.a, r.b), r.equal);
        EXPECT_EQ(Ui::hit_xor(r.a, r.b), r.xor_);
    }
}
