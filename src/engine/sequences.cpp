#include "engine/sequences.h"

#include <cstring>

#include "base/parallel.h"

namespace {

std::string recordId(std::size_t index, const std::string& name) {
  return std::to_string(index + 1) + " (" + name + ")";
}

[[noreturn]] void refuseLength(std::size_t index, const std::string& name, std::size_t maxLetters) {
  throw FatalError("Error: sequence " + recordId(index, name) + " is longer than " + std::to_string(maxLetters) +
                   " letters.\n");
}

[[noreturn]] void refuseNul(std::size_t index, const std::string& name) {
  throw FatalError("Error: sequence " + recordId(index, name) + " holds a NUL byte.\n");
}

}  // namespace

std::vector<FastaRecord> readSequenceRecords(std::FILE* file, std::size_t maxLetters) {
  FastaReader reader(file, LEN_STR - 1);
  return readSequenceRecords(reader, maxLetters);
}

std::vector<FastaRecord> readSequenceRecords(FastaReader& reader, std::size_t maxLetters) {
  std::vector<FastaRecord> records;
  FastaRecord record;
  for (;;) {
    // The reader stops at the first letter beyond the limit.
    const FastaReader::Status status = reader.next(record, maxLetters + 1);
    if (status == FastaReader::Status::End) break;
    if (status == FastaReader::Status::TooLong) refuseLength(records.size(), record.name, maxLetters);
    if (status == FastaReader::Status::NulByte) refuseNul(records.size(), record.name);
    records.push_back(std::move(record));
  }
  return records;
}

void SequenceSet::assign(std::vector<FastaRecord> records, std::size_t maxLetters) {
  records_.clear();
  totalLength_ = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    FastaRecord& record = records[i];
    if (record.letters.size() > maxLetters) refuseLength(i, record.name, maxLetters);
    if (record.letters.find('\0') != std::string::npos) refuseNul(i, record.name);
    seqRecord rec;
    rec.seq = std::move(record.letters);
    rec.name = std::move(record.name);
    rec.len = static_cast<int>(rec.seq.size());
    rec.revSeq = base::reverseComplement(rec.seq);
    totalLength_ += rec.len;
    records_.push_back(std::move(rec));
  }
  encodeWindows();
}

namespace {

// The packed word, A/C/G/T flag and N-free flag of every window of one strand,
// rolled along the letters: each window's code is the previous one shifted by
// a letter, and a window is free of a kind of letter when the last such
// letter lies before its start; the same values as packing and checking each
// window on its own.
void encodeStrand(const std::string& letters, int L, std::vector<base::WordCode>& codes,
                  std::vector<std::uint8_t>& acgt, std::vector<std::uint8_t>& valid) {
  const int n = static_cast<int>(letters.size()) >= L ? static_cast<int>(letters.size()) - L + 1 : 0;
  codes.assign(static_cast<std::size_t>(n), 0);
  acgt.assign(static_cast<std::size_t>(n), 0);
  valid.assign(static_cast<std::size_t>(n), 0);
  const base::WordCode mask = L >= 32 ? ~base::WordCode{0} : (base::WordCode{1} << (2 * L)) - 1;
  base::WordCode code = 0;
  int lastOther = -1;  // the last letter that is not A, C, G, T
  int lastN = -1;
  for (int i = 0; i < static_cast<int>(letters.size()); ++i) {
    const int b = base::baseIndex(letters[static_cast<std::size_t>(i)]);
    if (b < 0) lastOther = i;
    if (letters[static_cast<std::size_t>(i)] == 'N') lastN = i;
    code = ((code << 2) | static_cast<base::WordCode>(b < 0 ? 0 : b)) & mask;
    const int start = i - L + 1;
    if (start < 0) continue;
    const bool clean = lastOther < start;
    acgt[static_cast<std::size_t>(start)] = clean;
    if (clean) codes[static_cast<std::size_t>(start)] = code;
    valid[static_cast<std::size_t>(start)] = lastN < start;
  }
}

}  // namespace

void SequenceSet::encodeWindows() {
  parallelFor(threads_, records_.size(), [this](std::size_t i) {
    seqRecord& rec = records_[i];
    encodeStrand(rec.seq, L_, rec.fwdCode, rec.fwdAcgt, rec.fwdValid);
    encodeStrand(rec.revSeq, L_, rec.revCode, rec.revAcgt, rec.revValid);
  });
}

Site SequenceSet::siteAt(int seqIdx, int strandPos, bool strand) const {
  ZK_ASSERT(L_ <= MAX_MOTIF_LEN);
  const seqRecord& rec = records_[static_cast<std::size_t>(seqIdx)];
  Site s;
  const char* text = (strand ? rec.seq.data() : rec.revSeq.data()) + strandPos;
  std::memcpy(s.text, text, static_cast<std::size_t>(L_));
  s.text[L_] = '\0';
  s.strand = strand;
  s.acgt = strand ? rec.fwdAcgt[strandPos] : rec.revAcgt[strandPos];
  s.code = strand ? rec.fwdCode[strandPos] : rec.revCode[strandPos];
  s.pos = strand ? strandPos : rec.len - L_ - strandPos;
  s.seqIdx = seqIdx;
  return s;
}

bool SequenceSet::validateKmer(const char* word, int n) {
  for (int i = 0; i < n; ++i)
    if (word[i] == 'N') return false;
  return true;
}
