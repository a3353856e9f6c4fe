#include "protocol/gamerecord.h"

#include <vector>

#include "board/hashcode.h"

namespace {
struct Key {
    uint64_t Upper, Lower;
};
std::vector<Key> Positions;

Key KeyOf(const ChessBoard& board, char side)
{
    Key k;
    genhashcode(side, board.Castling, &k.Upper, &k.Lower, &board);
    return k;
}
} // namespace

void GameRecord::Reset()
{
    Positions.clear();
}

void GameRecord::Record(const ChessBoard& board, char side)
{
    Positions.push_back(KeyOf(board, side));
}

bool GameRecord::ThirdOccurrence(const ChessBoard& board, char side)
{
    const Key k = KeyOf(board, side);
    int seen = 0;
    for (const Key& p : Positions)
        if (p.Upper == k.Upper && p.Lower == k.Lower) seen++;
    return seen >= 3;
}
