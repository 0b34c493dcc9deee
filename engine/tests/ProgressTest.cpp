#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/Progress.h"

namespace qm::engine {
namespace {

TEST(ProgressTest, HalvesRoundToEven) {
  const std::pair<double, uint32_t> cases[] = {{0.5, 0},  {1.5, 2},   {2.5, 2},  {49.5, 50},
                                               {50.5, 50}, {99.49, 99}, {100.0, 100}};
  for (const auto& [value, rounded] : cases) EXPECT_EQ(RoundHalfEven(value), rounded) << value;
}

TEST(ProgressTest, FiguresThatCannotBeComputedAreNotReported) {
  EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
  EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::infinity()), std::nullopt);
  EXPECT_EQ(RoundHalfEven(-3), std::nullopt);
  EXPECT_EQ(RoundHalfEven(1e12), std::nullopt);
  EXPECT_EQ(Percent(10, 0), std::nullopt);
  // A position of -1 (a stream that is gone) against a real track length.
  EXPECT_EQ(Percent(18446744073709551615.0, 176400), std::nullopt);
}

TEST(ProgressTest, PercentsOfTrackAndDisc) {
  EXPECT_EQ(Percent(88200, 176400), 50u);
  EXPECT_EQ(TotalPercent(1, 3), 33u);
  EXPECT_EQ(TotalPercent(2, 3), 67u);
  EXPECT_EQ(TotalPercent(1, 8), 12u);  // 12.5
  EXPECT_EQ(TotalPercent(3, 8), 38u);  // 37.5
  EXPECT_EQ(TotalPercent(5, 0), 0u);
}

TEST(ProgressTest, ResampledPositionsAreBroughtBackToCdBytes) {
  EXPECT_EQ(RescaleForResampling(25, 22050, 2), 50u);
  EXPECT_EQ(RescaleForResampling(50, 48000, 1), 92u);  // 91.875
  EXPECT_EQ(RescaleForResampling(50, 0, 2), std::nullopt);
}

}  // namespace
}  // namespace qm::engine
