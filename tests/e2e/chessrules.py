"""A small, independent chess referee for the end-to-end tests.

Plain rules of chess on a 64-entry board (a1 = 0, h8 = 63); slow but simple. It knows castling,
en passant and promotion, and answers which moves are legal, so every move the engine prints can be
checked and the tests' own copy of the game never depends on the engine.
"""

FILES = "abcdefgh"
START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"

KNIGHT = [(1, 2), (2, 1), (-1, 2), (-2, 1), (1, -2), (2, -1), (-1, -2), (-2, -1)]
KING = [(1, 0), (-1, 0), (0, 1), (0, -1), (1, 1), (1, -1), (-1, 1), (-1, -1)]
DIAGONAL = [(1, 1), (1, -1), (-1, 1), (-1, -1)]
STRAIGHT = [(1, 0), (-1, 0), (0, 1), (0, -1)]
SLIDERS = {"B": DIAGONAL, "R": STRAIGHT, "Q": DIAGONAL + STRAIGHT}

# Castling: right letter -> (king from, king to, rook from, rook to, squares that must be empty).
CASTLES = {
    "K": (4, 6, 7, 5, (5, 6)),
    "Q": (4, 2, 0, 3, (1, 2, 3)),
    "k": (60, 62, 63, 61, (61, 62)),
    "q": (60, 58, 56, 59, (57, 58, 59)),
}
# A move from or onto one of these squares takes the rights away.
RIGHTS_LOST = {4: "KQ", 7: "K", 0: "Q", 60: "kq", 63: "k", 56: "q"}


def square(text):
    return FILES.index(text[0]) + 8 * (int(text[1]) - 1)


