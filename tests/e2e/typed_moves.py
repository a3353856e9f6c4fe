"""Moves typed at the console and sent by an xboard interface: illegal or malformed moves are refused with
"Illegal move: " and the word and change nothing; words that do not look like moves are ignored without a
word. Usage: typed_moves.py PROGRAM..."""

import unittest

import chessrules
from orvexdriver import EngineTestCase, console_boards, start_xboard, take_program_from_argv

# Per position: the words sent one after another (True: refused as an illegal move; False: ignored in
# silence), then a legal move that must be played.
CASES = [
    (chessrules.START, [
        ("e2e5", True),    # a pawn cannot go three squares
        ("e7e5", True),    # the other side's pawn
        ("a1a1", True),    # from and to the same square
        ("e3e4", True),    # no piece on the from square
        ("d1d2", True),    # onto an own piece
        ("e1g1", True),    # castling through pieces
        ("e2e4q", True),   # a promotion letter on an ordinary move
        ("e2e4x", True),   # no such piece letter
        ("e2e4e5", True),  # too long
        ("e2", True),      # too short
        ("h0", True),      # looks like a move (file letter, rank digit 0 to 8), but is none
        ("z9", False),
        ("1.", False),
        ("a9", False),
        ("e9e4", False),
        ("E2E4", False),
        ("Nf3", False),
    ], "e2e4"),
    ("4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1", [
        ("e2d3", True),    # the bishop is pinned
        ("e1e2", True),    # onto an own piece
    ], "e1f1"),
    ("4k3/P7/8/8/8/8/8/4K3 w - - 0 1", [
        ("a7a8k", True),   # no promotion to a king
        ("a7a8p", True),
        ("a7b8q", True),   # a pawn captures only what is there
    ], "a7a8r"),
]


class TypedMoves(EngineTestCase):
    def test_console(self):
        for fen, words, legal in CASES:
            with self.subTest(fen=fen):
                self.write_file("position.fen", fen + "\n")
                script = "".join(w + "\n" for w, _ in words) + legal + "\n"
                status, output = self.run_program(["-fd", "1", "-lpf", "position.fen"], "go\n" + script + "quit\n")
                self.assertEqual(status, 0, output)
                lines = output.split("\n")
                first = lines.index("Enter Move: " + words[0][0])
                expected = []
                for word, illegal in words:
                    expected.append("Enter Move: " + word)
                    if illegal:
                        expected.append("Illegal move: " + word)
                expected.append("Enter Move: " + legal)
                self.assertEqual(lines[first:first + len(expected)], expected, output)
                # Nothing was played before the legal move, which was played as typed.
                boards = console_boards(lines)
                pos = chessrules.Position(fen)
                self.assertEqual(console_boards(lines[:first]), [pos.rows()], output)
                self.assertEqual(boards[1], pos.after(legal).rows(), output)

    def test_xboard(self):
        for fen, words, legal in CASES:
            with self.subTest(fen=fen):
                x = start_xboard(self, settings=("level 40 1 0", "time 300", "otim 300"))
                x.setboard(fen)
                x.send(*[w for w, _ in words])
                refusals = [line for line in x.sync() if line]
                self.assertEqual(refusals, ["Illegal move: " + w for w, illegal in words if illegal],
                                 x.engine.history())
                x.move(legal)
                x.engine_move()


if __name__ == "__main__":
    take_program_from_argv()
    unittest.main()
