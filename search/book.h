#pragma once
#include <cstdint>

#include "board/board.h"

// The opening book: keys of book positions with a value each (lower is better), searched through a
// binary tree. Nothing fills the tables, so every probe misses.
struct BookEntry {
    uint64_t UpperHashCode;
    uint64_t LowerHashCode;
};

struct treenode {
    int index;
    treenode* left;
    treenode* right;
};

inline constexpr int BookCapacity = 1000000;
inline constexpr int NO_BOOK_MOVE = -100;

extern BookEntry OpeningBook[BookCapacity];
extern int BookValue[BookCapacity];
extern int booksize;

void buildbook();
void buildbooktree(int n);
int BookTreeSearch(treenode* root, uint64_t upper, uint64_t lower);
// Index in the GenerateAllMoves order of the book move for `side`, or NO_BOOK_MOVE.
int InBook(char side, char castle, ChessBoard board);

// Kept with the book, called by nothing in the engine
treenode* BookTreeRoot();
