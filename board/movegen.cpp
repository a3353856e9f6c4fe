#include "board/movegen.h"

#include <cstdio>

#include "board/attacktables.h"
#include "board/bitmasks.h"

using namespace BitMasks;

namespace {
// The side's boards, in the record's order, and the enemy's occupancy.
struct SideBoards {
    uint64_t Pawns, Bishops, Knights, Rooks, Queens, King;
    uint64_t Enemy;
};

inline SideBoards BoardsOf(const ChessBoard& b, char side)
{
    if (side == 0)
        return {b.WhitePawns, b.WhiteBishops, b.WhiteKnights, b.WhiteRooks, b.WhiteQueens, b.WhiteKing,
                b.BlackPieces};
    return {b.BlackPawns, b.BlackBishops, b.BlackKnights, b.BlackRooks, b.BlackQueens, b.BlackKing,
            b.WhitePieces};
}

enum class Kind { Knight, Bishop, Rook, Queen };
constexpr int KnightKind = int(Kind::Knight), BishopKind = int(Kind::Bishop), RookKind = int(Kind::Rook),
              QueenKind = int(Kind::Queen);

inline uint64_t AttackSet(Kind kind, int square, uint64_t occupied)
{
    switch (kind) {
    case Kind::Knight: return Attacks::Knight(square);
    case Kind::Bishop: return Attacks::Bishop(square, occupied);
    case Kind::Rook: return Attacks::Rook(square, occupied);
    default: return Attacks::Queen(square, occupied);
    }
}

inline uint64_t PiecesOf(const SideBoards& s, Kind kind)
{
    switch (kind) {
    case Kind::Knight: return s.Knights;
    case Kind::Bishop: return s.Bishops;
    case Kind::Rook: return s.Rooks;
    default: return s.Queens;
    }
}
} // namespace

int MoveGen::AddTargets(int index, uint64_t from, uint64_t targets)
{
    for (; targets; targets &= targets - 1) index = Add(index, from, targets & (0 - targets), NoPromotion);
    return index;
}

// Pieces lowest square first, each one's targets within `wanted` lowest square first.
template <int K>
int MoveGen::PieceMoves(char side, int index, uint64_t wanted)
{
    const SideBoards s = BoardsOf(*Board, side);
    const uint64_t occupied = Board->AllPieces;
    for (uint64_t pieces = PiecesOf(s, Kind(K)); pieces; pieces &= pieces - 1) {
        const uint64_t piece = pieces & (0 - pieces);
        // The square of the set rather than of its lowest bit: a set the loop knows is not empty spares
        // SquareOf's empty-set test.
        index = AddTargets(index, piece, AttackSet(Kind(K), SquareOf(pieces), occupied) & wanted);
    }
    return index;
}

uint64_t MoveGen::EnemyOf(char side) const
{
    return side == 0 ? Board->BlackPieces : Board->WhitePieces;
}

uint64_t MoveGen::OwnOf(char side) const
{
    return side == 0 ? Board->WhitePieces : Board->BlackPieces;
}

int MoveGen::GenKnightCaptures(char side, int index) { return PieceMoves<KnightKind>(side, index, EnemyOf(side)); }
int MoveGen::GenBishopCaptures(char side, int index) { return PieceMoves<BishopKind>(side, index, EnemyOf(side)); }
int MoveGen::GenRookCaptures(char side, int index) { return PieceMoves<RookKind>(side, index, EnemyOf(side)); }
int MoveGen::GenQueenCaptures(char side, int index) { return PieceMoves<QueenKind>(side, index, EnemyOf(side)); }
int MoveGen::GenKnights(char side, int index) { return PieceMoves<KnightKind>(side, index, ~Board->AllPieces); }
int MoveGen::GenBishops(char side, int index) { return PieceMoves<BishopKind>(side, index, ~Board->AllPieces); }
int MoveGen::GenRooks(char side, int index) { return PieceMoves<RookKind>(side, index, ~Board->AllPieces); }
int MoveGen::GenQueens(char side, int index) { return PieceMoves<QueenKind>(side, index, ~Board->AllPieces); }

// Within the check mask, every square but the own pieces': the empty squares of the checking line
// and the checker's square. Pins are left to the consumer's legality test.
int MoveGen::GenKnightEvasions(char side, uint64_t mask, int index)
{
    return PieceMoves<KnightKind>(side, index, mask & ~OwnOf(side));
}

int MoveGen::GenBishopEvasions(char side, uint64_t mask, int index)
{
    return PieceMoves<BishopKind>(side, index, mask & ~OwnOf(side));
}

int MoveGen::GenRookEvasions(char side, uint64_t mask, int index)
{
    return PieceMoves<RookKind>(side, index, mask & ~OwnOf(side));
}

int MoveGen::GenQueenEvasions(char side, uint64_t mask, int index)
{
    return PieceMoves<QueenKind>(side, index, mask & ~OwnOf(side));
}

