#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "base/words.h"
#include "engine/site.h"

TEST(Words, PackedHammingEqualsLetterHamming) {
  const char* a = "ACGTACGTAC";
  const char* b = "ACGAACGTTT";
  base::WordCode ca = 0, cb = 0;
  ASSERT_TRUE(base::pack(a, 10, ca));
  ASSERT_TRUE(base::pack(b, 10, cb));
  EXPECT_EQ(base::hamming(ca, cb), hammingDist(a, b, 10));
  EXPECT_EQ(hammingDist(a, b, 10), 3);
}

namespace {
// The row of a letter by its plain definition: its place in "ACGT" after the
// C locale's toupper, or -1.
int literalRowAnyCase(int byte) {
  const int upper = std::toupper(byte);
  const char* at = upper == 0 ? nullptr : std::strchr("ACGT", upper);
  return at ? static_cast<int>(at - "ACGT") : -1;
}
}  // namespace

// Every letter classification is read by a different stage (packing, motif
// scores, Markov indices, reverse complements); a byte on which two of them
// disagreed would make the stages see different words.
TEST(Words, LetterClassificationsAgreeOnEveryByte) {
  for (int byte = 0; byte < 256; ++byte) {
    SCOPED_TRACE("byte " + std::to_string(byte));
    const char c = static_cast<char>(byte);
    const int anyCase = literalRowAnyCase(byte);
    const bool upperBase = byte == 'A' || byte == 'C' || byte == 'G' || byte == 'T';
    EXPECT_EQ(base::baseIndex(c), upperBase ? anyCase : -1);
    EXPECT_EQ(base::baseIndexAnyCase(c), anyCase);
    EXPECT_EQ(base::markovCode(c), anyCase < 0 ? 0 : anyCase);
    EXPECT_EQ(base::foldedRow(c), anyCase < 0 ? 3 : anyCase);
    EXPECT_EQ(base::complementOf(c), anyCase < 0 ? 'N' : "TGCA"[anyCase]);
    // The complement of a base is a base of the complementary row, upper case.
    if (anyCase >= 0) {
      EXPECT_EQ(base::baseIndex(base::complementOf(c)), 3 - anyCase);
    }
  }
}
