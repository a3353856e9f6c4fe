#include "search/book.h"

#include <cstdio>

#include "board/hashcode.h"
#include "board/movegen.h"
#include "board/movetext.h"

BookEntry OpeningBook[BookCapacity];
int BookValue[BookCapacity];
int booksize;

namespace {
treenode* treeroot;

// A book value this high marks a position never to be steered into.
constexpr int BookValueLimit = 110000;

// Unsigned order of the keys: upper half first, then lower half.
int CompareKeys(const BookEntry& a, const BookEntry& b)
{
    if (a.UpperHashCode != b.UpperHashCode) return a.UpperHashCode < b.UpperHashCode ? -1 : 1;
    if (a.LowerHashCode != b.LowerHashCode) return a.LowerHashCode < b.LowerHashCode ? -1 : 1;
    return 0;
}

// Releases a dropped tree without recursion (a tree over sorted keys is one long chain): rotating
// each left child up leaves a node with no left child, which can go.
void FreeTree(treenode* node)
{
    while (node) {
        if (node->left) {
            treenode* left = node->left;
            node->left = left->right;
            left->right = node;
            node = left;
        } else {
            treenode* right = node->right;
            delete node;
            node = right;
        }
    }
}
} // namespace

treenode* BookTreeRoot()
{
    return treeroot;
}

void buildbook()
{
    booksize = 0;
    buildbooktree(booksize);
}

void buildbooktree(int n)
{
    FreeTree(treeroot);
    // Entry 0 is the root even of an empty book.
    treeroot = new treenode{0, nullptr, nullptr};
    for (int i = 1; i < n; i++) {
        treenode* node = treeroot;
        for (;;) {
            const int order = CompareKeys(OpeningBook[i], OpeningBook[node->index]);
            if (order == 0) break;
            treenode*& child = order < 0 ? node->left : node->right;
            if (!child) {
                child = new treenode{i, nullptr, nullptr};
                break;
            }
            node = child;
        }
    }
}

int BookTreeSearch(treenode* root, uint64_t upper, uint64_t lower)
{
    // The descent follows the upper half alone, so a key whose upper half matches a node's is settled there.
    for (treenode* node = root; node;) {
        const BookEntry& entry = OpeningBook[node->index];
        if (entry.UpperHashCode == upper) return entry.LowerHashCode == lower ? node->index : -1;
        if (entry.LowerHashCode == lower) return -1;
        node = upper < entry.UpperHashCode ? node->left : node->right;
    }
    return -1;
}

int InBook(char side, char castle, ChessBoard board)
{
    if (!MainStatus.xboard) printf("Look through the Opening Book\n");
    const bool trace = MainStatus.Trace == 1;
    MoveGen list;
    const int n = list.GenerateAllMoves(side, &board, castle);
    int result = NO_BOOK_MOVE;
    int best = BookValueLimit;
    for (int i = 0; i < n; i++) {
        uint64_t from, to;
        char promote, mask;
        list.GetMove(i, &from, &to, &promote);
        board.MakeMove(from, to, promote, &mask);
        char text[MoveTextSize];
        if (trace) {
            fillmovestring(text, 0, static_cast<char>(SquareOf(from)), static_cast<char>(SquareOf(to)), promote, 0);
            printf("  {%s", text);
        }
        uint64_t upper, lower;
        genhashcode(static_cast<char>(side ^ 1), castle & mask, &upper, &lower, &board);
        const int index = BookTreeSearch(treeroot, upper, lower);
        if (index >= 0 && BookValue[index] < best) {
            best = BookValue[index];
            result = i;
        }
        if (trace) printf("  %s%d%s}\n", index == -1 ? "Not in Book: " : "", index >= 0 ? BookValue[index] : 0, text);
        board.UndoMove(0);
    }
    return result;
}