int MoveGen::KingMoves(char side, int index, bool captures)
{
    const SideBoards s = BoardsOf(*Board, side);
    uint64_t kings = s.King;
    if (!kings) {
        printf("Major Error: There is No king of a given color\n");
        return index;
    }
    const uint64_t wanted = captures ? s.Enemy : ~Board->AllPieces;
    for (;;) {
        const uint64_t king = kings & (0 - kings);
        index = AddTargets(index, king, Attacks::King(SquareOf(kings)) & wanted);
        kings &= kings - 1;
        if (!kings) break;
        printf("Major Error: There is more than one king of a given color\n");
    }
    return index;
}

int MoveGen::GenKingCaptures(char side, int index)
{
    return KingMoves(side, index, true);
}

int MoveGen::GenKings(char side, int index)
{
    return KingMoves(side, index, false);
}

int MoveGen::GenCastle(char side, int index, char rights)
{
    const ChessBoard& b = *Board;
    // The rights alone vouch for the unmoved king; only the squares, the rook and the attacks are tested.
    auto castle = [&](uint64_t king, uint64_t target, uint64_t between, uint64_t rook, uint64_t rooks,
                      uint64_t safe1, uint64_t safe2) {
        if (b.AllPieces & between) return;
        if (!(rooks & rook)) return;
        if (b.IsAttacked(king, side) || b.IsAttacked(safe1, side) || b.IsAttacked(safe2, side)) return;
        int at = index;
        index = Add(index, king, target, NoPromotion);
        if (index > at) OrderValue[at] = 800;
    };
    if (side == 0) {
        if (rights & CastleWK) castle(E1, G1, F1 | G1, H1, b.WhiteRooks, F1, G1);
        if (rights & CastleWQ) castle(E1, C1, B1 | C1 | D1, A1, b.WhiteRooks, D1, C1);
    } else {
        if (rights & CastleBK) castle(E8, G8, F8 | G8, H8, b.BlackRooks, F8, G8);
        if (rights & CastleBQ) castle(E8, C8, B8 | C8 | D8, A8, b.BlackRooks, D8, C8);
    }
    return index;
}

int MoveGen::GenPawns(char side, int index)
{
    const ChessBoard& b = *Board;
    const uint64_t empty = ~b.AllPieces;
    const uint64_t lastFrom = b.LastMoveFrom, lastTo = b.LastMoveTo;
    if (side == 0) {
        // En passant needs a black pawn that has just made its double push.
        const bool epRight = (lastTo & b.BlackPawns & Rank5) && (lastFrom & Rank7);
        for (uint64_t pawns = b.WhitePawns; pawns; pawns &= pawns - 1) {
            const uint64_t p = pawns & (0 - pawns);
            const uint64_t ahead = p << 8;
            if ((p & Rank2) && (ahead & empty) && ((p << 16) & empty)) index = Add(index, p, p << 16, NoPromotion);
            if (ahead & empty) index = Add(index, p, ahead, (ahead & Rank8) ? 'Q' : NoPromotion);
            if (!(p & FileA) && ((p << 7) & b.BlackPieces))
                index = Add(index, p, p << 7, ((p << 7) & Rank8) ? 'Q' : NoPromotion);
            if (!(p & FileH) && ((p << 9) & b.BlackPieces))
                index = Add(index, p, p << 9, ((p << 9) & Rank8) ? 'Q' : NoPromotion);
            if (epRight && (p & Rank5)) {
                if (!(lastFrom & FileA) && p == (lastTo >> 1)) index = Add(index, p, lastTo << 8, NoPromotion);
                if (!(lastFrom & FileH) && p == (lastTo << 1)) index = Add(index, p, lastTo << 8, NoPromotion);
            }
        }
        return index;
    }
    const bool epRight = (lastTo & b.WhitePawns & Rank4) && (lastFrom & Rank2);
    for (uint64_t pawns = b.BlackPawns; pawns; pawns &= pawns - 1) {
        const uint64_t p = pawns & (0 - pawns);
        const uint64_t ahead = p >> 8;
        if ((p & Rank7) && (ahead & empty) && ((p >> 16) & empty)) index = Add(index, p, p >> 16, NoPromotion);
        if (ahead & empty) index = Add(index, p, ahead, (ahead & Rank1) ? 'q' : NoPromotion);
        if (!(p & FileH) && ((p >> 7) & b.WhitePieces))
            index = Add(index, p, p >> 7, ((p >> 7) & Rank1) ? 'q' : NoPromotion);
        if (!(p & FileA) && ((p >> 9) & b.WhitePieces))
            index = Add(index, p, p >> 9, ((p >> 9) & Rank1) ? 'q' : NoPromotion);
        if (epRight && (p & Rank4)) {
            if (!(lastFrom & FileA) && p == (lastTo >> 1)) index = Add(index, p, lastTo >> 8, NoPromotion);
            if (!(lastFrom & FileH) && p == (lastTo << 1)) index = Add(index, p, lastTo >> 8, NoPromotion);
        }
    }
    return index;
}

