// Tempo, positional surplus, threats and material imbalances. Scores nothing yet.
#include "eval/terms.h"

int synergy_term(const Position&, EvalInfo&) { return 0; }
