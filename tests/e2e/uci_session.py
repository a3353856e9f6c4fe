"""UCI conversations: identification, readiness, every kind of "go" with its time limits, "stop",
pondering with "ponderhit", "ucinewgame" during a search, the Ponder option and "quit".

A search must always end with a legal "bestmove", within its time (generous bounds that only catch a hang
or a gross overrun); searches without a limit of their own end only when told to.

Usage: uci_session.py PROGRAM...
"""

import re
import time
import unittest

import orvexdriver
import ucisession

# A search that ends by itself would take minutes here, so its bestmove after "stop" shows the command
# worked. Bounds in seconds.
STOP_WAIT = 20.0
EXIT_WAIT = 20.0

OPENING = "position startpos moves e2e4 e7e5 g1f3 b8c6"
# The only legal move is a1b2; a search of it ends after its first iteration.
ONE_MOVE = "position fen 7k/8/8/8/8/8/1q6/K7 w - - 0 1"
# White mates in one (d1d8); the iterations end as soon as the mate is seen.
MATE_IN_ONE = "position fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1"
# White is mated: no legal move.
MATED = "position startpos moves f2f3 e7e5 g2g4 d8h4"


class IdentificationTest(ucisession.UCITestCase):
    OPTIONS = [
        ("UCI_AnalyseMode", "check", "false"),
        ("OwnBook", "check", "false"),
        ("SecondaryBook", "check", "false"),
        ("UCI_ShowCurrLine", "check", "true"),
        ("Ponder", "check", "false"),
    ]

    def test_uci_block_and_isready(self):
        engine, block = self.start_uci()
        for answer in (block, self.send_uci_again(engine)):
            lines = [line for line in answer if line.strip() != "Orvex"]
            self.assertRegex(lines[0], r"^id name Orvex \S")
            self.assertRegex(lines[1], r"^id author \S")
            options = [re.match(r"^option name (\S+) type (\S+) default (.*?)\s*$", line) for line in lines[2:-1]]
            self.assertTrue(all(options), lines)
            self.assertEqual([m.groups() for m in options[:-1]], self.OPTIONS)
            self.assertEqual(options[-1].group(1, 2), ("UCI_EngineAbout", "string"))
            self.assertEqual(lines[-1], "uciok")
        # Every "isready" at rest gets exactly one "readyok", and nothing else is said.
        engine.send("isready", "isready", "isready")
        self.assertEqual([engine.read_line() for _ in range(3)], ["readyok"] * 3)
        self.assertEqual(self.sync(engine), [])

    def send_uci_again(self, engine):
        engine.send("uci")
        return engine.read_until(r"uciok$")


