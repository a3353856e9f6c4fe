"""xboard play through the program: timed games, force mode, set-up positions, commands that arrive while
the engine thinks, finished games followed by new ones, and the match log.
Usage: xboard_play.py PROGRAM..."""

import re
import time
import unittest

import chessrules
from orvexdriver import XBOARD_MOVE, THINKING, EngineTestCase, start_xboard, take_program_from_argv

# Short searches: about a tenth of a second per move.
QUICK = ("level 40 1 0", "time 300", "otim 300")
# Searches that would run for hours unless something stops them; their thinking lines show they run.
ENDLESS = ("post", "level 0 1000 0", "time 6000000", "otim 6000000")
# A reply the clock allows in about a second or two, with room for slow builds. Seconds.
MOVE_WAIT = 30.0


def go_and_play_on(x):
    """The engine moves on "go", then once more after the interface's reply (its first legal move)."""
    x.send("go")
    x.engine_move()
    x.move(sorted(x.pos.legal_moves())[0])
    x.engine_move()


class TimedGames(EngineTestCase):
    def forced_game(self, fen, moves):
        """A game in force mode from the FEN, with the moves entered for both sides."""
        x = start_xboard(self, settings=QUICK)
        x.send("force")
        x.setboard(fen)
        for m in moves:
            x.move(m)
        return x

    def test_game_with_clock_force_and_go(self):
        x = start_xboard(self, settings=QUICK)
        x.move("e2e4")
        x.engine_move()
        for _ in range(3):
            x.send("time 290", "otim 290")
            x.move(sorted(x.pos.legal_moves())[0])
            x.engine_move()
        # Force mode: both sides' moves are entered, then the engine takes the side to move. The move
        # number of its prefix counts only the turns of the game loop, so it is not checked from here on.
        x.send("force")
        x.numbered = False
        for _ in range(2):
            x.move(sorted(x.pos.legal_moves())[-1])
        go_and_play_on(x)

    def test_engine_plays_white_after_go(self):
        go_and_play_on(start_xboard(self, settings=QUICK))

    def test_special_moves_entered_in_force_mode(self):
        # Each later move is legal only if the engine made the special move exactly as the rules say.
        cases = [
            ("en passant removes the passed pawn",
             "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", ["e5f6", "c8g4"]),
            ("castling moves both rooks",
             "r3k2r/pppq1ppp/2n2n2/2bpp3/2BPP3/2N2N2/PPPQ1PPP/R3K2R w KQkq - 0 1", ["e1g1", "e8c8", "f1e1", "d8e8"]),
            ("under-promotion to a knight", "8/P6k/8/8/8/8/7p/K7 w - - 0 1", ["a7a8n", "h7g7", "a8b6"]),
            ("promotion without a letter is a queen", "8/P6k/8/8/8/8/7p/K7 w - - 0 1", ["a7a8", "h7g7", "a8h1"]),
        ]
        for name, fen, moves in cases:
            with self.subTest(name):
                x = self.forced_game(fen, moves)
                x.expect_quiet()
                go_and_play_on(x)

    def test_refused_special_moves(self):
        # Moves a careless board would accept: each is refused and the position stays.
        cases = [
            ("the en passant right lasts one move", "4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1",
             ["e2e4", "e8d8", "e1d1"], "d4e3"),
            ("a king that has moved has no castling", "4k3/8/8/8/8/8/8/4K2R w K - 0 1",
             ["e1f1", "e8d8", "f1e1", "d8e8"], "e1g1"),
            ("a rook that has moved has no castling", "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1",
             ["a1a2", "e8d8", "a2a1", "d8e8"], "e1c1"),
            ("no castling through an attacked square", "4k3/8/8/8/8/8/5r2/4K2R w K - 0 1", [], "e1g1"),
            ("no castling out of check", "4k3/8/8/8/8/8/4r3/R3K3 w Q - 0 1", [], "e1c1"),
            ("an under-promoted bishop moves as a bishop", "4k3/8/8/8/8/8/p7/4K3 b - - 0 1", ["a2a1b", "e1d2"], "a1a5"),
        ]
        for name, fen, moves, refused in cases:
            with self.subTest(name):
                x = self.forced_game(fen, moves)
                self.assertFalse(x.pos.is_legal(refused))
                x.send(refused)
                x.expect_line("Illegal move: " + refused)
                x.send("go")
                x.engine_move()

    def test_engine_promotion_text(self):
        # Every legal move is a promotion; the move text ends in the piece letter and ";".
        x = start_xboard(self, settings=QUICK)
        x.send("force")
        x.setboard("1r6/6P1/8/4k3/8/p7/P7/K7 w - - 0 1")
        x.send("go")
        move = x.engine_move()
        self.assertRegex(move, r"^g7g8[nbrq]$")

    def test_setboard_fields_apart_by_tabs(self):
        # Black castles long, then White short: legal only with the side to move and both rights read.
        fen = "r3k3/8/8/8/8/8/8/4K2R b Kq - 0 1"
        for command in ("setboard\t" + fen.replace(" ", "\t"), "setboard " + fen.replace(" ", "\t"),
                        "setboard \t" + fen.replace(" ", " \t ")):
            with self.subTest(command=command):
                x = start_xboard(self, settings=QUICK)
                x.send("force", command)
                x.pos = chessrules.Position(fen)
                x.numbered = False
                x.move("e8c8")
                x.move("e1g1")
                x.expect_quiet()
                go_and_play_on(x)


