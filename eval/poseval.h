#pragma once
#include <cstdint>

#include "board/board.h"
#include "eval/evalmasks.h"
#include "eval/evaltables.h"
#include "eval/pawnhash.h"

// Scratch of BishopEval, one per side.
struct BishopInfoRecord {
    int32_t PairBonus;    // 500 with two or more bishops
    int32_t Mg, Eg;       // the side's bishop sums
    int32_t FianchettoSq; // g2 for White, g7 for Black
    int32_t BoardBishops;
    uint64_t Bishops, OwnPieces, OwnPawns;
    uint64_t FrontRank, HomeRank; // ranks 3 and 2 for White, 6 and 7 for Black
};

// The static evaluator. Scores are in tenths of a centipawn (pawn 800). Every term reads the position
// through `bb`, scores from White's view and adds to the two accumulators; only PosEval blends them by
// phase and turns the result to the side's view. The members are the scratch of one evaluation.
class PositionEvaluate {
public:
    // Pawn structure (PawnEval04); element [f + 1] is file f, [0] and [9] stay 0
    uint8_t WPasserRank[10]; // rank index of the most advanced passer of the file, 0 = none
    uint8_t WPasserCount;
    uint8_t BPasserRank[10];
    uint8_t BPasserCount;

    // Driver state
    int32_t Phase; // end-game weight 1 to 24
    int32_t MidgameScore;
    int32_t EndgameScore;

    // Files and pawn control
    uint64_t OpenFiles;
    uint64_t WHalfOpenFiles; // whole files without a White pawn
    uint64_t BHalfOpenFiles;
    uint64_t WKingFile;
    uint64_t BKingFile;
    uint64_t BackwardPawns;
    uint64_t WPawnControl;
    uint64_t BPawnControl;

    int8_t WOfficerCount; // bishops + knights + rooks + queens
    int8_t BOfficerCount;
    int32_t WKingOpenFiles; // weak files by the king, counted by PawnShield
    int32_t BKingOpenFiles;
    int32_t WPasserScore;
    int32_t BPasserScore;
    int32_t WKingSq;
    int32_t BKingSq;
    int32_t WDoubledPawns;
    int32_t BDoubledPawns;
    BishopInfoRecord BishopInfo[2];

    // Attacked squares per piece kind, filled by AttackMasks
    uint64_t WPawnAtk, BPawnAtk;
    uint64_t WKnightAtk, WBishopAtk, BBishopAtk, BKnightAtk;
    uint64_t WRookAtk, BRookAtk, WQueenAtk, BQueenAtk;
    uint64_t WKingAtk, BKingAtk;
    uint64_t WAllAtk, BAllAtk;
    // The attack set of the bishop, rook or queen on each square, also filled by AttackMasks: the piece
    // terms read each piece's own set here instead of walking its rays again. Other squares are stale.
    uint64_t SliderAtk[64];

    // Where an enemy pawn can stop a pawn on the square: its file and both neighbours, every rank ahead of
    // it (White's ahead is up the board). Filled by the constructor; a pawn is passed when no enemy pawn
    // stands there.
    uint64_t WPassedSpan[64];
    uint64_t BPassedSpan[64];

    // Filled by the constructor; no term reads them
    uint64_t FileMaskExcl[64];
    uint64_t AdjacentFilesMask[64];
    uint64_t NeighbourMask[64];

    PositionEvaluate();

    // The evaluation: `side` 0 answers from White's view, any other value from Black's. alpha and beta,
    // in the side's view, only serve the two lazy exits; castle is not used.
    int PosEval(char side, int alpha, int beta, ChessBoard* board, char castle);
    // Material over all kinds (pawn 800), White minus Black, negated for side != 0.
    int MaterialOnly(char side, int alpha, ChessBoard& board);
    // Non-pawn material of one side.
    int SideMaterialValue(char side, ChessBoard* board);

    // The terms below read scratch that earlier steps leave, in the order PosEval takes them; a caller of
    // a single term (a test) prepares it the same way. The two material functions above need nothing.
    // First of all: bb, the king squares and files, the officer counts, and both accumulators at 0.
    void Prepare(ChessBoard* board);
    // After Prepare: the attack sets of every piece kind and SliderAtk, which the pawn, piece and
    // attack-count terms read.
    void AttackMasks();

    // King safety. KingEval, PawnShield and PawnStorm need only Prepare. AttackCounts of a side also reads
    // the half-open files of PawnEval04 and the open-file count that PawnShield of that side leaves.
    int PawnShield(char side);
    int PawnFilePenalty(char side, uint64_t ownPawnsOnFile);
    int BitBoardRank(uint64_t oneBit);
    int PawnStorm(char side);
    int AttackCounts(char side);
    int KingEval(char side);

