// The input poll inside the search, the ponder and analysis wait, and the requests the commands make of
// a running search. Words read here go to the command handler that start-up installs.
#include "search/compmov.h"

#include <string>

#include "platform/clock.h"
#include "platform/input.h"

namespace {
// Set once the end of input has been handed to the commands: it means "quit", and only once.
bool EndOfInputDelivered = false;

// A word for the commands: at the end of input there is nothing left to do but quit.
std::string ReadCommandWord()
{
    std::string word;
    if (!StdinReader::ReadWord(word)) word = "quit";
    if (StdinReader::AtEnd()) EndOfInputDelivered = true;
    return word;
}

// Input is read during a search under the protocols, and in a console analysis, which nothing but a
// command can end.
bool InputPolled()
{
    return MainStatus.xboard == 1 || MainStatus.UCIMode == 1 || MainStatus.Analyze == 1;
}

SearchInput Dispatch(const std::string& word)
{
    return Search.CommandHandler ? Search.CommandHandler(word.c_str()) : SearchInput::GoOn;
}
} // namespace

void SearchRoutines::MoveNow()
{
    StopSearch = 1;
    TimeUp = 1;
}

void SearchRoutines::AbortSearch()
{
    Abort = 1;
    StopSearch = 1;
    TimeUp = 1;
}

int SearchRoutines::InputDetected()
{
    if (!InputPolled() || !CommandHandler) return 0;
    return StdinReader::WordWaiting() ? 1 : 0;
}

bool SearchRoutines::Poll()
{
    bool handled = false;
    if (InputPolled() && CommandHandler && !(EndOfInputDelivered && StdinReader::AtEnd()) &&
        StdinReader::WordWaiting()) {
        const std::string word = ReadCommandWord();
        handled = true;
        if (Dispatch(word) == SearchInput::Abort) {
            PrintAbortLine(word.c_str());
            AbortSearch();
            return true;
        }
        // The rest of the command's line goes with it; later lines stay for the protocol.
        StdinReader::DiscardRestOfLine();
    }
    if (!handled && RootDepth > 7 && MainStatus.Analyze == 1 && MainStatus.xboard == 1) PrintStatusLine();
    if (BudgetSpent()) return true;
    PollCountdown = NextPollInterval();
    return false;
}

void SearchRoutines::WaitForInput()
{
    if (!InputPolled() || !CommandHandler) return;
    // Until a command ends the search, or the opponent plays the move pondered on; a question such as
    // "isready" is answered and the wait goes on.
    for (;;) {
        while (!InputDetected()) SleepMilliseconds(1);
        const bool pondering = MainStatus.Ponder;
        const std::string word = ReadCommandWord();
        const SearchInput result = Dispatch(word);
        StdinReader::DiscardRestOfLine();
        if (result == SearchInput::Abort || (pondering && !MainStatus.Ponder) || Abort || EndOfInputDelivered) {
            PrintAbortLine(word.c_str());
            break;
        }
    }
    AbortSearch();
}
