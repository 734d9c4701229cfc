#include "sequences.h"

#include <cstring>

#include "parallel.h"

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
  std::vector<FastaRecord> records;
  FastaReader reader(file, LEN_STR - 1);
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
    rec.revSeq = words::reverseComplement(rec.seq);
    totalLength_ += rec.len;
    records_.push_back(std::move(rec));
  }
  encodeWindows();
}

void SequenceSet::encodeWindows() {
  parallelFor(threads_, records_.size(), [this](std::size_t i) {
    seqRecord& rec = records_[i];
    const int n = rec.numWindows(L_);
    rec.fwdCode.assign(n, 0);
    rec.revCode.assign(n, 0);
    rec.fwdAcgt.assign(n, 0);
    rec.revAcgt.assign(n, 0);
    rec.fwdValid.assign(n, 0);
    rec.revValid.assign(n, 0);
    for (int j = 0; j < n; ++j) {
      rec.fwdAcgt[j] = words::pack(rec.seq.data() + j, L_, rec.fwdCode[j]);
      rec.revAcgt[j] = words::pack(rec.revSeq.data() + j, L_, rec.revCode[j]);
      rec.fwdValid[j] = validateKmer(rec.seq.data() + j, L_);
      rec.revValid[j] = validateKmer(rec.revSeq.data() + j, L_);
    }
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
