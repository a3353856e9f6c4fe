"""Runs the program on pipes for the end-to-end tests.

The command that starts the program comes from the test's command line (the binary, possibly behind an
emulator). Every read waits at most WAIT seconds, so a hang fails the test instead of stalling it.
"""

import os
import queue
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

import chessrules

# Generous: sanitizer and emulated builds are many times slower than a release build.
WAIT = float(os.environ.get("ORVEX_E2E_WAIT", "60"))

PROGRAM = []


def take_program_from_argv():
    """The arguments after the script name are the command that starts the program."""
    global PROGRAM
    # The tests run in directories of their own, so relative paths are taken from here.
    PROGRAM = [os.path.abspath(a) if "/" in a and os.path.exists(a) else a for a in sys.argv[1:]]
    if not PROGRAM:
        sys.exit("usage: %s PROGRAM..." % sys.argv[0])
    del sys.argv[1:]


def run(args=(), stdin_text="", cwd=None, timeout=WAIT):
    """Runs the program to its end on the given input; returns (exit status, output)."""
    done = subprocess.run(PROGRAM + list(args), input=stdin_text.encode(), stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, cwd=cwd, timeout=timeout)
    return done.returncode, done.stdout.decode(errors="replace")


class Engine:
    """A running program: send lines, read whole lines with a deadline."""

    def __init__(self, args=(), cwd=None):
        self.proc = subprocess.Popen(PROGRAM + list(args), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT, cwd=cwd, bufsize=0)
        self.lines = queue.Queue()
        self.transcript = []
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        pending = b""
        while True:
            chunk = os.read(self.proc.stdout.fileno(), 4096)
            if not chunk:
                break
            pending += chunk
            *complete, pending = pending.split(b"\n")
            for line in complete:
                self.lines.put(line.decode(errors="replace"))
        if pending:
            self.lines.put(pending.decode(errors="replace"))
        self.lines.put(None)  # end of output

    def send(self, *lines):
        for line in lines:
            self.transcript.append("> " + line)
        self.proc.stdin.write("".join(line + "\n" for line in lines).encode())
        self.proc.stdin.flush()

    def close_input(self):
        self.proc.stdin.close()

    def read_line(self, timeout=WAIT):
        """The next line of output; None at the end of output."""
        try:
            line = self.lines.get(timeout=timeout)
        except queue.Empty:
            raise AssertionError("no output within %s s; conversation so far:\n%s" % (timeout, self.history()))
        if line is None:
            self.lines.put(None)
        else:
            self.transcript.append("< " + line)
        return line

    def read_until(self, pattern, timeout=WAIT):
        """Lines up to and including the first that matches the pattern (a regular expression matched
        from the line's start); fails at the end of output or when the deadline passes."""
        deadline = time.monotonic() + timeout
        seen = []
        while True:
            line = self.read_line(max(0.0, deadline - time.monotonic()))
            if line is None:
                raise AssertionError("output ended before /%s/; conversation:\n%s" % (pattern, self.history()))
            seen.append(line)
            if re.match(pattern, line):
                return seen

    def wait_exit(self, timeout=WAIT):
        """Exit status once the program has ended; the rest of its output stays readable."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not exit within %s s; conversation:\n%s" % (timeout, self.history()))

    def rest(self, timeout=WAIT):
        """All output still to come, up to the end of output."""
        lines = []
        while True:
            line = self.read_line(timeout)
            if line is None:
                return lines
            lines.append(line)

    def history(self):
        return "\n".join(self.transcript[-60:])

    def finish(self):
        """Ends the program (the end of input first, so that it can exit by itself) and returns its whole
        output, read and unread."""
        try:
            self.proc.stdin.close()
        except OSError:
            pass
        try:
            self.proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass
        self.kill()
        lines = [line[2:] for line in self.transcript if line.startswith("< ")]
        while True:
            try:
                line = self.lines.get(timeout=5)
            except queue.Empty:
                break
            if line is None:
                break
            lines.append(line)
        return lines

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for stream in (self.proc.stdin, self.proc.stdout):
            try:
                stream.close()
            except OSError:
                pass


# What a sanitizer build prints when it finds a fault; the program itself never prints it.
SANITIZER = re.compile(r"AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|runtime error: ")


class EngineTestCase(unittest.TestCase):
    """Each test runs in its own empty directory, where the program writes its match.log."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="orvex-e2e-")
        self.engines = []

    def tearDown(self):
        try:
            for engine in self.engines:
                self.assert_no_sanitizer_report(engine.finish())
        finally:
            shutil.rmtree(self.dir, ignore_errors=True)

    def assert_no_sanitizer_report(self, lines):
        reports = [line for line in lines if SANITIZER.search(line)]
        self.assertEqual(reports, [], "sanitizer report:\n" + "\n".join(lines[-80:]))

    def start(self, *args):
        engine = Engine(args, cwd=self.dir)
        self.engines.append(engine)
        return engine

    def run_program(self, args=(), stdin_text=""):
        status, output = run(args, stdin_text, cwd=self.dir)
        self.assert_no_sanitizer_report(output.split("\n"))
        return status, output

    def write_file(self, name, text):
        path = os.path.join(self.dir, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    def match_log(self):
        with open(os.path.join(self.dir, "match.log"), "rb") as f:
            return f.read().decode(errors="replace")


# Console board: "8  r n b q k b n r  8".
BOARD_ROW = re.compile(r"^([1-8])  ((?:[-PNBRQKpnbrqk] ){7}[-PNBRQKpnbrqk])  \1$")


def console_boards(lines):
    """Every board the console drew, each as eight strings from rank 8 down, in order."""
    boards, current = [], []
    for line in lines:
        m = BOARD_ROW.match(line)
        if m:
            current.append(m.group(2).replace(" ", ""))
            if len(current) == 8:
                boards.append(current)
                current = []
    return boards


# An engine move under xboard: "12. ... e7e5 " or, for a promotion, "12. ... e7e8q;".
XBOARD_MOVE = re.compile(r"^(\d+)\. \.\.\. ([a-h][1-8][a-h][1-8])(?: |([nbrq]);)$")

# A thinking line: depth, score, time, nodes, then the line of moves.
THINKING = re.compile(r"^(\d+) (-?\d+) (-?\d+) (\d+) ((?: [a-h][1-8][a-h][1-8](?:[nbrq];)?)*) ?$")
# Lines that would mean the engine refused something or ended the game.
VERDICT = re.compile(r"^(Illegal move|ERROR|1/2-1/2|1-0|0-1|White mates|Black mates|Stalemate)")


class Xboard:
    """An xboard conversation with a referee's copy of the game beside it."""

    def __init__(self, test, engine):
        self.test = test
        self.engine = engine
        self.pos = chessrules.Position()
        self.numbered = True  # the "N. ..." prefix follows the game from the start position

    def send(self, *lines):
        self.engine.send(*lines)

    def new(self, *settings):
        self.send("new", *settings)
        self.pos = chessrules.Position()
        self.numbered = True

    def setboard(self, fen):
        self.send("setboard " + fen)
        self.pos = chessrules.Position(fen)
        self.numbered = False

    def move(self, move):
        """A move of the interface side (or, in force mode, of either side)."""
        self.test.assertTrue(self.pos.is_legal(move), "the script's own move %s is illegal in %s" % (move, self.pos.fen()))
        self.send(move)
        self.pos.push(move)

    def engine_move(self, timeout=WAIT):
        """Waits for the engine's move, checks it against the referee and makes it there."""
        lines = self.engine.read_until(XBOARD_MOVE.pattern, timeout)
        for line in lines[:-1]:
            self.test.assertIsNone(VERDICT.match(line), "unexpected line before the move:\n" + self.engine.history())
            self.check_thinking(line)
        m = XBOARD_MOVE.match(lines[-1])
        move = m.group(2) + (m.group(3) or "")
        self.test.assertTrue(self.pos.is_legal(move),
                             "engine move %s is illegal in %s\n%s" % (move, self.pos.fen(), self.engine.history()))
        self.test.assertTrue(m.group(3) or len(self.pos.normalise(move)) == 4,
                             "a promotion without its piece: " + lines[-1])
        if self.numbered:
            self.test.assertEqual(int(m.group(1)), self.pos.fullmove, lines[-1])
        self.pos.push(move)
        return move

    def check_thinking(self, line):
        t = THINKING.match(line)
        if t and t.group(5):
            first = t.group(5).split()[0]
            self.test.assertTrue(self.pos.is_legal(first), "thinking line starts with an illegal move: " + line)

    def sync(self):
        """Sends "." and returns the lines that came before its "stat01: " answer."""
        self.send(".")
        return self.engine.read_until(r"^stat01: ")[:-1]

    def expect_quiet(self, idle=False):
        """Nothing that is a move or a verdict arrives before the next "." is answered; with idle, no
        thinking line either (the engine must not be searching)."""
        for line in self.sync():
            self.test.assertIsNone(XBOARD_MOVE.match(line), "unexpected move:\n" + self.engine.history())
            self.test.assertIsNone(VERDICT.match(line), "unexpected line:\n" + self.engine.history())
            if idle:
                self.test.assertIsNone(THINKING.match(line), "unexpected search:\n" + self.engine.history())

    def expect_line(self, text):
        """The very next line that is not empty, a thinking line or a rate report is exactly the text."""
        while True:
            line = self.engine.read_line()
            self.test.assertIsNotNone(line, "output ended before %r\n%s" % (text, self.engine.history()))
            if line == "" or THINKING.match(line) or line.startswith("info nps "):
                continue
            self.test.assertEqual(line, text, self.engine.history())
            return


def start_xboard(test, *args, settings=()):
    """A program in xboard mode with a fresh game; the settings are sent after "new"."""
    engine = test.start(*args)
    test.assertEqual(engine.read_line(), "Orvex ")
    engine.send("xboard", "protover 2")
    x = Xboard(test, engine)
    x.new(*settings)
    return x
