"""UCI conversations for the end-to-end tests: start the program in UCI mode, set positions, run searches,
and check every move it prints against the independent referee in chessrules.py.

The tests keep their own copy of each position (built by the referee from the same "position" command),
so a wrong board inside the program shows up as an illegal "bestmove", "ponder" or principal-variation move.
"""

import re
import time

import chessrules
import orvexdriver

# A search's reply: "bestmove e2e4 ", "bestmove e7e8q ponder d1d8", "bestmove 0000".
BESTMOVE = re.compile(r"^bestmove (\S+)(?: ponder (\S+))?\s*$")
MOVE_TEXT = re.compile(r"^[a-h][1-8][a-h][1-8][qrbn]?$")

# Added to every time budget: it only has to catch a hang or a gross overrun, also in sanitizer and
# emulated builds.
SLACK = 10.0


class Reply:
    """What one "go" produced: every line up to the bestmove line, its move, its ponder move, and the
    seconds from sending "go" to reading "bestmove"."""

    def __init__(self, lines, seconds):
        self.lines = lines
        self.seconds = seconds
        m = BESTMOVE.match(lines[-1])
        if not m:
            raise AssertionError("malformed bestmove line %r" % lines[-1])
        self.best, self.ponder = m.group(1), m.group(2)

    def pv_lines(self):
        return [line for line in self.lines if line.startswith("info") and " pv " in line + " "]


def referee_position(command):
    """The position a "position ..." command sets up, by the referee's rules: the move list is played up
    to its first illegal move. Returns (position, first illegal move or None)."""
    words = command.split()
    assert words[0] == "position", command
    if "moves" in words:
        at = words.index("moves")
        setup, moves = words[1:at], words[at + 1:]
    else:
        setup, moves = words[1:], []
    if setup[0] == "startpos":
        position = chessrules.Position()
    else:
        assert setup[0] == "fen", command
        position = chessrules.Position(" ".join(setup[1:]))
    for move in moves:
        # A promotion without its letter is a queen here, as in the program.
        if not re.match(r"^[a-h][1-8][a-h][1-8][qrbn]?$", move) or not position.is_legal(move):
            return position, move
        position.push(move)
    return position, None


def errors(lines, tolerated=None):
    """The lines that report an error, but for those matching the tolerated pattern."""
    return [line for line in lines if "ERROR" in line and not (tolerated and re.match(tolerated, line))]


def needs_letter(position, move):
    """Whether the move (four characters) is a pawn reaching the last rank."""
    piece = position.board[chessrules.square(move[:2])]
    return piece in "Pp" and move[3] in "18"


def is_exact_legal(position, move):
    """Legal as UCI writes it: well formed, and with a promotion letter exactly when it promotes."""
    if not MOVE_TEXT.match(move):
        return False
    if needs_letter(position, move[:4]) != (len(move) == 5):
        return False
    return move in position.legal_moves()


