#pragma once
#include <cstdint>
#include <string>

// The one owner of standard input. Everything the engine reads (start-up word, console and xboard
// words, UCI lines, input noticed during a search) goes through this buffer, so bytes are never split
// between readers and a long word or line simply grows its string.
namespace StdinReader {
// Next whitespace-delimited word; false at end of input.
bool ReadWord(std::string& word);
// A decimal number as the next text: optional sign and digits, clamped to 32 bits. When the next text
// is no number it stays unread for the next read; false then, and at end of input.
bool ReadInt(int32_t& value);
// Next line without its newline (and without a trailing carriage return); false at end of input.
bool ReadLine(std::string& line);
// Reads and drops one byte (the one that ends a word); blocks only if none has arrived and input goes on.
void SkipChar();
// Drops what is left of the current line.
void DiscardRestOfLine();
// Without blocking: a byte other than white space is waiting, or input has ended.
bool InputWaiting();
// Without blocking: a whole word is waiting (a blank has arrived after it), or input has ended. A
// search polls with this, so a word still arriving never holds it up.
bool WordWaiting();
// True once standard input has been read to its end.
bool AtEnd();
} // namespace StdinReader
