#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "fixture.h"

// Coordinate text of a move, with "q" for a promotion to a queen ('Q' or 'q').
inline std::string MoveName(uint64_t from, uint64_t to, char promote)
{
    auto square = [](uint64_t b) {
        int n = RightMostBit(b) - 1;
        return std::string{static_cast<char>('a' + (n & 7)), static_cast<char>('1' + (n >> 3))};
    };
    std::string s = square(from) + square(to);
    if (promote == 'Q' || promote == 'q') s += 'q';
    return s;
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
    for (int i = 0; i < n; i++) {
        char mask;
        board.MakeMove(list.From[i], list.To[i], list.Promote[i], &mask);
        if (!board.InCheck(side == 0 ? board.WhiteKing : board.BlackKing, side))
            legal.push_back(MoveName(list.From[i], list.To[i], list.Promote[i]));
        board.UndoMove(0);
    }
    std::sort(legal.begin(), legal.end());
    return legal;
}
