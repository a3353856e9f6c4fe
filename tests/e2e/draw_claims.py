"""Draw claims through the program: dead positions (and positions that only look drawn), repetition and the
fifty-move rule, under xboard and at the console. Usage: draw_claims.py PROGRAM..."""

import unittest

import chessrules
from orvexdriver import XBOARD_MOVE, EngineTestCase, start_xboard, take_program_from_argv

QUICK = ("level 40 1 0", "time 300", "otim 300")
MATERIAL = "1/2-1/2 {Draw by insufficient material}"
REPETITION = "1/2-1/2 {Draw by repetition}"
FIFTY = "1/2-1/2 {Draw by 50 Move Rule}"

# Each engine reply is forced: the black king can only step between a8 and b8.
SHUFFLE = "k7/p2K4/P7/8/8/8/8/7R w - - 0 1"


def quiet_walk(fen, plies):
    """A deterministic sequence of legal moves with no capture, no pawn move and no check, that never
    repeats a position and never leaves the lone black king a capture."""
    pos = chessrules.Position(fen)
    seen = {pos.fen().rsplit(" ", 2)[0]}
    moves = []
    for _ in range(plies):
        for m in sorted(pos.legal_moves()):
            if pos.board[chessrules.square(m[2:4])] != "." or pos.board[chessrules.square(m[:2])] in "Pp":
                continue
            after = pos.after(m)
            key = after.fen().rsplit(" ", 2)[0]
            if key in seen or after.in_check() or not after.legal_moves():
                continue
            if any(after.board[chessrules.square(r[2:4])] != "." for r in after.legal_moves()):
                continue
            break
        else:
            raise AssertionError("the walk is stuck at " + pos.fen())
        seen.add(key)
        moves.append(m)
        pos = after
    return moves, pos


class XboardDraws(EngineTestCase):
    def play(self, fen, script):
        """Sets up the position and plays the script: a move of the interface, or None for the engine's."""
        x = start_xboard(self, settings=QUICK)
        x.setboard(fen)
        for step in script:
            if step is None:
                x.engine_move()
            else:
                x.move(step)
        return x

    def assert_game_over(self, x):
        # The engine stays for the next game.
        x.send("go")
        x.expect_quiet()
        x.new(*QUICK)
        x.move("e2e4")
        x.engine_move()

    def test_dead_positions_are_claimed(self):
        cases = [
            ("bishops of one colour", "4k3/8/8/3n1b2/2B5/8/8/4K3 w - - 0 1", ["c4d5"]),
            ("king against king", "4k3/8/8/8/8/8/3q4/4K3 w - - 0 1", ["e1d2"]),
            ("a knight against a king", "4k3/8/8/8/8/8/3r4/4K1N1 w - - 0 1", ["e1d2"]),
            ("after the engine's capture", "k7/1R1N4/8/8/8/8/8/7K w - - 0 1", ["b7a7", None]),
        ]
        for name, fen, script in cases:
            with self.subTest(name):
                x = self.play(fen, script)
                x.expect_line(MATERIAL)
                self.assert_game_over(x)

    def test_positions_that_can_still_be_won_are_played_on(self):
        cases = [
            ("bishops of opposite colours", "4k3/8/5b2/3n4/2B5/8/8/4K3 w - - 0 1", "c4d5"),
            ("two knights", "4k3/8/8/8/8/8/3r4/4KNN1 w - - 0 1", "e1d2"),
            ("a bishop against a knight", "4k3/8/8/8/8/2n5/3r4/4K1B1 w - - 0 1", "e1d2"),
        ]
        for name, fen, capture in cases:
            with self.subTest(name):
                x = self.play(fen, [capture, None])
                x.expect_quiet()

    def test_third_repetition_is_claimed(self):
        x = self.play(SHUFFLE, ["h1h2", None, "h2h1", None] * 2)
        x.expect_line(REPETITION)
        self.assert_game_over(x)

    def test_fifty_moves_without_capture_or_pawn_move(self):
        # Moves entered in force mode count; the hundredth half-move is the engine's or the interface's.
        fen = "8/8/8/4k3/8/8/8/R3K3 w - - 0 1"
        for plies_before_go in (99, 98):
            with self.subTest(plies_before_go=plies_before_go):
                walk, _ = quiet_walk(fen, plies_before_go)
                x = start_xboard(self, settings=QUICK)
                x.send("force")
                x.setboard(fen)
                for m in walk:
                    x.move(m)
                x.send("go")
                x.engine_move()
                if plies_before_go == 98:
                    # Ninety-nine half-moves are not enough.
                    x.expect_quiet()
                    last = [m for m in sorted(x.pos.legal_moves()) if x.pos.board[chessrules.square(m[2:4])] == "."]
                    self.assertTrue(last, x.pos.fen())
                    x.move(last[0])
                x.expect_line(FIFTY)
                self.assert_game_over(x)


class ConsoleDraws(EngineTestCase):
    def test_claims_end_the_console_game(self):
        cases = [
            ("repetition", SHUFFLE, ["h1h2", "h2h1", "h1h2", "h2h1"], REPETITION),
            ("dead position", "4k3/8/8/3n1b2/2B5/8/8/4K3 w - - 0 1", ["c4d5"], MATERIAL),
        ]
        for name, fen, typed, claim in cases:
            with self.subTest(name):
                self.write_file("position.fen", fen + "\n")
                status, output = self.run_program(["-fd", "2", "-lpf", "position.fen"],
                                                  "go\n" + "".join(m + "\n" for m in typed) + "a1a2\nquit\n")
                self.assertEqual(status, 0, output)
                lines = output.split("\n")
                self.assertEqual(lines.count(claim), 1, output)
                self.assertEqual([line for line in lines if line.startswith("Enter Move: ")],
                                 ["Enter Move: " + m for m in typed], output)
                self.assertEqual(lines[-2:], ["Bye, Thanks for the match.", ""], output)


if __name__ == "__main__":
    take_program_from_argv()
    unittest.main()
