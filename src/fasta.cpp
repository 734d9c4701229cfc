#include "fasta.h"

#include <cctype>

FastaReader::FastaReader(std::FILE* file, std::size_t maxNameLength)
    : file_(file), maxNameLength_(maxNameLength) {}

int FastaReader::nextNonBlank() {
  int c;
  do {
    c = getc_unlocked(file_);
  } while (c != EOF && std::isspace(c));
  return c;
}

namespace {
bool isBlank(const std::string& text) {
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  return true;
}
}  // namespace

void FastaReader::readHeader(std::string& name) {
  name.clear();
  bool cut = false;  // after a NUL byte nothing more belongs to the name
  int c;
  while ((c = getc_unlocked(file_)) != EOF && c != '\n') {
    if (c == '\0') cut = true;
    if (!cut) name.push_back(static_cast<char>(c));
  }
  if (!name.empty() && name.back() == '\r' && c == '\n') name.pop_back();
  if (name.size() > maxNameLength_) name.resize(maxNameLength_);
}

FastaReader::Status FastaReader::next(FastaRecord& record, std::size_t letterLimit) {
  if (!pendingHeader_) {
    int c;
    while ((c = nextNonBlank()) != EOF && c != '>') {
    }
    if (c == EOF) return Status::End;
  }
  pendingHeader_ = false;
  readHeader(record.name);
  if (isBlank(record.name)) {
    // A '>' followed by nothing but white space starts no record.
    const int c = nextNonBlank();
    if (c == EOF) return Status::End;
    std::ungetc(c, file_);
  }

  record.letters.clear();
  int c;
  while ((c = nextNonBlank()) != EOF) {
    if (c == '>') {
      pendingHeader_ = true;
      break;
    }
    if (c == '\0') return Status::NulByte;
    record.letters.push_back(static_cast<char>(std::toupper(c)));
    if (record.letters.size() >= letterLimit) return Status::TooLong;
  }
  return Status::Record;
}
