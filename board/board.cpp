#include "board/board.h"

#include <cstring>

#include "board/bitmasks.h"
#include "board/hashcode.h"
#ifdef ORVEX_CHECK_POSITION
#include "board/consistency.h"
#endif

ChessBoard MainBoard;

namespace {
using namespace BitMasks;

// Key-table rows of the pieces the pawn key covers.
constexpr int KeyWhitePawn = 0, KeyWhiteKing = 5, KeyBlackPawn = 6, KeyBlackKing = 11;

inline uint32_t PawnKey(int piece, uint64_t square)
{
    return static_cast<uint32_t>(LPStable[piece][RightMostBit(square) - 1]);
}

// Piece letter of a promotion char; 0 for anything that is not one of the eight letters.
inline char PromotionLetter(char promote)
{
    switch (promote) {
    case 'Q': case 'q': return 'q';
    case 'R': case 'r': return 'r';
    case 'B': case 'b': return 'b';
    case 'N': case 'n': return 'n';
    default: return 0;
    }
}

// What a pawn of the side becomes on its last rank: a bishop, knight or rook for those letters, otherwise
// a queen, the generator's choice.
inline PromotionCode PromotionType(int side, char promote)
{
    switch (PromotionLetter(promote)) {
    case 'b': return side == 0 ? PromoteWhiteBishop : PromoteBlackBishop;
    case 'n': return side == 0 ? PromoteWhiteKnight : PromoteBlackKnight;
    case 'r': return side == 0 ? PromoteWhiteRook : PromoteBlackRook;
    default: return side == 0 ? PromoteWhiteQueen : PromoteBlackQueen;
    }
}

// The PieceCounts index of the piece a promotion code makes.
inline int CountIndexOf(PromotionCode type)
{
    switch (type) {
    case PromoteWhiteKnight: case PromoteBlackKnight: return CountKnights;
    case PromoteWhiteBishop: case PromoteBlackBishop: return CountBishops;
    case PromoteWhiteRook: case PromoteBlackRook: return CountRooks;
    default: return CountQueens;
    }
}
} // namespace

void ChessBoard::InitRep()
{
    MaxDepth = 56;
    MainStatus.SetLineMasks();
    WhitePawns = Rank2;
    WhiteBishops = C1 | F1;
    WhiteKnights = B1 | G1;
    WhiteRooks = A1 | H1;
    WhiteQueens = D1;
    WhiteKing = E1;
    BlackPawns = Rank7;
    BlackBishops = C8 | F8;
    BlackKnights = B8 | G8;
    BlackRooks = A8 | H8;
    BlackQueens = D8;
    BlackKing = E8;
    WhitePieces = WhitePawns | WhiteBishops | WhiteKnights | WhiteRooks | WhiteQueens | WhiteKing;
    BlackPieces = BlackPawns | BlackBishops | BlackKnights | BlackRooks | BlackQueens | BlackKing;
    AllPieces = WhitePieces | BlackPieces;
    Castling = 15;
    ToMove = 0;
    LastMoveFrom = LastMoveTo = 0;
}

void ChessBoard::ClearField()
{
    Castling = 0;
    WhitePawns = WhiteBishops = WhiteKnights = WhiteRooks = WhiteQueens = WhiteKing = 0;
    BlackPawns = BlackBishops = BlackKnights = BlackRooks = BlackQueens = BlackKing = 0;
    WhitePieces = BlackPieces = AllPieces = 0;
    LastMoveFrom = LastMoveTo = 0;
    WhitePieceCount = BlackPieceCount = 0;
    for (int side = 0; side < 2; side++)
        for (int i = 0; i < SavedCountOffset; i++) PieceCounts[side][i] = 0;
}