    // Pieces: after PawnEval04, for its pawn control (rooks also its files and passer ranks); the sliders
    // read their own sets in SliderAtk.
    int KnightEval(char side);
    int BishopEval(char side);
    int RookEval(char side);
    int QueenEval(char side);

    // Pawns. PawnEval04 fills the files, the pawn control, the passers, the doubled counts and BackwardPawns
    // that later terms read; RuleofSquare reads its passer ranks. DoesPawnPromote needs only the king squares.
    int PawnEval04(char side);
    bool DoesPawnPromote(char side, int rank, int promoSquare, char sideToMove);
    int RuleofSquare(char sideToMove);
    bool QueenAttacks(char side, int square, uint64_t targets);

    // Material patterns: DynamicPieceAdjustments reads the doubled counts of PawnEval04; Traps and
    // PawnPhalanx read only the board through bb.
    int DynamicPieceAdjustments(int phase);
    int Traps(char side);
    int PawnPhalanx();

    // Endgame recognisers; only DrawishEnding is consulted by PosEval. They read the officer counts and king
    // squares; KPKB, KPKN and KBPKB the attack sets too.
    int DrawishEnding(char side);
    int TwoPieceEndings(char side);
    int ThreePieceEndings(char side);
    int DrawnEnding(char side);
    int KRPKR(char side);
    int KQPKQ(char side);
    int KPKR(char side);
    int KPKB(char side);
    int KPKN(char side);
    int KNPK(char side);
    int KBPKB(char side);

private:
    int Blend() const { return (Phase * EndgameScore + (24 - Phase) * MidgameScore) / 24; }
    // Adds a score of Side's own (Side 0 White) to the two accumulators, which hold White's view.
    template <int Side> void AddOwn(int32_t mg, int32_t eg)
    {
        MidgameScore += Side == 0 ? mg : -mg;
        EndgameScore += Side == 0 ? eg : -eg;
    }
    void PawnStructure(int32_t& ws, int32_t& bs, int32_t& mgs, int32_t& egs);
    void StorePawnEntry(int32_t ws, int32_t bs, int32_t mgs, int32_t egs);
    void LoadPawnEntry(int32_t& ws, int32_t& bs, int32_t& mgs, int32_t& egs);

    // One colour's half of a term, Side 0 White, called once per colour. PawnSide returns the side's pawn
    // score and sets mg and eg, all from its own view, and fills its passer and file scratch; PasserTerms
    // adds to the accumulators what the pieces change about its passers.
    template <int Side> int32_t PawnSide(int32_t& mg, int32_t& eg);
    template <int Side> void PasserTerms(char sideToMove);
    // The side's knights, rooks and queens, added to the accumulators; RookTerms returns the side's
    // half-open file bonus.
    template <int Side> void KnightTerms();
    template <int Side> int32_t RookTerms();
    template <int Side> void QueenTerms();
    // What the side's king suffers (Side 0 White), from its own view: its shield, the attackers near it
    // and the enemy pawn storm, which counts in full only against a king castled on the other wing.
    template <int Side> int32_t KingDanger(bool oppositeWings);
    template <int Side> int32_t ShieldOf();
    template <int Side> int32_t AttackCountsOf();
};

extern PositionEvaluate PE;
// The position being evaluated; set by Prepare, so by PosEval on every call.
extern ChessBoard* bb;

// Inline, since it opens every evaluation. The counts are read before anything is stored: the stores
// could alias them, and the caller has just read the same counts.
inline void PositionEvaluate::Prepare(ChessBoard* board)
{
    const ChessBoard& b = *board;
    const int32_t* w = b.PieceCounts[0];
    const int32_t* k = b.PieceCounts[1];
    const int32_t wOfficers = w[CountKnights] + w[CountBishops] + w[CountRooks] + w[CountQueens];
    const int32_t bOfficers = k[CountKnights] + k[CountBishops] + k[CountRooks] + k[CountQueens];
    bb = board;
    MidgameScore = EndgameScore = 0;
    WKingSq = SquareOf(b.WhiteKing);
    BKingSq = SquareOf(b.BlackKing);
    // A board without a king (the edit mode can leave one) gets no king file made up for it.
    WKingFile = b.WhiteKing ? evalmask::FileOf(WKingSq) : 0;
    BKingFile = b.BlackKing ? evalmask::FileOf(BKingSq) : 0;
    WOfficerCount = static_cast<int8_t>(wOfficers);
    BOfficerCount = static_cast<int8_t>(bOfficers);
}