def square_name(s):
    return FILES[s % 8] + str(s // 8 + 1)


def step(s, df, dr):
    f, r = s % 8 + df, s // 8 + dr
    return f + 8 * r if 0 <= f < 8 and 0 <= r < 8 else None


def white(piece):
    return piece.isupper()


class Position:
    def __init__(self, fen=START):
        fields = fen.split()
        self.board = ["."] * 64
        for row, text in enumerate(fields[0].split("/")):
            f = 0
            for c in text:
                if c.isdigit():
                    f += int(c)
                else:
                    self.board[f + 8 * (7 - row)] = c
                    f += 1
        self.white_to_move = fields[1] == "w"
        self.castling = "" if fields[2] == "-" else fields[2]
        self.ep = None if fields[3] == "-" else square(fields[3])
        self.halfmove = int(fields[4]) if len(fields) > 4 else 0
        self.fullmove = int(fields[5]) if len(fields) > 5 else 1

    def copy(self):
        other = Position.__new__(Position)
        other.__dict__ = dict(self.__dict__, board=list(self.board))
        return other

    def fen(self):
        rows = []
        for r in range(7, -1, -1):
            text, empty = "", 0
            for f in range(8):
                p = self.board[f + 8 * r]
                if p == ".":
                    empty += 1
                    continue
                text += (str(empty) if empty else "") + p
                empty = 0
            rows.append(text + (str(empty) if empty else ""))
        return "%s %s %s %s %d %d" % ("/".join(rows), "w" if self.white_to_move else "b",
                                      self.castling or "-", square_name(self.ep) if self.ep is not None else "-",
                                      self.halfmove, self.fullmove)

    def attacked(self, s, by_white):
        """True when a piece of the given colour attacks square s."""
        own = (lambda p: p.upper()) if by_white else (lambda p: p.lower())
        pawn_rank = -1 if by_white else 1
        for df in (-1, 1):
            t = step(s, df, pawn_rank)
            if t is not None and self.board[t] == own("P"):
                return True
        for offsets, piece in ((KNIGHT, "N"), (KING, "K")):
            for df, dr in offsets:
                t = step(s, df, dr)
                if t is not None and self.board[t] == own(piece):
                    return True
        for directions, pieces in ((DIAGONAL, "BQ"), (STRAIGHT, "RQ")):
            for df, dr in directions:
                t = step(s, df, dr)
                while t is not None and self.board[t] == ".":
                    t = step(t, df, dr)
                if t is not None and self.board[t] in (own(pieces[0]), own(pieces[1])):
                    return True
        return False

    def in_check(self, of_white=None):
        side = self.white_to_move if of_white is None else of_white
        king = self.board.index("K" if side else "k")
        return self.attacked(king, not side)

    def pseudo_moves(self):
        side = self.white_to_move
        mine = lambda p: p != "." and white(p) == side
        theirs = lambda p: p != "." and white(p) != side
        for s, p in enumerate(self.board):
            if not mine(p):
                continue
            kind = p.upper()
            if kind == "P":
                up = 1 if side else -1
                last = 7 if side else 0
                promos = lambda t: ["q", "r", "b", "n"] if t // 8 == last else [""]
                t = step(s, 0, up)
                if t is not None and self.board[t] == ".":
                    for x in promos(t):
                        yield square_name(s) + square_name(t) + x
                    t2 = step(t, 0, up)
                    if s // 8 == (1 if side else 6) and self.board[t2] == ".":
                        yield square_name(s) + square_name(t2)
                for df in (-1, 1):
                    t = step(s, df, up)
                    if t is not None and (theirs(self.board[t]) or t == self.ep):
                        for x in promos(t):
                            yield square_name(s) + square_name(t) + x
            elif kind in ("N", "K"):
                for df, dr in KNIGHT if kind == "N" else KING:
                    t = step(s, df, dr)
                    if t is not None and not mine(self.board[t]):
                        yield square_name(s) + square_name(t)
            else:
                for df, dr in SLIDERS[kind]:
                    t = step(s, df, dr)
                    while t is not None and not mine(self.board[t]):
                        yield square_name(s) + square_name(t)
                        if theirs(self.board[t]):
                            break
                        t = step(t, df, dr)
        for right in self.castling:
            if white(right) != side:
                continue
            king_from, king_to, rook_from, _, empty = CASTLES[right]
            if (self.board[king_from] == ("K" if side else "k") and self.board[rook_from] == ("R" if side else "r")
                    and all(self.board[e] == "." for e in empty)
                    and not any(self.attacked(x, not side) for x in (king_from, (king_from + king_to) // 2, king_to))):
                yield square_name(king_from) + square_name(king_to)

    def legal_moves(self):
        moves = []
        for m in self.pseudo_moves():
            after = self.copy()
            after._make(m)
            if not after.in_check(self.white_to_move):
                moves.append(m)
        return moves

    def is_legal(self, move):
        """A move in coordinate text; a promotion without a letter is taken as a queen."""
        try:
            return self.normalise(move) in self.legal_moves()
        except (ValueError, IndexError):
            return False  # not coordinate text at all

    def normalise(self, move):
        move = move.rstrip(";")
        if len(move) == 4 and self.board[square(move[:2])] in "Pp" and move[3] in "18":
            move += "q"
        return move.lower()

    def push(self, move):
        move = self.normalise(move)
        if move not in self.legal_moves():
            raise ValueError("illegal move %s in %s" % (move, self.fen()))
        self._make(move)

    def _make(self, move):
        f, t = square(move[0:2]), square(move[2:4])
        p = self.board[f]
        capture = self.board[t] != "."
        if p in "Pp" and t == self.ep and not capture:
            self.board[t + (-8 if white(p) else 8)] = "."
            capture = True
        if p in "Kk" and abs(t - f) == 2:
            for king_from, king_to, rook_from, rook_to, _ in CASTLES.values():
                if (f, t) == (king_from, king_to):
                    self.board[rook_to], self.board[rook_from] = self.board[rook_from], "."
        self.board[t], self.board[f] = p, "."
        if len(move) == 5:
            self.board[t] = move[4].upper() if white(p) else move[4]
        for s in (f, t):
            for right in RIGHTS_LOST.get(s, ""):
                self.castling = self.castling.replace(right, "")
        self.ep = (f + t) // 2 if p in "Pp" and abs(t - f) == 16 else None
        self.halfmove = 0 if capture or p in "Pp" else self.halfmove + 1
        if not self.white_to_move:
            self.fullmove += 1
        self.white_to_move = not self.white_to_move

    def rows(self):
        """The board as the engine draws it: rank 8 first, '-' for an empty square."""
        return ["".join(self.board[f + 8 * r].replace(".", "-") for f in range(8)) for r in range(7, -1, -1)]

    def after(self, move):
        other = self.copy()
        other.push(move)
        return other
