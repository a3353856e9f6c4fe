#pragma once

// The board edit mode that follows the xboard word "edit": reads its tokens from standard input up to
// ".", or the end of input.
void SetupBoardFromEdit();
