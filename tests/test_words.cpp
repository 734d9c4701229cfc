#include <gtest/gtest.h>

#include "lmer.h"
#include "words.h"

TEST(Words, PackedHammingEqualsLetterHamming) {
  const char* a = "ACGTACGTAC";
  const char* b = "ACGAACGTTT";
  words::Code ca = 0, cb = 0;
  ASSERT_TRUE(words::pack(a, 10, ca));
  ASSERT_TRUE(words::pack(b, 10, cb));
  EXPECT_EQ(words::hamming(ca, cb), hammingDist(a, b, 10));
  EXPECT_EQ(hammingDist(a, b, 10), 3);
}