int MoveGen::GenPawnCaptures(char side, int index)
{
    const ChessBoard& b = *Board;
    // Set-wise: all captures towards file h, then all towards file a, each by target square.
    if (side == 0) {
        for (uint64_t t = ((b.WhitePawns & ~FileH) << 9) & b.BlackPieces; t; t &= t - 1)
            index = Add(index, (t & (0 - t)) >> 9, t & (0 - t), NoPromotion);
        for (uint64_t t = ((b.WhitePawns & ~FileA) << 7) & b.BlackPieces; t; t &= t - 1)
            index = Add(index, (t & (0 - t)) >> 7, t & (0 - t), NoPromotion);
    } else {
        for (uint64_t t = ((b.BlackPawns & ~FileH) >> 7) & b.WhitePieces; t; t &= t - 1)
            index = Add(index, (t & (0 - t)) << 7, t & (0 - t), NoPromotion);
        for (uint64_t t = ((b.BlackPawns & ~FileA) >> 9) & b.WhitePieces; t; t &= t - 1)
            index = Add(index, (t & (0 - t)) << 9, t & (0 - t), NoPromotion);
    }
    return index;
}

int MoveGen::GenEnPassant(char, int index)
{
    return index;
}

int MoveGen::GenNonCaptures(char)
{
    return 0;
}

int MoveGen::GenChecks(char)
{
    return 0;
}

int MoveGen::GenerateMoves(char)
{
    return 0;
}

int MoveGen::GenerateAllMoves(char side, ChessBoard* board, char rights)
{
    Board = board;
    RunCount = 0;
    // The piece captures first, as GenCaptures lists them.
    int n = EndRun(GenKnightCaptures(side, 0), RunKnight);
    n = EndRun(GenBishopCaptures(side, n), RunBishop);
    n = EndRun(GenRookCaptures(side, n), RunRook);
    n = EndRun(GenQueenCaptures(side, n), RunQueen);
    n = EndRun(GenKingCaptures(side, n), RunKing);
    n = EndRun(GenKnights(side, n), RunKnight);
    n = EndRun(GenBishops(side, n), RunBishop);
    n = EndRun(GenRooks(side, n), RunRook);
    n = EndRun(GenQueens(side, n), RunQueen);
    n = EndRun(GenKings(side, GenCastle(side, n, rights)), RunKing);
    n = EndRun(GenPawns(side, n), RunPawn);
    RunSide = side;
    RunTotal = static_cast<int16_t>(n);
    NumMoves = n;
    return n;
}

int MoveGen::GenerateQuiesceMoves(char side, ChessBoard* board)
{
    Board = board;
    RunCount = 0;
    int n = EndRun(GenQueenCaptures(side, 0), RunQueen);
    n = EndRun(GenRookCaptures(side, n), RunRook);
    n = EndRun(GenKnightCaptures(side, n), RunKnight);
    n = EndRun(GenBishopCaptures(side, n), RunBishop);
    n = EndRun(GenPawns(side, n), RunPawn);
    n = EndRun(GenKingCaptures(side, n), RunKing);
    RunSide = side;
    RunTotal = static_cast<int16_t>(n);
    return n;
}

int MoveGen::GenCaptures(char side, ChessBoard* board)
{
    Board = board;
    RunCount = 0;
    int n = GenKnightCaptures(side, 0);
    n = GenBishopCaptures(side, n);
    n = GenRookCaptures(side, n);
    n = GenQueenCaptures(side, n);
    n = GenKingCaptures(side, n);
    NumMoves = n;
    return n;
}

// A generated move (same promotion char) of `side` that leaves its own king safe.
bool IsLegalMove(ChessBoard board, char side, uint64_t from, uint64_t to, char promo)
{
    MoveGen list;
    const int n = list.GenerateAllMoves(side, &board, static_cast<char>(board.Castling));
    for (int i = 0; i < n; i++) {
        if (list.From[i] != from || list.To[i] != to || list.Promote[i] != promo) continue;
        char mask;
        board.MakeMove(from, to, promo, &mask);
        const bool legal = !board.InCheck((side == 0 ? board.WhiteKing : board.BlackKing), side);
        board.UndoMove(0);
        return legal;
    }
    return false;
}

// The first legal move of the position in generation order; false when there is none.
bool FirstLegalMove(ChessBoard board, char side, uint64_t* from, uint64_t* to, char* promo)
{
    MoveGen list;
    const int n = list.GenerateAllMoves(side, &board, static_cast<char>(board.Castling));
    for (int i = 0; i < n; i++) {
        char mask;
        board.MakeMove(list.From[i], list.To[i], list.Promote[i], &mask);
        const bool legal = !board.InCheck((side == 0 ? board.WhiteKing : board.BlackKing), side);
        board.UndoMove(0);
        if (legal) {
            *from = list.From[i];
            *to = list.To[i];
            *promo = list.Promote[i];
            return true;
        }
    }
    return false;
}