class UCITestCase(orvexdriver.EngineTestCase):
    """Helpers for a UCI conversation; each test starts its own program in its own directory."""

    def start_uci(self, *args):
        """A program past the "uci" handshake; returns (engine, lines of the identification block)."""
        engine = self.start(*args)
        engine.send("uci")
        return engine, engine.read_until(r"uciok$")

    def sync(self, engine, timeout=orvexdriver.WAIT):
        """Sends "isready" and returns the lines before "readyok"; none of them may be a bestmove."""
        engine.send("isready")
        lines = engine.read_until(r"readyok$", timeout)[:-1]
        self.assertFalse([line for line in lines if line.startswith("bestmove")],
                         "a bestmove came before readyok:\n" + engine.history())
        return lines

    def set_position(self, engine, command):
        """Sends a "position" command; returns its referee position and the lines it printed."""
        engine.send(command)
        printed = self.sync(engine)
        return referee_position(command)[0], printed

    def go(self, engine, command, timeout=orvexdriver.WAIT):
        start = time.monotonic()
        engine.send(command)
        lines = engine.read_until(r"bestmove( |$)", timeout)
        return Reply(lines, time.monotonic() - start)

    def assert_search_ends(self, engine, position, command, timeout=orvexdriver.WAIT, **checks):
        """Sends the command that starts or ends a search, checks its reply as assert_reply does (with the
        checks' budget, ponder_option and tolerated), and that nothing follows the bestmove."""
        self.assert_reply(engine, position, self.go(engine, command, timeout), **checks)
        self.assertEqual(self.sync(engine), [])

    def assert_exits_from_every_state(self, command, end, timeout):
        """At rest and during each kind of search (in the position the command sets up), end(engine) makes
        the program exit with status 0 within the timeout (seconds)."""
        for go in (None, "go infinite", "go depth 60", "go movetime 600000", "go ponder wtime 60000 btime 60000"):
            with self.subTest(go=go):
                engine, _ = self.start_uci()
                self.set_position(engine, command)
                if go:
                    engine.send(go)
                    self.sync(engine)
                end(engine)
                self.assertEqual(engine.wait_exit(timeout), 0, engine.history())

    def assert_reply(self, engine, position, reply, budget=None, ponder_option=False, tolerated=None):
        """The bestmove is legal in the position ("0000" exactly when there is no legal move), every
        principal variation printed is a legal line, a ponder move comes only with the option and is
        legal after the best move, no error was reported (but for lines matching the tolerated pattern),
        and the reply came within the budget (seconds) when one is given."""
        context = "\nposition: %s\n%s" % (position.fen(), engine.history())
        self.assertEqual(errors(reply.lines, tolerated), [], context)
        legal = position.legal_moves()
        if not legal:
            self.assertEqual(reply.best, "0000", "no legal move, so bestmove 0000" + context)
            self.assertIsNone(reply.ponder, context)
        else:
            self.assertTrue(is_exact_legal(position, reply.best), "bestmove %s is not legal%s" % (reply.best, context))
            if reply.ponder is not None:
                self.assertTrue(ponder_option, "ponder move without the Ponder option" + context)
                after = position.after(reply.best)
                self.assertTrue(is_exact_legal(after, reply.ponder),
                                "ponder %s is not legal after %s%s" % (reply.ponder, reply.best, context))
        # With no legal move there is no line to check (the search prints an empty move there).
        for line in reply.pv_lines() if legal else []:
            # The principal variation writes a promotion as "e7e8q;" with no blank after it.
            moves = re.split(r"[\s;]+", line.split(" pv ", 1)[1].strip())
            self.assert_legal_line(position, [move for move in moves if move], context)
        if budget is not None:
            self.assertLessEqual(reply.seconds, budget + SLACK,
                                 "bestmove took %.1f s for a budget of %.1f s%s" % (reply.seconds, budget, context))

    def assert_legal_line(self, position, moves, context=""):
        line = position.copy()
        for move in moves:
            self.assertTrue(line.is_legal(move), "principal variation %s: %s is not legal in %s%s"
                            % (" ".join(moves), move, line.fen(), context))
            line.push(move)

    def check_position_rows(self, engine, rows, go="go depth 3", tolerated=None):
        """Rows of ("position ..." command, its first illegal move or None): the program reports exactly
        the illegal move with one "ERROR: " line, prints nothing else (but for lines matching the
        tolerated pattern), and its search then answers with a move that is legal where the referee's
        game stands."""
        for command, illegal in rows:
            with self.subTest(command=command[:120]):
                position, printed = self.set_position(engine, command)
                printed = [line for line in printed if not (tolerated and re.match(tolerated, line))]
                self.assertEqual(referee_position(command)[1], illegal, "the table disagrees with the referee")
                if illegal is None:
                    self.assertEqual(printed, [], engine.history())
                else:
                    self.assertEqual(len(printed), 1, engine.history())
                    self.assertTrue(printed[0].startswith("ERROR: ") and illegal in printed[0], engine.history())
                self.assert_reply(engine, position, self.go(engine, go), tolerated=tolerated)
