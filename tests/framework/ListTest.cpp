#include <gtest/gtest.h>

#include "framework/base/Exceptions.hpp"
#include "framework/base/List.hpp"

namespace {

int A, B, C;

TEST(List, KeepsItemsInOrderThroughInsertDeleteAndRemove) {
    rtl::TList List;
    EXPECT_EQ(List.Add(&A), 0);
    EXPECT_EQ(List.Add(&C), 1);
    List.Insert(1, &B);
    List.Insert(3, &A);  // at the end is allowed
    ASSERT_EQ(List.Count(), 4);
    EXPECT_EQ(List[0], &A);
    EXPECT_EQ(List[1], &B);
    EXPECT_EQ(List.Last(), &A);
    EXPECT_EQ(List.Remove(&A), 0);  // the first match only
    EXPECT_EQ(List.First(), &B);
    EXPECT_EQ(List.IndexOf(&A), 2);
    EXPECT_EQ(List.Remove(nullptr), -1);
    List.Put(0, &C);
    List.Delete(1);
    EXPECT_EQ(List.Count(), 2);
    EXPECT_EQ(List.Get(0), &C);
    List.Clear();
    EXPECT_EQ(List.Count(), 0);
}

TEST(List, RaisesListErrorForEveryIndexOutsideIt) {
    rtl::TList List;
    List.Add(&A);
    EXPECT_THROW(List.Get(1), rtl::EListError);
    EXPECT_THROW(List.Get(-1), rtl::EListError);
    EXPECT_THROW(List.Put(1, &B), rtl::EListError);
    EXPECT_THROW(List.Delete(1), rtl::EListError);
    EXPECT_THROW(List.Insert(2, &B), rtl::EListError);
    EXPECT_THROW(List.Insert(-1, &B), rtl::EListError);
    List.Clear();
    EXPECT_THROW(List.First(), rtl::EListError);
    EXPECT_THROW(List.Last(), rtl::EListError);
    EXPECT_EQ(List.Count(), 0);
}

}  // namespace
