// The companions' reading of FASTA (DnaRules): IUPAC codes read as N and
// counted, every other letter refused by file, line, record and letter,
// binary formats named before a letter is read, letters limited per record
// and per input while they are read, "-" as standard input, records streamed
// in pieces; and the rule for "-" and outputs that are inputs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fatal_message.h"
#include "formats/command_files.h"
#include "formats/fasta.h"
#include "formats/text_lines.h"
#include "stats/markov_builder.h"
#include "support_files.h"

using testing_support::fatalMessage;
using testing_support::gzipped;
using testing_support::TempFile;

namespace {

DnaRules withLimit(std::uint64_t maxLetters) {
  DnaRules rules;
  rules.maxLetters = maxLetters;
  return rules;
}

// The rules of a reader that holds one record at a time.
DnaRules perRecordLimit(std::uint64_t maxLetters) {
  DnaRules rules = withLimit(maxLetters);
  rules.limitsInput = false;
  return rules;
}

// The message readDnaFile refuses `text` with, or "(no error)".
std::string refusal(const std::string& text, const DnaRules& rules = DnaRules(), const std::string& suffix = ".fa") {
  const TempFile file(text, suffix);
  const std::string message = fatalMessage([&] { readDnaFile(file.path(), rules); });
  // The temporary path, which changes from run to run, as "in.fa".
  const std::string prefix = "Error: " + file.path();
  if (message.rfind(prefix, 0) != 0) return message;
  return "Error: in.fa" + message.substr(prefix.size());
}

// Standard input (or output) taken from a file for the life of the object.
class RedirectedStream {
 public:
  RedirectedStream(int stream, const std::string& path, int flags) : stream_(stream), saved_(::dup(stream)) {
    const int file = ::open(path.c_str(), flags, 0644);
    ::dup2(file, stream_);
    ::close(file);
  }
  ~RedirectedStream() {
    ::dup2(saved_, stream_);
    ::close(saved_);
  }
  RedirectedStream(const RedirectedStream&) = delete;
  RedirectedStream& operator=(const RedirectedStream&) = delete;

 private:
  int stream_;
  int saved_;
};

}  // namespace

TEST(DnaReading, IupacCodesReadAsNAndAreCounted) {
  const TempFile file(">a\nACGTRYSWKM\nbdhvn\n>b\nacgtN\n");
  const DnaFile read = readDnaFile(file.path(), DnaRules());
  ASSERT_EQ(read.records.size(), 2u);
  EXPECT_EQ(read.records[0].letters, "ACGTNNNNNNNNNNN");
  EXPECT_EQ(read.records[1].letters, "ACGTN");
  EXPECT_EQ(read.iupacLetters, 10u);  // R Y S W K M B D H V; N is not counted
  EXPECT_EQ(iupacNote("peaks.fa", 10), "peaks.fa: 10 IUPAC letters read as N");
  EXPECT_EQ(iupacNote("peaks.fa", 1), "peaks.fa: 1 IUPAC letter read as N");
  EXPECT_EQ(iupacNote("peaks.fa", 0), "");

  DnaRules soft;
  soft.lowerCase = LowerCase::AsN;
  const DnaFile masked = readDnaFile(file.path(), soft);
  EXPECT_EQ(masked.records[0].letters, "ACGTNNNNNNNNNNN");
  EXPECT_EQ(masked.records[1].letters, "NNNNN");
  EXPECT_EQ(masked.iupacLetters, 10u);
}

TEST(DnaReading, OtherLettersAreRefusedByFileLineRecordAndLetter) {
  // Protein, RNA, gaps and digits, each on the line where it stands.
  EXPECT_EQ(refusal(">chr2:100-300\nACGT\nACGE\n"),
            "Error: in.fa:3: record chr2:100-300: 'E' is not a DNA letter; is this a protein file?\n");
  EXPECT_EQ(refusal(">a\nAC\n>sp|P12345 kinase\r\nMKTAQ\r\n"),
            "Error: in.fa:4: record sp|P12345 kinase: 'Q' is not a DNA letter; is this a protein file?\n");
  EXPECT_EQ(refusal(">r\nACGU\n"),
            "Error: in.fa:2: record r: 'U' is not a DNA letter; is this an RNA file? (write T for U)\n");
  EXPECT_EQ(refusal(">r\nAC-GT\n"),
            "Error: in.fa:2: record r: '-' is not a DNA letter; is this an alignment? (remove the gaps)\n");
  EXPECT_EQ(refusal(">r\n\n\n  AC 12 GT\n"), "Error: in.fa:4: record r: '1' is not a DNA letter\n");
  // A blank header names the record by its number.
  EXPECT_EQ(refusal(">a\nA\n>\nAQ\n"),
            "Error: in.fa:4: record number 2: 'Q' is not a DNA letter; is this a protein file?\n");
}

