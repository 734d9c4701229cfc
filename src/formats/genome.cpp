#include "formats/genome.h"

#include <htslib/bgzf.h>
#include <htslib/faidx.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unordered_map>

#include "base/errors.h"
#include "formats/text_lines.h"

namespace genome {

struct IndexedGenome::Index {
  faidx_t* fai = nullptr;
  std::unordered_map<std::string, std::size_t> byName;  // place in chromosomes_
  ~Index() {
    if (fai) fai_destroy(fai);
  }
};

namespace {

[[noreturn]] void fail(const std::string& sentence) { throw FastaReadError(sentence); }

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

void checkReadable(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) fail("cannot read " + path + ": " + std::strerror(errno) + ".");
  if (S_ISDIR(st.st_mode)) fail("cannot read " + path + ": it is a directory.");
  if (::access(path.c_str(), R_OK) != 0) fail("cannot read " + path + ": " + std::strerror(errno) + ".");
}

// True when the first letter that is not white space is '>'.
bool startsLikeFasta(const std::string& path) {
  BGZF* file = bgzf_open(path.c_str(), "r");
  if (!file) fail("cannot read " + path + ": " + std::strerror(errno) + ".");
  int c;
  while ((c = bgzf_getc(file)) >= 0 && std::isspace(c)) {
  }
  bgzf_close(file);
  return c == '>';
}

void checkGenomeFile(const std::string& path, Compression compression) {
  checkReadable(path);
  if (compression == Compression::OtherGzip)
    fail(path + " is compressed with gzip, which cannot be read at chosen places; recompress it with bgzip "
                "(Debian package tabix): gzip -dc " + path + " | bgzip > GENOME.fa.gz");
  if (!startsLikeFasta(path)) fail(path + " is not a FASTA file: it does not start with a '>' line.");
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
  struct stat fasta {}, fai {}, gzi {};
  if (::stat(path.c_str(), &fasta) != 0 || ::stat(files.fai.c_str(), &fai) != 0) return false;
  if (!newerOrSame(fai, fasta)) return false;
  return !bgzip || (::stat(files.gzi.c_str(), &gzi) == 0 && newerOrSame(gzi, fasta));
}

// A directory of our own, removed with everything in it.
class ScratchDirectory {
 public:
  // Made from `pattern` (ending in XXXXXX); nothing when it cannot be made,
  // with the system's reason in `reason`.
  static std::unique_ptr<ScratchDirectory> make(const std::string& pattern, std::string& reason) {
    std::string name = pattern;
    if (!::mkdtemp(name.data())) {
      reason = std::strerror(errno);
      return nullptr;
    }
    return std::unique_ptr<ScratchDirectory>(new ScratchDirectory(name));
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  IndexFiles files() const { return {path_ + "/index.fai", path_ + "/index.gzi"}; }

 private:
  explicit ScratchDirectory(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

void buildIndex(const std::string& path, const IndexFiles& files) {
  if (fai_build3(path.c_str(), files.fai.c_str(), files.gzi.c_str()) != 0)
    fail("cannot build an index of " + path +
         " (htslib's message above says why): within each record every line but the last must have the same "
         "length, and a compressed genome must be compressed with bgzip.");
}

void moveInPlace(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0)
    fail("cannot write " + to + ": " + std::strerror(errno) + ".");
}

std::vector<Chromosome> readIndexLengths(const std::string& fai) {
  std::ifstream in = textio::openFile(fai);
  textio::Lines lines(in, fai);
  std::vector<Chromosome> chromosomes;
  while (!lines.atEnd()) {
    const std::vector<std::string> fields = textio::tabFields(lines.take("a record"));
    if (fields.size() < 5) lines.fail("a FASTA index line has 5 or 6 fields");
    chromosomes.push_back({fields[0], lines.integer(fields[1], "length")});
  }
  return chromosomes;
}

}  // namespace

IndexedGenome::IndexedGenome(const std::string& path) : path_(path), index_(std::make_unique<Index>()) {
  const Compression compression = compressionOf(path);
  checkGenomeFile(path, compression);
  bgzip_ = compression == Compression::Bgzf;
  loadIndex();
  for (std::size_t i = 0; i < chromosomes_.size(); ++i) index_->byName.emplace(chromosomes_[i].name, i);
}

IndexedGenome::~IndexedGenome() = default;

void IndexedGenome::loadIndex() {
  IndexFiles files = filesBeside(path_);
  std::unique_ptr<ScratchDirectory> scratch;
  if (!indexIsCurrent(path_, bgzip_)) {
    scratch = ScratchDirectory::make(path_ + ".index-XXXXXX", inMemoryReason_);
    origin_ = scratch ? IndexOrigin::BuiltBeside : IndexOrigin::BuiltInMemory;
    if (!scratch) {
      const std::string tmp = std::filesystem::temp_directory_path().string();
      std::string reason;
      scratch = ScratchDirectory::make(tmp + "/zelkova-index-XXXXXX", reason);
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
  index_->fai = fai_load3(path_.c_str(), files.fai.c_str(), files.gzi.c_str(), 0);
  if (!index_->fai) fail("cannot read the index " + files.fai + " of " + path_ + " (htslib's message above says why).");
  chromosomes_ = readIndexLengths(files.fai);
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
  if (textio::startsWith(name, "chr") && name.size() > 3) candidates.push_back(name.substr(3));
  if (!textio::startsWith(name, "chr")) candidates.push_back("chr" + name);
  for (const std::string& candidate : candidates)
    if (find(candidate)) return candidate;
  return std::nullopt;
}

std::string IndexedGenome::fetch(const std::string& chrom, long long start, long long end, LowerCase lowerCase) {
  const Chromosome* chromosome = find(chrom);
  ZK_ASSERT(chromosome && 0 <= start && start < end && end <= chromosome->length);
  hts_pos_t got = 0;
  char* raw = faidx_fetch_seq64(index_->fai, chrom.c_str(), start, end - 1, &got);
  if (!raw || got != end - start) {
    std::free(raw);
    fail("cannot read " + chrom + ":" + std::to_string(start) + "-" + std::to_string(end) + " of " + path_ +
         " (htslib's message above says why).");
  }
  std::string letters(raw, static_cast<std::size_t>(got));
  std::free(raw);
  for (char& c : letters) {
    const bool lower = std::islower(static_cast<unsigned char>(c)) != 0;
    c = lower && lowerCase == LowerCase::AsN ? 'N' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return letters;
}

}  // namespace genome
