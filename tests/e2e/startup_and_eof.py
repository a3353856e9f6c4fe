"""Start-up options seen through console and xboard play, and the end of input at every point where the
program waits for it. Usage: startup_and_eof.py PROGRAM..."""

import re
import unittest

from orvexdriver import EngineTestCase, take_program_from_argv

BYE = "Bye, Thanks for the match."
# The engine's reply can only be the black king's step to b8.
FORCED = "k7/p2K4/P7/8/8/8/8/7R w - - 0 1"


class Options(EngineTestCase):
    def test_options(self):
        # Arguments, input, lines that must be there and lines that must not (regular expressions, each
        # matched against whole lines). Position files named in the arguments hold FORCED.
        cases = [
            # A depth the search cannot hold is reported and ignored.
            (["-fd", "300"], "", ["ERROR: .*", "MAXDEPTH = 56"], ["MAXDEPTH = 300"]),
            (["-fd", "-1", "-sd", "5"], "", ["ERROR: .*", "MAXDEPTH = 5"], []),
            (["-fd", "127"], "", ["MAXDEPTH = 127"], ["ERROR: .*"]),
            (["-sd", "5"], "", ["MAXDEPTH = 5"], []),
            (["-fd", "3", "-sd", "7"], "", ["MAXDEPTH = 7"], []),
            (["-help2", "-H"], "", ["Hello! I am Orvex", "MAXDEPTH = 56"], ["xboard   used .*"]),
            (["-HPC", "-tc", "5", "-nobook", "--what"], "", ["MAXDEPTH = 56"], ["ERROR: .*"]),
            (["-lpf"], "", ["ERROR: option -lpf needs a value", "MAXDEPTH = 56"], []),
            (["-sd"], "", ["ERROR: option -sd needs a value", "MAXDEPTH = 56"], []),
            (["-st"], "", ["ERROR: option -st needs a value", "MAXDEPTH = 56"], []),
            # Contained in an argument, "xboard" selects xboard mode: no console greeting, no prompt.
            (["-xboard"], "", [BYE], ["Hello! I am Orvex", "Enter Move: .*"]),
            # Without time settings the console searches one ply with no time; a fixed time per move
            # (also from "-st" inside the value of "-lpf") makes the search a timed one.
            ([], "go\ne2e4\n", ["Time Per Move = 0"], []),
            (["-st", "10", "-lpf", "pos.fen"], "go\nh1h2\n", [], ["Time Per Move = .*"]),
            (["-lpf", "pos-st.fen", "10"], "go\nh1h2\n", ["8  k - - - - - - -  8"], ["Time Per Move = .*"]),
            # Benchmark modes 3 to 5 read no start-up word: the first word is already a move.
            (["-bench3", "-fd", "1"], "e2e4\n", ["Enter Move: e2e4"], []),
            (["-fd", "1"], "e2e4\n", ["Enter Move: quit"], ["Enter Move: e2e4"]),
            (["-kibitz", "-fd", "1"], "go\ne2e4\n", [r"tellics kibitz ply=1 v=-?\d+ centipawns .* [a-h][1-8][a-h][1-8] "],
             []),
            (["-post", "-fd", "2"], "go\ne2e4\n", [r"2 -?\d+ \d+ \d+  [a-h][1-8][a-h][1-8] .*"], []),
            (["-fd", "2"], "go\ne2e4\n", [], [r"2 -?\d+ \d+ \d+  [a-h][1-8][a-h][1-8] .*"]),
        ]
        self.write_file("pos.fen", FORCED + "\n")
        self.write_file("pos-st.fen", FORCED + "\n")
        for args, stdin, present, absent in cases:
            with self.subTest(args=args, stdin=stdin):
                status, output = self.run_program(args, stdin)
                self.assertEqual(status, 0, output)
                lines = output.split("\n")
                for pattern in present:
                    self.assertTrue(any(re.fullmatch(pattern, line) for line in lines), "no %r in:\n%s" % (pattern, output))
                for pattern in absent:
                    self.assertFalse(any(re.fullmatch(pattern, line) for line in lines), "%r in:\n%s" % (pattern, output))
                self.assertEqual(lines[-2:], [BYE, ""], output)


class EndOfInput(EngineTestCase):
    def test_end_of_input_is_quit(self):
        # Wherever the input ends, the program says goodbye and exits with status 0.
        cases = [
            "",                                   # before the start-up word
            "xbo",                                # inside the start-up word
            "go\n",                               # console, at "Enter Move: "
            "go\nlevel 40",                       # console, inside a command's arguments
            "go\nsd",
            "go\ne2e4\nsetboard",
            "xboard\n",                           # xboard, waiting for a command
            "xboard\nnew\ne2e4",                  # a last word with no line end
            "xboard\nlevel 40",                   # inside a command's arguments
            "xboard\nlevel 40 5",
            "xboard\ntime",
            "xboard\notim",
            "xboard\nst",
            "xboard\nname",
            "xboard\ndumpsee 12",
            "xboard\nsetboard",
            "xboard\nsetboard 4k3/8/8/8/8/8/8/4K2R w K -",
            "xboard\nnew\nedit\n#",               # inside edit mode, on an empty board
            "xboard\nnew\nedit\n#\nKe1\nc\nKe8",  # inside edit mode, on a playable board
            "xboard\nnew\nforce\ne2e4\ne7e5",     # in force mode
            "xboard\nnew\nlevel 40 1 0\ntime 300\ne2e4\n",  # while the engine thinks
            "xboard\nnew\npost\nlevel 0 1000 0\ntime 6000000\ngo\n",
            "xboard\nnew\nresult 1/2-1/2 {Agreed}\n",        # after the game is over
        ]
        for stdin in cases:
            with self.subTest(stdin=stdin):
                status, output = self.run_program([], stdin)
                self.assertEqual(status, 0, output)
                self.assertEqual(output.split("\n")[-2:], [BYE, ""], output)


if __name__ == "__main__":
    take_program_from_argv()
    unittest.main()
