#pragma once
#include <cstdint>

// The UCI side of the engine. Only what the search reads or calls is here so far.
class UCIProtocol {
public:
    uint8_t Active = 1;
    // Print "info currmove" lines in long searches.
    uint8_t ShowCurrLine = 1;

    // Handles one UCI word or line; 2 ends a running search.
    int UCIPrep(const char* word);
};

extern UCIProtocol UCI;
