// Knights and bishops: placement, mobility, outposts, bishop pair. Scores nothing yet.
#include "eval/terms.h"

int minor_term(const Position&, EvalInfo&) { return 0; }
