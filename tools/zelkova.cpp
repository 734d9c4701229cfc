// zelkova: finds DNA sequence motifs that recur in a set of sequences more
// often than a Markov background predicts.
#include "cli/zelkova_command.h"

int main(int argc, char** argv) { return runZelkova(argc, argv); }
