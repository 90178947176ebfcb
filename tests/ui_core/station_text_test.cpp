#include "ui/core/station_text.h"

#include <gtest/gtest.h>

namespace gang {
namespace {

TSocket_Result Failure(TResult_Kind kind, int32_t address, uint8_t expected, uint8_t actual)
{
    return {kind, address, expected, actual};
}

TEST(StationText, ATileNamesItsStateTheResultLineSerialAndDiagnosis)
{
    const TSocket_Result stuck = Failure(TResult_Kind::Not_Programmed, 0x123, 0x00, 0x20);
    EXPECT_EQ(Result_Line(stuck), "Not Programmed at 0123: expected 00, read 20");
    TDiagnosis diagnosis;
    diagnosis.Differences = 1;
    diagnosis.No_Byte_Took = true;
    const TTile failed = Finished_Tile(false, stuck, 1002, diagnosis);
    EXPECT_EQ(failed.State, TTile_State::Fail);
    EXPECT_EQ(
        Tile_Text(failed),
        "FAIL\nNot Programmed at 0123: expected 00, read 20\nserial 1002 (void)\nno byte took");
    EXPECT_EQ(Tile_Text(Finished_Tile(true, std::nullopt, 1003, std::nullopt)),
              "PASS\nserial 1003");
    EXPECT_EQ(Tile_Text(Idle_Tile(1004)), "idle\nnext serial 1004");
    EXPECT_EQ(Tile_Text(Finished_Tile(true, std::nullopt, std::nullopt, std::nullopt)), "PASS");
    const TTile stopped =
        Finished_Tile(false, Failure(TResult_Kind::Stopped, 0x1A00, 0, 0), std::nullopt, {});
    EXPECT_EQ(Tile_Text(stopped), "stopped\nStopped at 1A00");
    EXPECT_EQ(Tile_Text(TTile{}), "idle");
    EXPECT_EQ(Tile_Text(TTile{TTile_State::Running, "", "", ""}), "running");
}

TEST(StationText, JobLineShowsTwelveDigitsOfTheHashAndTheLot)
{
    EXPECT_EQ(Job_Line("27C64", 5, "fw.bin", "0123456789abcdef0123", "L2412"),
              "27C64 x 5   image fw.bin   sha256 0123456789ab   lot L2412");
    EXPECT_EQ(Job_Line("2716", 1, "a.hex", "ab", ""), "2716 x 1   image a.hex   sha256 ab");
}

TEST(StationText, YieldLine)
{
    EXPECT_EQ(Yield_Line(0, 0, 0), "no run yet");
    EXPECT_EQ(Yield_Line(8, 10, 2), "8 of 10 chips passed (80.0 %), 2 runs");
    EXPECT_EQ(Yield_Line(2, 3, 1), "2 of 3 chips passed (66.7 %), 1 run");
    EXPECT_EQ(Yield_Line(0, 0, 1), "0 of 0 chips passed (0.0 %), 1 run");
    EXPECT_EQ(Yield_Line(6, 10, 3, 1),
              "6 of 10 chips passed (60.0 %), runs 3 (1 stopped, not counted)");
}

TEST(StationText, FractionAndRemainingTime)
{
    EXPECT_DOUBLE_EQ(Run_Fraction(0, 2, 0, 0x1FFF), 0.0);
    EXPECT_DOUBLE_EQ(Run_Fraction(1, 2, 0x1000, 0x1FFF), 0.75);
    EXPECT_DOUBLE_EQ(Run_Fraction(2, 2, 0, 0x1FFF), 1.0);
    EXPECT_DOUBLE_EQ(Run_Fraction(0, 0, 0, 0x1FFF), 0.0);
    EXPECT_EQ(Remaining_Text(0.5, 0.5), "");
    EXPECT_EQ(Remaining_Text(10, 0.001), "");
    EXPECT_EQ(Remaining_Text(4, 0.25), "about 12 s left");
    EXPECT_EQ(Remaining_Text(60, 0.25), "about 3 min left");
    EXPECT_EQ(Remaining_Text(30, 1.0), "almost done");
    EXPECT_EQ(Remaining_From_Run(2, 11), "about 9 s left");
    EXPECT_EQ(Remaining_From_Run(10.5, 11), "almost done");
}

} // namespace
} // namespace gang
