// The one FASTA reader of the project, shared by the sequence store and the
// model builder.
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
#include <string>

struct FastaRecord {
  std::string name;
  std::string letters;
};

class FastaReader {
 public:
  enum class Status { Record, End, TooLong, NulByte };

  // Reads from `file`, which stays owned by the caller.
  explicit FastaReader(std::FILE* file, std::size_t maxNameLength = std::string::npos);

  // Reads the next record. With TooLong the record's letters reached
  // `letterLimit` and reading stopped there; with NulByte the record's letters
  // hold a NUL byte. In both cases `record.name` names the record.
  Status next(FastaRecord& record, std::size_t letterLimit = std::string::npos);

 private:
  int nextNonBlank();
  void readHeader(std::string& name);

  std::FILE* file_;
  std::size_t maxNameLength_;
  bool pendingHeader_ = false;  // a '>' has been read and its header not yet
};
