"""UCI input that no interface should send, or sends only by mistake: the program stays alive, answers,
and keeps the right position. Also the end of input, a "go" before any "position", and move lists that
are very long or hold an illegal move.

Usage: uci_badinput.py PROGRAM...
"""

import time
import unittest

import orvexdriver
import ucisession

EXIT_WAIT = 20.0
# Short on purpose where a failure could leave the program writing its log without end.
SHORT_WAIT = 10.0
# A fixed-depth search reads its input only every few tens of thousands of nodes, which a sanitizer or
# emulated build on a loaded machine can take well over SHORT_WAIT to search; a search that never stopped
# would run for hours, so the general bound still tells the two apart.
FIXED_DEPTH_STOP_WAIT = orvexdriver.WAIT

OPENING = "position startpos moves e2e4 e7e5 g1f3 b8c6"
# The only legal move is a1b2, so the search shows which position the program holds.
ONE_MOVE = "position fen 7k/8/8/8/8/8/1q6/K7 w - - 0 1"
LONG = 100000

# Lines that change nothing at rest and print nothing.
NOISE = [
    "",
    "   ",
    "\t",
    "foo",
    "foo bar baz",
    "debug on",
    "register later",
    "Position startpos moves e2e4",
    "e2e4",
    "isready now",
    "stop",
    "position",
    "setoption",
    "setoption name NoSuchOption value 7",
    "setoption name Ponder",
    "\x1b[A \x7f",
    "\u00e9\u265e \u00fc",
    "x" * LONG,
    "setoption name " + "z" * LONG,
]


