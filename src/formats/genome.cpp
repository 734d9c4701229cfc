#include "formats/genome.h"

#include <htslib/bgzf.h>
#include <htslib/faidx.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unordered_map>
#include <utility>

#include "base/errors.h"
#include "formats/text_lines.h"

namespace formats {

// Where a record's letters lie in the (uncompressed) file, from its .fai line.
struct RecordLayout {
  long long offset = 0;     // of its first letter
  long long lineBases = 0;  // letters per line
  long long lineWidth = 0;  // bytes per line, line end included

  long long placeOf(long long letter) const { return offset + letter / lineBases * lineWidth + letter % lineBases; }
};

// The genome read with htslib's BGZF layer (which reads plain files too, and
// seeks in bgzip files by their .gzi index) at places the .fai gives. A span
// is read in one piece: htslib's own fetch takes letters one call at a time,
// too slow for passes over a whole mammalian genome.
struct IndexedGenome::Index {
  BGZF* file = nullptr;
  std::vector<RecordLayout> layouts;                    // as chromosomes_
  std::unordered_map<std::string, std::size_t> byName;  // place in chromosomes_
  std::string bytes;                                    // the span read last, line ends included
  ~Index() {
    if (file) bgzf_close(file);
  }
};

namespace {

[[noreturn]] void fail(const std::string& sentence) { throw ReadError(sentence); }

enum class Compression { None, Bgzf, OtherGzip };

// BGZF is gzip whose header carries an extra field "BC" (the block size), so
// the first 14 bytes tell it from gzip of any other kind.
Compression compressionOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char header[14] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  const std::streamsize got = in.gcount();
  if (got < 2 || header[0] != 0x1f || header[1] != 0x8b) return Compression::None;
  const bool extraField = got == sizeof header && header[2] == 8 && (header[3] & 4) != 0;
  return extraField && header[12] == 'B' && header[13] == 'C' ? Compression::Bgzf : Compression::OtherGzip;
}

// A genome is read at the places its index gives, so it must be a file that
// can be read from anywhere, not a stream.
void checkReadable(const std::string& path) {
  if (path == "-")
    fail(
        "a genome cannot come from standard input (-): it is read at chosen places through its index; give its "
        "file.");
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) fail("cannot read " + path + ": " + std::strerror(errno) + ".");
  if (S_ISDIR(st.st_mode)) fail("cannot read " + path + ": it is a directory.");
  if (!S_ISREG(st.st_mode))
    fail("cannot read " + path +
         " as a genome: it is not a regular file (a pipe?), and a genome is read at chosen "
         "places through its index; give the file itself.");
  if (::access(path.c_str(), R_OK) != 0) fail("cannot read " + path + ": " + std::strerror(errno) + ".");
}

// The line (from 1) of the first letter that is not white space when that
// letter is not '>'; 0 when it is, -1 when there is none.
int lineNotStartingFasta(const std::string& path) {
  BGZF* file = bgzf_open(path.c_str(), "r");
  if (!file) fail("cannot read " + path + ": " + std::strerror(errno) + ".");
  int c;
  int line = 1;
  while ((c = bgzf_getc(file)) >= 0 && std::isspace(c))
    if (c == '\n') ++line;
  bgzf_close(file);
  if (c < 0) return -1;
  return c == '>' ? 0 : line;
}

void checkGenomeFile(const std::string& path, Compression compression) {
  checkReadable(path);
  if (compression == Compression::OtherGzip)
    fail(path +
         " is compressed with gzip, which cannot be read at chosen places; recompress it with bgzip "
         "(Debian package tabix): gzip -dc " +
         path + " | bgzip > GENOME.fa.gz");
  const int line = lineNotStartingFasta(path);
  if (line < 0) fail(path + " is empty, not a FASTA file.");
  if (line > 0)
    fail(path + ":" + std::to_string(line) +
         ": not a FASTA file: its first line that is not blank does not start "
         "with '>'.");
}

struct IndexFiles {
  std::string fai;
  std::string gzi;
};

IndexFiles filesBeside(const std::string& path) { return {path + ".fai", path + ".gzi"}; }

bool newerOrSame(const struct stat& index, const struct stat& fasta) {
  if (index.st_mtim.tv_sec != fasta.st_mtim.tv_sec) return index.st_mtim.tv_sec > fasta.st_mtim.tv_sec;
  return index.st_mtim.tv_nsec >= fasta.st_mtim.tv_nsec;
}

