#pragma once
#include <cstddef>
#include <cstdint>

#include "board/attacktables.h"
#include "board/bitops.h"
#include "board/status.h"

// Promotion char of a move that does not promote.
inline constexpr char NoPromotion = static_cast<char>(0xEC);

// Castling rights bits.
inline constexpr uint8_t CastleWK = 1, CastleWQ = 2, CastleBK = 4, CastleBQ = 8;

// The castling rights that stay when the piece on a square moves or is taken: a king's or a rook's home
// square takes the rights that stand on it. MakeMove reads it for rooks and kings, the typed-move path
// for the from-square of any move.
inline constexpr uint8_t CastlingKept[64] = {
    15 & ~CastleWQ, 15, 15, 15, 15 & ~(CastleWK | CastleWQ), 15, 15, 15 & ~CastleWK, // rank 1: a1, e1, h1
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15 & ~CastleBQ, 15, 15, 15, 15 & ~(CastleBK | CastleBQ), 15, 15, 15 & ~CastleBK, // rank 8: a8, e8, h8
};

// CastlingKept of a square given as one bit; an empty set keeps all rights.
inline uint8_t CastlingKeptBy(uint64_t square)
{
    return square ? CastlingKept[SquareOf(square)] : 15;
}

// Indexes into ChessBoard::PieceCounts[side]; the undo copies follow at +5.
enum PieceCountIndex { CountQueens = 0, CountRooks, CountBishops, CountKnights, CountPawns, SavedCountOffset };

// Piece-type codes of ChessBoard::Promote, a second promotion encoding beside the promotion letters.
enum PromotionCode : char {
    PromoteWhiteKnight = 1, PromoteWhiteBishop = 2, PromoteWhiteRook = 3, PromoteWhiteQueen = 4,
    PromoteBlackKnight = 7, PromoteBlackBishop = 8, PromoteBlackRook = 9, PromoteBlackQueen = 10,
};

// Results of ChessBoard::CheckDraw.
enum DrawResult { NotDrawn = 0, FiftyMoveDraw = 7, MaterialDraw = 8 };

// ChessBoard::DrawFlags bits, written by CheckDraw: the side still has mating material.
inline constexpr uint8_t WhiteCanMate = 0x01, BlackCanMate = 0x20, BothCanMate = WhiteCanMate | BlackCanMate;

// The position record: a plain value copied as one block at every level of the search.
class ChessBoard {
public:
    uint64_t WhitePieces;
    uint64_t BlackPieces;
    uint64_t AllPieces;
    uint64_t WhitePawns, WhiteBishops, WhiteKnights, WhiteRooks, WhiteQueens, WhiteKing;
    uint64_t BlackPawns, BlackBishops, BlackKnights, BlackRooks, BlackQueens, BlackKing;
    uint64_t SavedPieces[15];
    uint32_t PawnHashCode;
    uint32_t SavedPawnHashCode;
    char ToMove;
    uint8_t Castling;
    uint8_t SavedCastling;
    int32_t SavedFiftyMoveCount;
    uint64_t SavedLastMoveFrom, SavedLastMoveTo;
    uint64_t LastMoveFrom, LastMoveTo;
    int32_t MaxDepth;
    int32_t FixedDepth;
    int32_t FiftyMoveCount;
    int32_t PlyLimit;
    uint64_t BestFrom, BestTo;
    char BestPromote;
    uint8_t DrawFlags;
    int32_t WhitePieceCount, BlackPieceCount;
    int32_t SavedPieceCount[2];
    int32_t PieceCounts[2][10];
    // The piece-square part of the position key (genhashcode's without side and castling), kept by every
    // change of a piece board that MakeMove, Promote, DropPawn and ClearField make; current wherever
    // InitKeys last ran. The search reads it instead of recomputing the key at every node.
    uint64_t PieceKeyUpper, PieceKeyLower;
    uint64_t SavedPieceKeyUpper, SavedPieceKeyLower;

    // Set-up
    void InitRep();
    void ClearField();
    // Recounts the ten piece counts and the two totals from the boards.
    void InitPieceCounts();
    // Sets the three occupancies from the twelve piece boards.
    void RecountOccupancy();
    // Recomputes the piece-square key halves from the boards.
    void InitKeys();
    // Brings what the record keeps beside the piece boards into line with them after a set-up (a FEN, the
    // edit mode, a test's own placement): the piece counts and totals, the piece-square key halves and the
    // pawn key, so a well-formed board passes IsConsistent. The half-move clock stays: no set-up reads
    // one, so each caller says where its count starts.
    void FinishSetUp();
    // The castling rights that the king and rook placement allows: each right whose king and rook stand
    // on their home squares.
    uint8_t CastlingAllowed() const;

