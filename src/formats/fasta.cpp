#include "formats/fasta.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cctype>
#include <cerrno>
#include <cstring>

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 16;

[[noreturn]] void failToRead(const std::string& path, const std::string& reason) {
  throw FastaReadError("cannot read " + path + ": " + reason + ".");
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

FastaSource::FastaSource(const std::string& path) : path_(path), buffer_(kBufferSize) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) failToRead(path, std::strerror(errno));
  struct stat st {};
  if (::fstat(descriptor, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(descriptor);
    failToRead(path, "it is a directory");
  }
  if (startsWithGzipSignature(descriptor)) {
    gzip_ = std::make_unique<Gzip>();
    gzip_->stream = gzdopen(descriptor, "rb");
    if (!gzip_->stream) {
      ::close(descriptor);
      failToRead(path, "out of memory");
    }
    gzbuffer(gzip_->stream, static_cast<unsigned>(kBufferSize));
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

FastaSource::~FastaSource() {
  if (ownsFile_) std::fclose(file_);
}

bool FastaSource::refill() {
  next_ = 0;
  end_ = 0;
  if (gzip_) {
    const int got = gzread(gzip_->stream, buffer_.data(), static_cast<unsigned>(buffer_.size()));
    // A file cut short ends like a whole one, but leaves Z_BUF_ERROR behind.
    int code = Z_OK;
    const char* message = gzerror(gzip_->stream, &code);
    if (got < 0 || (got == 0 && code != Z_OK))
      failToRead(path_, code == Z_ERRNO ? std::strerror(errno) : std::string("damaged gzip data (") + message + ")");
    end_ = static_cast<std::size_t>(got);
  } else {
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (end_ == 0 && ownsFile_ && std::ferror(file_)) failToRead(path_, std::strerror(errno));
  }
  return end_ > 0;
}

FastaReader::FastaReader(std::FILE* file, std::size_t maxNameLength)
    : source_(file), maxNameLength_(maxNameLength) {}

FastaReader::FastaReader(const std::string& path, std::size_t maxNameLength, LowerCase lowerCase)
    : source_(path), maxNameLength_(maxNameLength), lowerCase_(lowerCase) {}

int FastaReader::nextNonBlank() {
  int c;
  do {
    c = source_.get();
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
  while ((c = source_.get()) != EOF && c != '\n') {
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
    source_.unget();
  }

  record.letters.clear();
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

void forEachFastaRecord(const std::string& path, const std::function<void(FastaRecord&)>& use) {
  FastaReader reader(path);
  FastaRecord record;
  int records = 0;
  for (;;) {
    const FastaReader::Status status = reader.next(record);
    if (status == FastaReader::Status::End) break;
    ++records;
    if (status == FastaReader::Status::NulByte)
      throw FastaReadError("sequence " + std::to_string(records) + " (" + record.name + ") of " + path +
                           " holds a NUL byte; is it a FASTA file?");
    use(record);
  }
  if (records == 0) throw FastaReadError(path + " holds no FASTA record (a line starting with '>').");
}
