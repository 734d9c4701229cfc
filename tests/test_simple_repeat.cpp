// The simple-repeat flag of motifs: repeats of one to three letters with a few
// letters out of step are flagged; known binding sites are not.
#include <gtest/gtest.h>

#include "stats/simple_repeat.h"

TEST(SimpleRepeat, FlagsRepeatsOfOneToThreeLettersWithAFewOutOfStep) {
  for (const char* repeat : {"AAAAAAAA", "TTTTTTTTTTGT", "CACACACACA", "ACGACGACGACGACGA", "GCAGCAACAGCAGCAG",
                             "CTGCTGCTGCTG", "AAAAAAAAAAGAAAAA", "GAGAGAGAGAG"})
    EXPECT_TRUE(simple_repeat::isSimpleRepeat(repeat)) << repeat;
}

TEST(SimpleRepeat, LeavesBindingSitesAndShortWordsAlone) {
  // CRP, CTCF, an E-box, GATA, TATA, forkhead, HLF, and words too short to tell.
  for (const char* site : {"TGTGATCTAGATCACA", "CCACCAGGGGGCGC", "CACGTG", "AGATAAGA", "TATAAAAG", "TGTTTAC",
                           "GTTACGTAAT", "ACAC", "ACGACG"})
    EXPECT_FALSE(simple_repeat::isSimpleRepeat(site)) << site;
}

TEST(SimpleRepeat, TheAgreementBoundIsInclusive) {
  // Period 1 over 9 letters: 6 of 8 letters agree with the one before, exactly 0.75.
  EXPECT_TRUE(simple_repeat::isSimpleRepeat("AAAACAAAA"));
  // 4 of 8 at period 1, 3 of 7 at period 2, 4 of 6 at period 3: below.
  EXPECT_FALSE(simple_repeat::isSimpleRepeat("AAACAAGAA"));
}