// Index files that exist and are at least as new as the FASTA.
bool indexIsCurrent(const std::string& path, bool bgzip) {
  const IndexFiles files = filesBeside(path);
  struct stat fasta {
  }, fai{}, gzi{};
  if (::stat(path.c_str(), &fasta) != 0 || ::stat(files.fai.c_str(), &fai) != 0) return false;
  if (!newerOrSame(fai, fasta)) return false;
  return !bgzip || (::stat(files.gzi.c_str(), &gzi) == 0 && newerOrSame(gzi, fasta));
}

// A directory of our own, removed with everything in it; `notice` (may be
// empty) is told when it is made and once it is removed.
class ScratchDirectory {
 public:
  // Made from `pattern` (ending in XXXXXX); nothing when it cannot be made,
  // with the system's reason in `reason`.
  static std::unique_ptr<ScratchDirectory> make(const std::string& pattern, const ScratchNotice& notice,
                                                std::string& reason) {
    std::string name = pattern;
    if (!::mkdtemp(name.data())) {
      reason = std::strerror(errno);
      return nullptr;
    }
    if (notice) notice(name, true);
    return std::unique_ptr<ScratchDirectory>(new ScratchDirectory(name, notice));
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    if (notice_) notice_(path_, false);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  IndexFiles files() const { return {path_ + "/index.fai", path_ + "/index.gzi"}; }

 private:
  ScratchDirectory(std::string path, ScratchNotice notice) : path_(std::move(path)), notice_(std::move(notice)) {}
  std::string path_;
  ScratchNotice notice_;
};

void buildIndex(const std::string& path, const IndexFiles& files) {
  if (fai_build3(path.c_str(), files.fai.c_str(), files.gzi.c_str()) != 0)
    fail("cannot build an index of " + path +
         " (htslib's message above says why): within each record every line but the last must have the same "
         "length, and a compressed genome must be compressed with bgzip.");
}

void moveInPlace(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) fail("cannot write " + to + ": " + std::strerror(errno) + ".");
}

struct IndexLine {
  Chromosome chromosome;
  RecordLayout layout;
};

std::vector<IndexLine> readIndexFile(const std::string& fai) {
  std::ifstream in = formats::openFile(fai);
  formats::Lines lines(in, fai);
  std::vector<IndexLine> records;
  while (!lines.atEnd()) {
    const std::vector<std::string> fields = formats::tabFields(lines.take("a record"));
    if (fields.size() < 5) lines.fail("a FASTA index line has 5 or 6 fields");
    IndexLine record{{fields[0], lines.integer(fields[1], "length")},
                     {lines.integer(fields[2], "offset"), lines.integer(fields[3], "letters per line"),
                      lines.integer(fields[4], "bytes per line")}};
    const RecordLayout& l = record.layout;
    if (record.chromosome.length < 0 || l.offset < 0 || l.lineBases < 0 || l.lineWidth < l.lineBases ||
        (record.chromosome.length > 0 && l.lineBases == 0))
      lines.fail("the index line is damaged; remove the index to have it made again");
    records.push_back(std::move(record));
  }
  return records;
}

// What each byte becomes: a table, as a whole genome may pass through here
// several times.
std::array<char, 256> makeCaseRule(LowerCase lowerCase) {
  std::array<char, 256> rule{};
  for (int c = 0; c < 256; ++c) {
    const bool lower = c >= 'a' && c <= 'z';
    rule[c] = static_cast<char>(lower ? (lowerCase == LowerCase::AsN ? 'N' : c - 'a' + 'A') : c);
  }
  return rule;
}

const std::array<char, 256>& caseRule(LowerCase lowerCase) {
  static const std::array<char, 256> asUpper = makeCaseRule(LowerCase::AsUpper);
  static const std::array<char, 256> asN = makeCaseRule(LowerCase::AsN);
  return lowerCase == LowerCase::AsN ? asN : asUpper;
}

}  // namespace

