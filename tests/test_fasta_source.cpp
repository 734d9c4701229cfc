// The FASTA reader on files opened by path: plain and gzip-compressed files
// read the same, and damaged or unusable files are refused by name.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/fasta.h"
#include "stats/markov_builder.h"
#include "support_files.h"

using testing_support::gzipped;
using testing_support::TempFile;

namespace {

// Long enough to cross the reader's buffer several times.
std::string largeFasta() {
  std::string text;
  for (int r = 0; r < 400; ++r) {
    text += ">record " + std::to_string(r) + "\r\n";
    for (int line = 0; line < 5; ++line) {
      for (int i = 0; i < 60; ++i) text += "acgtN"[(r * 7 + line * 3 + i * i) % 5];
      text += '\n';
    }
  }
  return text;
}

std::vector<FastaRecord> readAll(FastaReader& reader) {
  std::vector<FastaRecord> records;
  FastaRecord record;
  while (reader.next(record) != FastaReader::Status::End) records.push_back(record);
  return records;
}

std::vector<FastaRecord> readPath(const std::string& path) {
  FastaReader reader(path);
  return readAll(reader);
}

void expectSameRecords(const std::vector<FastaRecord>& a, const std::vector<FastaRecord>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].name, b[i].name) << i;
    EXPECT_EQ(a[i].letters, b[i].letters) << i;
  }
}

std::string readError(const std::string& path) {
  try {
    readPath(path);
  } catch (const ReadError& error) {
    return error.what();
  }
  return "no error";
}

}  // namespace

TEST(FastaSource, GzipAndPlainFilesGiveTheSameRecordsAsAStream) {
  const std::string text = largeFasta();
  TempFile plain(text, ".fa");
  TempFile compressed(gzipped(text), ".fa.gz");
  std::FILE* stream = ::fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  FastaReader fromStream(stream);
  const std::vector<FastaRecord> expected = readAll(fromStream);
  std::fclose(stream);

  ASSERT_EQ(expected.size(), 400u);
  EXPECT_EQ(expected[3].name, "record 3");
  EXPECT_EQ(expected[3].letters.size(), 300u);
  expectSameRecords(readPath(plain.path()), expected);
  expectSameRecords(readPath(compressed.path()), expected);
  EXPECT_FALSE(FastaSource(plain.path()).compressed());
  EXPECT_TRUE(FastaSource(compressed.path()).compressed());
}

TEST(FastaSource, CompressionIsRecognisedByContentNotByName) {
  const std::string text = ">a\nACGT\n>b\nGG\n";
  TempFile gzipNamedPlain(gzipped(text), ".fa");
  TempFile plainNamedGz(text, ".fa.gz");
  expectSameRecords(readPath(gzipNamedPlain.path()), readPath(plainNamedGz.path()));
  EXPECT_EQ(readPath(gzipNamedPlain.path()).size(), 2u);
}

TEST(FastaSource, ConcatenatedGzipMembersReadAsOneFile) {
  // What `cat a.fa.gz b.fa.gz` gives, and what gzip itself reads whole.
  TempFile joined(gzipped(">a\nAC") + gzipped("GT\n>b\nTT\n"), ".fa.gz");
  const std::vector<FastaRecord> records = readPath(joined.path());
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].letters, "ACGT");
  EXPECT_EQ(records[1].letters, "TT");
}

TEST(FastaSource, DamagedOrUnusableFilesAreRefusedByName) {
  const std::string compressed = gzipped(largeFasta());
  TempFile truncated(compressed.substr(0, compressed.size() / 2), ".fa.gz");
  EXPECT_EQ(readError(truncated.path()).rfind("cannot read " + truncated.path() + ": damaged gzip data (", 0), 0u)
      << readError(truncated.path());

  std::string corrupted = compressed;
  for (std::size_t i = 20; i < 60; ++i) corrupted[i] = static_cast<char>(~corrupted[i]);
  TempFile bad(corrupted, ".fa.gz");
  EXPECT_EQ(readError(bad.path()).rfind("cannot read " + bad.path() + ": damaged gzip data (", 0), 0u)
      << readError(bad.path());

  EXPECT_EQ(readError("/nonexistent/in.fa"), "cannot read /nonexistent/in.fa: No such file or directory.");
  EXPECT_EQ(readError("/tmp"), "cannot read /tmp: it is a directory.");
}

TEST(FastaSource, ShortAndEmptyFilesAreNotTakenForGzip) {
  TempFile empty("", ".fa");
  EXPECT_TRUE(readPath(empty.path()).empty());
  TempFile oneByte("\x1f", ".fa");  // half a signature
  EXPECT_TRUE(readPath(oneByte.path()).empty());
  TempFile record(">x\nA", ".fa");
  ASSERT_EQ(readPath(record.path()).size(), 1u);
  EXPECT_EQ(readPath(record.path())[0].letters, "A");
}

TEST(FastaSource, TheModelBuilderGivesTheSameModelForGzipAndPlainFiles) {
  std::string fasta;
  for (int r = 0; r < 30; ++r) {
    fasta += ">r" + std::to_string(r) + "\n";
    for (int i = 0; i < 400; ++i) fasta += "ACGTNacgt"[(r * 31 + i * 7 + i * i / 5) % 9];
    fasta += '\n';
  }
  TempFile plain(fasta, ".fa");
  TempFile compressed(gzipped(fasta), ".fa.gz");
  auto modelText = [](const std::string& path) {
    stats::WordCounts counts(stats::kMaxMarkovOrder + 1);
    stats::countFastaFile(path, true, counts);
    return stats::modelText(counts, 1.0);
  };
  const std::string expected = modelText(plain.path());
  EXPECT_GT(expected.size(), 1000000u);
  EXPECT_EQ(modelText(compressed.path()), expected);
}

TEST(FastaSource, SoftMaskedLettersBecomeNOnlyWhenAsked) {
  const std::string text = ">chr1:10-22 peak\nACgtnN\nxyZT\n>b\naa\n";
  const TempFile plain(text);
  const TempFile packed(gzipped(text));
  for (const std::string& path : {plain.path(), packed.path()}) {
    FastaReader asUpper(path);
    const std::vector<FastaRecord> upper = readAll(asUpper);
    FastaReader asN(path, std::string::npos, LowerCase::AsN);
    const std::vector<FastaRecord> masked = readAll(asN);
    ASSERT_EQ(upper.size(), 2u);
    ASSERT_EQ(masked.size(), 2u);
    EXPECT_EQ(upper[0].letters, "ACGTNNXYZT");
    EXPECT_EQ(masked[0].letters, "ACNNNNNNZT");    // every lower-case letter, not only a, c, g, t
    EXPECT_EQ(masked[0].name, "chr1:10-22 peak");  // headers keep their case
    EXPECT_EQ(masked[1].letters, "NN");
  }
}
