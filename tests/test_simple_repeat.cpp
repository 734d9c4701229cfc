// The simple-repeat flag of motifs: repeats of one to three letters with a few
// letters out of step are flagged; known binding sites, also those rich in
// runs of one letter, are not.
#include <gtest/gtest.h>

#include "stats/simple_repeat.h"

TEST(SimpleRepeat, FlagsRepeatsOfOneToThreeLettersWithAFewOutOfStep) {
  for (const char* repeat :
       {"AAAAAAAA", "TTTTTTTTTTGT", "CACACACACA", "ACGACGACGACGACGA", "GCAGCAACAGCAGCAG", "CTGCTGCTGCTG",
        "AAAAAAAAAAGAAAAA", "GAGAGAGAGAG", "TCTCTCTG", "CAGCATCAGCAGCAT", "AAGAAGAA", "GCAGCAGC"})
    EXPECT_TRUE(stats::isSimpleRepeat(repeat)) << repeat;
}

TEST(SimpleRepeat, LeavesBindingSitesAndShortWordsAlone) {
  // CRP, CTCF, an E-box, GATA, TATA, forkhead, HLF, dorsal (runs of G, T and
  // C, but no one word), a homeodomain site, and words too short to tell.
  for (const char* site : {"TGTGATCTAGATCACA", "CCACCAGGGGGCGC", "CACGTG", "AGATAAGA", "TATAAAAG", "TGTTTAC",
                           "GTTACGTAAT", "GGGGTTTTTCCC", "TTTAATTA", "AAAAGTCAAA", "TCGCTCTG", "ACAC", "ACGACG"})
    EXPECT_FALSE(stats::isSimpleRepeat(site)) << site;
}

TEST(SimpleRepeat, OneLetterInSevenMayBeOutOfStep) {
  EXPECT_TRUE(stats::isSimpleRepeat("ACACAC"));
  EXPECT_FALSE(stats::isSimpleRepeat("ACACAG"));           // 6 letters: none may miss
  EXPECT_TRUE(stats::isSimpleRepeat("ACACAGA"));           // 7: one
  EXPECT_FALSE(stats::isSimpleRepeat("ACACAGAG"));         // 8: not two
  EXPECT_TRUE(stats::isSimpleRepeat("CAGCAGCTGCAGCTG"));   // 15: two
  EXPECT_FALSE(stats::isSimpleRepeat("CAGCTTCTGCTACTG"));  // 15: not three
  EXPECT_TRUE(stats::isSimpleRepeat("TTCTGCTG"));          // period 3 in 8: one
  EXPECT_FALSE(stats::isSimpleRepeat("TTCAGCTG"));         // not two
}

TEST(SimpleRepeat, FlagsFewWordsOfRandomDna) {
  // Every word of 8 letters: the flag must stay rare where nothing repeats.
  std::size_t flagged = 0, words = 0;
  std::string word(8, 'A');
  for (int code = 0; code < 1 << 16; ++code, ++words) {
    for (int k = 0; k < 8; ++k) word[static_cast<std::size_t>(k)] = "ACGT"[(code >> (2 * k)) & 3];
    flagged += stats::isSimpleRepeat(word);
  }
  EXPECT_LT(static_cast<double>(flagged) / static_cast<double>(words), 0.03) << flagged << " of " << words;
  EXPECT_GT(flagged, 0u);
}