class CommandsDuringSearch(EngineTestCase):
    def searching(self):
        """An engine thinking on its reply to e2e4 for as long as nothing stops it."""
        x = start_xboard(self, settings=ENDLESS)
        x.move("e2e4")
        x.engine.read_until(THINKING.pattern)
        return x

    def test_move_now_plays_at_once(self):
        x = self.searching()
        x.send("?")
        x.engine_move()
        x.send(*QUICK)
        x.move(sorted(x.pos.legal_moves())[0])
        x.engine_move()

    def test_move_now_switches_thinking_off(self):
        # After "?" the engine thinks without printing its thinking, until "post" comes again.
        x = self.searching()
        x.send("?")
        x.engine_move()
        x.send(*QUICK)
        for post, printed in ((None, False), ("post", True)):
            if post:
                x.send(post)
            x.move(sorted(x.pos.legal_moves())[0])
            start = len(x.engine.transcript)
            x.engine_move()
            thinking = [line for line in x.engine.transcript[start:] if THINKING.match(line[2:])]
            self.assertEqual(bool(thinking), printed, x.engine.history())

    def test_move_now_ends_analysis(self):
        # An analysis has no move to make: "?" ends it, and the game then goes on from its position.
        x = start_xboard(self, settings=QUICK)
        x.send("post", "analyze")
        x.engine.read_until(THINKING.pattern)
        time.sleep(0.5)
        # The analysis answers "." unasked, so a refused move marks the end of what it printed.
        x.send("?", "a1a1")
        for line in x.engine.read_until(r"^Illegal move: a1a1$"):
            self.assertIsNone(XBOARD_MOVE.match(line), "a move from the analysis:\n" + x.engine.history())
        x.expect_quiet(idle=True)
        x.numbered = False
        x.send(*QUICK)
        x.move("e2e4")
        x.send("go")
        x.engine_move(MOVE_WAIT)
        x.move(sorted(x.pos.legal_moves())[0])
        x.engine_move(MOVE_WAIT)

    def test_go_while_the_engine_thinks(self):
        # The engine already plays the side to move: it goes on thinking and makes one move.
        x = start_xboard(self, settings=("time 6000", "otim 6000"))
        x.move("e2e4")
        time.sleep(0.1)
        x.send("go")
        x.engine_move(MOVE_WAIT)
        x.expect_quiet()
        x.move(sorted(x.pos.legal_moves())[0])
        x.engine_move(MOVE_WAIT)

    def test_move_now_ends_the_iterations(self):
        # After "?" the search reports nothing it did not search: no deeper iterations and no
        # placeholder scores.
        x = self.searching()
        x.send("?")
        lines = x.engine.read_until(XBOARD_MOVE.pattern)
        for line in lines:
            t = THINKING.match(line)
            if t:
                self.assertLess(int(t.group(1)), 30, "depth out of reach in a moment:\n" + "\n".join(lines))
                self.assertLess(abs(int(t.group(2))), 10000, "placeholder score:\n" + "\n".join(lines))

    def test_commands_that_end_the_search_without_a_move(self):
        # Each command stops the search, no move is played, and the game goes on from where the command
        # left it. Each row: the command, the position it leaves, and the interface's next move (after
        # "force": both sides' moves, then "go").
        edit = ["edit", "#", "Ke1", "Ra1", "c", "Ke8", "Pd7", "."]
        cases = [
            ("new", ["new"], chessrules.START, "d2d4"),
            ("abort", ["abort"], chessrules.START, "g1f3"),
            ("force", ["force"], chessrules.START, ["e7e5", "g1f3"]),
            ("setboard", ["setboard 4k3/8/8/8/8/8/3P4/4K2R w K - 0 1"], "4k3/8/8/8/8/8/3P4/4K2R w K - 0 1", "e1g1"),
            # Edit mode keeps the side to move: Black, whose reply the engine was searching.
            ("edit", edit, "4k3/3p4/8/8/8/8/8/R3K3 b Q - 0 1", "d7d5"),
            ("result", ["result 1-0 {White wins}", "new"], chessrules.START, "c2c4"),
        ]
        for name, command, fen, follow in cases:
            with self.subTest(name):
                x = self.searching()
                after_e2e4 = x.pos.copy()
                x.send(*command)
                x.expect_quiet()
                if name == "force":
                    x.pos = after_e2e4
                else:
                    x.pos = chessrules.Position(fen)
                x.numbered = name in ("new", "abort", "result")
                x.send(*QUICK)
                if name == "force":
                    # Still in force mode: both sides' moves are recorded and the engine waits for "go".
                    for m in follow:
                        x.move(m)
                    x.expect_quiet(idle=True)
                    x.send("go")
                else:
                    x.move(follow)
                x.engine_move()

    def test_quit_during_search(self):
        x = self.searching()
        x.send("quit")
        self.assertEqual(x.engine.wait_exit(), 0)
        self.assertEqual(x.engine.rest()[-1], "Bye, Thanks for the match.")