TEST(DnaReading, BinaryBytesAndNamesAreShownEscapedAndCut) {
  EXPECT_EQ(refusal(std::string(">x\x01y\nAC\0GT\n", 12)),
            "Error: in.fa:2: record x\\x01y: '\\x00' is not a DNA letter; is this a binary file?\n");
  EXPECT_EQ(refusal(">r\nA\xc3\xa9\n"),
            "Error: in.fa:2: record r: '\\xc3' is not a DNA letter; is this a binary file?\n");
  const std::string longName(500, 'n');
  EXPECT_EQ(refusal(">" + longName + "\nAZ\n"), "Error: in.fa:2: record " + std::string(80, 'n') +
                                                    "...: 'Z' is not a DNA letter; is this a protein file?\n");
  EXPECT_EQ(formats::printable("a\tb\x1b[2J\x7f"), "a\tb\\x1b[2J\\x7f");
  EXPECT_EQ(formats::quoted(std::string(100, 'q')), "\"" + std::string(80, 'q') + "...\"");
}

TEST(DnaReading, BinaryFormatsAreNamedBeforeAnyLetter) {
  EXPECT_EQ(refusal("\x28\xb5\x2f\xfd rest", DnaRules(), ".fa.zst"),
            "Error: in.fa: compressed with zstd, which is not read here; decompress it first (zstd -d) or compress it "
            "with gzip.\n");
  EXPECT_EQ(refusal("BZh91AY&SY", DnaRules(), ".fa.bz2"),
            "Error: in.fa: compressed with bzip2, which is not read here; decompress it first (bunzip2) or compress it "
            "with gzip.\n");
  EXPECT_EQ(refusal(std::string("\xfd"
                                "7zXZ\0\0",
                                7)),
            "Error: in.fa: compressed with xz, which is not read here; decompress it first (unxz) or compress it with "
            "gzip.\n");
  EXPECT_EQ(refusal("PK\x03\x04..."), "Error: in.fa: a zip archive, not a FASTA file; unpack it first (unzip).\n");
  EXPECT_EQ(refusal("\x43\x27\x41\x1a\0\0\0\0"),
            "Error: in.fa: a 2bit genome file, not a FASTA file; convert it first (twoBitToFa).\n");
  // Inside gzip, as BAM files are.
  EXPECT_EQ(refusal(gzipped(std::string("BAM\x01\0\0\0\0", 8))),
            "Error: in.fa: a BAM file of aligned reads, not a FASTA file.\n");
  // Text that merely starts alike is FASTA.
  EXPECT_EQ(refusal(">BZh\nACGT\n"), "(no error)");
}

TEST(DnaReading, LettersAreLimitedPerRecordAndPerInputWhileRead) {
  const std::string hundred(100, 'A');
  EXPECT_EQ(refusal(">big one\n" + hundred + "C\n", withLimit(100)),
            "Error: in.fa: record big one exceeds 100 letters (limit set by --max-letters)\n");
  EXPECT_EQ(refusal(">a\n" + hundred.substr(30) + "\n>b\n" + hundred.substr(29) + "\n", withLimit(140)),
            "Error: in.fa: record b takes the input past 140 letters (limit set by --max-letters)\n");
  EXPECT_EQ(refusal(">a\n" + hundred.substr(30) + "\n>b\n" + hundred.substr(30) + "\n", withLimit(140)), "(no error)");
  // Records count apart for the room they take, 64 letters each and their
  // headers: a file of empty records is bounded too.
  EXPECT_EQ(refusal(">a\n>bb\n>c\nA\n", withLimit(190)),
            "Error: in.fa: record c brings the headers past 190 letters (each record counts 64 and its header; limit "
            "set by --max-letters)\n");
  // A compressed record is refused at the limit, whatever it expands to.
  const std::string bomb = gzipped(">bomb\n" + std::string(4000000, 'A'));
  EXPECT_LT(bomb.size(), 10000u);
  EXPECT_EQ(refusal(bomb, withLimit(1000000), ".fa.gz"),
            "Error: in.fa: record bomb exceeds 1000000 letters (limit set by --max-letters)\n");
  // A reader that holds one record at a time bounds the records, not the input.
  EXPECT_EQ(refusal(">a\n" + hundred.substr(30) + "\n>b\n" + hundred.substr(29) + "\n", perRecordLimit(140)),
            "(no error)");
  EXPECT_EQ(refusal(">a\n" + hundred + hundred + "\n", perRecordLimit(140)),
            "Error: in.fa: record a exceeds 140 letters (limit set by --max-letters)\n");
  EXPECT_EQ(refusal(">a\n>bb\n>c\nA\n", perRecordLimit(190)),
            "Error: in.fa: record c brings the headers past 190 letters (each record counts 64 and its header; limit "
            "set by --max-letters)\n");
}

