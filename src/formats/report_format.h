// The layout of a report, known in one place: the labels of its lines, which
// the writer prints and the reader expects, and the form of a site line.
#pragma once

#include <string>

namespace formats {

constexpr const char* kDate = "Current local time and date: ";
constexpr const char* kTitle = "ZELKOVA clustering parameters";
constexpr const char* kParametersRule = "#####################";  // 21 '#'
constexpr const char* kThreshold = "Kmers matching threshold:";
constexpr const char* kInitMethod = "Clusters initialization method:";
constexpr const char* kForwardOnly = "Forward strand only:";
constexpr const char* kMismatches = "Mismatches allowed:";
constexpr const char* kComplexityThreshold = "Complexity threshold:";
constexpr const char* kSeedSequences = "Number of seed sequences: ";
constexpr const char* kSequences = "Number of sequences:";
constexpr const char* kTotalLength = "Total sequences length:";
constexpr const char* kAverageLength = "Average sequences length:";
constexpr const char* kCommandLine = "Command line options: ";

constexpr const char* kRank = "Motif rank #";
constexpr const char* kScore = "Motif Score: ";
constexpr const char* kComplexity = "Complexity: ";
constexpr const char* kEntropy = "Relative Entropy: ";
constexpr const char* kBits = " bits";
constexpr const char* kSites = "No. of sites:";
constexpr const char* kConsensus = "Con : ";
constexpr const char* kDegenerate = "  Deg. Con: ";
constexpr const char* kReverse = "rCon: ";
constexpr const char* kMatrixTitle = "Position Count Matrix";
constexpr const char* kMotifEnd = "################################";  // 32 '#'

// Appends ">name\tword\tstrand\tposition\tscore\n": strand 1 forward, 0
// reverse; position 1-based; the score with four decimals.
void appendSiteLine(std::string& line, const std::string& name, const char* word, bool forward, long long position,
                    double score);

}  // namespace formats
