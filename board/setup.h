#pragma once
#include <cstdint>
#include <string>

#include "board/board.h"

// Replaces MainBoard's pieces, side to move and castling rights by those of a FEN text. A text that
// does not describe a playable position prints one "ERROR: " line and leaves MainBoard untouched; the
// result says which happened. The caller finishes the set-up with ChessBoard::FinishSetUp and sets the
// half-move clock as its use wants it.
bool SetupBoard(const char* text);
// The same for a text read as a whole line, which may hold a NUL byte: such a text is refused, since the
// fields after the NUL would otherwise vanish without a word.
bool SetupBoard(const std::string& text);

// Why a position whose side to move could take the other king is refused.
inline constexpr const char SideNotToMoveInCheck[] = "the side not to move is in check";

// Checks a FEN text the way SetupBoard does, without touching MainBoard; on failure `why` (if given)
// receives the reason.
bool ParseFen(const char* text, ChessBoard& board, const char** why);
bool ParseFen(const std::string& text, ChessBoard& board, const char** why);

// The fields of a FEN text separated by single blanks, however many blanks or tabs stood before,
// between and after them.
std::string FenFields(const std::string& text);

char DecodePiece(uint64_t square, const ChessBoard& board);
// out must hold at least 5 chars.
void CastleRights(char* out, char rights);
// out must hold at least FenBufferSize chars.
inline constexpr int FenBufferSize = 128;
void pos2fenString(const ChessBoard& board, char* out);

// Kept with the set-up, called by nothing in the engine
void AddPiece(char letter, int square);
void pos2fen(const ChessBoard& board, int n);