class SearchTest(ucisession.UCITestCase):
    def test_timed_searches_answer_within_their_time(self):
        # (position, go command, the time it allows in seconds: the side to move's clock, or movetime).
        rows = [
            (OPENING, "go wtime 2000 btime 2000 winc 100 binc 100", 2.0),
            (OPENING + " f1c4", "go wtime 2000 btime 2000 winc 100 binc 100", 2.0),
            (OPENING, "go wtime 1500 btime 1500", 1.5),
            (OPENING, "go wtime 3000 btime 3000 movestogo 3", 3.0),
            (OPENING, "go wtime 3000 btime 3000 winc 0 binc 0 movestogo 1", 3.0),
            (OPENING, "go movetime 300", 0.3),
            (OPENING, "go movetime 500 wtime 600000 btime 600000", 0.5),
            # Only the side to move's clock counts; the other one would allow minutes.
            (OPENING, "go wtime 400 btime 600000 winc 0 binc 60000", 0.4),
            (OPENING + " f1c4", "go wtime 600000 btime 400 winc 60000 binc 0", 0.4),
            # Next to no time left: still a legal move, at once.
            (OPENING, "go wtime 1 btime 1", 0.0),
            (OPENING, "go movetime 1", 0.0),
            # Fixed depth, and searches with no limit the program knows: each ends by itself.
            (OPENING, "go depth 1", None),
            (OPENING, "go depth 5", None),
            (OPENING, "go depth 4 wtime 600000 btime 600000", None),
            ("position startpos", "go", None),
            ("position startpos", "go nodes 5000", None),
            ("position startpos", "go mate 2", None),
            # A searchmoves list is never played as game moves.
            ("position startpos", "go depth 3 searchmoves e2e4 d2d4", None),
            ("position startpos", "go searchmoves e2e4 depth 3", None),
        ]
        engine, _ = self.start_uci()
        for command, go, budget in rows:
            with self.subTest(go=go, position=command):
                position, _ = self.set_position(engine, command)
                self.assert_search_ends(engine, position, go, timeout=(budget or 0) + ucisession.SLACK + 30,
                                        budget=budget)

    def test_stop_ends_every_search(self):
        # Each search would run for minutes (or forever); "isready" is answered during it and "stop" ends
        # it with a legal move.
        rows = [
            (OPENING, "go infinite"),
            (OPENING, "go depth 60"),
            (OPENING, "go movetime 600000"),
            (OPENING, "go wtime 6000000 btime 6000000"),
            (OPENING, "go ponder wtime 6000000 btime 6000000"),
            (OPENING, "go ponder infinite"),
            (ONE_MOVE, "go infinite"),
            (ONE_MOVE, "go ponder wtime 60000 btime 60000"),
            (MATE_IN_ONE, "go infinite"),
            (MATE_IN_ONE, "go ponder wtime 60000 btime 60000"),
            (MATED, "go infinite"),
            (MATED, "go ponder wtime 60000 btime 60000"),
        ]
        engine, _ = self.start_uci()
        for command, go in rows:
            with self.subTest(go=go, position=command):
                position, _ = self.set_position(engine, command)
                engine.send(go)
                # Long enough for the short searches to have ended their iterations: they must wait.
                time.sleep(0.5)
                self.sync(engine)
                self.sync(engine)
                self.assert_search_ends(engine, position, "stop", timeout=STOP_WAIT)
        # "stop" with no search running does nothing.
        engine.send("stop")
        self.assertEqual(self.sync(engine), [])

    def test_ponderhit_turns_pondering_into_a_timed_search(self):
        # (position, go command, the time it allows after ponderhit, seconds).
        rows = [
            (OPENING, "go ponder wtime 2000 btime 2000 winc 100 binc 100", 2.0),
            (OPENING + " f1c4", "go ponder wtime 2000 btime 2000", 2.0),
            (OPENING, "go ponder movetime 500", 0.5),
            # Searches that end their iterations early wait in pondering, then move on the hit; so does
            # one that reaches its depth (last: a bestmove too early leaves the conversation out of step).
            (ONE_MOVE, "go ponder wtime 2000 btime 2000", 2.0),
            (MATE_IN_ONE, "go ponder wtime 2000 btime 2000", 2.0),
            (OPENING, "go ponder depth 3", None),
        ]
        engine, _ = self.start_uci()
        engine.send("setoption name Ponder value true")
        for command, go, budget in rows:
            with self.subTest(go=go, position=command):
                position, _ = self.set_position(engine, command)
                engine.send(go)
                time.sleep(0.3)
                self.sync(engine)
                self.assert_search_ends(engine, position, "ponderhit", timeout=(budget or 0) + ucisession.SLACK + 30,
                                        budget=budget, ponder_option=True)

    def test_ucinewgame_during_a_search(self):
        # The search ends with a legal move, then the new game takes effect: the Ponder option it
        # switches off is off for the next search, and the next position is searched normally.
        for go in ("go infinite", "go depth 60", "go movetime 600000", "go ponder wtime 60000 btime 60000"):
            with self.subTest(go=go):
                engine, _ = self.start_uci()
                engine.send("setoption name Ponder value true")
                position, _ = self.set_position(engine, OPENING)
                engine.send(go)
                time.sleep(0.2)
                self.sync(engine)
                self.assert_search_ends(engine, position, "ucinewgame", timeout=STOP_WAIT, ponder_option=True)
                position, _ = self.set_position(engine, "position startpos moves d2d4")
                reply = self.go(engine, "go depth 4")
                self.assert_reply(engine, position, reply, ponder_option=False)

    def test_ponder_option_names_a_legal_reply(self):
        # With the option every reply may name the expected answer; it must be legal after the best move
        # (with its promotion letter where the answer promotes).
        commands = [
            "position startpos",
            OPENING,
            "position fen r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4",
            # Black's best answer promotes.
            "position fen 4k3/8/8/8/8/8/p7/4K3 w - - 0 1",
            "position fen 4k3/8/8/8/8/8/p5P1/4K3 w - - 0 1",
        ]
        engine, _ = self.start_uci()
        engine.send("setoption name Ponder value true")
        named = 0
        for command in commands:
            with self.subTest(position=command):
                position, _ = self.set_position(engine, command)
                reply = self.go(engine, "go depth 4")
                self.assert_reply(engine, position, reply, ponder_option=True)
                named += reply.ponder is not None
        self.assertGreater(named, 0, "no reply named a ponder move:\n" + engine.history())
        engine.send("setoption name Ponder value false")
        for command in commands[:2]:
            position, _ = self.set_position(engine, command)
            self.assert_reply(engine, position, self.go(engine, "go depth 4"), ponder_option=False)

    def test_quit_ends_the_program(self):
        # At rest and during each kind of search: exit status 0, promptly.
        self.assert_exits_from_every_state(OPENING, lambda engine: engine.send("quit"), EXIT_WAIT)


if __name__ == "__main__":
    orvexdriver.take_program_from_argv()
    unittest.main()
