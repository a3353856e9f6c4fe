#pragma once

// The console and xboard game: the interface's and the engine's turns until the game ends. In xboard
// mode a finished game waits for the next one ("new") or for "quit"; at the console it ends the program.
void PlayGame();
