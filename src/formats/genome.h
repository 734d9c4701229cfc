// A genome FASTA file read at chosen places through its index, never loaded
// whole: plain or bgzip-compressed, with htslib's FASTA index (NAME.fai, and
// NAME.gzi for bgzip, the files `samtools faidx` makes). htslib builds the
// index and reads the file (its BGZF layer decompresses and seeks); the
// letters of a span are read in one piece at the place the .fai gives.
//
// The index: existing index files are used when they are at least as new as
// the FASTA. Otherwise they are built beside it (written under temporary
// names, then renamed, so a run that stops leaves no half-written index and
// two runs may build at once). When the FASTA's directory cannot be written
// to, the index is built in a private temporary directory, loaded, and the
// directory removed at once: it then lives in memory only, and is built again
// by the next run. The directory an index is built in is named to a notice,
// when it is made and once it is gone, so that a program stopped by a signal
// in between (which runs no destructor) can remove it.
//
// Errors are ReadError, sentences that name the file.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/fasta.h"

namespace formats {

struct Chromosome {
  std::string name;
  long long length = 0;
};

// Told of the directory an index is built in: `made` true once it exists,
// false once it has been removed.
using ScratchNotice = std::function<void(const std::string& directory, bool made)>;

// Where the index that was read came from.
enum class IndexOrigin { Existing, BuiltBeside, BuiltInMemory };

class IndexedGenome {
 public:
  // Opens the genome at `path`, finding or building its index. Refuses a file
  // that is not FASTA (its first letter that is not white space is not '>'),
  // a FASTA compressed with plain gzip (it cannot be read at random places;
  // the message says how to recompress it with bgzip) and one whose index
  // cannot be built (lines of unequal length within a record, say).
  // `notice`, when given, is told of the directory an index is built in.
  explicit IndexedGenome(const std::string& path, const ScratchNotice& notice = {});
  ~IndexedGenome();
  IndexedGenome(const IndexedGenome&) = delete;
  IndexedGenome& operator=(const IndexedGenome&) = delete;

  const std::string& path() const { return path_; }
  bool bgzipCompressed() const { return bgzip_; }
  IndexOrigin indexOrigin() const { return origin_; }
  // Why the index is in memory (the system's reason the directory could not
  // be written to); empty otherwise.
  const std::string& inMemoryReason() const { return inMemoryReason_; }

  // The records of the FASTA in file order.
  const std::vector<Chromosome>& chromosomes() const { return chromosomes_; }
  long long totalLength() const;
  // The chromosome of that name, or null.
  const Chromosome* find(const std::string& name) const;
  // The genome's name for `name` when it names its chromosomes the other
  // way: "1" for "chr1", "chr1" for "1", "MT" for "chrM" and back; nothing
  // when the genome has neither.
  std::optional<std::string> otherNaming(const std::string& name) const;

  // The letters of [start, end) of `chrom` (0-based, end exclusive), which
  // must lie within the chromosome: upper case, or lower-case letters as N
  // with LowerCase::AsN. Other letters (IUPAC codes, N) are kept, in upper
  // case. Reading moves the file position, so one object serves one thread.
  // Throws ReadError when the file cannot be read there or does not
  // match its index (a FASTA changed without its index).
  std::string fetch(const std::string& chrom, long long start, long long end, LowerCase lowerCase);

 private:
  struct Index;  // the htslib index, kept out of this header
  void loadIndex(const ScratchNotice& notice);

  std::string path_;
  bool bgzip_ = false;
  IndexOrigin origin_ = IndexOrigin::Existing;
  std::string inMemoryReason_;
  std::vector<Chromosome> chromosomes_;
  std::unique_ptr<Index> index_;
};

}  // namespace formats
