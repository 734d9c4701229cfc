// zelkova-discover's word searches: every word's count of sequences holding
// it with one mismatch (against a direct count, gapped words too), the most
// enriched words with repeats and near copies left out, half-sites found by a
// gapped word, the seed matrices of their occurrences,
// and a word search that grows an 8-letter seed into more of a planted
// 12-letter motif.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "base/words.h"
#include "discover/search/word_search.h"
#include "discover/search/word_seeds.h"
#include "formats/report_reader.h"
#include "formats/report_writer.h"
#include "planted_set.h"
#include "zelkova.h"

namespace {

std::string wordOfCode(std::size_t code, int length) {
  std::string word(static_cast<std::size_t>(length), 'A');
  for (int i = length - 1; i >= 0; --i, code >>= 2) word[static_cast<std::size_t>(i)] = "ACGT"[code & 3];
  return word;
}

bool withinOneMismatch(const std::string& letters, const std::string& word) {
  for (std::size_t start = 0; start + word.size() <= letters.size(); ++start) {
    int differences = 0;
    bool base = true;
    for (std::size_t k = 0; k < word.size(); ++k) {
      base = base && base::baseIndex(letters[start + k]) >= 0;
      differences += word[k] != 'N' && letters[start + k] != word[k];
    }
    if (base && differences <= 1) return true;
  }
  return false;
}

std::vector<FastaRecord> records(const std::vector<std::string>& letters) {
  std::vector<FastaRecord> r;
  for (const std::string& s : letters) r.push_back({"s" + std::to_string(r.size()), s});
  return r;
}

}  // namespace

TEST(WordSeeds, EveryWordCountsTheSequencesHoldingItWithOneMismatch) {
  stats::Random random(11);
  std::vector<std::string> letters;
  for (int i = 0; i < 40; ++i) {
    std::string s = planted::randomLetters(30, random);
    s[static_cast<std::size_t>(random.below(30))] = 'N';  // windows across it are no words
    letters.push_back(s);
  }
  const std::vector<FastaRecord> set = records(letters);
  constexpr int kLength = 4;
  for (int gap : {0, 3})
    for (bool bothStrands : {true, false}) {
      const std::vector<std::uint32_t> counts = discover::neighbourhoodCounts(set, kLength, gap, bothStrands);
      ASSERT_EQ(counts.size(), 256u);
      for (std::size_t code = 0; code < counts.size(); ++code) {
        const std::string letters4 = wordOfCode(code, kLength);
        // A gapped word's halves with its gap between them, any letters there.
        const std::string word =
            letters4.substr(0, 2) + std::string(static_cast<std::size_t>(gap), 'N') + letters4.substr(2);
        const std::string complement = base::reverseComplement(word);
        if (bothStrands && base::reverseComplement(letters4) < letters4) {
          EXPECT_EQ(counts[code], 0u) << word;
          continue;
        }
        std::uint32_t expected = 0;
        for (const std::string& s : letters)
          expected += withinOneMismatch(s, word) || (bothStrands && withinOneMismatch(s, complement)) ? 1 : 0;
        EXPECT_EQ(counts[code], expected) << word << (bothStrands ? " on both strands" : " forward");
      }
    }
  EXPECT_DEATH(discover::neighbourhoodCounts(set, discover::kLongestSeedWord + 1, 0, true), "seed words are of");
  EXPECT_DEATH(discover::neighbourhoodCounts(set, 5, 2, true), "two halves");  // halves of one length
  EXPECT_DEATH(discover::neighbourhoodCounts(set, 4, discover::kLongestSeedGap + 1, true), "two halves");
}

TEST(WordSeeds, NearCopiesAreShiftedOrComplementedWithinOneMismatch) {
  EXPECT_TRUE(discover::nearCopies("GATTACAG", "GATTACAG", true));
  EXPECT_TRUE(discover::nearCopies("GATTACAG", "GATAACAG", true));   // one mismatch
  EXPECT_FALSE(discover::nearCopies("GATTACAG", "GATAACTG", true));  // two
  EXPECT_TRUE(discover::nearCopies("GATTACAG", "ATTACAGC", true));   // shifted by one
  EXPECT_TRUE(discover::nearCopies("GATTACAG", "TTACAGCC", true));   // by two
  EXPECT_FALSE(discover::nearCopies("GATTACAG", "TACAGCCC", true));  // by three
  EXPECT_TRUE(discover::nearCopies("GATTACAG", "CTGTAATC", true));   // its complement
  EXPECT_FALSE(discover::nearCopies("GATTACAG", "CTGTAATC", false));
  EXPECT_DEATH(discover::nearCopies("GATTACAG", "GATTACA", true), "one length");
}