class NoiseTest(ucisession.UCITestCase):
    def test_noise_at_rest_changes_nothing(self):
        engine, _ = self.start_uci()
        position, _ = self.set_position(engine, ONE_MOVE)
        for line in NOISE:
            with self.subTest(line=line[:40]):
                engine.send(line)
                self.assertEqual(self.sync(engine), [], engine.history())
        self.assert_reply(engine, position, self.go(engine, "go depth 3"))

    def test_noise_during_a_search_changes_nothing(self):
        # Only stop, ponderhit, isready, quit and ucinewgame act during a search: the position, option and
        # search commands below are ignored, so the search ends on "stop" in the position it started with,
        # without a ponder move, and no second search follows.
        during = [line for line in NOISE if line != "stop"] + [
            "uci",
            "position startpos moves d2d4",
            "position fen 4k3/8/8/8/8/8/8/4K2R w K - 0 1",
            "go depth 1",
            "go movetime 10",
            "setoption name Ponder value true",
        ]
        # One search still iterating, one waiting after its only move; an analysis plays no move, so the
        # next search starts from the same position.
        for command in (OPENING, ONE_MOVE):
            with self.subTest(position=command):
                engine, _ = self.start_uci()
                position, _ = self.set_position(engine, command)
                engine.send("go infinite")
                for line in during:
                    engine.send(line)
                self.sync(engine)
                self.assert_search_ends(engine, position, "stop")
                self.assert_reply(engine, position, self.go(engine, "go depth 3"))

    def test_windows_line_ends_and_extra_blanks(self):
        engine, _ = self.start_uci()
        engine.send("position startpos moves e2e4 e7e5\r", "isready\r")
        engine.read_until(r"readyok$")
        position = ucisession.referee_position("position startpos moves e2e4 e7e5")[0]
        self.assert_reply(engine, position, self.go(engine, "go depth 3\r"))
        engine.send("  isready  ")
        engine.read_until(r"readyok$")

    def test_mimic_student_reply_ends_its_line(self):
        # The evaluation request prints its own line; the answer to the next command is a line of its own.
        engine, _ = self.start_uci()
        self.set_position(engine, "position startpos")
        engine.send("go Mimic Student", "isready")
        lines = engine.read_until(r".*readyok", SHORT_WAIT)
        self.assertEqual(lines[-1], "readyok", engine.history())
        position, _ = self.set_position(engine, ONE_MOVE)
        self.assert_reply(engine, position, self.go(engine, "go depth 3", SHORT_WAIT))

    def test_depths_a_search_cannot_reach(self):
        # A depth out of range or beyond any number: the search still ends on "stop" (or by itself) with
        # one legal move.
        for depth in ("200", "-5", "99999999999999999999", "0", "-0", "2147483648", "x"):
            with self.subTest(depth=depth):
                engine, _ = self.start_uci()
                position, _ = self.set_position(engine, OPENING)
                engine.send("go depth " + depth)
                time.sleep(0.3)
                self.assert_search_ends(engine, position, "stop", timeout=FIXED_DEPTH_STOP_WAIT)
                self.assert_reply(engine, position, self.go(engine, "go depth 3"))

    def test_stray_ponderhit_at_rest(self):
        # A ponderhit can cross a bestmove on its way; the program must stay in the conversation.
        engine, _ = self.start_uci()
        position, _ = self.set_position(engine, ONE_MOVE)
        engine.send("ponderhit", "isready")
        engine.read_until(r"readyok$", SHORT_WAIT)
        self.assert_reply(engine, position, self.go(engine, "go depth 3", SHORT_WAIT))

    def test_ponderhit_at_rest_changes_nothing(self):
        # With no search to turn into a timed one, ponderhit is ignored: no new match, no identification
        # again, and neither the position nor an option that a start-up word would reset changes. The next
        # "go" searches what the last "position" set.
        for word in ("uci", "ucinewgame"):
            with self.subTest(start_up_word=word):
                engine = self.start()
                engine.send(word)
                if word == "uci":
                    engine.read_until(r"uciok$", SHORT_WAIT)
                engine.send("setoption name Ponder value true")
                position, _ = self.set_position(engine, "position fen 4k3/8/8/8/8/8/8/4K2R w K - 0 1")
                engine.send("ponderhit")
                self.assertEqual(self.sync(engine, SHORT_WAIT), [], engine.history())
                reply = self.go(engine, "go depth 4", SHORT_WAIT)
                self.assert_reply(engine, position, reply, ponder_option=True)
                self.assertIsNotNone(reply.ponder, "the Ponder option was lost:\n" + engine.history())
                engine.send("quit")
                self.assertEqual(engine.wait_exit(EXIT_WAIT), 0)
                log = self.match_log()
                self.assertEqual(log.count("Next Match"), 1, log[-2000:])

    def test_nul_byte_in_a_move_list(self):
        # A NUL byte is part of no move: the list is played up to the word that holds it, which one "ERROR: "
        # line reports, shown with the byte written out.
        rows = [
            ("position startpos moves e2e4\0 e7e5 g1f3", "position startpos", "e2e4\\x00"),
            ("position startpos moves e2e4 e7e5\0g1f3", "position startpos moves e2e4", "e7e5\\x00g1f3"),
            ("position startpos moves e2e4 \0 e7e5", "position startpos moves e2e4", "\\x00"),
        ]
        engine, _ = self.start_uci()
        for command, played, word in rows:
            with self.subTest(command=command):
                engine.send(command)
                printed = self.sync(engine)
                self.assertEqual(len(printed), 1, engine.history())
                self.assertTrue(printed[0].startswith("ERROR: ") and printed[0].endswith(" " + word), engine.history())
                position = ucisession.referee_position(played)[0]
                self.assert_reply(engine, position, self.go(engine, "go depth 3"))

    def test_ponderhit_at_rest_in_uci_mode_from_the_command_line(self):
        # Started with -uci and another start-up word there is no identification to repeat; the program
        # still answers and quits at once.
        engine = self.start("-uci")
        engine.send("hello")
        self.sync(engine, SHORT_WAIT)
        engine.send("ponderhit")
        self.sync(engine, SHORT_WAIT)
        engine.send("ponderhit", "isready")
        engine.read_until(r"readyok$", SHORT_WAIT)
        position, _ = self.set_position(engine, ONE_MOVE)
        self.assert_search_ends(engine, position, "go depth 2", timeout=SHORT_WAIT)
        engine.send("quit")
        self.assertEqual(engine.wait_exit(SHORT_WAIT), 0)
        self.assertLess(len(self.match_log()), 32768)


