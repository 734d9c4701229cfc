// The simple-repeat flag of motifs: repeats of one to three letters with a few
// letters out of step are flagged; known binding sites, also those rich in
// runs of one letter, are not.
#include <gtest/gtest.h>

#include "stats/simple_repeat.h"

TEST(SimpleRepeat, FlagsRepeatsOfOneToThreeLettersWithAFewOutOfStep) {
  for (const char* repeat : {"AAAAAAAA", "TTTTTTTTTTGT", "CACACACACA", "ACGACGACGACGACGA", "GCAGCAACAGCAGCAG",
                             "CTGCTGCTGCTG", "AAAAAAAAAAGAAAAA", "GAGAGAGAGAG", "AAAAAAGC"})
    EXPECT_TRUE(simple_repeat::isSimpleRepeat(repeat)) << repeat;
}

TEST(SimpleRepeat, LeavesBindingSitesAndShortWordsAlone) {
  // CRP, CTCF, an E-box, GATA, TATA, forkhead, HLF, dorsal (runs of G, T and
  // C, but no one word), a homeodomain site, and words too short to tell.
  for (const char* site : {"TGTGATCTAGATCACA", "CCACCAGGGGGCGC", "CACGTG", "AGATAAGA", "TATAAAAG", "TGTTTAC",
                           "GTTACGTAAT", "GGGGTTTTTCCC", "TTTAATTA", "AAAAGTCAAA", "ACAC", "ACGACG"})
    EXPECT_FALSE(simple_repeat::isSimpleRepeat(site)) << site;
}

TEST(SimpleRepeat, TheAgreementBoundIsInclusive) {
  // Period 1 over 8 letters: 6 of 8 are A, exactly 0.75.
  EXPECT_TRUE(simple_repeat::isSimpleRepeat("AACAAGAA"));
  // 5 of 8 at every period: below.
  EXPECT_FALSE(simple_repeat::isSimpleRepeat("AACAGTAA"));
}