TEST(DnaReading, HeadersAreCutWithoutBeingHeld) {
  const std::string header(3000000, 'h');
  const TempFile file(">" + header + "\r\nACGT\n>b\r\nA\n");
  const DnaFile read = readDnaFile(file.path(), DnaRules());
  ASSERT_EQ(read.records.size(), 2u);
  EXPECT_EQ(read.records[0].name, header.substr(0, DnaRules::kLongestName));
  EXPECT_EQ(read.records[1].name, "b");
  // Exactly one character longer than kept, its CR included: the CR goes first.
  const TempFile edge(">" + std::string(DnaRules::kLongestName, 'e') + "\r\nA\n");
  EXPECT_EQ(readDnaFile(edge.path(), DnaRules()).records[0].name, std::string(DnaRules::kLongestName, 'e'));
}

TEST(DnaReading, EmptyAndRecordlessFilesAreRefused) {
  EXPECT_EQ(refusal(""), "Error: in.fa holds no FASTA record (a line starting with '>').\n");
  EXPECT_EQ(refusal("ACGT\n"), "Error: in.fa holds no FASTA record (a line starting with '>').\n");
  EXPECT_EQ(fatalMessage([] { readDnaFile("/nonexistent/in.fa", DnaRules()); }),
            "Error: cannot read /nonexistent/in.fa: No such file or directory.\n");
}

TEST(DnaReading, StreamedPiecesAreTheRecordsLetters) {
  std::string text;
  std::uint64_t iupac = 0;
  for (int r = 0; r < 3; ++r) {
    text += ">seq" + std::to_string(r) + "\n";
    for (int i = 0; i < 150000 + r; ++i) {
      text += "ACGTNacgtr"[(i * 7 + r) % 10];
      if (text.back() == 'r') ++iupac;
    }
    text += "\n";
  }
  const TempFile file(gzipped(text), ".fa.gz");
  const DnaFile whole = readDnaFile(file.path(), DnaRules());
  FastaReader reader(file.path(), DnaRules());
  std::string name;
  std::size_t records = 0, pieces = 0;
  for (std::string letters; reader.stream(name,
                                          [&](std::string_view piece) {
                                            letters.append(piece);
                                            ++pieces;
                                          });
       letters.clear()) {
    ASSERT_LT(records, whole.records.size());
    EXPECT_EQ(name, whole.records[records].name);
    EXPECT_EQ(letters, whole.records[records].letters);
    ++records;
  }
  EXPECT_EQ(records, 3u);
  EXPECT_GT(pieces, 3u);  // records longer than a piece come in several
  EXPECT_EQ(reader.iupacLetters(), whole.iupacLetters);
  EXPECT_EQ(whole.iupacLetters, iupac);
}

TEST(DnaReading, StreamedCountsEqualWholeRecordCounts) {
  std::string letters;
  for (long long i = 0; i < 200000; ++i) letters += "ACGTTGCAAN"[(i * i + 3 * i) % 10];
  const TempFile file(">one\n" + letters + "\n");
  stats::WordCounts streamed(8), whole(8);
  stats::countFastaFile(file.path(), true, streamed);
  whole.addSequence(letters, true);
  for (int n = 1; n <= 8; ++n) {
    ASSERT_EQ(streamed.total(n), whole.total(n)) << n;
    for (std::size_t w = 0; w < (std::size_t{1} << (2 * n)); ++w) ASSERT_EQ(streamed.count(n, w), whole.count(n, w));
  }
}

