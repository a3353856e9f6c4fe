#pragma once

// Sets up MainBoard from the first line of a position file (a FEN). A file that cannot be opened, holds
// nothing or holds no valid position ends the process with status 1.
void LoadPositionFile(const char* path);

// Walks a file of FEN or EPD lines: shows each position and, by the run mode, searches it ("-ts") or
// evaluates it ("-pev", "-mimicstudent"); prints the number of lines at the end.
void ParseEPDSuite(const char* path);
