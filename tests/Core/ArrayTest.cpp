#include "Engine/Core/Array.h"

#include <gtest/gtest.h>

#include <string>

using Tess::CArray;

TEST(ArrayTest, GrowsFromFiveToTwiceThePreviousCapacityPlusOne)
{
    CArray<int> array;
    EXPECT_EQ(array.GetCapacity(), 5);
    std::vector<int> capacities;
    for (int i = 0; i < 48; ++i)
    {
        array.Add(i);
        if (capacities.empty() || capacities.back() != array.GetCapacity())
            capacities.push_back(array.GetCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{5, 11, 23, 47, 95}));
    EXPECT_EQ(array.GetCount(), 48);
    for (int i = 0; i < 48; ++i)
        EXPECT_EQ(array.Get(i), i) << "items survive every growth";
}

TEST(ArrayTest, ReserveKeepsTheItemsAndOnlyEverEnlarges)
{
    CArray<std::string> array;
    array.Add("kept");
    array.Reserve(100);
    EXPECT_EQ(array.GetCapacity(), 100);
    array.Reserve(10);
    EXPECT_EQ(array.GetCapacity(), 100);
    EXPECT_EQ(array.GetCount(), 1);
    EXPECT_EQ(array.Get(0), "kept");
    for (int i = 1; i <= 100; ++i)
        array.Add(std::to_string(i));
    EXPECT_EQ(array.GetCapacity(), 201) << "a full reserved array grows by the usual rule";
    EXPECT_EQ(array.Get(100), "100");
}

TEST(ArrayTest, ReadsClampTheIndexIntoTheItems)
{
    CArray<std::string> array;
    array.Add("first");
    array.Add("second");
    array.Add("last");
    EXPECT_EQ(array.Get(-1), "first");
    EXPECT_EQ(array.Get(-1000), "first");
    EXPECT_EQ(array.Get(3), "last");
    EXPECT_EQ(array[1], "second");
    EXPECT_EQ(array[99], "last");
}

TEST(ArrayTest, AnEmptyArrayReadsADefaultItem)
{
    CArray<int*> array;
    EXPECT_EQ(array.Get(0), nullptr);
    EXPECT_EQ(array.Get(7), nullptr);
}

TEST(ArrayTest, SetAndRemoveIgnoreIndicesOutsideTheItems)
{
    CArray<int> array;
    for (int i = 0; i < 4; ++i)
        array.Add(i * 10);
    array.Set(9, 99);
    array.Set(-1, 99);
    array.RemoveAt(4);
    EXPECT_EQ(array.GetCount(), 4);

    array.Set(2, 25);
    array.RemoveAt(0);
    EXPECT_EQ(array.GetCount(), 3);
    EXPECT_EQ(array[0], 10);
    EXPECT_EQ(array[1], 25);
    EXPECT_EQ(array[2], 30);

    array.Clear();
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(array.GetCapacity(), 5);
}

TEST(ArrayTest, AMovedFromArrayIsEmptyAndStillUsable)
{
    CArray<int> source;
    for (int i = 0; i < 7; ++i)
        source.Add(i);
    CArray<int> target(std::move(source));
    EXPECT_EQ(target.GetCount(), 7);
    EXPECT_EQ(target[6], 6);

    // NOLINTNEXTLINE(bugprone-use-after-move): reuse after a move must be safe.
    EXPECT_EQ(source.GetCount(), 0);
    source.Add(42);
    EXPECT_EQ(source[0], 42);
}