void ChessBoard::InitPieceCounts()
{
    const uint64_t boards[2][5] = {
        {WhiteQueens, WhiteRooks, WhiteBishops, WhiteKnights, WhitePawns},
        {BlackQueens, BlackRooks, BlackBishops, BlackKnights, BlackPawns},
    };
    for (int side = 0; side < 2; side++)
        for (int i = 0; i < SavedCountOffset; i++) PieceCounts[side][i] = SimpleBitCount(boards[side][i]);
    // The totals are kept current too, so a freshly set-up board never reads stale totals.
    WhitePieceCount = PieceCounts[0][0] + PieceCounts[0][1] + PieceCounts[0][2] + PieceCounts[0][3] + PieceCounts[0][4];
    BlackPieceCount = PieceCounts[1][0] + PieceCounts[1][1] + PieceCounts[1][2] + PieceCounts[1][3] + PieceCounts[1][4];
}

void ChessBoard::MakeMove(uint64_t from, uint64_t to, char promote, char* castleMask)
{
#ifdef ORVEX_CHECK_POSITION
    const PositionCheck check(*this, "MakeMove", to);
#endif
    // The twelve piece boards and the three occupancies are contiguous from WhitePieces; the undo copy
    // keeps the piece boards first, then the occupancies.
    std::memcpy(SavedPieces, &WhitePawns, 12 * sizeof(uint64_t));
    SavedPieces[12] = WhitePieces;
    SavedPieces[13] = BlackPieces;
    SavedPieces[14] = AllPieces;
    SavedPawnHashCode = PawnHashCode;
    SavedCastling = Castling;
    SavedFiftyMoveCount = FiftyMoveCount;
    SavedLastMoveFrom = LastMoveFrom;
    SavedLastMoveTo = LastMoveTo;
    SavedPieceCount[0] = WhitePieceCount;
    SavedPieceCount[1] = BlackPieceCount;
    for (int side = 0; side < 2; side++)
        for (int i = 0; i < SavedCountOffset; i++) PieceCounts[side][i + SavedCountOffset] = PieceCounts[side][i];

    const uint64_t prevFrom = LastMoveFrom, prevTo = LastMoveTo;
    const uint64_t blackBefore = BlackPieces, whiteBefore = WhitePieces;
    LastMoveFrom = from;
    LastMoveTo = to;
    uint8_t mask = 15;
    FiftyMoveCount++;

    if (to & WhitePieces) {
        if (to & WhitePawns) { WhitePawns ^= to; PieceCounts[0][CountPawns]--; PawnHashCode ^= PawnKey(KeyWhitePawn, to); }
        else if (to & WhiteKnights) { WhiteKnights ^= to; PieceCounts[0][CountKnights]--; }
        else if (to & WhiteBishops) { WhiteBishops ^= to; PieceCounts[0][CountBishops]--; }
        else if (to & WhiteRooks) {
            WhiteRooks ^= to;
            PieceCounts[0][CountRooks]--;
            // A rook taken on its corner takes its side's castling right with it.
            if (to == H1) mask &= 14;
            else if (to == A1) mask &= 13;
        }
        else if (to & WhiteQueens) { WhiteQueens ^= to; PieceCounts[0][CountQueens]--; }
        WhitePieces &= ~to;
        FiftyMoveCount = 0;
    }
    if (to & BlackPieces) {
        if (to & BlackPawns) { BlackPawns ^= to; PieceCounts[1][CountPawns]--; PawnHashCode ^= PawnKey(KeyBlackPawn, to); }
        else if (to & BlackKnights) { BlackKnights ^= to; PieceCounts[1][CountKnights]--; }
        else if (to & BlackBishops) { BlackBishops ^= to; PieceCounts[1][CountBishops]--; }
        else if (to & BlackRooks) {
            BlackRooks ^= to;
            PieceCounts[1][CountRooks]--;
            if (to == H8) mask &= 11;
            else if (to == A8) mask &= 7;
        }
        else if (to & BlackQueens) { BlackQueens ^= to; PieceCounts[1][CountQueens]--; }
        BlackPieces &= ~to;
        FiftyMoveCount = 0;
    }

    const uint64_t fromTo = from | to;
    if (from & WhitePieces) {
        WhitePieces ^= fromTo;
        if (from & WhitePawns) {
            WhitePawns ^= fromTo;
            // En passant: the black pawn beside us has just made its double push.
            if ((from & Rank5) && (prevFrom & Rank7) && (prevTo & Rank5) && (prevTo & BlackPawns) && !(to & blackBefore)) {
                bool ep = (!(from & FileA) && from == (prevTo << 1) && to == (from << 7)) ||
                          (!(from & FileH) && from == (prevTo >> 1) && to == (from << 9));
                if (ep) {
                    uint64_t victim = to >> 8;
                    BlackPawns ^= victim;
                    BlackPieces ^= victim;
                    PawnHashCode ^= PawnKey(KeyBlackPawn, victim);
                    PieceCounts[1][CountPawns]--;
                }
            }
            PawnHashCode ^= PawnKey(KeyWhitePawn, from) ^ PawnKey(KeyWhitePawn, to);
            FiftyMoveCount = 0;
        }
        else if (from & WhiteBishops) WhiteBishops ^= fromTo;
        else if (from & WhiteKnights) WhiteKnights ^= fromTo;
        else if (from & WhiteRooks) {
            WhiteRooks ^= fromTo;
            if (from == H1) mask &= 14;
            else if (from == A1) mask &= 13;
        }
        else if (from & WhiteQueens) WhiteQueens ^= fromTo;
        else if (from & WhiteKing) {
            WhiteKing ^= fromTo;
            PawnHashCode ^= PawnKey(KeyWhiteKing, from) ^ PawnKey(KeyWhiteKing, to);
            mask &= 12;
            // The rook only moves if it is there, so a typed castling without one creates nothing.
            if (from == E1 && to == G1 && (WhiteRooks & H1)) WhiteRooks ^= H1 | F1;
            else if (from == E1 && to == C1 && (WhiteRooks & A1)) WhiteRooks ^= A1 | D1;
        }
    }
    else if (from & BlackPieces) {
        BlackPieces ^= fromTo;
        if (from & BlackPawns) {
            BlackPawns ^= fromTo;
            if ((from & Rank4) && (prevFrom & Rank2) && (prevTo & Rank4) && (prevTo & WhitePawns) && !(to & whiteBefore)) {
                bool ep = (!(from & FileH) && from == (prevTo >> 1) && to == (from >> 7)) ||
                          (!(from & FileA) && from == (prevTo << 1) && to == (from >> 9));
                if (ep) {
                    uint64_t victim = to << 8;
                    WhitePawns ^= victim;
                    WhitePieces ^= victim;
                    PawnHashCode ^= PawnKey(KeyWhitePawn, victim);
                    PieceCounts[0][CountPawns]--;
                }
            }
            PawnHashCode ^= PawnKey(KeyBlackPawn, from) ^ PawnKey(KeyBlackPawn, to);
            FiftyMoveCount = 0;
        }
        else if (from & BlackBishops) BlackBishops ^= fromTo;
        else if (from & BlackKnights) BlackKnights ^= fromTo;
        else if (from & BlackRooks) {
            BlackRooks ^= fromTo;
            if (from == H8) mask &= 11;
            else if (from == A8) mask &= 7;
        }
        else if (from & BlackQueens) BlackQueens ^= fromTo;
        else if (from & BlackKing) {
            BlackKing ^= fromTo;
            PawnHashCode ^= PawnKey(KeyBlackKing, from) ^ PawnKey(KeyBlackKing, to);
            mask &= 3;
            if (from == E8 && to == G8 && (BlackRooks & H8)) BlackRooks ^= H8 | F8;
            else if (from == E8 && to == C8 && (BlackRooks & A8)) BlackRooks ^= A8 | D8;
        }
    }

    // A pawn reaching the last rank without a promotion letter becomes a queen, the generator's choice,
    // so no pawn is ever left on its last rank.
    if (to & WhitePawns & Rank8) {
        PawnHashCode ^= PawnKey(KeyWhitePawn, to);
        const PromotionCode type = PromotionType(0, promote);
        Promote(0, to, type);
        PieceCounts[0][CountIndexOf(type)]++;
        PieceCounts[0][CountPawns]--;
    }
    else if (to & BlackPawns & Rank1) {
        PawnHashCode ^= PawnKey(KeyBlackPawn, to);
        const PromotionCode type = PromotionType(1, promote);
        Promote(1, to, type);
        PieceCounts[1][CountIndexOf(type)]++;
        PieceCounts[1][CountPawns]--;
    }

    WhitePieceCount = PieceCounts[0][0] + PieceCounts[0][1] + PieceCounts[0][2] + PieceCounts[0][3] + PieceCounts[0][4];
    BlackPieceCount = PieceCounts[1][0] + PieceCounts[1][1] + PieceCounts[1][2] + PieceCounts[1][3] + PieceCounts[1][4];
    WhitePieces = WhitePawns | WhiteBishops | WhiteKnights | WhiteRooks | WhiteQueens | WhiteKing;
    BlackPieces = BlackPawns | BlackBishops | BlackKnights | BlackRooks | BlackQueens | BlackKing;
    AllPieces = WhitePieces | BlackPieces;
    *castleMask = static_cast<char>(mask);
}

