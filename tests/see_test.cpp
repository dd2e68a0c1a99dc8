// Static exchange evaluation: classic exchanges, x-rays, the order of attackers, and bounds that
// every exchange must respect.
#include "common/pieces.h"
#include "tactics_positions.h"

namespace {

class Exchange : public BoardTest {};

TEST_F(Exchange, KnownExchanges) {
    struct Case { const char* fen; const char* move; int value; };
    const Case cases[] = {
        // Knight for pawn; a queen lost for a defended pawn; an undefended piece; Black alike.
        {"4k3/8/4p3/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5", 300},
        {"4k3/8/4p3/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", -1200},
        {"4k3/8/8/3r4/8/8/8/3QK3 w - - 0 1", "d1d5", 600},
        {"4k3/8/8/3p4/4N3/5P2/8/4K3 b - - 0 1", "d5e4", 300},
        // Pieces behind the capturer join in: a rook battery, a bishop behind a pawn.
        {"3r2k1/8/8/3n4/8/8/3R4/3RK3 w - - 0 1", "d2d5", 400},
        {"3r2k1/8/8/3n4/8/8/3R4/4K3 w - - 0 1", "d2d5", -200},
        {"3qk3/8/8/3n4/4P3/5B2/8/4K3 w - - 0 1", "e4d5", 400},
        {"3qk3/8/8/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5", 300},
        // A rook behind a pushed pawn defends the square it goes to.
        {"4k3/8/8/3p4/8/4P3/8/4RK2 w - - 0 1", "e3e4", 0},
        {"4k3/8/8/3p4/8/4P3/8/5K2 w - - 0 1", "e3e4", -100},
        {"4k3/8/8/3p4/8/8/4P3/4RK2 w - - 0 1", "e2e4", 0},
        // En passant wins the pawn.
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5d6", 100},
        {"4k3/2p5/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5d6", 0},
        // Black answers Nxd5 with the pawn, keeping the queen for last: White loses the
        // knight for a pawn. The king recaptures only where nothing can take it back.
        {"3qk3/8/4p3/3p4/8/2N2B2/8/4K3 w - - 0 1", "c3d5", -300},
        {"8/8/4k3/3p4/8/8/3R4/3QK3 w - - 0 1", "d2d5", 100},
        {"8/8/4k3/3p4/8/8/3R4/4K3 w - - 0 1", "d2d5", -500},
    };
    for (const Case& c : cases) {
        Position p = position_from_fen(c.fen);
        EXPECT_EQ(see_move(p, coord_move(p, c.move)), c.value) << c.fen << " " << c.move;
    }
}

TEST_F(Exchange, SquareExchangeStartsWithTheCheapestAttacker) {
    Position p = position_from_fen("4k3/8/4p3/3n4/4P3/8/8/3QK3 w - - 0 1");
    const Square d5 = sq("d5");
    const Bitboard all = all_attackers(p, d5);
    // exd5 exd5 Qxd5 nets the knight; opening with the queen would lose it to the e6 pawn,
    // which is what the set without e4 leaves.
    EXPECT_EQ(see_square(p, d5, WHITE, all), 400);
    EXPECT_EQ(see_square(p, d5, WHITE, all & ~square_bit(sq("e4"))), -900);
    EXPECT_EQ(see_square(p, sq("e4"), BLACK, all_attackers(p, sq("e4"))), 0);  // no attacker
    EXPECT_EQ(see_square(p, d5, WHITE, 0), 0);
}

// The side making a move can stop after it, and the opponent after its reply, so the value lies
// between "gain the target, lose the mover" and "gain the target"; the quick loss test agrees
// with the full value's sign, also when told the opponent's reach. The square exchange opens with the cheapest attacker, so it
// equals the move exchange of a capture by the unique cheapest attacker.
TEST_F(Exchange, BoundsAndAgreementOverManyPositions) {
    int captures = 0, compared = 0;
    for_each_corpus_position([&](Position& p) {
        const Bitboard their_reach = attacked_squares(p, p.turn ^ 1);
        for (Move m : pseudo_legal_moves(p)) {
            const int target = is_en_passant(m) ? 100 : piece_value_abs[move_captured(m)];
            const int mover = piece_value_abs[move_piece(m)];
            const int v = see_move(p, m);
            EXPECT_EQ(see_loses(p, m), v < 0) << std::hex << m;
            EXPECT_EQ(see_loses(p, m, their_reach), v < 0) << std::hex << m;
            EXPECT_LE(v, target) << std::hex << m;
            EXPECT_GE(v, target - mover) << std::hex << m;
            if (move_captured(m) == EMPTY) continue;
            ++captures;
            Bitboard ours = attackers(p, move_to(m), p.turn);
            int cheapest = 1 << 30, how_many = 0;
            for (Bitboard b = ours; b;) {
                int value = piece_value_abs[p.board[pop_lowest(b)]];
                if (value < cheapest) cheapest = value, how_many = 0;
                how_many += value == cheapest;
            }
            if (how_many == 1 && mover == cheapest) {
                ++compared;
                EXPECT_EQ(see_square(p, move_to(m), p.turn, all_attackers(p, move_to(m))), v)
                    << std::hex << m;
            }
        }
    });
    EXPECT_GT(captures, 1000);
    EXPECT_GT(compared, 500);
}

// The picker scores a king's evasions without the exchange: a legal king step never loses.
TEST_F(Exchange, LegalKingStepsNeverLose) {
    int steps = 0;
    for_each_corpus_position([&](Position& p) {
        if (!in_check(p)) return;
        for (Move m : evasions(p)) {
            if (type_of(move_piece(m)) != KING) continue;
            ++steps;
            EXPECT_GE(see_move(p, m), 0) << std::hex << m;
        }
    });
    EXPECT_GT(steps, 100);
}

}  // namespace
