#include "engine/utilities.h"

#include <algorithm>
#include <numeric>

#include "formats/input_file.h"

Utilities::Utilities(int L, bool forwardOnlyRun, int threadCount, ProgressSink sink)
    : seqs(L, threadCount),
      surprise(seqs, models, forwardOnlyRun, threadCount),
      progress(std::move(sink)),
      threads(threadCount) {
  context.K = L;
  context.siteBackground = &maps.forward;
}

Utilities::~Utilities() {
  for (std::FILE* f : {inStream, bgStream, fgStream})
    if (f) std::fclose(f);
}

void Utilities::OpenFiles(const std::string& inFile, const std::string& bgFile, const std::string& fgFile) {
  const std::string* names[] = {&inFile, &bgFile, &fgFile};
  std::FILE** streams[] = {&inStream, &bgStream, &fgStream};
  for (int i = 0; i < 3; ++i) {
    *streams[i] = openForReading(*names[i]);
    if (!*streams[i]) throw FatalError("Cannot open file named " + *names[i] + "\n");
  }
  inName = inFile;
  bgName = bgFile;
  fgName = fgFile;
}

void Utilities::LoadSeqs(std::size_t maxLetters) {
  ZK_ASSERT(inStream != nullptr);
  progress.print("Loading input sequences....");
  std::vector<FastaRecord> records;
  try {
    // Read again by name, so that a gzip-compressed file is recognised; the
    // open stream is closed only then, so that a FIFO keeps a reader.
    FastaReader reader(inName, LEN_STR - 1);
    std::fclose(inStream);
    inStream = nullptr;
    records = readSequenceRecords(reader, maxLetters);
  } catch (const ReadError& error) {
    throw FatalError(std::string("Error: ") + error.what() + "\n");
  }
  seqs.assign(std::move(records), maxLetters);
  progress.print("DONE. %d sequences loaded.\n", GetNumSeq());
}

void Utilities::LoadSeqs(std::vector<FastaRecord> records, std::size_t maxLetters) {
  progress.print("Loading input sequences....");
  seqs.assign(std::move(records), maxLetters);
  progress.print("DONE. %d sequences loaded.\n", GetNumSeq());
}

void Utilities::CountDP() {
  fullDP = validDP = 0;
  const int L = GetL();
  for (const seqRecord& rec : seqs.records()) {
    for (int j = 0; j + L <= rec.len; ++j) {
      ++fullDP;
      if (rec.fwdValid[j]) ++validDP;
    }
  }
  progress.print("   (%lld %d-mers in the input file)\n", validDP, L);
}

void Utilities::loadModel(std::FILE*& stream, const std::string& fileName, bool background) {
  progress.print(background ? "Loading background nucleotides distributions...."
                            : "Loading foreground nucleotides distributions....");
  ZK_ASSERT(stream != nullptr);
  MarkovModel model = readMarkovModel(stream, fileName);
  std::fclose(stream);
  stream = nullptr;
  if (background)
    models.setBackground(std::move(model), fileName);
  else
    models.setForeground(std::move(model), fileName);
  progress.print("DONE\n");
}

void Utilities::GetBackground() { loadModel(bgStream, bgName, true); }

void Utilities::GetForeground() { loadModel(fgStream, fgName, false); }

void Utilities::GetBackground(MarkovModel model) {
  progress.print("Loading background nucleotides distributions....");
  models.setBackground(std::move(model), bgName);
  progress.print("DONE\n");
}

void Utilities::GetForeground(MarkovModel model) {
  progress.print("Loading foreground nucleotides distributions....");
  models.setForeground(std::move(model), fgName);
  progress.print("DONE\n");
}

void Utilities::computebgmap(bool withScore) {
  maps = models.computebgmap(seqs, withScore, threads);
  for (int b = 0; b < NUM_BASES; ++b)
    context.baseBackground[static_cast<std::size_t>(b)] =
        models.bmarkov[1].empty() ? 0.25 : models.bmarkov[1][static_cast<std::size_t>(b)];
}

std::vector<int> Utilities::selSeqs(int count) const {
  ZK_ASSERT(count >= 0 && count <= GetNumSeq());
  std::vector<int> order(static_cast<std::size_t>(GetNumSeq()));
  std::iota(order.begin(), order.end(), 0);
  // Highest score first; equal scores keep ascending index order.
  std::stable_sort(order.begin(), order.end(), [this](int a, int b) { return maps.logOdds[a] > maps.logOdds[b]; });
  order.resize(static_cast<std::size_t>(count));
  std::sort(order.begin(), order.end());
  return order;
}
