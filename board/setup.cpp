#include "board/setup.h"

#include "board/bitmasks.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace {
using BitMasks::Rank1;
using BitMasks::Rank8;

void AddPieceTo(ChessBoard& board, char letter, int square)
{
    uint64_t b = SqBit(square);
    switch (letter) {
    case 'P': board.WhitePawns |= b; break;
    case 'N': board.WhiteKnights |= b; break;
    case 'B': board.WhiteBishops |= b; break;
    case 'R': board.WhiteRooks |= b; break;
    case 'Q': board.WhiteQueens |= b; break;
    case 'K': board.WhiteKing = b; break;
    case 'p': board.BlackPawns |= b; break;
    case 'n': board.BlackKnights |= b; break;
    case 'b': board.BlackBishops |= b; break;
    case 'r': board.BlackRooks |= b; break;
    case 'q': board.BlackQueens |= b; break;
    case 'k': board.BlackKing = b; break;
    default: break;
    }
}

// Every piece kind beyond the initial set must have come from a pawn.
bool MaterialIsReachable(uint64_t pawns, uint64_t knights, uint64_t bishops, uint64_t rooks, uint64_t queens,
                         uint64_t all)
{
    auto extra = [](uint64_t set, int initial) { return std::max(0, SimpleBitCount(set) - initial); };
    int p = SimpleBitCount(pawns);
    int promoted = extra(queens, 1) + extra(rooks, 2) + extra(bishops, 2) + extra(knights, 2);
    return SimpleBitCount(all) <= 16 && p <= 8 && promoted <= 8 - p;
}

// Placement: ranks 8 to 1 separated by "/", each covering exactly eight squares; a number skips that
// many squares and any other character takes one (unknown letters leave it empty). Returns the length
// of the field, or -1 when the ranks do not fit the board. A second king letter of one colour would
// replace the first, so it makes the text invalid instead.
int ReadPlacement(const char* text, ChessBoard& board)
{
    int rank = 7, file = 0, i = 0, whiteKings = 0, blackKings = 0;
    for (; text[i] && text[i] != ' '; i++) {
        char c = text[i];
        if (c == '/') {
            if (file != 8 || rank == 0) return -1;
            rank--;
            file = 0;
        } else if (c >= '0' && c <= '9') {
            // A run of digits is one number of empty squares: "44" is forty-four, not four and four.
            int run = 0;
            for (; text[i] >= '0' && text[i] <= '9'; i++)
                if (run <= 8) run = run * 10 + (text[i] - '0');
            i--;
            file += run;
            if (run == 0 || file > 8) return -1;
        } else {
            if (file >= 8) return -1;
            whiteKings += c == 'K';
            blackKings += c == 'k';
            if (whiteKings > 1 || blackKings > 1) return -1;
            AddPieceTo(board, c, rank * 8 + file);
            file++;
        }
    }
    if (rank != 0 || file != 8) return -1;
    return i;
}
} // namespace

std::string FenFields(const std::string& text)
{
    std::string fields;
    for (const char c : text) {
        if (c == ' ' || c == '\t') {
            if (!fields.empty() && fields.back() != ' ') fields += ' ';
        } else {
            fields += c;
        }
    }
    if (!fields.empty() && fields.back() == ' ') fields.pop_back();
    return fields;
}

