// The one FASTA reader of the project, shared by the sequence store, the model
// builder, the enrichment tool and the pipeline.
//
// Reading rules: white space of every kind is skipped outside header lines; text
// before the first '>' is ignored; a header is the rest of the line after '>'
// (a CR before the line feed is not part of it, nor anything after a NUL byte);
// every other non-blank character up to the next '>' or the end of the file is
// a letter of the record, put in upper case. A '>' followed by nothing but
// white space up to the end of the file is not a record.
//
// zelkova keeps every such letter as it is. The companion programs read with
// DnaRules instead: the letters are those of dna_letters.h (IUPAC codes read as
// N and counted, anything else refused naming the file, line, record and
// letter), "-" names standard input, files in a binary format (zstd, bzip2,
// ...) are refused by name before a letter is read, and the letters of one
// record, and of the whole input, are limited so that a file that expands to
// billions of letters is refused while it is read, before memory grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors.h"
#include "formats/dna_letters.h"

struct FastaRecord {
  std::string name;
  std::string letters;
};

// The bytes of one FASTA input, buffered. A file opened by path whose first two
// bytes are the gzip signature (1f 8b) is decompressed as it is read, so plain
// and compressed files read the same; it reports every failure by throwing
// ReadError. A stream passed in is read as it is, and its read errors are
// left in its error indicator for its owner to check, as with any stdio stream.
class FastaSource {
 public:
  // Whether a path "-" names standard input (the companions' rule) or a file.
  enum class Dash { FileName, StandardInput };

  explicit FastaSource(std::FILE* file);
  explicit FastaSource(const std::string& path, Dash dash = Dash::FileName);
  ~FastaSource();
  FastaSource(const FastaSource&) = delete;
  FastaSource& operator=(const FastaSource&) = delete;

  // The next byte as an unsigned char, or EOF.
  int get() {
    if (next_ == end_ && !refill()) return EOF;
    return static_cast<unsigned char>(buffer_[next_++]);
  }
  // Gives back the byte the last get() returned (which was not EOF).
  void unget() { --next_; }
  // The first bytes of the input (decompressed), up to a buffer's worth; only
  // before the first get().
  std::string_view firstBytes();

  bool compressed() const { return compressed_; }
  // The path, or "standard input".
  const std::string& name() const { return name_; }

 private:
  struct Gzip;  // the zlib stream, kept out of this header
  bool refill();
  void openStandardInput();
  void openThroughZlib(int descriptor);

  std::string path_;           // empty for a stream passed in
  std::string name_;           // for messages
  std::FILE* file_ = nullptr;  // plain bytes, from the caller or opened here
  bool ownsFile_ = false;
  std::unique_ptr<Gzip> gzip_;
  bool compressed_ = false;
  std::vector<char> buffer_;
  std::size_t next_ = 0;
  std::size_t end_ = 0;
  bool started_ = false;  // a refill has run
};

// How the companion programs read a FASTA file.
struct DnaRules {
  // The longest header kept, as zelkova keeps it.
  static constexpr std::size_t kLongestName = 299;
  static constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();
  // What a record counts towards the limit of the headers besides its
  // header: the room a record takes in memory, about a letter a byte.
  static constexpr std::uint64_t kRecordLetters = 64;

  LowerCase lowerCase = LowerCase::AsUpper;
  // The letters one record may hold, and all records of the input together;
  // and, apart, the room of the records themselves (kRecordLetters each and
  // their headers). A record reaching beyond is refused as soon as the reader
  // gets there:
  //   FILE: record NAME exceeds N letters (limit set by --max-letters)
  //   FILE: record NAME takes the input past N letters (limit set by --max-letters)
  //   FILE: record NAME brings the headers past N letters (each record counts 64 ...)
  std::uint64_t maxLetters = kNoLimit;
  // Whether maxLetters bounds all records of the input together too, as a
  // program that holds every record needs; one that holds a record at a time
  // (a scan) bounds each record and the records' room only.
  bool limitsInput = true;
  std::size_t maxNameLength = kLongestName;
};

class FastaReader {
 public:
  enum class Status { Record, End, TooLong, NulByte };

  // Reads from `file`, which stays owned by the caller.
  explicit FastaReader(std::FILE* file, std::size_t maxNameLength = std::string::npos);
  // Reads the file at `path`, plain or gzip-compressed. Throws ReadError
  // when it cannot be opened (or is a directory), and from next() when reading
  // it fails, for example on damaged compressed data.
  explicit FastaReader(const std::string& path, std::size_t maxNameLength = std::string::npos,
                       LowerCase lowerCase = LowerCase::AsUpper);
  // Reads the file at `path` ("-": standard input), plain or gzip, by `rules`.
  // Throws ReadError, here and from next() and stream(), whose what() is
  // the message without "Error: ", naming the file (and line and record where
  // there are), such as
  //   peaks.fa:1043: record chr2:100-300: 'E' is not a DNA letter; is this a protein file?
  //   peaks.fa.zst: compressed with zstd, which is not read here; ...
  FastaReader(const std::string& path, const DnaRules& rules);

  // Reads the next record. With TooLong the record's letters reached
  // `letterLimit` and reading stopped there; with NulByte the record's letters
  // hold a NUL byte. In both cases `record.name` names the record. Read by
  // DnaRules, it returns Record or End only, and refuses by throwing.
  Status next(FastaRecord& record, std::size_t letterLimit = std::string::npos);

  // Read by DnaRules only: the next record's name, its letters handed to
  // `letters` in pieces as they are read, so that a program that only counts
  // never holds a record. False at the end of the file.
  bool stream(std::string& name, const std::function<void(std::string_view)>& letters);

  // Read by DnaRules: the IUPAC letters read as N so far.
  std::uint64_t iupacLetters() const { return iupacLetters_; }
  // The path, or "standard input".
  const std::string& name() const { return source_.name(); }

 private:
  int nextNonBlank();
  bool startRecord(std::string& name);
  void readHeader(std::string& name);
  template <class Take>
  void readDnaLetters(const std::string& name, Take&& take);
  // "NAME:LINE: record NAME: PROBLEM", or without a line "NAME: record NAME PROBLEM".
  [[noreturn]] void refuse(const std::string& name, const std::string& problem, bool withLine) const;

  FastaSource source_;
  std::size_t maxNameLength_;
  LowerCase lowerCase_ = LowerCase::AsUpper;
  bool pendingHeader_ = false;  // a '>' has been read and its header not yet
  long long line_ = 1;          // of the byte read last

  bool dna_ = false;  // reading by DnaRules
  std::uint64_t maxLetters_ = DnaRules::kNoLimit;
  bool limitsInput_ = true;
  std::uint64_t inputLetters_ = 0;
  std::uint64_t headerLetters_ = 0;  // every record's header and kRecordLetters
  std::uint64_t iupacLetters_ = 0;
  long long records_ = 0;
};

// Every record of the file at `path` ("-": standard input) read by `rules`,
// with the count of IUPAC letters read as N. Throws FatalError, "Error: " and
// the reader's message, and for a file that holds no record at all:
//   Error: peaks.fa holds no FASTA record (a line starting with '>').
struct DnaFile {
  std::vector<FastaRecord> records;
  std::uint64_t iupacLetters = 0;
};
DnaFile readDnaFile(const std::string& path, const DnaRules& rules);

// The note a companion program prints once per input that held IUPAC letters,
// "peaks.fa: 3 IUPAC letters read as N"; empty for none.
std::string iupacNote(const std::string& name, std::uint64_t iupacLetters);
