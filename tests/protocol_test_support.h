// In-process protocol exchanges for the protocol tests: lines go straight to a command handler.
#pragma once

#include <sstream>
#include <string>

#include "board/fen.h"
#include "frontend/dispatch.h"
#include "frontend/game.h"
#include "frontend/output.h"

using CommandHandler = void (*)(const char* command, const char* args);

// What `speak` wrote to the output buffer, which it leaves empty.
template <class Speak>
std::string said(Speak speak) {
    output_buffer.fill = 0;
    speak();
    std::string text(output_buffer.data, size_t(output_buffer.fill));
    output_buffer.fill = 0;
    return text;
}

// Hands each line to `handler`; returns what it answered.
inline std::string answer_with(CommandHandler handler, const std::string& lines) {
    return said([&] {
        std::istringstream in(lines);
        for (std::string line; std::getline(in, line);) {
            char *command, *args;
            split_line(line.data(), &command, &args);
            handler(command, args);
        }
    });
}

inline std::string game_fen() {
    char fen[128];
    write_fen(fen, game_position);
    return fen;
}
