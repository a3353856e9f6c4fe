#include "board/legality.h"

#include "board/movegen.h"

using namespace BitMasks;

bool KingSafety::SafeAfterMaking(uint64_t from, uint64_t to, char promote) const
{
    ChessBoard copy = Board;
    char mask;
    copy.MakeMove(from, to, promote, &mask);
    return !copy.InCheck(Side == 0 ? copy.WhiteKing : copy.BlackKing, Side);
}

namespace {
// The moves from one square to each target, tested one by one; a pawn reaching lastRank carries the
// generator's queen letter.
inline int EachLegal(const KingSafety& safety, uint64_t from, uint64_t targets, uint64_t lastRank = 0,
                     char queen = NoPromotion)
{
    int n = 0;
    for (; targets; targets &= targets - 1) {
        const uint64_t to = targets & (0 - targets);
        n += safety.IsLegal(from, to, (to & lastRank) ? queen : NoPromotion);
    }
    return n;
}

// Mirrors GenerateAllMoves square set by square set, for a side not in check with one king. A piece
// that is not pinned may make every move it has, so those are only counted; the king's moves, the
// pinned pieces' moves, castling and en passant are tested one at a time.
template <int Side>
int CountWithoutList(const ChessBoard& b, char rights, const KingSafety& safety)
{
    constexpr bool White = Side == 0;
    const uint64_t occupied = b.AllPieces;
    const uint64_t empty = ~occupied;
    const uint64_t enemy = White ? b.BlackPieces : b.WhitePieces;
    // The capture generators aim at enemy pieces, the others at empty squares.
    const uint64_t wanted = enemy | empty;
    const uint64_t pinned = safety.PinnedPieces();
    int n = 0;

    auto pieces = [&](uint64_t set, auto attacks) {
        for (; set; set &= set - 1) {
            const uint64_t piece = set & (0 - set);
            const uint64_t targets = attacks(SquareOf(set)) & wanted;
            n += (piece & pinned) ? EachLegal(safety, piece, targets) : __builtin_popcountll(targets);
        }
    };
    pieces(White ? b.WhiteKnights : b.BlackKnights, [](int sq) { return Attacks::Knight(sq); });
    pieces(White ? b.WhiteBishops : b.BlackBishops, [&](int sq) { return Attacks::Bishop(sq, occupied); });
    pieces(White ? b.WhiteRooks : b.BlackRooks, [&](int sq) { return Attacks::Rook(sq, occupied); });
    pieces(White ? b.WhiteQueens : b.BlackQueens, [&](int sq) { return Attacks::Queen(sq, occupied); });

    const uint64_t king = White ? b.WhiteKing : b.BlackKing;
    n += EachLegal(safety, king, Attacks::King(SquareOf(king)) & wanted);

    // GenCastle's tests, in its terms.
    auto castle = [&](uint64_t from, uint64_t to, uint64_t between, uint64_t rook, uint64_t rooks, uint64_t safe1,
                      uint64_t safe2) {
        if (occupied & between) return;
        if (!(rooks & rook)) return;
        if (b.IsAttacked(from, Side) || b.IsAttacked(safe1, Side) || b.IsAttacked(safe2, Side)) return;
        n += safety.IsLegal(from, to, NoPromotion);
    };
    if constexpr (White) {
        if (rights & CastleWK) castle(E1, G1, F1 | G1, H1, b.WhiteRooks, F1, G1);
        if (rights & CastleWQ) castle(E1, C1, B1 | C1 | D1, A1, b.WhiteRooks, D1, C1);
    } else {
        if (rights & CastleBK) castle(E8, G8, F8 | G8, H8, b.BlackRooks, F8, G8);
        if (rights & CastleBQ) castle(E8, C8, B8 | C8 | D8, A8, b.BlackRooks, D8, C8);
    }

    // Pawns: one step onto an empty square (a queen on the last rank), two from the home rank through
    // an empty one, a capture of an enemy piece each way.
    constexpr uint64_t LastRank = White ? Rank8 : Rank1, PassedRank = White ? Rank3 : Rank6;
    constexpr char Queen = White ? 'Q' : 'q';
    auto step = [](uint64_t p) { return White ? p << 8 : p >> 8; };
    auto toFileA = [](uint64_t p) { return White ? (p & ~FileA) << 7 : (p & ~FileA) >> 9; };
    auto toFileH = [](uint64_t p) { return White ? (p & ~FileH) << 9 : (p & ~FileH) >> 7; };
    const uint64_t pawns = White ? b.WhitePawns : b.BlackPawns;
    const uint64_t free = pawns & ~pinned;
    const uint64_t single = step(free) & empty;
    const uint64_t twice = step(single & PassedRank) & empty;
    n += __builtin_popcountll(single) + __builtin_popcountll(twice) + __builtin_popcountll(toFileA(free) & enemy) +
         __builtin_popcountll(toFileH(free) & enemy);
    for (uint64_t set = pawns & pinned; set; set &= set - 1) {
        const uint64_t p = set & (0 - set);
        const uint64_t one = step(p) & empty;
        n += EachLegal(safety, p, one | (step(one & PassedRank) & empty), LastRank, Queen);
        n += EachLegal(safety, p, toFileA(p) & enemy, LastRank, Queen);
        n += EachLegal(safety, p, toFileH(p) & enemy, LastRank, Queen);
    }

    // En passant, with GenPawns' conditions on the last move.
    constexpr uint64_t PassingRank = White ? Rank5 : Rank4, EnemyHome = White ? Rank7 : Rank2;
    const uint64_t lastFrom = b.LastMoveFrom, lastTo = b.LastMoveTo;
    if ((lastTo & (White ? b.BlackPawns : b.WhitePawns) & PassingRank) && (lastFrom & EnemyHome)) {
        const uint64_t target = step(lastTo);
        for (uint64_t set = pawns & PassingRank; set; set &= set - 1) {
            const uint64_t p = set & (0 - set);
            if (!(lastFrom & FileA) && p == (lastTo >> 1)) n += safety.IsLegal(p, target, NoPromotion);
            if (!(lastFrom & FileH) && p == (lastTo << 1)) n += safety.IsLegal(p, target, NoPromotion);
        }
    }
    return n;
}
} // namespace

int CountLegalMoves(ChessBoard& board, char side, char rights, bool inCheck)
{
    const KingSafety safety(board, side, inCheck);
    if (!inCheck && safety.HasOneKing())
        return side == 0 ? CountWithoutList<0>(board, rights, safety) : CountWithoutList<1>(board, rights, safety);
    MoveGen list;
    const int n = inCheck ? list.GenCheckEvasions(side, &board) : list.GenerateAllMoves(side, &board, rights);
    int legal = 0;
    for (int i = 0; i < n; i++) legal += safety.IsLegal(list.From[i], list.To[i], list.Promote[i]);
    return legal;
}