IndexedGenome::IndexedGenome(const std::string& path, const ScratchNotice& notice)
    : path_(path), index_(std::make_unique<Index>()) {
  const Compression compression = compressionOf(path);
  checkGenomeFile(path, compression);
  bgzip_ = compression == Compression::Bgzf;
  loadIndex(notice);
  for (std::size_t i = 0; i < chromosomes_.size(); ++i) index_->byName.emplace(chromosomes_[i].name, i);
}

IndexedGenome::~IndexedGenome() = default;

void IndexedGenome::loadIndex(const ScratchNotice& notice) {
  IndexFiles files = filesBeside(path_);
  std::unique_ptr<ScratchDirectory> scratch;
  if (!indexIsCurrent(path_, bgzip_)) {
    scratch = ScratchDirectory::make(path_ + ".index-XXXXXX", notice, inMemoryReason_);
    origin_ = scratch ? IndexOrigin::BuiltBeside : IndexOrigin::BuiltInMemory;
    if (!scratch) {
      const std::string tmp = std::filesystem::temp_directory_path().string();
      std::string reason;
      scratch = ScratchDirectory::make(tmp + "/zelkova-index-XXXXXX", notice, reason);
      if (!scratch) fail("cannot build an index of " + path_ + " in " + tmp + ": " + reason + ".");
    }
    buildIndex(path_, scratch->files());
    if (origin_ == IndexOrigin::BuiltBeside) {
      // The .fai last: its presence says the index is whole.
      if (bgzip_) moveInPlace(scratch->files().gzi, files.gzi);
      moveInPlace(scratch->files().fai, files.fai);
    } else {
      files = scratch->files();
    }
  }
  index_->file = bgzf_open(path_.c_str(), "r");
  if (!index_->file) fail("cannot read " + path_ + ": " + std::strerror(errno) + ".");
  if (bgzip_ && bgzf_index_load(index_->file, files.gzi.c_str(), nullptr) != 0)
    fail("cannot read the index " + files.gzi + " of " + path_ + " (htslib's message above says why).");
  for (IndexLine& record : readIndexFile(files.fai)) {
    chromosomes_.push_back(std::move(record.chromosome));
    index_->layouts.push_back(record.layout);
  }
}

long long IndexedGenome::totalLength() const {
  long long total = 0;
  for (const Chromosome& c : chromosomes_) total += c.length;
  return total;
}

const Chromosome* IndexedGenome::find(const std::string& name) const {
  const auto it = index_->byName.find(name);
  return it == index_->byName.end() ? nullptr : &chromosomes_[it->second];
}

std::optional<std::string> IndexedGenome::otherNaming(const std::string& name) const {
  std::vector<std::string> candidates;
  if (name == "chrM") candidates.push_back("MT");
  if (name == "MT") candidates.push_back("chrM");
  if (formats::startsWith(name, "chr") && name.size() > 3) candidates.push_back(name.substr(3));
  if (!formats::startsWith(name, "chr")) candidates.push_back("chr" + name);
  for (const std::string& candidate : candidates)
    if (find(candidate)) return candidate;
  return std::nullopt;
}

std::string IndexedGenome::fetch(const std::string& chrom, long long start, long long end, LowerCase lowerCase) {
  const Chromosome* chromosome = find(chrom);
  ZK_ASSERT(chromosome && 0 <= start && start < end && end <= chromosome->length);
  const RecordLayout& layout = index_->layouts[static_cast<std::size_t>(chromosome - chromosomes_.data())];
  const long long first = layout.placeOf(start);
  const long long size = layout.placeOf(end - 1) + 1 - first;
  std::string& bytes = index_->bytes;
  bytes.resize(static_cast<std::size_t>(size));
  const std::string where = chrom + ":" + std::to_string(start) + "-" + std::to_string(end) + " of " + path_;
  if (bgzf_useek(index_->file, first, SEEK_SET) != 0 ||
      bgzf_read(index_->file, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
    fail("cannot read " + where + " (htslib's message above says why).");
  std::string letters;
  letters.reserve(static_cast<std::size_t>(end - start));
  const std::array<char, 256>& rule = caseRule(lowerCase);
  for (const char c : bytes)
    if (c != '\n' && c != '\r') letters.push_back(rule[static_cast<unsigned char>(c)]);
  if (static_cast<long long>(letters.size()) != end - start)
    fail("cannot read " + where + ": the FASTA does not match its index; remove " + path_ +
         ".fai to have it made again.");
  return letters;
}

}  // namespace formats
