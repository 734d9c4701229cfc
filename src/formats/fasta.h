// The one FASTA reader of the project, shared by the sequence store, the model
// builder and the enrichment tool.
//
// Reading rules: white space of every kind is skipped outside header lines; text
// before the first '>' is ignored; a header is the rest of the line after '>'
// (a CR before the line feed is not part of it, nor anything after a NUL byte);
// every other non-blank character up to the next '>' or the end of the file is
// a letter of the record, put in upper case. A '>' followed by nothing but
// white space up to the end of the file is not a record.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct FastaRecord {
  std::string name;
  std::string letters;
};

// A FASTA file opened by path that cannot be read or is not FASTA; what() is a
// sentence naming the file, such as "cannot read PATH: reason.".
class FastaReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The bytes of one FASTA input, buffered. A file opened by path whose first two
// bytes are the gzip signature (1f 8b) is decompressed as it is read, so plain
// and compressed files read the same; it reports every failure by throwing
// FastaReadError. A stream passed in is read as it is, and its read errors are
// left in its error indicator for its owner to check, as with any stdio stream.
class FastaSource {
 public:
  explicit FastaSource(std::FILE* file);
  explicit FastaSource(const std::string& path);
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

  bool compressed() const { return compressed_; }

 private:
  struct Gzip;  // the zlib stream, kept out of this header
  bool refill();

  std::string path_;           // empty for a stream passed in
  std::FILE* file_ = nullptr;  // plain bytes, from the caller or opened here
  bool ownsFile_ = false;
  std::unique_ptr<Gzip> gzip_;
  bool compressed_ = false;
  std::vector<char> buffer_;
  std::size_t next_ = 0;
  std::size_t end_ = 0;
};

// What a lower-case letter of a record becomes: its upper-case form (the rule
// of every program), or N, for soft-masked FASTA cut from a repeat-masked
// genome, whose repeats are written in lower case.
enum class LowerCase { AsUpper, AsN };

class FastaReader {
 public:
  enum class Status { Record, End, TooLong, NulByte };

  // Reads from `file`, which stays owned by the caller.
  explicit FastaReader(std::FILE* file, std::size_t maxNameLength = std::string::npos);
  // Reads the file at `path`, plain or gzip-compressed. Throws FastaReadError
  // when it cannot be opened (or is a directory), and from next() when reading
  // it fails, for example on damaged compressed data.
  explicit FastaReader(const std::string& path, std::size_t maxNameLength = std::string::npos,
                       LowerCase lowerCase = LowerCase::AsUpper);

  // Reads the next record. With TooLong the record's letters reached
  // `letterLimit` and reading stopped there; with NulByte the record's letters
  // hold a NUL byte. In both cases `record.name` names the record.
  Status next(FastaRecord& record, std::size_t letterLimit = std::string::npos);

 private:
  int nextNonBlank();
  void readHeader(std::string& name);

  FastaSource source_;
  std::size_t maxNameLength_;
  LowerCase lowerCase_ = LowerCase::AsUpper;
  bool pendingHeader_ = false;  // a '>' has been read and its header not yet
};

// Calls `use` with every record of the FASTA file at `path`, plain or gzip,
// in order. Throws FastaReadError when the file cannot be read, when a record
// holds a NUL byte ("sequence N (NAME) of PATH holds a NUL byte; is it a FASTA
// file?") and when it holds no record at all.
void forEachFastaRecord(const std::string& path, const std::function<void(FastaRecord&)>& use);