class BadPositionTest(ucisession.UCITestCase):
    BAD_FENS = [
        "",
        "garbage",
        "garbage moves e2e4",
        "8/8/8/8/8/8/8/8 w - - 0 1",
        "4k3/8/8/8/8/8/8/8 w - - 0 1",
        "4k3/8/8/8/8/8/8/K3K3 w - - 0 1",
        "4k3/8/8/8/8/8/8/P3K3 w - - 0 1",
        "3Pk3/8/8/8/8/8/8/4K3 w - - 0 1",
        # The side not to move stands in check.
        "4k2R/8/8/8/8/8/8/4K3 w - - 0 1",
        # Nine pawns; eight pawns and two queens.
        "4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1",
        "4k3/8/8/8/8/8/PPPPPPPP/QQ2K3 w - - 0 1",
        # Seven ranks, nine ranks, nine squares in a rank, a run of digits read as one number. (An
        # unknown piece letter only takes a square: the reader is lenient there.)
        "4k3/8/8/8/8/8/4K3 w - - 0 1",
        "4k3/8/8/8/8/8/8/4K3/8 w - - 0 1",
        "4k4/8/8/8/8/8/8/4K3 w - - 0 1",
        "4k3/44/8/8/8/8/8/4K3 w - - 0 1",
        "p" * LONG,
        # A NUL byte would otherwise cut the text short: the side, castling and clock fields vanish.
        "4k3/8/8/8/8/8/8/4K2R\0 b K - 0 1",
        "4k3/8/8/8/8/8/8/4K2R b K\0 - 0 1",
    ]

    def test_invalid_fen_changes_nothing(self):
        engine, _ = self.start_uci()
        for fen in self.BAD_FENS:
            with self.subTest(fen=fen[:60]):
                position, _ = self.set_position(engine, ONE_MOVE)
                engine.send(("position fen " + fen).rstrip())
                printed = self.sync(engine)
                self.assertEqual(len(printed), 1, engine.history())
                self.assertTrue(printed[0].startswith("ERROR: "), engine.history())
                self.assert_reply(engine, position, self.go(engine, "go depth 3"))

    def test_illegal_move_in_a_list(self):
        # Played up to the first illegal move, which gets one "ERROR: " line; later moves are not played
        # (several rows would leave the other side to move, had they been).
        rows = [
            ("position startpos moves e2e5", "e2e5"),
            ("position startpos moves e2e4 e7e5 e4e5 g1f3", "e4e5"),
            ("position startpos moves e2e4 d2d4", "d2d4"),
            ("position startpos moves e2e4 e2e4 e7e5", "e2e4"),
            ("position startpos moves e2e4 e7e5 e4e5 e4e5 e4e5 e4e5", "e4e5"),
            # Into check, a pinned piece, castling through an attacked square.
            ("position startpos moves e2e4 e7e5 d1h5 f7f6 g1f3", "f7f6"),
            ("position startpos moves e2e4 e7e6 d2d4 f8b4 b1d2 g8f6 d2f3", "d2f3"),
            ("position fen r3k2r/8/8/8/8/8/5r2/R3K2R w KQkq - 0 1 moves e1g1", "e1g1"),
            # Malformed moves.
            ("position startpos moves e2e4 e7e5 g1f3 b8c6 e2", "e2"),
            ("position startpos moves e2e4 e7e5 g1f3 e2e9", "e2e9"),
            ("position startpos moves e2e4 a0a1", "a0a1"),
            ("position startpos moves e2e4 e7e5 g1f3q", "g1f3q"),
            ("position startpos moves e2e4e5", "e2e4e5"),
            ("position fen 8/4P2p/8/8/k7/8/8/K7 w - - 0 1 moves e7e8k", "e7e8k"),
            # After the illegal move the game stands mated, or has one legal move.
            ("position startpos moves f2f3 e7e5 g2g4 d8h4 e1f2", "e1f2"),
            ("position fen 7k/8/8/8/8/8/1q6/K7 w - - 0 1 moves a1a2 a1b2", "a1a2"),
        ]
        engine, _ = self.start_uci()
        self.check_position_rows(engine, rows)

    def test_very_long_move_lists(self):
        # Knights out and back: 700 legal moves, the game's positions repeating throughout.
        shuffle = " ".join(["g1f3 g8f6 f3g1 f6g8"] * 175)
        rows = [
            ("position startpos moves " + shuffle, None),
            ("position startpos moves " + shuffle + " e2e4", None),
            ("position startpos moves " + shuffle + " " + shuffle + " d2d4 d7d5", None),
        ]
        engine, _ = self.start_uci()
        # The key history holds 600 positions; when it is full it reports so and drops its older half.
        self.check_position_rows(engine, rows, tolerated=r"MAJOR ERROR: NumMoves > 590 ")

    def test_full_key_history_is_reported_once_per_command(self):
        # 596 plies take the key history past its warning mark, and each search goes past it again: the
        # warning comes once for the position command and at most once for each search, never per node.
        warning = r"MAJOR ERROR: NumMoves > 590 "
        command = "position startpos moves " + " ".join(["g1f3 g8f6 f3g1 f6g8"] * 149)
        engine, _ = self.start_uci()
        position, printed = self.set_position(engine, command)
        self.assertEqual(ucisession.referee_position(command)[1], None)
        counts = [len([line for line in printed if line.startswith(warning)])]
        self.assertEqual([line for line in printed if not line.startswith(warning)], [], engine.history())
        for _ in range(2):
            reply = self.go(engine, "go depth 3")
            self.assert_reply(engine, position, reply, tolerated=warning)
            after = self.sync(engine)
            self.assertEqual([line for line in after if not line.startswith(warning)], [], engine.history())
            counts.append(len([line for line in reply.lines + after if line.startswith(warning)]))
        self.assertTrue(all(n <= 1 for n in counts), "warnings per command: %s\n%s" % (counts, engine.history()))
        self.assertGreaterEqual(sum(counts), 1, engine.history())

    def test_long_words_in_commands(self):
        # A word that is no move ends the list; the moves before it stand.
        engine, _ = self.start_uci()
        command = "position startpos moves e2e4 e7e5 " + "y" * LONG
        engine.send(command)
        printed = self.sync(engine)
        self.assertLessEqual(len(printed), 1)
        position = ucisession.referee_position("position startpos moves e2e4 e7e5")[0]
        self.assert_reply(engine, position, self.go(engine, "go depth 3 " + "q" * LONG))


class StartAndEndTest(ucisession.UCITestCase):
    def test_go_before_any_position_searches_the_start_position(self):
        for go in ("go depth 3", "go wtime 1000 btime 1000", "go movetime 200", "go"):
            with self.subTest(go=go):
                engine, _ = self.start_uci()
                reply = self.go(engine, go)
                self.assert_reply(engine, ucisession.referee_position("position startpos")[0], reply)

    def test_end_of_input_ends_the_program(self):
        # Whatever the program is doing when its input ends, it exits with status 0; a last line without
        # its newline is still carried out.
        self.assert_exits_from_every_state(OPENING, lambda engine: engine.close_input(), EXIT_WAIT)
        engine = self.start()
        engine.proc.stdin.write(b"uci\nisready")
        engine.close_input()
        self.assertEqual(engine.wait_exit(EXIT_WAIT), 0)
        self.assertIn("readyok", engine.rest())


if __name__ == "__main__":
    orvexdriver.take_program_from_argv()
    unittest.main()
