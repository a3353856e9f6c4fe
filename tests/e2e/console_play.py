"""Console play through the program: games typed at the console that end in mate or stalemate, and
self-play. Usage: console_play.py PROGRAM..."""

import time
import unittest

import chessrules
from orvexdriver import EngineTestCase, console_boards, take_program_from_argv

BYE = "Bye, Thanks for the match."
EXIT_WAIT = 20.0


class ConsoleGame:
    """Output of one console run, checked against the referee."""

    def __init__(self, test, output):
        self.test = test
        self.output = output
        self.lines = output.split("\n")
        if self.lines[-1] == "":
            self.lines.pop()

    def replay(self, fen, typed):
        """Follows every board the console drew: the opening board, then turns alternating between the
        typed moves and the engine's, whose move is the legal one that gives the drawn board. A last
        engine turn with no legal move leaves the board as it was. Returns the final position."""
        pos = chessrules.Position(fen)
        boards = console_boards(self.lines)
        self.test.assertTrue(boards, self.output)
        self.test.assertEqual(boards[0], pos.rows(), "opening board")
        typed = list(typed)
        human = True
        for board in boards[1:]:
            if human:
                self.test.assertTrue(typed, "a board for a move nobody typed:\n" + self.output)
                pos.push(typed.pop(0))
                self.test.assertEqual(board, pos.rows(), self.output)
            else:
                replies = [m for m in pos.legal_moves() if pos.after(m).rows() == board]
                if not replies:
                    self.test.assertEqual(board, pos.rows(), "the engine's board is no legal move:\n" + self.output)
                    self.test.assertEqual(pos.legal_moves(), [], "the engine stopped with moves left")
                else:
                    pos.push(replies[0])
            human = not human
        self.test.assertEqual(typed, [], "typed moves left unplayed:\n" + self.output)
        return pos


class ConsoleGames(EngineTestCase):
    def test_games_that_end_on_the_engine_turn(self):
        # The engine finds no legal move: the verdict, the raw score of its search, the board, the farewell.
        # Words after the end are never read.
        cases = [
            ("engine mated with Black", "k7/8/8/K7/8/8/8/7R w - - 0 1", ["a5b6", "h1h8"], "White mates!", -110000),
            ("engine mated with White", "K7/8/8/k7/8/8/8/7r b - - 0 1", ["a5b6", "h1h8"], "Black mates!", -110000),
            ("engine stalemated with Black", "k7/8/8/1Q6/8/8/8/7K w - - 0 1", ["b5b6"], "Stalemate", 110001),
            ("engine stalemated with White", "7K/8/8/5q2/8/8/8/k7 b - - 0 1", ["f5f7"], "Stalemate", 110001),
        ]
        for name, fen, typed, verdict, score in cases:
            with self.subTest(name):
                self.write_file("position.fen", fen + "\n")
                status, output = self.run_program(["-fd", "2", "-lpf", "position.fen"],
                                                  "go\n" + "".join(m + "\n" for m in typed) + "a1a2\nquit\n")
                self.assertEqual(status, 0, output)
                game = ConsoleGame(self, output)
                prompts = [line for line in game.lines if line.startswith("Enter Move: ")]
                self.assertEqual(prompts, ["Enter Move: " + m for m in typed], output)
                end = game.lines.index(verdict)
                self.assertEqual(game.lines.count(verdict), 1, output)
                self.assertEqual(game.lines[end + 1], "Game Score %d" % score, output)
                self.assertEqual(game.lines[-1], BYE, output)
                final = game.replay(fen, typed)
                self.assertEqual(final.legal_moves(), [])
                self.assertEqual(final.in_check(), verdict != "Stalemate")

    def test_first_word_chooses_the_mode_only(self):
        # The first word is not played; a few ordinary replies follow, each a legal move.
        typed = ["e2e4", "g1f3", "f1c4"]
        status, output = self.run_program(["-fd", "2"], "e2e4\n" + "".join(m + "\n" for m in typed) + "quit\n")
        self.assertEqual(status, 0, output)
        game = ConsoleGame(self, output)
        self.assertIn("Hello! I am Orvex", game.lines)
        self.assertIn("MAXDEPTH = 2", game.lines)
        self.assertEqual(game.lines[-2:], ["Enter Move: quit", BYE], output)
        # No black reply to the opening moves can make the later typed ones illegal.
        game.replay(chessrules.START, typed)
        self.assertEqual(len(console_boards(game.lines)), 1 + 2 * len(typed), output)

    def test_depth_out_of_range_is_ignored(self):
        # A depth the search cannot hold is reported and left out: the default depth, then a normal game.
        status, output = self.run_program(["-fd", "200"], "hello\ne2e4\nquit\n")
        self.assertEqual(status, 0, output)
        game = ConsoleGame(self, output)
        self.assertEqual(len([line for line in game.lines if line.startswith("ERROR: ")]), 1, output)
        self.assertIn("MAXDEPTH = 56", game.lines)
        game.replay(chessrules.START, ["e2e4"])
        self.assertEqual(len(console_boards(game.lines)), 3, output)
        self.assertEqual(game.lines[-1], BYE, output)

    def test_analysis_ends_on_input(self):
        # Console analysis runs until something is typed; "quit" and the end of input both end the program.
        for end in ("quit", None):
            with self.subTest(end=end):
                engine = self.start()
                engine.send("hello", "analyze")
                time.sleep(1)
                if end:
                    engine.send(end)
                else:
                    engine.close_input()
                self.assertEqual(engine.wait_exit(EXIT_WAIT), 0, engine.history())
                self.assertEqual(engine.rest()[-1], BYE, engine.history())

    def test_self_play_mates(self):
        # The engine plays both sides: White mates at once, then Black has no move.
        fen = "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1"
        self.write_file("position.fen", fen + "\n")
        status, output = self.run_program(["-sp", "-fd", "2", "-lpf", "position.fen"], "go\n")
        self.assertEqual(status, 0, output)
        game = ConsoleGame(self, output)
        self.assertNotIn("Enter Move: ", output)
        end = game.lines.index("White mates!")
        self.assertEqual(game.lines[end + 1], "Game Score -110000", output)
        self.assertEqual(game.lines[-1], BYE)
        boards = console_boards(game.lines)
        pos = chessrules.Position(fen)
        self.assertEqual(boards[0], pos.rows())
        self.assertEqual(boards[1], pos.after("a1a8").rows(), output)
        self.assertEqual(boards[2], boards[1])


if __name__ == "__main__":
    take_program_from_argv()
    unittest.main()
