// The board edit mode of xboard: tokens that build a position piece by piece on a copy of MainBoard,
// which replaces it only when the result is a playable position.
#include "protocol/editmode.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/setup.h"
#include "platform/input.h"
#include "protocol/gamestate.h"

namespace {
// The square of an edit token such as "Pe4": file + 8 x (rank - 1), taken modulo 64. The rank is any
// decimal number, so the arithmetic wraps in unsigned form instead of overflowing.
int EditSquare(const std::string& token)
{
    const long long rank = strtoll(token.c_str() + 2, nullptr, 10);
    const uint64_t square = static_cast<uint64_t>(static_cast<int64_t>(token[1] - 'a')) +
                            8 * (static_cast<uint64_t>(rank) - 1);
    return static_cast<int>(square & 63);
}
} // namespace

void SetupBoardFromEdit()
{
    // The tokens build the position on a copy; it replaces MainBoard only if it is a playable one.
    ChessBoard board = MainBoard;
    char colour = 0;
    for (;;) {
        std::string token;
        // The end of input ends the mode as its last token would.
        if (!StdinReader::ReadWord(token)) token = ".";
        const char c = token[0];
        const uint64_t bit = SqBit(token.size() > 1 ? EditSquare(token) : 0);
        uint64_t* const own[6] = {
            colour == 0 ? &board.WhitePawns : &board.BlackPawns, colour == 0 ? &board.WhiteKnights : &board.BlackKnights,
            colour == 0 ? &board.WhiteBishops : &board.BlackBishops, colour == 0 ? &board.WhiteRooks : &board.BlackRooks,
            colour == 0 ? &board.WhiteQueens : &board.BlackQueens, colour == 0 ? &board.WhiteKing : &board.BlackKing};
        switch (c) {
        case '#': board.ClearField(); break;
        case 'c': colour ^= 1; break;
        case 'x':
            for (uint64_t* pieces : {&board.WhiteKing, &board.WhiteQueens, &board.WhiteRooks, &board.WhiteBishops,
                                     &board.WhiteKnights, &board.WhitePawns, &board.BlackKing, &board.BlackQueens,
                                     &board.BlackRooks, &board.BlackBishops, &board.BlackKnights, &board.BlackPawns})
                *pieces &= ~bit;
            break;
        case 'P': *own[0] |= bit; break;
        case 'N': *own[1] |= bit; break;
        case 'B': *own[2] |= bit; break;
        case 'R': *own[3] |= bit; break;
        case 'Q': *own[4] |= bit; break;
        case 'K': *own[5] |= bit; break;
        default: break;
        }
        board.RecountOccupancy();
        // The rights are exactly those that the king and rook placement allows.
        board.Castling = board.CastlingAllowed();
        if (c == '.') break;
    }

    // The text form shows one piece a square, so it cannot tell that two pieces share one.
    uint64_t seen = 0;
    for (const uint64_t pieces : {board.WhitePawns, board.WhiteKnights, board.WhiteBishops, board.WhiteRooks,
                                  board.WhiteQueens, board.WhiteKing, board.BlackPawns, board.BlackKnights,
                                  board.BlackBishops, board.BlackRooks, board.BlackQueens, board.BlackKing}) {
        if (pieces & seen) {
            printf("ERROR: invalid position from edit: two pieces on one square\n");
            fflush(stdout);
            return;
        }
        seen |= pieces;
    }
    // Only a position that could be set up from its FEN text replaces the game's.
    char fen[FenBufferSize];
    pos2fenString(board, fen);
    ChessBoard checked;
    const char* why = nullptr;
    if (!ParseFen(fen, checked, &why)) {
        printf("ERROR: invalid position from edit: %s\n", why ? why : "not playable");
        fflush(stdout);
        return;
    }
    MainBoard = board;
    MainBoard.FinishSetUp();
    MainBoard.FiftyMoveCount = 0;
    StartNewPosition();
}