TEST(WordSeeds, TheMostEnrichedWordsLeaveOutRepeatsAndNearCopies) {
  // GCTAGTCA planted in two thirds of the sequences, and ATTATAAT (two
  // letters only) and CACACACA (a simple repeat) in every one.
  planted::PlantedSet set = planted::plantedSet("GCTAGTCA", 120, 150, 4);
  for (FastaRecord& r : set.primary) {
    r.letters.replace(0, 8, "ATTATAAT");
    r.letters.replace(140, 8, "CACACACA");
  }
  const std::vector<discover::EnrichedWord> words = discover::enrichedWords(set.primary, set.control, {8, 0, 5, true});
  ASSERT_EQ(words.size(), 5u);
  EXPECT_EQ(words[0].word, "GCTAGTCA");  // smaller than its complement TGACTAGC
  // 80 noisy copies, about 0.78 of them within one mismatch; with its 25
  // neighbours on two strands, the word is in about 1 of 9 random sequences.
  EXPECT_GE(words[0].primaryWith, 55);
  EXPECT_LE(words[0].controlWith, 45);
  EXPECT_LT(words[0].log10P, -10);
  for (std::size_t i = 0; i < words.size(); ++i) {
    EXPECT_NE(words[i].word, "ATTATAAT");
    for (const char* repeat : {"CACACACA", "ACACACAC", "TGTGTGTG", "GTGTGTGT"}) EXPECT_NE(words[i].word, repeat);
    if (i > 0) {
      EXPECT_LE(words[i - 1].log10P, words[i].log10P);
    }
    for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(discover::nearCopies(words[j].word, words[i].word, true));
  }
}

TEST(WordSeeds, AWordOfGAndTOnlyIsNoRepeat) {
  // The RUNX core: two letters, but neither A/T, C/G, purines nor pyrimidines.
  const planted::PlantedSet set = planted::plantedSet("TGTGGTTT", 100, 200, 12);
  const std::vector<discover::EnrichedWord> words = discover::enrichedWords(set.primary, set.control, {8, 0, 5, true});
  ASSERT_FALSE(words.empty());
  // The word or one of its neighbours, which count nearly the same sequences.
  EXPECT_TRUE(discover::nearCopies(words[0].word, "TGTGGTTT", true)) << words[0].word;
  EXPECT_GE(words[0].primaryWith, 45);  // of about 67 sites, 0.78 of them within one mismatch
}

TEST(WordSeeds, AGappedWordFindsHalfSitesWhateverLiesBetweenThem) {
  // A palindrome of two half-sites, AGAACA and TGTTCT, with three random
  // letters between them at every site.
  planted::PlantedSet set = planted::plantedSet("AGAACAGGGTGTTCT", 150, 200, 6);
  stats::Random random(60);
  for (const auto& [sequence, at] : set.sites)
    for (long long k = 6; k < 9; ++k)
      set.primary[sequence].letters[static_cast<std::size_t>(at + k)] = "ACGT"[random.below(4)];
  const std::vector<discover::EnrichedWord> gapped = discover::enrichedWords(set.primary, set.control, {8, 3, 5, true});
  ASSERT_FALSE(gapped.empty());
  EXPECT_EQ(gapped[0].word, "AACANNNTGTT");
  EXPECT_GE(gapped[0].primaryWith, 60);
  // Its seed matrix: the gap's columns hold the letters found there.
  long long sequences = 0;
  const std::vector<formats::CountColumn> counts =
      discover::seedCounts(gapped[0].word, set.primary, 2, true, sequences);
  ASSERT_EQ(counts.size(), 15u);
  EXPECT_GE(sequences, 25);  // exact copies of its 8 letters: about 0.39 of the 100 sites
  const formats::CountColumn& middle = counts[7];
  EXPECT_GT(*std::min_element(middle.begin(), middle.end()), 0);
}

