// Inputs on which a fuzz target once stopped (a crash, a sanitizer report, a
// broken check or a hang), each replayed through the entry point the fuzzer
// used. Every one must now end with the reader's documented error or load
// cleanly; the table says which, and with what message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fuzz/companion_entry_points.h"
#include "fuzz/entry_points.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDir = fs::path(ZELKOVA_TEST_DATA) / "fuzz";
const fs::path kSeeds = fs::path(ZELKOVA_TEST_DATA).parent_path() / "fuzz" / "corpus";
const char* const kTargets[] = {"fasta", "markov", "options", "report", "dna", "motifs", "tables"};

struct Case {
  const char* target;  // one of kTargets: the directory and the entry point
  const char* file;
  bool refused;         // expected to end with the reader's error
  const char* message;  // the start of that error's text ("" when accepted)
};

// Every file under tests/data/fuzz/ appears here exactly once.
const std::vector<Case> kCases = {
    // Two counts of one column whose sum exceeds the range of long long: the
    // sum overflowed (UndefinedBehaviorSanitizer) before it was compared.
    {"report", "count_sum_overflow.out", true,
     "fuzz.out:30: column 1 of the count matrix adds up to more than the 28 sites"},
    // "-b ''": an empty file name given on the command line is taken there
    // (and fails to open), but a configuration resolved again cannot tell it
    // from one never given; the check of the second resolution was too strict.
    {"options", "empty_model_name", false, ""},
    // A TRANSFAC line holding only a vertical tab: not blank by the blank test,
    // but without a word, so its first word was read past the end.
    {"motifs", "transfac_vertical_tab_line", true,
     "fuzz.motifs:124: a matrix row outside a matrix (no P0 line before it)"},
    // A background word holding a byte outside ASCII: the letter was quoted
    // raw in the message.
    {"tables", "background_binary_letter", true, "fuzz.tsv:4: unknown letter '\\xf4' in \"G\\xf4\\xff\\xff\\xff\""},
    // An empty known-motif table was refused at no line at all.
    {"tables", "known_table_empty", true, "fuzz.tsv:1: the file ends here; expected the header line next"},
};

std::vector<std::uint8_t> readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fuzz_entry::Result replay(const std::string& target, const std::vector<std::uint8_t>& bytes) {
  if (target == "fasta") return fuzz_entry::fasta(bytes.data(), bytes.size());
  if (target == "markov") return fuzz_entry::markov(bytes.data(), bytes.size());
  if (target == "options") return fuzz_entry::commandLine(bytes.data(), bytes.size());
  if (target == "report") return fuzz_entry::reportFile(bytes.data(), bytes.size());
  if (target == "dna") return fuzz_entry::dnaFasta(bytes.data(), bytes.size());
  if (target == "motifs") return fuzz_entry::motifFile(bytes.data(), bytes.size());
  if (target == "tables") return fuzz_entry::table(bytes.data(), bytes.size());
  ADD_FAILURE() << "no entry point for " << target;
  return {};
}

class FuzzRegression : public ::testing::TestWithParam<Case> {};

TEST_P(FuzzRegression, EndsWithTheDocumentedOutcome) {
  const Case& c = GetParam();
  const fs::path path = kDir / c.target / c.file;
  ASSERT_TRUE(fs::is_regular_file(path)) << path;
  const fuzz_entry::Result r = replay(c.target, readBytes(path));
  EXPECT_EQ(r.refused, c.refused) << path << ": " << r.message;
  EXPECT_EQ(r.message.substr(0, std::string(c.message).size()), c.message) << path;
  if (!c.refused) {
    EXPECT_EQ(r.message, "");
  }
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
  std::string name = std::string(info.param.target) + "_" + info.param.file;
  std::replace_if(
      name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzRegression, ::testing::ValuesIn(kCases), caseName);

TEST(FuzzRegressionTable, ListsEveryKeptInput) {
  std::set<std::string> listed;
  for (const Case& c : kCases) EXPECT_TRUE(listed.insert(std::string(c.target) + "/" + c.file).second) << c.file;
  std::set<std::string> onDisk;
  for (const auto& entry : fs::recursive_directory_iterator(kDir))
    if (entry.is_regular_file()) onDisk.insert(fs::relative(entry.path(), kDir).generic_string());
  EXPECT_EQ(listed, onDisk);
}

// The seed corpora pass every check of the entry points (which abort on a
// broken one), and each holds inputs that load as well as inputs that are
// refused, so both paths of every reader are walked here too.
TEST(FuzzSeedCorpus, PassesEveryCheckOfItsEntryPoint) {
  for (const char* target : kTargets) {
    int accepted = 0, refused = 0;
    for (const auto& entry : fs::directory_iterator(kSeeds / target)) {
      const fuzz_entry::Result r = replay(target, readBytes(entry.path()));
      (r.refused ? refused : accepted) += 1;
    }
    EXPECT_GT(accepted, 0) << target;
    EXPECT_GT(refused, 0) << target;
  }
}

}  // namespace
