#!/usr/bin/env python3
"""Solves an EPD test suite through the UCI protocol: epd_suite.py ENGINE EPD [SECONDS [THREADS]].

Each position is searched for SECONDS (default 1) on THREADS search threads (default 1) and
counts as solved when the engine's move is one of the "bm" moves. UCI rather than XBoard,
because under XBoard the engine resigns a position it judges lost and so never names the move
it would play. A SAN move is matched on its piece, target square and promotion, which is exact
for every position of the Win at Chess suite.
"""
import subprocess
import sys

PIECE_LETTERS = "NBRQK"


def board_from_fen(placement):
    board = {}
    for row, rank_text in enumerate(placement.split("/")):
        file = 0
        for ch in rank_text:
            if ch.isdigit():
                file += int(ch)
            else:
                board["abcdefgh"[file] + str(8 - row)] = ch
                file += 1
    return board


def san_key(san):
    """(piece letter, target square, promotion) of a SAN move; castling by its king move."""
    san = san.rstrip("+#!?")
    if san.startswith("O-O"):
        return ("K", "castle-long" if san == "O-O-O" else "castle-short", "")
    promotion = ""
    if "=" in san:
        san, promotion = san.split("=")
    piece = san[0] if san[0] in PIECE_LETTERS else "P"
    return (piece, san[-2:], promotion.lower())


def move_key(board, move):
    source, target, promotion = move[:2], move[2:4], move[4:5]
    piece = board.get(source, "?").upper()
    if piece == "K" and source[0] == "e" and target[0] in "cg" and source[1] == target[1]:
        return ("K", "castle-long" if target[0] == "c" else "castle-short", "")
    return (piece, target, promotion)


def parse_epd(line):
    fields = line.split()
    fen = " ".join(fields[:4]) + " 0 1"
    ops = " ".join(fields[4:])
    best = ops.split("bm ", 1)[1].split(";", 1)[0].split()
    ident = ops.split('id "', 1)[1].split('"', 1)[0] if 'id "' in ops else "?"
    return fen, best, ident


def engine_move(engine, fen, seconds):
    for command in ("ucinewgame", "position fen " + fen, "go movetime %d" % (seconds * 1000)):
        engine.stdin.write(command + "\n")
    engine.stdin.flush()
    for line in engine.stdout:
        words = line.split()
        if len(words) >= 2 and words[0] == "bestmove":
            return words[1]
    sys.exit("the engine ended before it moved")


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    seconds = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    threads = int(sys.argv[4]) if len(sys.argv) > 4 else 1
    engine = subprocess.Popen([sys.argv[1]], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    engine.stdin.write("uci\nsetoption name Threads value %d\n" % threads)
    solved, missed = 0, []
    lines = [l for l in open(sys.argv[2]) if l.strip()]
    for line in lines:
        fen, best, ident = parse_epd(line)
        move = engine_move(engine, fen, seconds)
        if move_key(board_from_fen(fen.split()[0]), move) in {san_key(b) for b in best}:
            solved += 1
        else:
            missed.append("%s (%s, played %s)" % (ident, " ".join(best), move))
    engine.stdin.write("quit\n")
    engine.stdin.flush()
    engine.wait()
    print("missed:", ", ".join(missed) if missed else "none")
    print("solved %d of %d at %d s a position, %d thread%s" %
          (solved, len(lines), seconds, threads, "" if threads == 1 else "s"))


main()