class AnalysisThenPlay(EngineTestCase):
    def test_exit_from_analysis_restores_the_clock(self):
        # Analysis searches without a clock; once it ends, the time settings the interface gave count
        # again, whether they came before the analysis or after it.
        for before, after in (((), ("time 100", "otim 100")), (("st 1",), ())):
            with self.subTest(before=before, after=after):
                x = start_xboard(self, settings=before)
                x.send("analyze")
                time.sleep(0.5)
                x.send("exit", *after)
                x.expect_quiet()
                x.numbered = False
                x.send("go")
                x.engine_move(MOVE_WAIT)
                x.move(sorted(x.pos.legal_moves())[0])
                x.engine_move(MOVE_WAIT)


class FinishedGames(EngineTestCase):
    def test_game_end_then_next_game(self):
        # A game that ends stays in the command loop until "new"; the second game starts afresh.
        cases = [
            ("the engine is mated", "k7/8/8/K7/8/8/8/7R w - - 0 1", ["a5b6", None, "h1h8"], "White mates!"),
            ("the engine is mated with White", "K7/8/8/k7/8/8/8/7r b - - 0 1", ["a5b6", None, "h1h8"],
             "Black mates!"),
            ("the engine is stalemated", "k7/8/8/1Q6/8/8/8/7K w - - 0 1", ["b5b6"], "Stalemate"),
            ("the engine mates, the interface reports it", "k7/8/1K6/8/8/8/8/7R w - - 0 1",
             ["go", None, "result 1-0 {White mates}"], None),
        ]
        for name, fen, script, verdict in cases:
            with self.subTest(name):
                x = start_xboard(self, settings=QUICK)
                if script[0] == "go":
                    x.send("force")
                x.setboard(fen)
                for step in script:
                    if step is None:
                        x.engine_move()
                    elif step == "go" or step.startswith("result"):
                        x.send(step)
                    else:
                        x.move(step)
                if verdict:
                    x.expect_line(verdict)
                if name.startswith("the engine mates"):
                    self.assertEqual(x.pos.legal_moves(), [])
                    self.assertTrue(x.pos.in_check())
                # Over: nothing more happens, whatever arrives, until "new".
                x.send("go")
                x.expect_quiet()
                x.new(*QUICK)
                x.move("e2e4")
                x.engine_move()


class MatchLog(EngineTestCase):
    def test_log_of_a_short_game(self):
        x = start_xboard(self, settings=("level 40 1 0", "time 300", "otim 250"))
        moves = []
        for user in ("e2e4", "d2d4"):
            x.move(user)
            moves.append(x.engine_move())
            x.send("otim 240")
        x.send("force")
        x.setboard("4k3/8/8/8/8/8/8/4K2R w K - 0 1")
        x.send("quit")
        self.assertEqual(x.engine.wait_exit(), 0)
        log = self.match_log().split("\n")
        banner = "=" * 37
        self.assertEqual(log[:6], [banner, "", "Next Match", "", banner, ""])

        # The words handed to the command interpreter, in the order they came.
        words = ["protover", "2", "new", "level", "time", "otim", "e2e4", "otim", "d2d4", "otim", "force",
                 "setboard", "4k3/8/8/8/8/8/8/4K2R w K - 0 1", "quit"]
        at = 0
        for word in words:
            self.assertIn(word, log[at:], "log lacks %r after line %d" % (word, at))
            at = log.index(word, at) + 1

        # Time control, each log text followed by its empty line.
        level = log.index("MovesPerSession 40 TimeLeft 60000 TimeInc 0 ")
        self.assertEqual(log[level + 1], "")
        for n in ("250", "240"):
            self.assertIn(" " + n, log)
            self.assertEqual(log[log.index(" " + n) + 1], "")

        # One "Move Made: " line per engine move: depth, score, 0, nodes, two blanks, the move.
        made = [line for line in log if line.startswith("Move Made: ")]
        self.assertEqual(len(made), len(moves), "\n".join(made))
        for line, move in zip(made, moves):
            self.assertRegex(line, r"^Move Made: \d+ -?\d+ 0 \d+  %s $" % re.escape(move))


if __name__ == "__main__":
    take_program_from_argv()
    unittest.main()
