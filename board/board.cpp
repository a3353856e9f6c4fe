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

// Keeps the piece-square key in step with a piece board that `squares` was XORed into: each square flips
// its entry, so the key stays the XOR over the boards whatever they held.
inline void ToggleKey(ChessBoard& b, int row, uint64_t squares)
{
    for (; squares; squares &= squares - 1) {
        const int square = SquareOf(squares);
        b.PieceKeyUpper ^= UPStable[row][square];
        b.PieceKeyLower ^= LPStable[row][square];
    }
}

inline uint32_t PawnKey(int piece, uint64_t square)
{
    return static_cast<uint32_t>(LPStable[piece][SquareOf(square)]);
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
// The boards of one side, so that moving and capturing are written once for both colours.
struct SideBoards {
    uint64_t& Pieces;
    uint64_t& Pawns;
    uint64_t& Bishops;
    uint64_t& Knights;
    uint64_t& Rooks;
    uint64_t& Queens;
    uint64_t& King;
    int32_t* Counts;
};

template <int Side>
SideBoards BoardsOf(ChessBoard& b)
{
    if constexpr (Side == 0)
        return {b.WhitePieces, b.WhitePawns, b.WhiteBishops, b.WhiteKnights, b.WhiteRooks, b.WhiteQueens, b.WhiteKing,
                b.PieceCounts[0]};
    else
        return {b.BlackPieces, b.BlackPawns, b.BlackBishops, b.BlackKnights, b.BlackRooks, b.BlackQueens, b.BlackKing,
                b.PieceCounts[1]};
}

// The squares `steps` ranks-and-files further on, as a shift by a signed amount.
template <int Steps>
constexpr uint64_t Shifted(uint64_t b)
{
    if constexpr (Steps > 0) return b << Steps;
    else return b >> -Steps;
}

// Removes a piece of `Side` that stands on `to`; a capture resets the half-move clock. A rook taken on
// its corner takes its side's castling right with it, out of `mask`.
template <int Side>
inline void RemoveCaptured(ChessBoard& b, uint64_t to, uint8_t& mask)
{
    SideBoards s = BoardsOf<Side>(b);
    constexpr int Row = FirstKeyRow(Side);
    if (!(to & s.Pieces)) return;
    if (to & s.Pawns) {
        s.Pawns ^= to;
        s.Counts[CountPawns]--;
        b.PawnHashCode ^= PawnKey(Side == 0 ? KeyWhitePawn : KeyBlackPawn, to);
        ToggleKey(b, Row + KeyPawn, to);
    } else if (to & s.Knights) {
        s.Knights ^= to;
        s.Counts[CountKnights]--;
        ToggleKey(b, Row + KeyKnight, to);
    } else if (to & s.Bishops) {
        s.Bishops ^= to;
        s.Counts[CountBishops]--;
        ToggleKey(b, Row + KeyBishop, to);
    } else if (to & s.Rooks) {
        s.Rooks ^= to;
        s.Counts[CountRooks]--;
        mask &= CastlingKept[SquareOf(to)];
        ToggleKey(b, Row + KeyRook, to);
    } else if (to & s.Queens) {
        s.Queens ^= to;
        s.Counts[CountQueens]--;
        ToggleKey(b, Row + KeyQueen, to);
    }
    s.Pieces &= ~to;
    b.FiftyMoveCount = 0;
}

// Moves the piece of `Side` on `from` to `to`: an en-passant capture takes the pawn beside, castling
// moves the rook, and a pawn on its last rank is promoted. A rook leaving its corner takes that right out
// of `mask`, a king move both of its side's.
template <int Side>
inline void MoveOwnPiece(ChessBoard& b, uint64_t from, uint64_t to, uint64_t prevFrom, uint64_t prevTo, char promote,
                         uint8_t& mask)
{
    SideBoards s = BoardsOf<Side>(b);
    SideBoards enemy = BoardsOf<Side ^ 1>(b);
    constexpr int Up = Side == 0 ? 8 : -8;
    constexpr int Row = FirstKeyRow(Side), EnemyRow = KeyBlack - Row;
    const uint64_t fromTo = from | to;
    s.Pieces ^= fromTo;
    if (from & s.Pawns) {
        s.Pawns ^= fromTo;
        // En passant: the enemy pawn beside ours has just made its double push (the destination is empty:
        // the capture removed nothing there).
        constexpr uint64_t PassingRank = Side == 0 ? Rank5 : Rank4;
        constexpr uint64_t EnemyStartRank = Side == 0 ? Rank7 : Rank2;
        if ((from & PassingRank) && (prevFrom & EnemyStartRank) && (prevTo & PassingRank) && (prevTo & enemy.Pawns) &&
            !(to & b.SavedPieces[Side == 0 ? 13 : 12])) {
            const bool ep = (!(from & FileA) && from == (prevTo << 1) && to == Shifted<Up - 1>(from)) ||
                            (!(from & FileH) && from == (prevTo >> 1) && to == Shifted<Up + 1>(from));
            if (ep) {
                const uint64_t victim = Shifted<-Up>(to);
                enemy.Pawns ^= victim;
                enemy.Pieces ^= victim;
                b.PawnHashCode ^= PawnKey(Side == 0 ? KeyBlackPawn : KeyWhitePawn, victim);
                ToggleKey(b, EnemyRow + KeyPawn, victim);
                enemy.Counts[CountPawns]--;
            }
        }
        const int key = Side == 0 ? KeyWhitePawn : KeyBlackPawn;
        b.PawnHashCode ^= PawnKey(key, from) ^ PawnKey(key, to);
        ToggleKey(b, Row + KeyPawn, fromTo);
        b.FiftyMoveCount = 0;
    } else if (from & s.Bishops) {
        s.Bishops ^= fromTo;
        ToggleKey(b, Row + KeyBishop, fromTo);
    } else if (from & s.Knights) {
        s.Knights ^= fromTo;
        ToggleKey(b, Row + KeyKnight, fromTo);
    } else if (from & s.Rooks) {
        s.Rooks ^= fromTo;
        mask &= CastlingKept[SquareOf(from)];
        ToggleKey(b, Row + KeyRook, fromTo);
    } else if (from & s.Queens) {
        s.Queens ^= fromTo;
        ToggleKey(b, Row + KeyQueen, fromTo);
    } else if (from & s.King) {
        s.King ^= fromTo;
        const int key = Side == 0 ? KeyWhiteKing : KeyBlackKing;
        b.PawnHashCode ^= PawnKey(key, from) ^ PawnKey(key, to);
        ToggleKey(b, Row + KeyKing, fromTo);
        // The rook only moves if it is there, so a typed castling without one creates nothing.
        constexpr uint64_t KingHome = Side == 0 ? E1 : E8;
        mask &= CastlingKept[Side == 0 ? 4 : 60];
        constexpr uint64_t ShortCorner = Side == 0 ? H1 : H8, ShortRookTo = Side == 0 ? F1 : F8;
        constexpr uint64_t LongCorner = Side == 0 ? A1 : A8, LongRookTo = Side == 0 ? D1 : D8;
        if (from == KingHome && to == Shifted<2>(KingHome) && (s.Rooks & ShortCorner)) {
            s.Rooks ^= ShortCorner | ShortRookTo;
            ToggleKey(b, Row + KeyRook, ShortCorner | ShortRookTo);
        } else if (from == KingHome && to == Shifted<-2>(KingHome) && (s.Rooks & LongCorner)) {
            s.Rooks ^= LongCorner | LongRookTo;
            ToggleKey(b, Row + KeyRook, LongCorner | LongRookTo);
        }
    }

    // A pawn reaching the last rank without a promotion letter becomes a queen, the generator's choice,
    // so no pawn is ever left on its last rank.
    constexpr uint64_t LastRank = Side == 0 ? Rank8 : Rank1;
    if (to & s.Pawns & LastRank) {
        b.PawnHashCode ^= PawnKey(Side == 0 ? KeyWhitePawn : KeyBlackPawn, to);
        const PromotionCode type = PromotionType(Side, promote);
        b.Promote(Side, to, type);
        s.Counts[CountIndexOf(type)]++;
        s.Counts[CountPawns]--;
    }
}

// The fields MakeMove saves and UndoMove restores, listed once: with `Save` each goes into its undo copy,
// without it comes back from there. The twelve piece boards are contiguous from WhitePawns; the undo copy
// keeps them first, then the three occupancies.
template <bool Save>
inline void CopyUndoState(ChessBoard& b)
{
    const auto copy = [](auto& live, auto& saved) {
        if constexpr (Save) saved = live;
        else live = saved;
    };
    if constexpr (Save) std::memcpy(b.SavedPieces, &b.WhitePawns, 12 * sizeof(uint64_t));
    else std::memcpy(&b.WhitePawns, b.SavedPieces, 12 * sizeof(uint64_t));
    copy(b.WhitePieces, b.SavedPieces[12]);
    copy(b.BlackPieces, b.SavedPieces[13]);
    copy(b.AllPieces, b.SavedPieces[14]);
    copy(b.PawnHashCode, b.SavedPawnHashCode);
    copy(b.PieceKeyUpper, b.SavedPieceKeyUpper);
    copy(b.PieceKeyLower, b.SavedPieceKeyLower);
    copy(b.Castling, b.SavedCastling);
    copy(b.FiftyMoveCount, b.SavedFiftyMoveCount);
    copy(b.LastMoveFrom, b.SavedLastMoveFrom);
    copy(b.LastMoveTo, b.SavedLastMoveTo);
    copy(b.WhitePieceCount, b.SavedPieceCount[0]);
    copy(b.BlackPieceCount, b.SavedPieceCount[1]);
    for (int side = 0; side < 2; side++)
        for (int i = 0; i < SavedCountOffset; i++)
            copy(b.PieceCounts[side][i], b.PieceCounts[side][i + SavedCountOffset]);
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
    InitKeys();
}

void ChessBoard::ClearField()
{
    Castling = 0;
    WhitePawns = WhiteBishops = WhiteKnights = WhiteRooks = WhiteQueens = WhiteKing = 0;
    BlackPawns = BlackBishops = BlackKnights = BlackRooks = BlackQueens = BlackKing = 0;
    WhitePieces = BlackPieces = AllPieces = 0;
    PieceKeyUpper = PieceKeyLower = 0;
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

void ChessBoard::FinishSetUp()
{
    InitPieceCounts();
    InitKeys();
    genpawnhashcode(ToMove, *this, &PawnHashCode);
}

void ChessBoard::MakeMove(uint64_t from, uint64_t to, char promote, char* castleMask)
{
#ifdef ORVEX_CHECK_POSITION
    const PositionCheck check(*this, "MakeMove", to);
#endif
    CopyUndoState<true>(*this);

    const uint64_t prevFrom = LastMoveFrom, prevTo = LastMoveTo;
    LastMoveFrom = from;
    LastMoveTo = to;
    FiftyMoveCount++;

    uint8_t mask = 15;
    RemoveCaptured<0>(*this, to, mask);
    RemoveCaptured<1>(*this, to, mask);
    if (from & WhitePieces) MoveOwnPiece<0>(*this, from, to, prevFrom, prevTo, promote, mask);
    else if (from & BlackPieces) MoveOwnPiece<1>(*this, from, to, prevFrom, prevTo, promote, mask);

    WhitePieceCount = PieceCounts[0][0] + PieceCounts[0][1] + PieceCounts[0][2] + PieceCounts[0][3] + PieceCounts[0][4];
    BlackPieceCount = PieceCounts[1][0] + PieceCounts[1][1] + PieceCounts[1][2] + PieceCounts[1][3] + PieceCounts[1][4];
    RecountOccupancy();
    *castleMask = static_cast<char>(mask);
}

uint8_t ChessBoard::CastlingAllowed() const
{
    uint8_t rights = 0;
    if (WhiteKing & E1) rights |= ((WhiteRooks & H1) ? CastleWK : 0) | ((WhiteRooks & A1) ? CastleWQ : 0);
    if (BlackKing & E8) rights |= ((BlackRooks & H8) ? CastleBK : 0) | ((BlackRooks & A8) ? CastleBQ : 0);
    return rights;
}

void ChessBoard::InitKeys()
{
    const uint64_t boards[12] = {WhitePawns, WhiteKnights, WhiteBishops, WhiteRooks, WhiteQueens, WhiteKing,
                                 BlackPawns, BlackKnights, BlackBishops, BlackRooks, BlackQueens, BlackKing};
    PieceKeyUpper = PieceKeyLower = 0;
    for (int row = 0; row < 12; row++) ToggleKey(*this, row, boards[row]);
}

void ChessBoard::RecountOccupancy()
{
    WhitePieces = WhitePawns | WhiteBishops | WhiteKnights | WhiteRooks | WhiteQueens | WhiteKing;
    BlackPieces = BlackPawns | BlackBishops | BlackKnights | BlackRooks | BlackQueens | BlackKing;
    AllPieces = WhitePieces | BlackPieces;
}

void ChessBoard::UndoMove(int)
{
#ifdef ORVEX_CHECK_POSITION
    const PositionCheck check(*this, "UndoMove");
#endif
    CopyUndoState<false>(*this);
}

void ChessBoard::Promote(char side, uint64_t square, char type)
{
    const int row = FirstKeyRow(side);
    ToggleKey(*this, row + KeyPawn, square);
    int made = -1;
    if (side == 0) {
        WhitePawns ^= square;
        switch (type) {
        case PromoteWhiteKnight: WhiteKnights ^= square; made = KeyKnight; break;
        case PromoteWhiteBishop: WhiteBishops ^= square; made = KeyBishop; break;
        case PromoteWhiteRook: WhiteRooks ^= square; made = KeyRook; break;
        case PromoteWhiteQueen: WhiteQueens ^= square; made = KeyQueen; break;
        default: break;
        }
    } else {
        BlackPawns ^= square;
        switch (type) {
        case PromoteBlackKnight: BlackKnights ^= square; made = KeyKnight; break;
        case PromoteBlackBishop: BlackBishops ^= square; made = KeyBishop; break;
        case PromoteBlackRook: BlackRooks ^= square; made = KeyRook; break;
        case PromoteBlackQueen: BlackQueens ^= square; made = KeyQueen; break;
        default: break;
        }
    }
    if (made >= 0) ToggleKey(*this, row + made, square);
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
    ToggleKey(*this, FirstKeyRow(side) + KeyPawn, b);
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