    // Making and undoing moves
    void MakeMove(uint64_t from, uint64_t to, char promote, char* castleMask);
    void UndoMove(int);
    // type is a PromotionCode of the side; any other value only removes the pawn.
    void Promote(char side, uint64_t square, char type);

    // Debug check of the record: each occupancy is the OR of its piece boards, no square holds two pieces,
    // each side has exactly one king, the ten piece counts equal the popcounts of their boards and the pawn
    // key and both piece-square key halves equal the ones computed from scratch. Builds with
    // ORVEX_CHECK_POSITION test after every MakeMove and UndoMove that these facts hold as well as they did
    // before (board/consistency.cpp).
    bool IsConsistent() const;

    // Piece tests
    bool IsPawn(char side, uint64_t b) const { return b & (side == 0 ? WhitePawns : BlackPawns); }
    char PieceColor(uint64_t b) const { return (b & WhitePieces) ? 0 : 1; }

    // Attack sets; each includes the first blocker of either colour. Single squares, the only arguments
    // the engine passes, come from the tables inline; anything else (an empty set, several squares) takes
    // the shift and ray forms that define the sets.
    static uint64_t KnightMask(uint64_t b)
    {
        return Attacks::IsOneBit(b) ? Attacks::Knight(SquareOf(b)) : Attacks::ShiftKnight(b);
    }
    static uint64_t KingMask(uint64_t b)
    {
        return Attacks::IsOneBit(b) ? Attacks::King(SquareOf(b)) : Attacks::ShiftKing(b);
    }
    uint64_t BishopMask(uint64_t b) const
    {
        return Attacks::IsOneBit(b) ? Attacks::Bishop(SquareOf(b), AllPieces)
                                    : Attacks::WalkBishop(b, AllPieces);
    }
    uint64_t RookMask(uint64_t b) const
    {
        return Attacks::IsOneBit(b) ? Attacks::Rook(SquareOf(b), AllPieces) : Attacks::WalkRook(b, AllPieces);
    }
    uint64_t BishopCheckMask(uint64_t king, uint64_t checkers) const;
    uint64_t RookCheckMask(uint64_t king, uint64_t checkers) const;

    // Attack and check tests: is the square attacked by the side other than `side`?
    bool IsAttacked(uint64_t square, char side) const;
    bool InCheck(uint64_t king, char side) const { return IsAttacked(king, side); }
    // With `toMove` to move, could it take the other side's king? Such a position is never played from.
    bool KingCanBeTaken(char toMove) const
    {
        return toMove == 0 ? InCheck(BlackKing, 1) : InCheck(WhiteKing, 0);
    }

    // Draw tests: CheckDraw gives a DrawResult and rewrites DrawFlags.
    int CheckDraw(char);

    // Text board: defined in protocol/display.cpp, since the board's printout ends with its evaluation.
    void DisplayPiece(unsigned char square) const;
    void DisplayBoard();

    // Kept with the record, called by nothing in the engine
    void SetupBoard() {}
    bool IsKnight(char side, uint64_t b) const { return b & (side == 0 ? WhiteKnights : BlackKnights); }
    bool IsBishop(char side, uint64_t b) const { return b & (side == 0 ? WhiteBishops : BlackBishops); }
    bool IsRook(char side, uint64_t b) const { return b & (side == 0 ? WhiteRooks : BlackRooks); }
    bool IsQueen(char side, uint64_t b) const { return b & (side == 0 ? WhiteQueens : BlackQueens); }
    bool IsKing(char side, uint64_t b) const { return b & (side == 0 ? WhiteKing : BlackKing); }
    bool IsEmptySquare(uint64_t b) const { return !(b & AllPieces); }
    void DropPawn(char side, uint64_t b);
    bool PawnOn7th(char side) const;
    int QuickPieceCount(char) const;
    int QuickPawnCount(char side) const { return side ? PieceCounts[1][CountPawns] : PieceCounts[0][CountPawns]; }
    int RookAttackCount(uint64_t b) const;
    static uint64_t SouthAttacks(uint64_t generators, uint64_t empty);
    static uint64_t NorthAttacks(uint64_t generators, uint64_t empty);
    // The game loop keeps the half-move clock through MakeMove alone; this is the older per-move test.
    bool Test50MoveRule(char fromSquare, char toSquare);
};

// MakeMove and UndoMove copy the twelve piece boards as one block, and the occupancies sit just before
// them.
static_assert(offsetof(ChessBoard, BlackKing) == offsetof(ChessBoard, WhitePawns) + 11 * sizeof(uint64_t));
static_assert(offsetof(ChessBoard, WhitePawns) == offsetof(ChessBoard, WhitePieces) + 3 * sizeof(uint64_t));

extern ChessBoard MainBoard;
