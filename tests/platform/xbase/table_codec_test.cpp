// Tests of the stored forms of field values: numbers, dates, memo pointers.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/xbase/field_codec.h"

using namespace xbase;

TEST(FieldCodec, NumbersDropDecimalsBeforeTheyOverflow) {
    std::string out;
    ASSERT_TRUE(FormatNumber(-3, 6, 2, out));
    EXPECT_EQ(out, " -3.00");
    ASSERT_TRUE(FormatNumber(99999.5, 6, 2, out));
    EXPECT_EQ(out, "100000");  // rounding carries into the whole part
    EXPECT_FALSE(FormatNumber(1e300, 20, 0, out));
    EXPECT_FALSE(FormatNumber(std::nan(""), 10, 2, out));
    bool blank = false;
    EXPECT_DOUBLE_EQ(ParseNumber("  -12.25", &blank), -12.25);
    EXPECT_FALSE(blank);
    EXPECT_DOUBLE_EQ(ParseNumber("      ", &blank), 0);
    EXPECT_TRUE(blank);
    EXPECT_DOUBLE_EQ(ParseNumber("******"), 0);
}

TEST(FieldCodec, DatesCheckTheCalendar) {
    EXPECT_EQ(StoredDateToJulian("20000101"), 2451545);
    EXPECT_EQ(JulianToStoredDate(2451545 + 59), "20000229");
    EXPECT_EQ(StoredDateToJulian("20010229"), 0);
    EXPECT_EQ(StoredDateToJulian("        "), 0);
    EXPECT_EQ(JulianToStoredDate(0), "        ");
    std::string stored;
    EXPECT_TRUE(ParseDateText("2/29/2000", 0, stored));
    EXPECT_EQ(stored, "20000229");
    EXPECT_TRUE(ParseDateText("49.12.31", 1, stored));
    EXPECT_EQ(stored, "20491231");
    EXPECT_TRUE(ParseDateText("31-12-50", 5, stored));
    EXPECT_EQ(stored, "19501231");
    EXPECT_FALSE(ParseDateText("12/31", 0, stored));
    EXPECT_FALSE(ParseDateText("1x/01/2000", 0, stored));
    EXPECT_FALSE(ParseDateText("12/01/2000/1", 0, stored));
    EXPECT_EQ(FormatDateText("20260315", 2, true), "15/03/2026");
    EXPECT_EQ(FormatDateText("20260315", 1, false), "26.03.15");
}

TEST(FieldCodec, MemoPointersInEveryStoredForm) {
    std::uint32_t block = 0;
    EXPECT_TRUE(ParseMemoPointer("         8", 10, false, block));
    EXPECT_EQ(block, 8u);
    EXPECT_TRUE(ParseMemoPointer("0000000012", 10, false, block));
    EXPECT_EQ(block, 12u);
    EXPECT_TRUE(ParseMemoPointer(std::string(10, '\0').data(), 10, false, block));
    EXPECT_EQ(block, 0u);
    EXPECT_FALSE(ParseMemoPointer("     1 2 3", 10, false, block));
    EXPECT_FALSE(ParseMemoPointer("9999999999", 10, false, block));
    EXPECT_TRUE(ParseMemoPointer("\x09\x00\x00\x00", 4, true, block));
    EXPECT_EQ(block, 9u);
    char bytes[10];
    PutMemoPointer(bytes, 10, false, 4294967295u);
    EXPECT_EQ(std::string(bytes, 10), "4294967295");
}