bool ParseFen(const char* text, ChessBoard& board, const char** why)
{
    const char* reason = nullptr;
    auto fail = [&](const char* r) {
        if (why) *why = r;
        return false;
    };
    if (!text) return fail("empty text");

    board.WhitePawns = board.WhiteBishops = board.WhiteKnights = board.WhiteRooks = board.WhiteQueens =
        board.WhiteKing = 0;
    board.BlackPawns = board.BlackBishops = board.BlackKnights = board.BlackRooks = board.BlackQueens =
        board.BlackKing = 0;
    int n = ReadPlacement(text, board);
    if (n < 0) return fail("the piece placement needs eight ranks of eight squares and one king per side");
    board.RecountOccupancy();
    board.LastMoveFrom = board.LastMoveTo = 0;
    board.Castling = 0;

    // Side: "b" is Black, anything else (or nothing) White.
    const char* p = text + n;
    board.ToMove = 0;
    if (*p == ' ' && p[1]) {
        p++;
        board.ToMove = *p == 'b' ? 1 : 0;
        p++;
    }
    // Castling field: letters up to the next blank; other characters are skipped.
    uint8_t rights = 0;
    if (*p == ' ') {
        p++;
        if (*p == '-') p++;
        else
            for (; *p && *p != ' '; p++) {
                switch (*p) {
                case 'K': rights |= CastleWK; break;
                case 'Q': rights |= CastleWQ; break;
                case 'k': rights |= CastleBK; break;
                case 'q': rights |= CastleBQ; break;
                default: break;
                }
            }
        while (*p && *p != ' ') p++;
    }
    const char* ep = (*p == ' ') ? p + 1 : nullptr;

    if (SimpleBitCount(board.WhiteKing) != 1 || SimpleBitCount(board.BlackKing) != 1)
        reason = "each side needs exactly one king";
    else if ((board.WhitePawns | board.BlackPawns) & (Rank1 | Rank8))
        reason = "a pawn stands on the first or last rank";
    else if (!MaterialIsReachable(board.WhitePawns, board.WhiteKnights, board.WhiteBishops, board.WhiteRooks,
                                  board.WhiteQueens, board.WhitePieces) ||
             !MaterialIsReachable(board.BlackPawns, board.BlackKnights, board.BlackBishops, board.BlackRooks,
                                  board.BlackQueens, board.BlackPieces))
        reason = "a side has more material than a game can produce";
    else if (board.KingCanBeTaken(board.ToMove))
        reason = SideNotToMoveInCheck;
    if (reason) return fail(reason);

    // A right whose king or rook has left its home square cannot be used.
    board.Castling = rights & board.CastlingAllowed();

    // An en-passant square stands for the double push that was just made, which is how the board
    // knows the capture is allowed.
    if (ep && ep[0] >= 'a' && ep[0] <= 'h' && (ep[1] == '3' || ep[1] == '6')) {
        int file = ep[0] - 'a';
        if (board.ToMove == 0 && ep[1] == '6') {
            uint64_t target = SqBit(40 + file), pushed = target >> 8, origin = target << 8;
            if ((board.BlackPawns & pushed) && !(board.AllPieces & (target | origin))) {
                board.LastMoveFrom = origin;
                board.LastMoveTo = pushed;
            }
        } else if (board.ToMove == 1 && ep[1] == '3') {
            uint64_t target = SqBit(16 + file), pushed = target << 8, origin = target >> 8;
            if ((board.WhitePawns & pushed) && !(board.AllPieces & (target | origin))) {
                board.LastMoveFrom = origin;
                board.LastMoveTo = pushed;
            }
        }
    }
    return true;
}

bool ParseFen(const std::string& text, ChessBoard& board, const char** why)
{
    if (text.find('\0') != std::string::npos) {
        if (why) *why = "a NUL byte in the text";
        return false;
    }
    return ParseFen(text.c_str(), board, why);
}

namespace {
// The position replaces MainBoard only when the text was a valid one.
template <typename Text> bool SetUpMainBoard(const Text& text)
{
    ChessBoard board = MainBoard;
    const char* why = "";
    if (!ParseFen(text, board, &why)) {
        printf("ERROR: invalid FEN: %s\n", why);
        fflush(stdout);
        return false;
    }
    MainBoard = board;
    return true;
}
} // namespace

bool SetupBoard(const std::string& text)
{
    return SetUpMainBoard(text);
}

bool SetupBoard(const char* text)
{
    return SetUpMainBoard(text);
}

void AddPiece(char letter, int square)
{
    AddPieceTo(MainBoard, letter, square);
}

char DecodePiece(uint64_t square, const ChessBoard& board)
{
    if (square & board.WhitePieces) {
        if (square & board.WhitePawns) return 'P';
        if (square & board.WhiteKnights) return 'N';
        if (square & board.WhiteBishops) return 'B';
        if (square & board.WhiteRooks) return 'R';
        if (square & board.WhiteQueens) return 'Q';
        if (square & board.WhiteKing) return 'K';
    } else if (square & board.BlackPieces) {
        if (square & board.BlackPawns) return 'p';
        if (square & board.BlackKnights) return 'n';
        if (square & board.BlackBishops) return 'b';
        if (square & board.BlackRooks) return 'r';
        if (square & board.BlackQueens) return 'q';
        if (square & board.BlackKing) return 'k';
    }
    return '?';
}

void CastleRights(char* out, char rights)
{
    int n = 0;
    if (rights & CastleWK) out[n++] = 'K';
    if (rights & CastleWQ) out[n++] = 'Q';
    if (rights & CastleBK) out[n++] = 'k';
    if (rights & CastleBQ) out[n++] = 'q';
    if (n == 0) out[n++] = '-';
    out[n] = 0;
}

void pos2fenString(const ChessBoard& board, char* out)
{
    int n = 0;
    for (int rank = 7; rank >= 0; rank--) {
        int empty = 0;
        for (int file = 0; file < 8; file++) {
            uint64_t b = SqBit(rank * 8 + file);
            if (!(b & board.AllPieces)) {
                empty++;
                continue;
            }
            if (empty) out[n++] = static_cast<char>('0' + empty);
            empty = 0;
            out[n++] = DecodePiece(b, board);
        }
        if (empty) out[n++] = static_cast<char>('0' + empty);
        if (rank) out[n++] = '/';
    }
    char castle[5];
    CastleRights(castle, static_cast<char>(board.Castling));
    snprintf(out + n, FenBufferSize - n, " %c %s - 0 ; ", board.ToMove ? 'b' : 'w', castle);
}

void pos2fen(const ChessBoard& board, int n)
{
    char text[FenBufferSize];
    pos2fenString(board, text);
    std::cout << text << n << " \n";
}