TEST(DnaReading, DashReadsStandardInputPlainOrGzip) {
  for (const std::string& content : {std::string(">s\nACRT\n"), gzipped(">s\nACRT\n")}) {
    const TempFile file(content);
    const RedirectedStream input(STDIN_FILENO, file.path(), O_RDONLY);
    const DnaFile read = readDnaFile("-", DnaRules());
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.records[0].letters, "ACNT");
    EXPECT_EQ(iupacNote(formats::inputName("-"), read.iupacLetters), "standard input: 1 IUPAC letter read as N");
  }
  const TempFile protein(">p\nMEEP\n");
  const RedirectedStream input(STDIN_FILENO, protein.path(), O_RDONLY);
  EXPECT_EQ(fatalMessage([] { readDnaFile("-", DnaRules()); }),
            "Error: standard input:2: record p: 'E' is not a DNA letter; is this a protein file?\n");
}

TEST(TextInputs, ADirectoryIsRefusedByNameNotReadAsAnEmptyFile) {
  const testing_support::TempDir dir;
  try {
    formats::openFile(dir / "");
    ADD_FAILURE() << "a directory opened";
  } catch (const ReadError& e) {
    EXPECT_EQ(std::string(e.what()), dir / "" + ": cannot open the file: it is a directory");
    EXPECT_EQ(e.line(), 0);
  }
}

TEST(CommandFiles, StandardInputIsReadOnceAndStandardOutputWrittenOnce) {
  EXPECT_EQ(fatalMessage([] {
              formats::checkCommandFiles({"-", "a.fa", "-"}, {});
            }),
            "Error: standard input (-) is named as more than one input; it can be read only once.\n");
  EXPECT_EQ(fatalMessage([] {
              formats::checkCommandFiles({"a.fa"}, {{"-", "output"}, {"", "sites"}});
            }),
            "Error: the output and the sites both go to standard output; name a file for one of them.\n");
  EXPECT_EQ(fatalMessage([] {
              formats::checkCommandFiles({"-"}, {{"out.txt", "output"}, {"-", "sites"}});
            }),
            "(no error)");
  EXPECT_TRUE(formats::isStandardOutput("-"));
  EXPECT_TRUE(formats::isStandardOutput(""));
  EXPECT_FALSE(formats::isStandardOutput("./-"));
  EXPECT_EQ(formats::inputName("-"), "standard input");
  EXPECT_EQ(formats::openablePath("-"), "/dev/stdin");
}

TEST(CommandFiles, NoOutputIsAnInputNotEvenStandardOutput) {
  const TempFile input(">a\nACGT\n");
  const TempFile other("x");
  EXPECT_EQ(fatalMessage([&] {
              formats::checkCommandFiles({input.path()}, {{input.path(), "model"}});
            }),
            "Error: the model file " + input.path() + " is also an input file.\n");
  {
    // zelkova-markov peaks.fa >> peaks.fa
    const RedirectedStream output(STDOUT_FILENO, input.path(), O_WRONLY | O_APPEND);
    EXPECT_EQ(fatalMessage([&] {
                formats::checkCommandFiles({other.path(), input.path()}, {{"", "output"}});
              }),
              "Error: the output goes to standard output, which is the same file as the input " + input.path() + ".\n");
    EXPECT_EQ(fatalMessage([&] {
                formats::checkCommandFiles({input.path()}, {{other.path(), "output"}});
              }),
              "(no error)");
  }
  {
    // zelkova-markov - < peaks.fa, and the output named peaks.fa again
    const RedirectedStream in(STDIN_FILENO, input.path(), O_RDONLY);
    EXPECT_EQ(fatalMessage([&] {
                formats::checkCommandFiles({"-"}, {{input.path(), "output"}});
              }),
              "Error: the output file " + input.path() + " is also an input file (standard input).\n");
  }
  // An output that does not exist yet, or is not a regular file, passes.
  EXPECT_EQ(fatalMessage([&] {
              formats::checkCommandFiles({input.path()}, {{"/nonexistent/new.txt", "output"}});
            }),
            "(no error)");
  EXPECT_EQ(fatalMessage([&] { formats::checkCommandFiles({"/dev/null"}, {{"/dev/null", "output"}}); }), "(no error)");
}
