#include "formats/fasta.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "base/errors.h"
#include "formats/text_lines.h"

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 16;

// Letters handed on at a time by FastaReader::stream.
constexpr std::size_t kStreamPiece = std::size_t{1} << 16;

// Record names in messages: enough to find the record, never a megabyte.
constexpr std::size_t kLongestNameShown = 80;

const char* const kStandardInputName = "standard input";

[[noreturn]] void failToRead(const std::string& path, const std::string& reason) {
  throw ReadError("cannot read " + path + ": " + reason + ".");
}

bool startsWithGzipSignature(int descriptor) {
  unsigned char signature[2] = {0, 0};
  const ssize_t got = ::pread(descriptor, signature, sizeof signature, 0);
  return got == 2 && signature[0] == 0x1f && signature[1] == 0x8b;
}

}  // namespace

struct FastaSource::Gzip {
  gzFile stream = nullptr;
  ~Gzip() {
    if (stream) gzclose(stream);
  }
};

FastaSource::FastaSource(std::FILE* file) : file_(file), buffer_(kBufferSize) {}

FastaSource::FastaSource(const std::string& path, Dash dash) : path_(path), name_(path), buffer_(kBufferSize) {
  if (dash == Dash::StandardInput && path == "-") {
    openStandardInput();
    return;
  }
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) failToRead(path, std::strerror(errno));
  struct stat st {};
  if (::fstat(descriptor, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(descriptor);
    failToRead(path, "it is a directory");
  }
  if (startsWithGzipSignature(descriptor)) {
    openThroughZlib(descriptor);
    compressed_ = true;
    return;
  }
  file_ = ::fdopen(descriptor, "rb");
  if (!file_) {
    const int error = errno;
    ::close(descriptor);
    failToRead(path, std::strerror(error));
  }
  ownsFile_ = true;
}

// Through zlib whether compressed or not: a pipe cannot be read twice, and
// zlib passes bytes that do not start with the gzip signature through as
// they are.
void FastaSource::openStandardInput() {
  name_ = kStandardInputName;
  const int descriptor = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
  if (descriptor < 0) failToRead(name_, std::strerror(errno));
  openThroughZlib(descriptor);
  compressed_ = gzdirect(gzip_->stream) == 0;
}

// Takes `descriptor` over, closing it when zlib cannot.
void FastaSource::openThroughZlib(int descriptor) {
  gzip_ = std::make_unique<Gzip>();
  gzip_->stream = gzdopen(descriptor, "rb");
  if (!gzip_->stream) {
    ::close(descriptor);
    failToRead(name_, "out of memory");
  }
  gzbuffer(gzip_->stream, static_cast<unsigned>(kBufferSize));
}

FastaSource::~FastaSource() {
  if (ownsFile_) std::fclose(file_);
}

std::string_view FastaSource::firstBytes() {
  ZK_ASSERT(next_ == 0);
  if (!started_) refill();
  return std::string_view(buffer_.data(), end_);
}

bool FastaSource::refill() {
  started_ = true;
  next_ = 0;
  end_ = 0;
  if (gzip_) {
    const int got = gzread(gzip_->stream, buffer_.data(), static_cast<unsigned>(buffer_.size()));
    // A file cut short ends like a whole one, but leaves Z_BUF_ERROR behind.
    int code = Z_OK;
    const char* message = gzerror(gzip_->stream, &code);
    if (got < 0 || (got == 0 && code != Z_OK))
      failToRead(name_, code == Z_ERRNO ? std::strerror(errno) : std::string("damaged gzip data (") + message + ")");
    end_ = static_cast<std::size_t>(got);
  } else {
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (end_ == 0 && ownsFile_ && std::ferror(file_)) failToRead(name_, std::strerror(errno));
  }
  return end_ > 0;
}

FastaReader::FastaReader(std::FILE* file, std::size_t maxNameLength) : source_(file), maxNameLength_(maxNameLength) {}

FastaReader::FastaReader(const std::string& path, std::size_t maxNameLength, LowerCase lowerCase)
    : source_(path), maxNameLength_(maxNameLength), lowerCase_(lowerCase) {}

FastaReader::FastaReader(const std::string& path, const DnaRules& rules)
    : source_(path, FastaSource::Dash::StandardInput),
      maxNameLength_(rules.maxNameLength),
      lowerCase_(rules.lowerCase),
      dna_(true),
      maxLetters_(rules.maxLetters),
      limitsInput_(rules.limitsInput) {
  const std::string format = formats::binaryFormat(source_.firstBytes());
  if (!format.empty()) throw ReadError(source_.name() + ": " + format + ".");
}

int FastaReader::nextNonBlank() {
  int c;
  do {
    c = source_.get();
    if (c == '\n') ++line_;
  } while (c != EOF && std::isspace(c));
  return c;
}

namespace {
bool isBlank(const std::string& text) {
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  return true;
}

std::string limitText(std::uint64_t maxLetters) {
  return std::to_string(maxLetters) + " letters (limit set by --max-letters)";
}
}  // namespace