void ChessBoard::UndoMove(int)
{
#ifdef ORVEX_CHECK_POSITION
    const PositionCheck check(*this, "UndoMove");
#endif
    std::memcpy(&WhitePawns, SavedPieces, 12 * sizeof(uint64_t));
    WhitePieces = SavedPieces[12];
    BlackPieces = SavedPieces[13];
    AllPieces = SavedPieces[14];
    PawnHashCode = SavedPawnHashCode;
    Castling = SavedCastling;
    FiftyMoveCount = SavedFiftyMoveCount;
    LastMoveFrom = SavedLastMoveFrom;
    LastMoveTo = SavedLastMoveTo;
    WhitePieceCount = SavedPieceCount[0];
    BlackPieceCount = SavedPieceCount[1];
    for (int side = 0; side < 2; side++)
        for (int i = 0; i < SavedCountOffset; i++) PieceCounts[side][i] = PieceCounts[side][i + SavedCountOffset];
}

void ChessBoard::Promote(char side, uint64_t square, char type)
{
    if (side == 0) {
        WhitePawns ^= square;
        switch (type) {
        case PromoteWhiteKnight: WhiteKnights ^= square; break;
        case PromoteWhiteBishop: WhiteBishops ^= square; break;
        case PromoteWhiteRook: WhiteRooks ^= square; break;
        case PromoteWhiteQueen: WhiteQueens ^= square; break;
        default: break;
        }
    } else {
        BlackPawns ^= square;
        switch (type) {
        case PromoteBlackKnight: BlackKnights ^= square; break;
        case PromoteBlackBishop: BlackBishops ^= square; break;
        case PromoteBlackRook: BlackRooks ^= square; break;
        case PromoteBlackQueen: BlackQueens ^= square; break;
        default: break;
        }
    }
}

void ChessBoard::DropPawn(char side, uint64_t b)
{
    if (side == 0) {
        WhitePawns ^= b;
        WhitePieces ^= b;
    } else {
        BlackPawns ^= b;
        BlackPieces ^= b;
    }
    AllPieces ^= b;
}

bool ChessBoard::PawnOn7th(char side) const
{
    return side == 0 ? (WhitePawns & Rank7) != 0 : (BlackPawns & Rank2) != 0;
}

int ChessBoard::QuickPieceCount(char) const
{
    int n = 0;
    for (int side = 0; side < 2; side++)
        n += PieceCounts[side][CountQueens] + PieceCounts[side][CountRooks] + PieceCounts[side][CountBishops] +
             PieceCounts[side][CountKnights];
    return n;
}
