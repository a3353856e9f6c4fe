#pragma once
#include <cstdint>

#include "board/board.h"

// Room for every pseudo-legal move of any position a valid FEN can describe (at most 323).
inline constexpr int MaxMoves = 335;

// The PackedMove of a move, as the search's tables keep it: from square x 64 + to square, no promotion.
inline int PackMove(uint64_t from, uint64_t to)
{
    return SquareOf(from) * 64 + SquareOf(to);
}
// No move packs to 0 (a1 to a1): the tables' and the ordering's "no move".
inline constexpr int NoPackedMove = 0;

// One list of moves for one position. Every generator takes the side (0 White, 1 Black) and the index
// at which to append, and returns the index after its last move, so generators chain. The lists are
// pseudo-legal: the consumer makes each move and tests its own king. The order of generation is part
// of the contract, because picking breaks ties by list position and perft walks the list in order.
class MoveGen {
public:
    ChessBoard* Board;
    uint64_t From[MaxMoves];
    uint64_t To[MaxMoves];
    char Promote[MaxMoves];
    int32_t OrderValue[MaxMoves];
    int32_t AttackerValue[MaxMoves];
    int32_t VictimValue[MaxMoves];
    int32_t NumMoves;
    // The piece kind behind each run of the list, as the two whole-list generators of the search record
    // it: the ordering reads the mover's kind from here rather than from the board. RunCount is 0 for
    // any other list, and the runs only describe a list of RunTotal moves of the side RunSide.
    enum RunKind : uint8_t { RunPawn, RunKnight, RunBishop, RunRook, RunQueen, RunKing };
    struct Run {
        int16_t End;
        RunKind Kind;
    };
    Run Runs[12];
    int8_t RunCount;
    char RunSide;
    int16_t RunTotal;

    // The arrays are deliberately left as they are: a list lives in every search frame.
    MoveGen() : NumMoves(0), RunCount(0) {}

    // Whole lists
    int GenerateAllMoves(char side, ChessBoard* board, char rights);
    int GenerateQuiesceMoves(char side, ChessBoard* board);
    int GenCaptures(char side, ChessBoard* board);

    // Captures by piece kind: attack set & enemy pieces
    int GenKnightCaptures(char side, int index);
    int GenBishopCaptures(char side, int index);
    int GenRookCaptures(char side, int index);
    int GenQueenCaptures(char side, int index);
    int GenKingCaptures(char side, int index);

    // Non-captures by piece kind: attack set & empty squares
    int GenKnights(char side, int index);
    int GenBishops(char side, int index);
    int GenRooks(char side, int index);
    int GenQueens(char side, int index);
    int GenKings(char side, int index);
    int GenCastle(char side, int index, char rights);

    // Pawns: pushes, double pushes, captures, en passant and queen promotions, pawn by pawn
    int GenPawns(char side, int index);

    // Check evasions: only moves that may answer the check; king moves are already legal
    int GenCheckEvasions(char side, ChessBoard* board);
    int GenKingEvasions(char side, uint64_t mask, int index);
    int GenKnightEvasions(char side, uint64_t mask, int index);
    int GenBishopEvasions(char side, uint64_t mask, int index);
    int GenRookEvasions(char side, uint64_t mask, int index);
    int GenQueenEvasions(char side, uint64_t mask, int index);
    int GenPawnEvasions(char side, uint64_t mask, uint64_t ownPawns, uint64_t enemyPieces, int index);

    // Ordering and picking: defined in search/ordering.cpp, since the values read the search's tables and
    // the evaluation's; GetMove, the plain reader, stays here.
    // hashMove is a PackedMove or NoPackedMove; mode is the node's NodeType (search/compmov.h): an all node
    // gives the principal-variation move no value of its own.
    void AssignMoveOrderValues(int n, int ply, uint64_t enemyKing, int hashMove, char mode);
    // Returns how many of the moves are captures or promotions: each of those is valued above every other
    // move, which is valued 0.
    int QuiesceAssignMoveOrderValues(int n);
    // Brings the best of entries i..n-1 to i (a swap, the lowest index winning ties) and copies it out.
    void NextMove(int i, int n, uint64_t* from, uint64_t* to, char* promotion);
    // Copies entry i out as it stands.
    int GetMove(int i, uint64_t* from, uint64_t* to, char* promotion) const
    {
        *from = From[i];
        *to = To[i];
        *promotion = Promote[i];
        return 0;
    }

    // Kept with the class, called by nothing in the engine
    int GenPawnCaptures(char side, int index);
    int GenEnPassant(char side, int index);
    // Never filled in.
    int GenNonCaptures(char side);
    int GenChecks(char side);
    int GenerateMoves(char side);

private:
    // Closes the run of `kind` at `index` and returns the index; a run that adds nothing leaves no trace.
    int EndRun(int index, RunKind kind)
    {
        if (index > (RunCount > 0 ? Runs[RunCount - 1].End : 0)) Runs[RunCount++] = {static_cast<int16_t>(index), kind};
        return index;
    }
    int Add(int index, uint64_t from, uint64_t to, char promote)
    {
        // Unreachable for valid positions; it keeps a corrupt one from writing past the list.
        if (index >= MaxMoves) return index;
        From[index] = from;
        To[index] = to;
        Promote[index] = promote;
        return index + 1;
    }
    int AddTargets(int index, uint64_t from, uint64_t targets);
    template <int Kind>
    int PieceMoves(char side, int index, uint64_t wanted);
    uint64_t OwnOf(char side) const;
    uint64_t EnemyOf(char side) const;
    int KingMoves(char side, int index, bool captures);
};

// Legality, for the few places that must be sure of a single move (never the search's own nodes).
bool IsLegalMove(ChessBoard board, char side, uint64_t from, uint64_t to, char promo);
// The first legal move of `side` in generation order; false when there is none.
bool FirstLegalMove(ChessBoard board, char side, uint64_t* from, uint64_t* to, char* promo);
