#include "utilities.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>

#include "fasta.h"
#include "parallel.h"

Utilities::Utilities(int length) : L(length) {}

Utilities::~Utilities() {
  for (std::FILE* f : {inStream, bgStream, fgStream})
    if (f) std::fclose(f);
}

namespace {

// A directory opens for reading on some systems but holds no text.
std::FILE* openForReading(const char* name) {
  struct stat st {};
  if (stat(name, &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;
  return std::fopen(name, "r");
}

}  // namespace

void Utilities::OpenFiles(const char* inFile, const char* bgFile, const char* fgFile) {
  const char* names[] = {inFile, bgFile, fgFile};
  std::FILE** streams[] = {&inStream, &bgStream, &fgStream};
  for (int i = 0; i < 3; ++i) {
    *streams[i] = openForReading(names[i]);
    if (!*streams[i]) throw FatalError(std::string("Cannot open file named ") + names[i] + "\n");
  }
  bgName = bgFile;
  fgName = fgFile;
}

void Utilities::LoadSeqs() {
  LoadSeqsFrom(inStream);
  std::fclose(inStream);
  inStream = nullptr;
}

void Utilities::LoadSeqsFrom(std::FILE* file) {
  std::printf("Loading input sequences....");
  seqs.clear();
  bigL = 0;
  FastaReader reader(file, LEN_STR - 1);
  FastaRecord record;
  for (;;) {
    const FastaReader::Status status = reader.next(record, MAX_SEQ);
    if (status == FastaReader::Status::End) break;
    const std::string recordId = std::to_string(seqs.size() + 1) + " (" + record.name + ")";
    if (status == FastaReader::Status::TooLong)
      throw FatalError("Error: sequence " + recordId + " is longer than " + std::to_string(MAX_SEQ - 1) +
                       " letters.\n");
    if (status == FastaReader::Status::NulByte)
      throw FatalError("Error: sequence " + recordId + " holds a NUL byte.\n");
    seqRecord rec;
    rec.seq = record.letters;
    rec.name = record.name;
    rec.len = static_cast<int>(rec.seq.size());
    rec.revSeq = RevComp(rec.seq);
    rec.usedFwd.assign(rec.seq.size() + 1, 0);
    rec.usedRev.assign(rec.seq.size() + 1, 0);
    bigL += rec.len;
    seqs.push_back(std::move(rec));
  }
  numSeq = static_cast<int>(seqs.size());
  currSeq = currPos = currDP = 0;
  encodeWindows();
  std::printf("DONE. %d sequences loaded.\n", numSeq);
}

void Utilities::encodeWindows() {
  parallelFor(numThreads, seqs.size(), [this](std::size_t i) {
    seqRecord& rec = seqs[i];
    const int n = rec.numWindows(L);
    rec.fwdCode.assign(n, 0);
    rec.revCode.assign(n, 0);
    rec.fwdAcgt.assign(n, 0);
    rec.revAcgt.assign(n, 0);
    rec.fwdValid.assign(n, 0);
    rec.revValid.assign(n, 0);
    for (int j = 0; j < n; ++j) {
      rec.fwdAcgt[j] = words::pack(rec.seq.data() + j, L, rec.fwdCode[j]);
      rec.revAcgt[j] = words::pack(rec.revSeq.data() + j, L, rec.revCode[j]);
      rec.fwdValid[j] = validateKmer(rec.seq.data() + j, L);
      rec.revValid[j] = validateKmer(rec.revSeq.data() + j, L);
    }
  });
}

const L_mer* Utilities::GetInput(int n) {
  if (n < 0 || n >= fullDP) return nullptr;
  if (n == 0) currSeq = currPos = currDP = 0;
  for (;;) {
    const seqRecord& rec = seqs[currSeq];
    if (rec.len - currPos + 1 <= L) {
      ++currSeq;
      currPos = 0;
      if (currSeq == numSeq) currSeq = currDP = 0;
      continue;
    }
    const bool found = currDP == n;
    if (found) {
      std::memcpy(inputMer.kmer, rec.seq.data() + currPos, L);
      inputMer.kmer[L] = '\0';
      std::memcpy(inputMer.rcKmer, rec.revSeq.data() + (rec.len - L - currPos), L);
      inputMer.rcKmer[L] = '\0';
      inputMer.pos = currPos;
      inputMer.seqIdx = currSeq;
      inputMer.score = 0.0;
      inputMer.strand = true;
    }
    ++currPos;
    ++currDP;
    if (found) return &inputMer;
  }
}

Site Utilities::siteAt(int seqIdx, int strandPos, bool strand) const {
  ZK_ASSERT(L <= MAX_MOTIF_LEN);
  const seqRecord& rec = seqs[static_cast<std::size_t>(seqIdx)];
  Site s;
  const char* text = (strand ? rec.seq.data() : rec.revSeq.data()) + strandPos;
  std::memcpy(s.text, text, static_cast<std::size_t>(L));
  s.text[L] = '\0';
  s.strand = strand;
  s.acgt = strand ? rec.fwdAcgt[strandPos] : rec.revAcgt[strandPos];
  s.code = strand ? rec.fwdCode[strandPos] : rec.revCode[strandPos];
  s.pos = strand ? strandPos : rec.len - L - strandPos;
  s.seqIdx = seqIdx;
  return s;
}

std::vector<int> Utilities::selSeqs(int count) const {
  ZK_ASSERT(count >= 0 && count <= numSeq);
  std::vector<int> order(static_cast<std::size_t>(numSeq));
  std::iota(order.begin(), order.end(), 0);
  // Highest score first; equal scores keep ascending index order.
  std::stable_sort(order.begin(), order.end(),
                   [this](int a, int b) { return seqs[a].logOdds > seqs[b].logOdds; });
  order.resize(static_cast<std::size_t>(count));
  std::sort(order.begin(), order.end());
  return order;
}

namespace {
char complement(char c) {
  switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'A': return 'T';
    case 'T': return 'A';
    case 'C': return 'G';
    case 'G': return 'C';
    default: return 'N';
  }
}
}  // namespace

void Utilities::RevComp(const char* src, char* dst) {
  const std::size_t n = std::strlen(src);
  for (std::size_t i = 0; i < n; ++i) dst[n - 1 - i] = complement(src[i]);
  dst[n] = '\0';
}

std::string Utilities::RevComp(const std::string& src) {
  std::string dst(src.size(), 'N');
  for (std::size_t i = 0; i < src.size(); ++i) dst[src.size() - 1 - i] = complement(src[i]);
  return dst;
}

bool Utilities::validateKmer(const char* word, int n) {
  for (int i = 0; i < n; ++i)
    if (word[i] == 'N') return false;
  return true;
}

void Utilities::noNewLine(char* text) {
  if (char* nl = std::strchr(text, '\n')) *nl = '\0';
}