TEST(WordSeeds, ASeedMatrixCountsTheExactOccurrencesWithTheirFlanks) {
  // GATTACAG exactly in 3 sequences (once on the other strand), with one
  // mismatch in a fourth.
  const std::vector<FastaRecord> set =
      records({"CCGATTACAGTT", "AAAGATTACAGAAA", "CAACTGTAATCGG", "TTGATAACAGTT", "GATTACAG"});
  long long sequences = 0;
  const std::vector<formats::CountColumn> counts = discover::seedCounts("GATTACAG", set, 2, true, sequences);
  EXPECT_EQ(sequences, 3);  // the last one has no room for the flanks
  ASSERT_EQ(counts.size(), 12u);
  // Read on the word's strand, the third sequence is CCGATTACAGTTG.
  EXPECT_EQ(counts[0], (formats::CountColumn{1, 2, 0, 0}));  // C, A, C
  EXPECT_EQ(counts[1], (formats::CountColumn{1, 2, 0, 0}));
  EXPECT_EQ(counts[2], (formats::CountColumn{0, 0, 3, 0}));   // the word's G
  EXPECT_EQ(counts[11], (formats::CountColumn{1, 0, 0, 2}));  // T, A, T
  // Fewer than 3 exact occurrences: those with one mismatch count instead.
  const std::vector<FastaRecord> loose = records({"CCGATTACAGTT", "TTGATAACAGTT", "AAGCTTACAGAA"});
  const std::vector<formats::CountColumn> looser = discover::seedCounts("GATTACAG", loose, 2, true, sequences);
  EXPECT_EQ(sequences, 3);
  EXPECT_EQ(looser[5], (formats::CountColumn{1, 0, 0, 2}));  // T, A, T: the mismatch of the second
  EXPECT_TRUE(discover::seedCounts("GATTACAG", records({"CCGATTACAGTT"}), 2, true, sequences).empty());
}

TEST(WordSearch, GrowsAnEightLetterSeedIntoMoreOfAPlantedMotif) {
  const std::string motif = "TGCATGACTCAG";
  const planted::PlantedSet set = planted::plantedSet(motif, 150, 200, 8);
  const MarkovModel background = buildMarkovModel(set.control, 2);
  discover::Search search;
  search.kind = discover::SearchKind::Words;
  search.length = 8;
  search.mismatches = 1;
  search.name = "words8";
  search.widest = 16;
  const formats::Report found = discover::wordSearch(search, {}, {&set.primary, &set.control, &background, 2});
  ASSERT_FALSE(found.motifs.empty());
  EXPECT_LE(found.motifs.size(), discover::kWordSeeds);
  const formats::ReportMotif& best = found.motifs.front();
  EXPECT_EQ(best.rank, 1);
  // The seed with its two flanks: 10 to 12 of the motif's letters.
  EXPECT_GE(best.width(), 10);
  EXPECT_TRUE(motif.find(best.consensus) != std::string::npos ||
              base::reverseComplement(motif).find(best.consensus) != std::string::npos)
      << best.consensus;
  EXPECT_GT(best.siteCount, 80);
  // Each motif lists its sites, its columns adding up to their number: the
  // report reads back as any search's does.
  for (const formats::ReportMotif& m : found.motifs) {
    EXPECT_EQ(static_cast<long long>(m.sites.size()), m.siteCount);
    for (const formats::CountColumn& c : m.counts) EXPECT_EQ(c[0] + c[1] + c[2] + c[3], m.siteCount) << m.consensus;
  }
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  formats::writeReport(file, found);
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  std::fclose(file);
  std::istringstream in(text);
  const formats::Report again = formats::readReport(in, "words8.out");
  ASSERT_EQ(again.motifs.size(), found.motifs.size());
  EXPECT_EQ(again.motifs[0].counts, best.counts);
  EXPECT_EQ(again.motifs[0].sites.size(), best.sites.size());
  // No wider than the longest length searched.
  search.widest = 9;
  const formats::Report narrow = discover::wordSearch(search, {}, {&set.primary, &set.control, &background, 2});
  ASSERT_FALSE(narrow.motifs.empty());
  for (const formats::ReportMotif& m : narrow.motifs) EXPECT_LE(m.width(), 9);
  EXPECT_EQ(found.parameters.sequences, 150);
  EXPECT_EQ(found.parameters.mismatches, 1);
  // A word search counts with one mismatch, no other number.
  search.mismatches = 2;
  EXPECT_DEATH(discover::wordSearch(search, {}, {&set.primary, &set.control, &background, 2}), "one mismatch");
}
