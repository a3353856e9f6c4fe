#pragma once

// Sets up MainBoard from the first line of a position file (a FEN). A file that cannot be opened or
// holds nothing ends the process; an invalid FEN is reported and leaves MainBoard as it was.
void LoadPositionFile(const char* path);
