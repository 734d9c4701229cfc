#include "support.h"

using namespace testing_support;

TEST(Support, StoreFromFastaTextHasWindowsAndMaps) {
  auto util = makeStore(">a\nACGTACGTAC\n>b\nGGGG\n", 6);
  ASSERT_EQ(util->GetNumSeq(), 2);
  EXPECT_EQ(util->GetFullDP(), 5);
  ASSERT_EQ(util->maps.forward.size(), 2u);
  ASSERT_EQ(util->maps.forward[0].size(), 5u);
  // Uniform model: every window of 6 letters has probability 0.25^6.
  EXPECT_FLOAT_EQ(util->maps.at(0, 0), static_cast<float>(6 * std::log(0.25)));
  EXPECT_TRUE(util->maps.forward[1].empty());
}
