"""UCI "position" commands: start position and FEN, with move lists that castle, capture en passant and
promote to each piece. A wrong board inside the program shows up as an "ERROR: " line for a move that is
legal, or as a search reply that is illegal where the game really stands.

Usage: uci_positions.py PROGRAM...
"""

import unittest

import orvexdriver
import ucisession

# Several rows go on with a move that only the correct board allows: a rook move after castling, a line
# through the square the en-passant capture emptied, a move only the promoted piece can make, or a pawn
# move that would be illegal had the promotion given check.
LEGAL_ROWS = [
    ("position startpos", None),
    ("position startpos moves", None),
    ("position startpos moves e2e4 e7e5 g1f3", None),
    # Castling both sides, for both colours.
    ("position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 f8c5 e1g1 g8f6 f1e1 e8g8 d2d3 f8e8", None),
    ("position startpos moves d2d4 d7d5 b1c3 b8c6 c1f4 c8f5 d1d2 d8d7 e1c1 e8c8 d1e1 d8e8", None),
    ("position fen r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1 moves e8c8 e1g1 d8d1 f1d1", None),
    # En passant in the list: the bishop's line runs through the square the captured pawn stood on.
    ("position startpos moves e2e4 a7a6 e4e5 d7d5 e5d6 a6a5 f1c4 a5a4 c4f7", None),
    # En passant as the first move after a FEN with the en-passant square, for White and for Black.
    ("position fen rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3 moves e5f6", None),
    ("position fen rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3 moves e5f6 c8g4", None),
    ("position fen rnbqkbnr/pppp1ppp/8/8/3Pp3/8/PPP1PPPP/RNBQKBNR b KQkq d3 0 2 moves e4d3 c2d3 d8h4 b1c3 h4a4", None),
    # Promotion to each piece, then a move that tells that piece from the other three.
    ("position fen 7k/4P2p/8/8/8/8/8/K7 w - - 0 1 moves e7e8q h8g7 e8e4 g7g8 e4b7", None),
    ("position fen 8/4P2p/8/8/k7/8/8/K7 w - - 0 1 moves e7e8r h7h6 e8e2", None),
    ("position fen 7k/4P2p/8/8/8/8/8/K7 w - - 0 1 moves e7e8b h7h6 e8b5", None),
    ("position fen 7k/4P2p/8/8/8/8/8/K7 w - - 0 1 moves e7e8n h7h6 e8f6", None),
    # Black promotes, once with a capture that gives check.
    ("position fen k7/8/8/8/8/8/3p4/K7 b - - 0 1 moves d2d1n a1a2 d1c3", None),
    ("position fen k7/8/8/8/8/8/3p4/K1N5 b - - 0 1 moves d2c1r", None),
    # Black to move in the FEN, and one move after it.
    ("position fen 4k3/8/8/8/8/8/8/4K2R b K - 0 1 moves e8d7", None),
    # Any run of blanks and tabs separates the words.
    ("position  startpos  moves  e2e4   e7e5\t g1f3 ", None),
    ("position fen  7k/8/8/8/8/8/1q6/K7  w  -  -  0  1   moves   a1b2", None),
    ("position fen\t4k3/8/8/8/8/8/8/4K2R\tb\tK\t-\t0\t1 moves e8d7 h1h7", None),
    ("position\tfen\t4k3/8/8/8/8/8/8/4K2R\tb\tK\t-\t0\t1\tmoves\te8d7\th1h7", None),
    # No legal move for the side to move: checkmate and stalemate.
    ("position startpos moves f2f3 e7e5 g2g4 d8h4", None),
    ("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", None),
]

# The move that is not legal on the correct board makes the list stop there.
WRONG_BOARD_ROWS = [
    # The promoted piece gives check (queen, bishop) or cannot make the next move (knight).
    ("position fen 8/4P2p/8/8/k7/8/8/K7 w - - 0 1 moves e7e8q h7h6", "h7h6"),
    ("position fen 8/4P2p/8/8/k7/8/8/K7 w - - 0 1 moves e7e8b h7h6", "h7h6"),
    ("position fen 8/4P2p/8/8/k7/8/8/K7 w - - 0 1 moves e7e8n h7h6 e8e2", "e8e2"),
    ("position fen 7k/4P2p/8/8/8/8/8/K7 w - - 0 1 moves e7e8r h7h6", "h7h6"),
    # Castling after the king or the rook has moved and come back, after the rook was captured on its
    # corner, and without a rook on the corner although the FEN names the right.
    ("position startpos moves e2e4 e7e5 g1f3 g8f6 f1e2 f8e7 e1f1 e8f8 f1e1 f8e8 e1g1", "e1g1"),
    ("position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves h1h2 a8a7 h2h1 a7a8 e1g1", "e1g1"),
    ("position fen 4k3/8/8/8/8/8/6b1/4K2R b K - 0 1 moves g2h1 e1f1 h1g2 f1e1 e8d8 e1g1", "e1g1"),
    ("position fen 4k3/8/8/8/8/8/8/R3K3 w KQkq - 0 1 moves e1g1", "e1g1"),
    ("position fen 4k3/8/8/8/8/8/8/R3K3 w KQkq - 0 1 moves e1c1 e8e7", None),
]


class PositionTest(ucisession.UCITestCase):
    def test_move_lists_set_up_the_game(self):
        engine, _ = self.start_uci()
        self.check_position_rows(engine, LEGAL_ROWS)

    def test_moves_that_only_a_wrong_board_allows_are_refused(self):
        engine, _ = self.start_uci()
        self.check_position_rows(engine, WRONG_BOARD_ROWS)

    def test_engine_promotes_with_a_letter(self):
        # Every legal move promotes (the king has no square); in the second row only by a capture.
        rows = [
            ("position fen 8/1P6/8/8/8/1p6/2k5/K7 w - - 0 1", "b7"),
            ("position fen r7/1P6/8/8/8/1p6/2k5/K7 w - - 0 1", "b7"),
            ("position fen k7/2K5/1P6/8/8/8/1p6/8 b - - 0 1", "b2"),
        ]
        engine, _ = self.start_uci()
        for command, promotion in rows:
            with self.subTest(command=command):
                position, _ = self.set_position(engine, command)
                reply = self.go(engine, "go depth 4")
                self.assert_reply(engine, position, reply)
                self.assertEqual(reply.best[:2], promotion, engine.history())
                self.assertEqual(len(reply.best), 5, engine.history())

    def test_position_replaces_the_whole_game(self):
        # A second position command is a new game, whatever the first one left (also the program's own
        # move from the search in between).
        engine, _ = self.start_uci()
        self.set_position(engine, "position startpos moves e2e4 e7e5")
        self.go(engine, "go depth 3")
        self.check_position_rows(engine, [
            ("position fen 7k/8/8/8/8/8/1q6/K7 w - - 0 1", None),
            ("position startpos", None),
            ("position startpos moves e2e4", None),
        ])

    def test_every_go_searches_the_position_that_was_set(self):
        # The engine's answer is not played on its board: search after search from one position command,
        # every bestmove is a move of that position.
        rows = [
            ("position startpos", "go depth 1", 12),
            ("position fen r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 3 2", "go depth 2", 2),
            ("position startpos moves e2e4", "go depth 2", 2),
        ]
        engine, _ = self.start_uci()
        for command, go, searches in rows:
            with self.subTest(command=command):
                position, _ = self.set_position(engine, command)
                for _ in range(searches):
                    self.assert_reply(engine, position, self.go(engine, go))


if __name__ == "__main__":
    orvexdriver.take_program_from_argv()
    unittest.main()
