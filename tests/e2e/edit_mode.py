"""The xboard board editor through the program: positions built piece by piece, castling rights taken from
the placement, and edits that give no playable position. Usage: edit_mode.py PROGRAM..."""

import unittest

import chessrules
from orvexdriver import EngineTestCase, start_xboard, take_program_from_argv

QUICK = ("level 40 1 0", "time 300", "otim 300")

# name, edit sessions (each a list of tokens ending in "."), the position they give (None: no playable
# position, so the start position stays), moves the editor must refuse, then the interface's move or "go".
CASES = [
    ("king and rook on their squares can castle", [["#", "Ke1", "Rh1", "c", "Ke8", "."]],
     "4k3/8/8/8/8/8/8/4K2R w K - 0 1", [], "e1g1"),
    ("the engine plays White", [["#", "Ke1", "Rh1", "c", "Ke8", "."]],
     "4k3/8/8/8/8/8/8/4K2R w K - 0 1", [], "go"),
    ("a removed rook takes its right along", [["#", "Ke1", "Ra1", "Rh1", "xh1", "c", "Ke8", "."]],
     "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", ["e1g1"], "e1c1"),
    ("black rights from black pieces", [["#", "Ke1", "c", "Ke8", "Ra8", "Rh8", "Pa7", "Ph7", "."]],
     "r3k2r/p6p/8/8/8/8/8/4K3 w kq - 0 1", [], "e1d1"),
    ("each edit starts with White", [["#", "Ke1", "c", "Ke8", "c", "c", "."], ["Pd5", "."]],
     "4k3/8/8/3P4/8/8/8/4K3 w - - 0 1", [], "d5d6"),
    ("lower-case letters place nothing", [["#", "Ke1", "Ra1", "pe4", "c", "Ke8", "."]],
     "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", ["e4e5"], "e1d2"),
    ("no black king", [["#", "Ke1", "."]], None, ["e1e2"], "e2e4"),
    ("two white kings", [["#", "Ke1", "Kd4", "c", "Ke8", "."]], None, ["d4d5"], "d2d4"),
    ("a pawn on the last rank", [["#", "Ke1", "c", "Ke8", "Pa1", "."]], None, [], "g1f3"),
    ("the side not to move in check", [["#", "Ke1", "Re2", "c", "Ke8", "."]], None, ["e2e7"], "b1c3"),
    # Two pieces on one square: the start position stays, and "go" plays one of its moves.
    ("a queen onto a pawn", [["Qe2", "."]], None, [], "go"),
    ("a knight onto the king", [["#", "Ke1", "Ne1", "c", "Ke8", "."]], None, [], "e2e4"),
    ("a piece of each colour on one square", [["#", "Ke1", "Pe4", "c", "Ke8", "Pe4", "."]], None, ["e4e5"], "go"),
    ("a black rook onto a white rook", [["c", "Ra1", "."]], None, [], "b1c3"),
    # A rank far past the board wraps round modulo 64 squares: a2147483647 is a7.
    ("a square number past the board", [["#", "Ke1", "c", "Ke8", "c", "Pa2147483647", "."]],
     "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", [], "a7a8q"),
]

# Square texts that are far off the board or not squares at all.
ODD_SQUARES = ["Pa2147483647", "Ra-2147483648", "Nb99999999999999999999", "Pz5", "K", "xq-1", "Q-", "B\u00e9"]


class EditMode(EngineTestCase):
    def test_edit_sessions(self):
        for name, sessions, fen, refused, then in CASES:
            with self.subTest(name):
                x = start_xboard(self, settings=QUICK)
                for tokens in sessions:
                    x.send("edit", *tokens)
                lines = [line for line in x.sync() if line]
                if fen is None:
                    self.assertEqual(len(lines), 1, x.engine.history())
                    self.assertTrue(lines[0].startswith("ERROR: invalid position from edit: "), x.engine.history())
                else:
                    self.assertEqual(lines, [], x.engine.history())
                    x.pos = chessrules.Position(fen)
                x.numbered = False
                for move in refused:
                    self.assertFalse(x.pos.is_legal(move))
                    x.send(move)
                    x.expect_line("Illegal move: " + move)
                if then == "go":
                    x.send("go")
                else:
                    x.move(then)
                x.engine_move()
                # The position goes on being played by the rules.
                x.move(sorted(x.pos.legal_moves())[0])
                x.engine_move()

    def test_odd_square_texts(self):
        # Whatever square the text comes to, the edit either gives a position or is refused with one line,
        # and the program goes on with the next game.
        for token in ODD_SQUARES:
            with self.subTest(token):
                x = start_xboard(self, settings=QUICK)
                x.send("edit", "#", "Ke1", "c", "Ke8", "c", token, ".")
                lines = [line for line in x.sync() if line]
                self.assertLessEqual(len(lines), 1, x.engine.history())
                for line in lines:
                    self.assertTrue(line.startswith("ERROR: invalid position from edit: "), x.engine.history())
                x.new(*QUICK)
                x.move("e2e4")
                x.engine_move()


if __name__ == "__main__":
    take_program_from_argv()
    unittest.main()
