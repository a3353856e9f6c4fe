#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "board/movetext.h"
#include "fixture.h"

// The UCI text of a move whose squares are given as bits, as the generator and the search hand them out.
inline std::string MoveName(uint64_t from, uint64_t to, char promote)
{
    return UciMoveText(SquareOf(from), SquareOf(to), promote);
}

// Whether the mover `side` keeps its king safe after the generated move `i` of `list`; the board is left
// as found.
inline bool KingSafeAfter(ChessBoard& b, char side, const MoveGen& list, int i)
{
    char mask;
    b.MakeMove(list.From[i], list.To[i], list.Promote[i], &mask);
    const bool safe = !b.InCheck(side == 0 ? b.WhiteKing : b.BlackKing, side);
    b.UndoMove(0);
    return safe;
}

// Entries 0..n-1 of a list, in list order.
inline std::vector<std::string> ListNames(const MoveGen& list, int n)
{
    std::vector<std::string> names;
    for (int i = 0; i < n; i++) names.push_back(MoveName(list.From[i], list.To[i], list.Promote[i]));
    return names;
}

inline std::vector<std::string> Split(const std::string& text)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        size_t j = text.find(' ', i);
        if (j == std::string::npos) j = text.size();
        if (j > i) words.push_back(text.substr(i, j - i));
        i = j + 1;
    }
    return words;
}

// The moves of the list after which the mover's own king is safe, sorted.
inline std::vector<std::string> LegalNames(ChessBoard board, MoveGen& list, int n, char side)
{
    std::vector<std::string> legal;
    for (int i = 0; i < n; i++)
        if (KingSafeAfter(board, side, list, i)) legal.push_back(MoveName(list.From[i], list.To[i], list.Promote[i]));
    std::sort(legal.begin(), legal.end());
    return legal;
}
