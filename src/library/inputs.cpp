// Loading the inputs of a search into memory.
#include "engine/sequences.h"
#include "formats/input_file.h"
#include "stats/markov_builder.h"
#include "zelkova.h"

std::vector<FastaRecord> readFastaFile(const std::string& path, LowerCase lowerCase) {
  try {
    FastaReader reader(path, LEN_STR - 1, lowerCase);
    return readSequenceRecords(reader, std::string::npos - 1);  // no length limit
  } catch (const ReadError& error) {
    throw FatalError(std::string("Error: ") + error.what() + "\n");
  }
}

MarkovModel buildMarkovModel(const std::vector<FastaRecord>& records, int order, double pseudoCount, bool bothStrands) {
  if (order < 0 || order > stats::kMaxMarkovOrder)
    throw FatalError("Error: the Markov order must be 0 to " + std::to_string(stats::kMaxMarkovOrder) + ".\n");
  if (!(pseudoCount > 0.0)) throw FatalError("Error: the pseudo-count must be above 0.\n");
  stats::WordCounts counts(order + 1);
  for (const FastaRecord& record : records) counts.addSequence(record.letters, bothStrands);
  if (counts.total(1) == 0) throw FatalError("Error: the sequences hold no A, C, G or T to count.\n");
  return stats::buildModel(counts, pseudoCount);
}

MarkovModel readMarkovModelFile(const std::string& path) {
  const FilePtr file = openInput(path);
  return readMarkovModel(file.get(), path);
}
