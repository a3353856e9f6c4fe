"""The console and xboard commands "white" and "black" set the side to move, but never to a side that could
take the other king: such a flip is refused with one "ERROR: " line and the position stays as it was. The
engine's next move is then a legal one of the position it really holds. Usage: side_to_move.py PROGRAM..."""

import unittest

import chessrules
from orvexdriver import EngineTestCase, console_boards, start_xboard, take_program_from_argv

REFUSED = "ERROR: invalid position: the side not to move is in check"

# (position set up, command, side to move afterwards or None when the command is refused)
CASES = [
    ("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1", "white", None),   # the rook could take the king on e8
    ("4K3/8/8/8/8/8/8/4r1k1 w - - 0 1", "black", None),   # and the other way round
    ("4k3/8/8/8/8/8/8/R5K1 b - - 0 1", "white", "w"),     # no king attacked: the flip is made
    ("4K3/8/8/8/8/8/8/r5k1 w - - 0 1", "black", "b"),
    ("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1", "black", "b"),    # already Black's turn: nothing to refuse
    ("4k3/p7/8/8/8/5n2/P7/6K1 w - - 0 1", "black", None),  # a knight's check counts too
]


def expected_position(fen, side):
    fields = fen.split()
    if side:
        fields[1] = side
    return chessrules.Position(" ".join(fields))


class SideToMove(EngineTestCase):
    def test_xboard(self):
        for fen, command, side in CASES:
            with self.subTest(fen=fen, command=command):
                x = start_xboard(self, settings=("st 1",))
                x.setboard(fen)
                x.send(command)
                replies = [line for line in x.sync() if line]
                self.assertEqual(replies, [] if side else [REFUSED], x.engine.history())
                x.pos = expected_position(fen, side)
                x.send("go")
                x.engine_move()
                # The engine is still there and in a sound position for the next game.
                x.new("st 1")
                x.move("e2e4")
                x.engine_move()

    def test_console(self):
        for fen, command, side in CASES:
            with self.subTest(fen=fen, command=command):
                status, output = self.run_program(
                    ["-fd", "2"], "hello\nsetboard %s\n%s\ngo\nquit\n" % (fen, command))
                self.assertEqual(status, 0, output)
                lines = output.split("\n")
                errors = [line for line in lines if line.startswith("ERROR")]
                self.assertEqual(errors, [] if side else [REFUSED], output)
                pos = expected_position(fen, side)
                boards = console_boards(lines)
                self.assertTrue(any(pos.after(m).rows() == boards[-1] for m in pos.legal_moves()),
                                "the engine's board is no legal move of %s:\n%s" % (pos.fen(), output))


if __name__ == "__main__":
    take_program_from_argv()
    unittest.main()