void FastaReader::readHeader(std::string& name) {
  name.clear();
  // Only what can be kept is stored, so that a header of a gigabyte costs
  // nothing; one character more tells whether a CR ended the line.
  const std::size_t room = maxNameLength_ == std::string::npos ? maxNameLength_ : maxNameLength_ + 1;
  std::size_t length = 0;  // up to a NUL byte, after which nothing belongs to the name
  bool cut = false;
  int c;
  while ((c = source_.get()) != EOF && c != '\n') {
    if (c == '\0') cut = true;
    if (cut) continue;
    if (name.size() < room) name.push_back(static_cast<char>(c));
    ++length;
  }
  if (c == '\n') ++line_;
  if (length == name.size() && !name.empty() && name.back() == '\r' && c == '\n') name.pop_back();
  if (name.size() > maxNameLength_) name.resize(maxNameLength_);
}

// Past the header of the next record; false at the end of the file.
bool FastaReader::startRecord(std::string& name) {
  if (!pendingHeader_) {
    int c;
    while ((c = nextNonBlank()) != EOF && c != '>') {
    }
    if (c == EOF) return false;
  }
  pendingHeader_ = false;
  readHeader(name);
  if (isBlank(name)) {
    // A '>' followed by nothing but white space starts no record.
    const int c = nextNonBlank();
    if (c == EOF) return false;
    source_.unget();
  }
  ++records_;
  return true;
}

void FastaReader::refuse(const std::string& name, const std::string& problem, bool withLine) const {
  const std::string record = isBlank(name) ? "record number " + std::to_string(records_)
                                           : "record " + formats::printable(name, kLongestNameShown);
  throw ReadError(source_.name() + (withLine ? ":" + std::to_string(line_) : std::string()) + ": " + record +
                  (withLine ? ": " : " ") + problem);
}

template <class Take>
void FastaReader::readDnaLetters(const std::string& name, Take&& take) {
  // A record takes memory beyond its letters; counted apart, as its header
  // and DnaRules::kRecordLetters more, it bounds a file of millions of empty
  // records as the letters bound one of long records.
  headerLetters_ += name.size() + DnaRules::kRecordLetters;
  if (headerLetters_ > maxLetters_)
    refuse(name,
           "brings the headers past " + std::to_string(maxLetters_) + " letters (each record counts " +
               std::to_string(DnaRules::kRecordLetters) + " and its header; limit set by --max-letters)",
           false);
  std::uint64_t recordLetters = 0;
  int c;
  while ((c = nextNonBlank()) != EOF) {
    if (c == '>') {
      pendingHeader_ = true;
      return;
    }
    const formats::LetterReading reading = formats::readLetter(static_cast<unsigned char>(c), lowerCase_);
    if (reading.kind == formats::LetterKind::Refused)
      refuse(name, formats::letterRefusal(static_cast<unsigned char>(c)), true);
    if (reading.kind == formats::LetterKind::Iupac) ++iupacLetters_;
    if (++recordLetters > maxLetters_) refuse(name, "exceeds " + limitText(maxLetters_), false);
    if (++inputLetters_ > maxLetters_ && limitsInput_)
      refuse(name, "takes the input past " + limitText(maxLetters_), false);
    take(reading.letter);
  }
}

FastaReader::Status FastaReader::next(FastaRecord& record, std::size_t letterLimit) {
  if (!startRecord(record.name)) return Status::End;
  record.letters.clear();
  if (dna_) {
    readDnaLetters(record.name, [&record](char letter) { record.letters.push_back(letter); });
    return Status::Record;
  }
  int c;
  while ((c = nextNonBlank()) != EOF) {
    if (c == '>') {
      pendingHeader_ = true;
      break;
    }
    if (c == '\0') return Status::NulByte;
    const bool masked = lowerCase_ == LowerCase::AsN && std::islower(c);
    record.letters.push_back(masked ? 'N' : static_cast<char>(std::toupper(c)));
    if (record.letters.size() >= letterLimit) return Status::TooLong;
  }
  return Status::Record;
}

bool FastaReader::stream(std::string& name, const std::function<void(std::string_view)>& letters) {
  ZK_ASSERT(dna_);
  if (!startRecord(name)) return false;
  std::string piece;
  piece.reserve(kStreamPiece);
  readDnaLetters(name, [&](char letter) {
    piece.push_back(letter);
    if (piece.size() == kStreamPiece) {
      letters(piece);
      piece.clear();
    }
  });
  if (!piece.empty()) letters(piece);
  return true;
}

DnaFile readDnaFile(const std::string& path, const DnaRules& rules) {
  try {
    FastaReader reader(path, rules);
    DnaFile file;
    FastaRecord record;
    while (reader.next(record) != FastaReader::Status::End) file.records.push_back(std::move(record));
    if (file.records.empty()) throw ReadError(reader.name() + " holds no FASTA record (a line starting with '>').");
    file.iupacLetters = reader.iupacLetters();
    return file;
  } catch (const ReadError& error) {
    throw FatalError(std::string("Error: ") + error.what() + "\n");
  }
}

std::string iupacNote(const std::string& name, std::uint64_t iupacLetters) {
  if (iupacLetters == 0) return {};
  return name + ": " + std::to_string(iupacLetters) + (iupacLetters == 1 ? " IUPAC letter" : " IUPAC letters") +
         " read as N";
}
