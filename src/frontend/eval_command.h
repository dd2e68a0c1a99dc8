// The "eval" command: the evaluation of the game position, term by term, from White's side.
#pragma once

void eval_command(const char* args);
