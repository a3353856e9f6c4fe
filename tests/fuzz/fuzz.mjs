// Protocol fuzzer: random UCI, xboard and console sessions against the program, mostly valid commands so
// that games go on, mixed with broken input and commands at the wrong moment. A copy of every game is kept
// with chess.js (an independent rules library), and every move the program prints is checked against it;
// every reply is waited for with a bound, so a hang, a crash, a sanitizer report, an illegal move or a
// missing reply is a fault.
//
// usage: node fuzz.mjs [options] PROGRAM [ARGS...]
//   --seed N        seed of the run (default: from the clock); session i gets a seed derived from it
//   --sessions N    sessions to run (default 200, unless --seconds is given)
//   --seconds S     start new sessions until S seconds have passed
//   --jobs N        sessions at a time (default 4)
//   --modes LIST    comma-separated subset of uci,xboard,console (default all three)
//   --slow F        multiply every time bound by F (sanitizer or emulated builds; env ORVEX_FUZZ_SLOW)
//   --log-dir DIR   where transcripts of failing sessions go (default: a new temporary directory)
//   --replay SEED   run the one session with that seed (as printed with a fault), printing its transcript
//   --resync        UCI: send the position before every search (hides a board that a search changed, to
//                   let other faults show)
// Exit status: 0 no fault, 1 faults found, 2 bad usage, 77 chess.js missing.

import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import { performance } from 'node:perf_hooks';

const HERE = path.dirname(fileURLToPath(import.meta.url));
let Chess;
try {
  ({ Chess } = createRequire(path.join(HERE, '../match/package.json'))('chess.js'));
} catch {
  console.error('fuzz: chess.js is missing (run scripts/install-deps, or npm ci in tests/match); skipped');
  process.exit(77);
}

const START = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';
const SANITIZER = /AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|runtime error:|position check after/;

// ---------------------------------------------------------------------------------------------------------
// Options

function parseArgs(argv) {
  const o = { seed: null, sessions: null, seconds: null, jobs: 4, modes: ['uci', 'xboard', 'console'],
              slow: parseFloat(process.env.ORVEX_FUZZ_SLOW || '1'), logDir: null, replay: null, program: [] };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    const value = () => {
      if (i + 1 >= argv.length) usage(`${a} needs a value`);
      return argv[++i];
    };
    if (a === '--seed') o.seed = parseInt(value(), 10) >>> 0;
    else if (a === '--sessions') o.sessions = parseInt(value(), 10);
    else if (a === '--seconds') o.seconds = parseFloat(value());
    else if (a === '--jobs') o.jobs = parseInt(value(), 10);
    else if (a === '--modes') o.modes = value().split(',');
    else if (a === '--slow') o.slow = parseFloat(value());
    else if (a === '--log-dir') o.logDir = value();
    else if (a === '--replay') o.replay = parseInt(value(), 10) >>> 0;
    else if (a === '--resync') o.resync = true;
    else if (a === '--') { o.program = argv.slice(i + 1); break; }
    else if (a.startsWith('--')) usage(`unknown option ${a}`);
    else { o.program = argv.slice(i); break; }
  }
  if (!o.program.length) usage('no program given');
  if (o.modes.some((m) => !['uci', 'xboard', 'console'].includes(m))) usage('modes are uci, xboard, console');
  if (!(o.jobs > 0) || !(o.slow > 0)) usage('bad number');
  if (o.seed === null) o.seed = (Date.now() ^ (process.pid << 16)) >>> 0;
  if (o.sessions === null && o.seconds === null) o.sessions = 200;
  // Relative paths of the program are taken from here: the sessions run in directories of their own.
  o.program = o.program.map((a) => (a.includes('/') && fs.existsSync(a) ? path.resolve(a) : a));
  return o;
}

function usage(message) {
  console.error(`fuzz: ${message}`);
  console.error('usage: node fuzz.mjs [--seed N] [--sessions N | --seconds S] [--jobs N] [--modes uci,xboard,console] ' +
                '[--slow F] [--log-dir DIR] [--replay SEED] PROGRAM [ARGS...]');
  process.exit(2);
}

// ---------------------------------------------------------------------------------------------------------
// Random numbers: small, seedable, the same on every machine.

function mix(a, b) {
  let h = (a ^ Math.imul(b + 0x9e3779b9, 0x85ebca6b)) >>> 0;
  h = Math.imul(h ^ (h >>> 16), 0x7feb352d) >>> 0;
  h = Math.imul(h ^ (h >>> 15), 0x846ca68b) >>> 0;
  return (h ^ (h >>> 16)) >>> 0;
}

class Rng {
  constructor(seed) { this.s = seed >>> 0; }
  next() {
    this.s = (this.s + 0x6d2b79f5) >>> 0;
    let t = this.s;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  }
  int(lo, hi) { return lo + Math.floor(this.next() * (hi - lo + 1)); }
  chance(p) { return this.next() < p; }
  pick(list) { return list[Math.floor(this.next() * list.length)]; }
  // One of several [weight, value] pairs.
  weighted(pairs) {
    let total = 0;
    for (const [w] of pairs) total += w;
    let r = this.next() * total;
    for (const [w, v] of pairs) if ((r -= w) < 0) return v;
    return pairs[pairs.length - 1][1];
  }
}

// ---------------------------------------------------------------------------------------------------------
// Chess helpers over chess.js

function uciOf(m) { return m.from + m.to + (m.promotion || ''); }
function legalMoves(c) { return c.moves({ verbose: true }).map(uciOf); }

// The program's reading of a typed move: four or five characters, a promotion letter only on a promotion
// (in either case), a promotion without its letter is a queen. Returns the move as chess.js plays it, or null.
function typedMove(c, word) {
  if (!/^[a-h][1-8][a-h][1-8][a-zA-Z]?$/.test(word)) return null;
  const letter = word.length === 5 ? word[4].toLowerCase() : '';
  if (letter && !'qrbn'.includes(letter)) return null;
  const m = c.moves({ verbose: true }).find((x) => x.from === word.slice(0, 2) && x.to === word.slice(2, 4) &&
                                                (!x.promotion || x.promotion === (letter || 'q')));
  if (!m) return null;
  if (letter && !m.promotion) return null;
  return uciOf(m);
}

// A move as the program prints it: exactly as UCI writes it, the promotion letter exactly on promotions.
function exactMove(c, text) {
  return legalMoves(c).includes(text) ? text : null;
}

function play(c, uci) {
  c.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });
}

// The moves of a principal variation, each legal after the ones before it; returns the first bad one.
// The first move of a line that is not legal where it stands, or null. Thinking lines write the
// promotion letter of their first move only: with `lettersAfterFirst` false a later promotion may come
// without one, as a queen.
function badLine(c, moves, lettersAfterFirst = true) {
  const d = new Chess(c.fen());
  for (const [i, m] of moves.entries()) {
    const move = exactMove(d, m) || (!lettersAfterFirst && i > 0 && m.length === 4 && exactMove(d, m + 'q'));
    if (!move) return m;
    play(d, move);
  }
  return null;
}

function squareIndex(s) { return (s.charCodeAt(0) - 97) + 8 * (s.charCodeAt(1) - 49); }

// Whether the program accepts a position: one king a side, no pawn on the first or last rank, no more
// material than a game can produce, the side not to move not in check. Takes a placement map.
function playable(pieces, side) {
  const count = (p) => Object.values(pieces).filter((x) => x === p).length;
  if (count('K') !== 1 || count('k') !== 1) return false;
  for (const [sq, p] of Object.entries(pieces)) if ((p === 'P' || p === 'p') && (sq[1] === '1' || sq[1] === '8')) return false;
  for (const colour of ['w', 'b']) {
    const up = (l) => count(colour === 'w' ? l.toUpperCase() : l);
    const all = Object.values(pieces).filter((x) => (x === x.toUpperCase()) === (colour === 'w')).length;
    const p = up('p');
    const promoted = Math.max(0, up('q') - 1) + Math.max(0, up('r') - 2) + Math.max(0, up('b') - 2) +
                     Math.max(0, up('n') - 2);
    if (all > 16 || p > 8 || promoted > 8 - p) return false;
  }
  const c = new Chess(placementFen(pieces, side === 'w' ? 'b' : 'w', '-'), { skipValidation: true });
  return !c.inCheck();
}

function placementFen(pieces, side, castling) {
  const rows = [];
  for (let rank = 8; rank >= 1; rank--) {
    let row = '', empty = 0;
    for (const f of 'abcdefgh') {
      const p = pieces[f + rank];
      if (!p) { empty++; continue; }
      if (empty) row += empty;
      empty = 0;
      row += p;
    }
    if (empty) row += empty;
    rows.push(row);
  }
  return `${rows.join('/')} ${side} ${castling} - 0 1`;
}

function piecesOf(c) {
  const map = {};
  for (const row of c.board()) for (const sq of row) if (sq) map[sq.square] = sq.color === 'w' ? sq.type.toUpperCase() : sq.type;
  return map;
}

// The square an edit token names, as the program reads it: file letter, then the decimal number after it
// (none is 0, a huge one saturates) as the rank, file + 8 x (rank - 1) taken modulo 64. A token of one
// letter names a1.
function editSquare(token) {
  let sq = 0n;
  if (token.length > 1) {
    const file = BigInt(token.charCodeAt(1) - 97);
    const m = /^[ \t\n\v\f\r]*([+-]?)(\d+)/.exec(token.slice(2));
    let rank = 0n;
    if (m) {
      rank = BigInt(m[1] + m[2]);
      const most = (1n << 63n) - 1n, least = -(1n << 63n);
      rank = rank > most ? most : rank < least ? least : rank;
    }
    sq = (((file + 8n * (rank - 1n)) % 64n) + 64n) % 64n;
  }
  return 'abcdefgh'[Number(sq % 8n)] + (Number(sq / 8n) + 1);
}

// Castling rights as the board editor derives them: from kings and rooks on their home squares.
function editorRights(pieces) {
  let r = '';
  if (pieces.e1 === 'K') { if (pieces.h1 === 'R') r += 'K'; if (pieces.a1 === 'R') r += 'Q'; }
  if (pieces.e8 === 'k') { if (pieces.h8 === 'r') r += 'k'; if (pieces.a8 === 'r') r += 'q'; }
  return r || '-';
}

// The program resets the fifty-move count whenever it sets up a position.
function withClockZero(fen) {
  const f = fen.split(' ');
  f[4] = '0';
  return f.join(' ');
}

// What a finished-game line claims, checked by the rules; null when the claim holds.
function wrongVerdict(c, line) {
  if (line.startsWith('White mates')) return c.isCheckmate() && c.turn() === 'b' ? null : 'no white mate';
  if (line.startsWith('Black mates')) return c.isCheckmate() && c.turn() === 'w' ? null : 'no black mate';
  if (line.startsWith('Stalemate')) return c.isStalemate() ? null : 'no stalemate';
  if (line.includes('repetition')) return c.isThreefoldRepetition() ? null : 'no threefold repetition';
  if (line.includes('50 Move')) return c.isDrawByFiftyMoves() ? null : 'fewer than fifty moves without capture or pawn move';
  if (line.includes('insufficient material')) return c.isInsufficientMaterial() ? null : 'mating material is left';
  return 'unknown game result';
}
const VERDICT = /^(White mates!|Black mates!|Stalemate|1\/2-1\/2|1-0|0-1)/;

// Positions to start from: the start, then a few with castling, en passant, promotions and near-mates.
const SEED_FENS = [
  START,
  'r3k2r/pppq1ppp/2n2n2/2bpp3/2BPP3/2N2N2/PPPQ1PPP/R3K2R w KQkq - 0 1',
  'rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3',
  '8/P6k/8/8/8/8/7p/K7 w - - 0 1',
  '1r6/6P1/8/4k3/8/p7/P7/K7 w - - 0 1',
  'k7/8/1K6/8/8/8/8/7R w - - 0 1',
  '6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1',
  '4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1',
  'r3k2r/8/8/8/8/8/5r2/R3K2R w KQkq - 0 1',
  '7k/8/8/8/8/8/1q6/K7 w - - 0 1',
  '4k3/8/8/8/8/8/4P3/4K3 w - - 0 1',
  '8/8/8/4k3/8/8/8/4KB2 w - - 0 1',
  'k7/8/8/1Q6/8/8/8/7K w - - 0 1',
  'rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3',
];

// A legal position: a seed position and a few random moves from it.
function randomPosition(rng) {
  const c = new Chess(rng.pick(SEED_FENS));
  const plies = rng.weighted([[3, 0], [5, rng.int(1, 12)], [2, rng.int(13, 60)]]);
  for (let i = 0; i < plies; i++) {
    const moves = legalMoves(c);
    if (!moves.length) break;
    play(c, rng.pick(moves));
  }
  return c.fen();
}

// Texts the program must refuse as positions.
const BAD_FENS = [
  'garbage', '8/8/8/8/8/8/8/8 w - - 0 1', '4k3/8/8/8/8/8/8/8 w - - 0 1', '4k3/8/8/8/8/8/8/K3K3 w - - 0 1',
  '4k3/8/8/8/8/8/8/P3K3 w - - 0 1', '3Pk3/8/8/8/8/8/8/4K3 w - - 0 1', '4k2R/8/8/8/8/8/8/4K3 w - - 0 1',
  '4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1', '4k3/8/8/8/8/8/PPPPPPPP/QQ2K3 w - - 0 1',
  '4k3/8/8/8/8/8/4K3 w - - 0 1', '4k3/8/8/8/8/8/8/4K3/8 w - - 0 1', '4k4/8/8/8/8/8/8/4K3 w - - 0 1',
  '4k3/44/8/8/8/8/8/4K3 w - - 0 1', '4k3/8/8/8/8/8/8/4K99999999999999999999 w - - 0 1',
];

const ABSURD = ['-1', '-5', '0', '2147483647', '2147483648', '4294967296', '9223372036854775807',
                '9223372036854775808', '-9223372036854775809', '99999999999999999999', '-99999999999999999999'];

function longWord(rng, letter) { return letter.repeat(rng.int(100, 400) * 1024); }

// Blanks and tabs between the words of a line, sometimes a few at either end.
function noisy(rng, words) {
  if (!rng.chance(0.15)) return words.join(' ');
  const gap = () => rng.pick([' ', '  ', '\t', ' \t ']);
  return (rng.chance(0.5) ? gap() : '') + words.join(gap()) + (rng.chance(0.5) ? gap() : '');
}

// ---------------------------------------------------------------------------------------------------------
// The program on pipes: lines in, lines out, every read with a deadline.

class Fault extends Error {
  constructor(kind, message) { super(message); this.kind = kind; }
}

function shown(line) {
  return line.length > 200 ? `${line.slice(0, 160)}...(${line.length} bytes)` : line;
}

class Engine {
  constructor(argv, cwd, slow) {
    this.t0 = performance.now();
    this.transcript = [];
    this.lines = [];
    this.buffer = '';
    this.waiter = null;
    this.exit = null;
    this.sanitizer = null;
    this.stderr = '';
    this.proc = spawn(argv[0], argv.slice(1), { cwd, stdio: ['pipe', 'pipe', 'pipe'] });
    this.exited = new Promise((resolve) => { this.resolveExit = resolve; });
    this.proc.stdout.setEncoding('latin1');
    this.proc.stdout.on('data', (chunk) => this.take(chunk));
    this.proc.stderr.setEncoding('latin1');
    this.proc.stderr.on('data', (chunk) => {
      this.stderr += chunk;
      for (const l of chunk.split('\n')) if (l) this.note(`! ${l}`);
      this.scan(chunk);
      this.poke();
    });
    this.proc.stdin.on('error', () => {});
    this.proc.on('error', (err) => this.ended({ code: null, signal: null, how: `could not run: ${err.message}` }));
    this.proc.on('exit', (code, signal) =>
      this.ended({ code, signal, how: signal ? `killed by signal ${signal}` : `exited with status ${code}` }));
  }

  note(text) {
    this.transcript.push(`${((performance.now() - this.t0) / 1000).toFixed(3).padStart(8)} ${shown(text)}`);
  }

  scan(text) {
    if (!this.sanitizer && SANITIZER.test(text)) this.sanitizer = text.split('\n').find((l) => SANITIZER.test(l));
  }

  take(chunk) {
    this.buffer += chunk;
    let nl;
    while ((nl = this.buffer.indexOf('\n')) >= 0) {
      const line = this.buffer.slice(0, nl).replace(/\r$/, '');
      this.buffer = this.buffer.slice(nl + 1);
      this.note(`< ${line}`);
      this.scan(line);
      this.lines.push(line);
    }
    this.poke();
  }

  ended(info) {
    if (this.exit) return;
    // The last output may still be in the pipe.
    setTimeout(() => {
      this.exit = info;
      this.note(`** ${info.how}`);
      this.resolveExit(info);
      this.poke();
    }, 50);
  }

  poke() {
    if (this.waiter) {
      const w = this.waiter;
      this.waiter = null;
      w();
    }
  }

  send(text) {
    this.note(`> ${text}`);
    if (!this.exit && this.proc.stdin.writable) this.proc.stdin.write(text + '\n');
  }

  closeInput() {
    this.note('> (end of input)');
    this.proc.stdin.end();
  }

  check() {
    if (this.sanitizer) throw new Fault('sanitizer', `sanitizer report: ${shown(this.sanitizer)}`);
  }

  // The next line, or null when the deadline passes with partial set and the pending text equals it.
  async line(deadline, what, partial = null) {
    for (;;) {
      this.check();
      if (this.lines.length) return this.lines.shift();
      if (partial !== null && this.buffer === partial) return null;
      if (this.exit) throw new Fault('crash', `the program ${this.exit.how} while waiting for ${what}`);
      const left = deadline - performance.now();
      if (left <= 0) throw new Fault('hang', `nothing (${what}) within ${((deadline - this.started) / 1000).toFixed(1)} s`);
      await new Promise((resolve) => {
        const timer = setTimeout(resolve, Math.min(left, 200));
        this.waiter = () => { clearTimeout(timer); resolve(); };
      });
    }
  }

  // Lines up to and including the first that the test accepts; each earlier one goes to onLine.
  async until(test, ms, what, onLine = () => {}) {
    this.started = performance.now();
    const deadline = this.started + ms;
    for (;;) {
      const l = await this.line(deadline, what);
      if (test(l)) return l;
      onLine(l);
    }
  }

  kill() {
    if (!this.exit) this.proc.kill('SIGKILL');
  }
}

// ---------------------------------------------------------------------------------------------------------
// A session: its seed, its random choices, its engine, its mirror of the game.

class Session {
  constructor(opts, seed) {
    this.opts = opts;
    this.seed = seed;
    this.rng = new Rng(seed);
    this.mode = opts.modes[mix(seed, 7) % opts.modes.length];
    this.moves = 0;
    this.slack = 5000 * opts.slow;   // answers that need no thinking, and searches of depth 4 or less
    this.late = 1000 * opts.slow;    // past a time budget before a reply counts as late
    this.c = new Chess();
  }

  start(args = []) {
    this.dir = fs.mkdtempSync(path.join(os.tmpdir(), 'orvex-fuzz-'));
    this.e = new Engine([...this.opts.program, ...args], this.dir, this.opts.slow);
    return this.e;
  }

  fault(kind, message) { throw new Fault(kind, message); }

  // The engine's move text, checked in the mirror and played there.
  engineMove(text, where) {
    const m = exactMove(this.c, text);
    if (!m) this.fault('illegal-move', `${where} ${text} is not legal in ${this.c.fen()}`);
    play(this.c, m);
    this.moves++;
  }

  load(fen) { this.c = new Chess(withClockZero(fen), { skipValidation: true }); }

  async finish(endCommand) {
    if (endCommand === null) this.e.closeInput();
    else this.e.send(endCommand);
    const timer = new Promise((r) => setTimeout(r, this.slack * 2, null));
    const info = await Promise.race([this.e.exited, timer]);
    this.e.check();
    if (!info) this.fault('hang', `no exit within ${(this.slack * 2 / 1000).toFixed(0)} s of ${endCommand ?? 'the end of input'}`);
    if (info.signal || info.code !== 0) this.fault('crash', `the program ${info.how} after ${endCommand ?? 'the end of input'}`);
  }

  async run() {
    try {
      if (this.mode === 'uci') await this.uci();
      else if (this.mode === 'xboard') await this.xboard();
      else await this.console();
      // A report may come with the exit.
      this.e.check();
      return null;
    } catch (err) {
      if (!(err instanceof Fault)) err = new Fault('fuzzer', `the fuzzer failed: ${err.stack}`);
      // Whatever else the program printed or reported on the way out.
      this.e.kill();
      await Promise.race([this.e.exited, new Promise((r) => setTimeout(r, 500))]);
      if (this.e.sanitizer && err.kind !== 'sanitizer') err.message += `; sanitizer report: ${shown(this.e.sanitizer)}`;
      return err;
    } finally {
      this.e?.kill();
      fs.rmSync(this.dir, { recursive: true, force: true });
    }
  }

  // ---------------------------------------------------------------------------------------------------
  // UCI

  async uci() {
    const e = this.start();
    const r = this.rng;
    this.ponderOption = false;
    // A start-up word other than "uci" also chooses UCI; "ucinewgame" then starts the session without the
    // identification.
    const word = r.chance(0.1) ? 'ucinewgame' : r.chance(0.1) ? noisy(r, ['uci']) : 'uci';
    e.send(word);
    if (word === 'ucinewgame') await this.uciSync();
    else await e.until((l) => l === 'uciok', this.slack, 'uciok');
    const steps = r.int(5, 40);
    for (let i = 0; i < steps; i++) {
      const what = r.weighted([[25, 'position'], [30, 'go'], [8, 'go-again'], [10, 'unbounded'], [5, 'ponder'],
                               [6, 'at-rest'], [4, 'option'], [3, 'newgame'], [4, 'noise'], [1, 'uci']]);
      await this['uci_' + what.replace('-', '_')]();
    }
    if (r.chance(0.15)) {
      // Quit or end of input in the middle of a search.
      e.send('go infinite');
      await this.uciSync();
    }
    await this.finish(r.chance(0.2) ? null : 'quit');
  }

  // "isready" and the lines before "readyok"; no search may answer unasked.
  async uciSync(extra = 0) {
    this.e.send('isready');
    const seen = [];
    for (let k = 0; k <= extra; k++) await this.e.until((l) => l === 'readyok', this.slack, 'readyok', (l) => seen.push(l));
    const stray = seen.find((l) => l.startsWith('bestmove'));
    if (stray && !this.searching) this.fault('stray-bestmove', `"${stray}" with no search running`);
    return seen;
  }

  // A position command and what it must leave: the mirror position and whether an ERROR line is due.
  async uci_position() {
    const r = this.rng;
    const kind = r.weighted([[6, 'startpos'], [6, 'fen'], [2, 'badfen'], [1, 'bare'], [1, 'long']]);
    let words = ['position'], fen = START, bad = false;
    if (kind === 'startpos') words.push('startpos');
    else if (kind === 'fen' || kind === 'long') { fen = randomPosition(r); words.push('fen', ...fen.split(' ')); }
    else if (kind === 'badfen') { words.push('fen', ...r.pick(BAD_FENS).split(' ')); bad = true; }
    if (kind === 'bare') await this.resync();
    let c = kind === 'bare' ? new Chess(this.c.fen()) : new Chess(fen);
    let error = bad;
    const list = [];
    if (!bad && (r.chance(0.8) || kind === 'long')) {
      const n = kind === 'long' ? r.int(200, 700) : r.int(0, 40);
      for (let k = 0; k < n; k++) {
        const moves = legalMoves(c);
        if (!moves.length) break;
        const m = r.pick(moves);
        // Sometimes without the queen letter, or with an upper-case one: the program reads both.
        list.push(m.length === 5 && r.chance(0.2) ? (m[4] === 'q' && r.chance(0.5) ? m.slice(0, 4) : m.slice(0, 4) + m[4].toUpperCase()) : m);
        play(c, m);
      }
      if (r.chance(0.25)) {
        // A broken word in the list ends it: with an error when it looks like a move, quietly when not.
        const w = r.pick(['e2e5', 'a1a1', 'e2', 'e2e9', 'a0a1', 'e2e4e5', 'g1f3q', 'e7e8k', 'xyz', 'z9', 'E2E4',
                          'h8h1', 'b1b3', 'e1g1', longWord(r, 'y'), ...ABSURD.slice(0, 2)]);
        list.push(w);
        const stopsQuietly = w.length < 2 || !/^[a-h][0-8]/.test(w);
        const mv = stopsQuietly ? null : typedMove(c, w);
        if (mv) play(c, mv);
        else if (!stopsQuietly) error = true;
        for (let k = r.chance(0.5) ? 2 : 0; k > 0; k--) {
          const more = legalMoves(c);
          if (!more.length) break;
          list.push(more[0]);
          if (mv) play(c, more[0]);
        }
      }
      if (list.length || r.chance(0.3)) words.push('moves', ...list);
    }
    this.e.send(noisy(r, words));
    const seen = (await this.uciSync()).filter((l) => !l.startsWith('MAJOR ERROR: NumMoves > 590'));
    const errors = seen.filter((l) => l.startsWith('ERROR: '));
    if (errors.length !== (error ? 1 : 0) || seen.length !== errors.length) {
      this.fault('position', `expected ${error ? 'one ERROR line' : 'no output'} for ${shown(words.join(' '))}, got: ${seen.map(shown).join(' | ') || 'nothing'}`);
    }
    if (!bad) this.c = c;
  }

  // A search with a limit: the answer comes within the budget; its move is legal in the mirror.
  boundedGo() {
    const r = this.rng;
    const words = ['go'];
    let budget;
    const kind = r.weighted([[5, 'depth'], [4, 'movetime'], [4, 'clock'], [1, 'tiny']]);
    const side = this.c.turn() === 'w' ? ['wtime', 'winc'] : ['btime', 'binc'];
    const other = this.c.turn() === 'w' ? ['btime', 'binc'] : ['wtime', 'winc'];
    if (kind === 'depth') { words.push('depth', String(r.int(1, 4))); budget = this.slack; }
    else if (kind === 'movetime') { const t = r.int(1, 200); words.push('movetime', String(t)); budget = t + this.late; }
    else if (kind === 'clock') {
      const t = r.int(50, 3000);
      words.push(side[0], String(t), other[0], String(r.int(1, 100000)));
      if (r.chance(0.5)) words.push(side[1], String(r.int(0, 100)), other[1], String(r.int(0, 5000)));
      if (r.chance(0.4)) words.push('movestogo', r.pick(['1', '2', '10', '40', '0', '-5']));
      budget = t + this.late;
    } else {
      // A clock already run out, or no time for the move.
      words.push(...r.pick([[side[0], '-1000', other[0], '1000'], [side[0], '0', other[0], '0'], ['movetime', '0'],
                            ['movetime', '-1'], [side[0], '-9223372036854775808']]));
      budget = this.late;
    }
    if (r.chance(0.1)) words.push(r.pick(['searchmoves', 'nodes', 'mate', 'bogus']));
    return { text: noisy(r, words), budget };
  }

  // Sends the search command and waits for its answer, checking it. With end ("stop" or "ponderhit"),
  // that is sent after the delay and the commands of during; early tells whether an answer may come first.
  async search(text, budget, { end = null, delay = 0, early = true, during = [] } = {}) {
    const e = this.e;
    const pos = new Chess(this.c.fen());
    const legal = legalMoves(pos);
    let t0 = performance.now();
    this.searching = true;
    e.send(text);
    const lines = [];
    let best = null;
    if (end !== null) {
      await new Promise((r) => setTimeout(r, delay));
      for (const d of during) e.send(d);
      if (during.length) lines.push(...await this.uciSync(during.filter((d) => d === 'isready').length));
      best = lines.find((l) => /^bestmove( |$)/.test(l)) ?? null;
      if (!early && legal.length && (best || e.lines.some((l) => /^bestmove( |$)/.test(l)))) {
        this.fault('early-bestmove', `"${shown(text)}" answered before "${end}"`);
      }
      if (!best) {
        e.send(end);
        t0 = performance.now();
      }
    }
    const what = `bestmove after "${shown(text)}"${end ? ` and ${end}` : ''}`;
    if (!best) best = await e.until((l) => /^bestmove( |$)/.test(l), end === 'stop' ? this.slack : budget, what, (l) => lines.push(l));
    const ms = performance.now() - t0;
    this.searching = false;
    const m = /^bestmove (\S+)(?: ponder (\S+))?\s*$/.exec(best);
    if (!m) this.fault('malformed', `malformed "${best}"`);
    if (!legal.length) {
      if (m[1] !== '0000') this.fault('illegal-move', `bestmove ${m[1]} with no legal move in ${pos.fen()}`);
    } else {
      if (!exactMove(pos, m[1])) this.fault('illegal-move', `bestmove ${m[1]} is not legal in ${pos.fen()} (after "${shown(text)}")`);
      this.moves++;
      if (m[2]) {
        if (!this.ponderOption) this.fault('ponder', `ponder move ${m[2]} without the Ponder option`);
        const after = new Chess(pos.fen());
        play(after, m[1]);
        if (!exactMove(after, m[2])) this.fault('illegal-move', `ponder ${m[2]} is not legal after ${m[1]} in ${pos.fen()}`);
      }
      for (const l of lines) {
        const pv = / pv (.*)$/.exec(l);
        if (!pv) continue;
        const bad = badLine(pos, pv[1].split(/[\s;]+/).filter((x) => x));
        if (bad) this.fault('illegal-pv', `principal variation "${pv[1].trim()}" has ${bad}, not legal there, in ${pos.fen()}`);
      }
    }
    const errors = lines.filter((l) => l.startsWith('ERROR'));
    if (errors.length) this.fault('error-line', `search printed "${shown(errors[0])}"`);
    if (end !== 'stop' && ms > budget) this.fault('late', `"${shown(text)}"${end ? ` and ${end}` : ''} answered after ${(ms / 1000).toFixed(2)} s`);
    return m[1];
  }

  // The mirror position, set afresh.
  async resync() {
    if (!this.opts.resync) return;
    this.e.send(`position fen ${this.c.fen()}`);
    await this.uciSync();
  }

  async uci_go() {
    await this.resync();
    const { text, budget } = this.boundedGo();
    await this.search(text, budget);
    if (this.rng.chance(0.3)) await this.uciSync();
  }

  // A search repeated with no new position: each must answer for the same position.
  async uci_go_again() {
    for (let k = this.rng.int(2, 4); k > 0; k--) {
      await this.resync();
      const { text, budget } = this.boundedGo();
      await this.search(text, budget);
    }
  }

  // Commands that act during a search: most are ignored, isready is answered.
  duringSearch(endless) {
    const r = this.rng;
    const out = [];
    // A search that may have ended already would carry out the commands that change something.
    const harmless = ['isready', '', '   ', '\t', 'foo bar', 'debug on', 'position', 'e2e4'];
    for (let k = r.int(0, 4); k > 0; k--) {
      out.push(!endless ? r.pick(harmless) : r.pick(['isready', 'go depth 1', 'go movetime 10', 'go infinite', 'position startpos moves d2d4',
                       `position fen ${randomPosition(r)}`, 'setoption name Ponder value true', 'uci', 'debug on',
                       '', '   ', '\t', 'foo bar', `x${longWord(r, 'x')}`, 'position', 'e2e4']));
    }
    return out;
  }

  // Searches without an end of their own: "stop" ends them.
  async uci_unbounded() {
    const r = this.rng;
    const text = noisy(r, r.pick([['go', 'infinite'], ['go'], ['go', 'depth', r.pick(ABSURD)], ['go', 'movetime', r.pick(ABSURD.slice(3))],
                                  ['go', 'wtime', r.pick(ABSURD.slice(3)), 'btime', r.pick(ABSURD.slice(3))], ['go', 'nodes', '1000'],
                                  ['go', 'movestogo', r.pick(ABSURD)], ['go', 'infinite', 'depth', '3'], ['go', 'depth', '60'],
                                  ['go', 'infinite', 'searchmoves', 'e2e4']]));
    const infinite = text.includes('infinite') && !text.includes('depth');
    await this.resync();
    await this.search(text, this.slack, { end: 'stop', delay: r.int(0, 400), early: !infinite, during: this.duringSearch(infinite) });
  }

  // Pondering: ended by "stop", or turned by "ponderhit" into a search on the clock it came with.
  async uci_ponder() {
    const r = this.rng;
    const t = r.int(50, 2000);
    const text = noisy(r, ['go', 'ponder', 'wtime', String(t), 'btime', String(t), ...(r.chance(0.3) ? ['winc', '10', 'binc', '10'] : [])]);
    const hit = r.chance(0.5);
    await this.resync();
    await this.search(text, t + this.late, { end: hit ? 'ponderhit' : 'stop', delay: r.int(0, 300), early: false, during: this.duringSearch(true) });
  }

  // Commands that mean nothing at rest: they print nothing and change nothing.
  async uci_at_rest() {
    const r = this.rng;
    this.e.send(r.pick(['stop', 'ponderhit', '', '  ', '\t', 'stop stop', 'ponderhit now']));
    const seen = await this.uciSync();
    // A ponderhit at rest starts nothing either: no identification again, and the position stays (the
    // next search's move is checked in it).
    if (seen.some((l) => l.startsWith('bestmove') || l.startsWith('info') || l.startsWith('id ') || l === 'uciok')) {
      this.fault('stray-output', `at rest: ${seen.map(shown).join(' | ')}`);
    }
  }

  async uci_option() {
    const r = this.rng;
    const on = r.chance(0.5);
    const name = r.pick(['Ponder', 'Ponder', 'OwnBook', 'UCI_AnalyseMode', 'UCI_ShowCurrLine', 'SecondaryBook', 'NoSuchOption']);
    const line = r.chance(0.1) ? r.pick(['setoption', 'setoption name', 'setoption name Hash value ' + r.pick(ABSURD)])
      : noisy(r, ['setoption', 'name', name, 'value', on ? 'true' : 'false']);
    this.e.send(line);
    if (line.includes('Ponder') && !line.includes('UCI_')) this.ponderOption = line.includes('true');
    await this.uciSync();
  }

  async uci_newgame() {
    this.e.send('ucinewgame');
    this.c = new Chess();
    this.ponderOption = false;
    await this.uciSync();
  }

  async uci_noise() {
    const r = this.rng;
    const line = r.pick(['foo', 'foo bar baz', 'register later', 'Position startpos moves e2e4', 'e2e4', 'isready now',
                         '\x1b[A \x7f', 'é♞ ü', longWord(r, 'x'), 'setoption name ' + longWord(r, 'z'),
                         'Go depth 1', 'GO', ...ABSURD]);
    this.e.send(line);
    await this.uciSync();
  }

  async uci_uci() {
    this.e.send('uci');
    await this.e.until((l) => l === 'uciok', this.slack, 'uciok');
    await this.uciSync();
  }

  // ---------------------------------------------------------------------------------------------------
  // xboard: words are read one at a time; "." is answered with "stat01: ..." everywhere but in the editor.

  async xboard() {
    const e = this.start();
    const r = this.rng;
    this.force = false;
    this.over = false;
    this.analyzing = false;
    this.syncs = 0;
    // The time a move may take: a budget in milliseconds, or null when only "?" bounds the search.
    this.budget = null;
    await e.until((l) => l.startsWith('Orvex'), this.slack, 'the greeting');
    e.send('xboard');
    if (r.chance(0.7)) e.send('protover 2');
    e.send('new');
    this.c = new Chess();
    await this.xbTime(true);
    if (r.chance(0.6)) e.send(r.pick(['post', 'nopost']));
    await this.xbSync();
    const steps = r.int(8, 40);
    for (let i = 0; i < steps; i++) {
      const what = this.analyzing
        ? r.weighted([[10, 'move'], [2, 'bad-move'], [2, 'sync'], [3, 'exit'], [1, 'new'], [1, 'setboard'], [1, 'edit'], [1, 'noise'], [1, 'undo']])
        : r.weighted([[40, 'move'], [5, 'bad-move'], [6, 'go'], [4, 'force'], [3, 'new'], [4, 'setboard'], [3, 'edit'],
                      [2, 'analyze'], [5, 'time'], [1, 'absurd-time'], [2, 'post'], [2, 'undo'], [1, 'result'], [3, 'noise'],
                      [6, 'interrupt'], [1, 'colour']]);
      await this['xb_' + what.replace('-', '_')]();
    }
    if (r.chance(0.1) && !this.analyzing && !this.over && legalMoves(this.c).length) {
      // Quit while the engine thinks.
      e.send('go');
    }
    e.send('quit');
    await this.finish(null);
    if (!this.e.transcript.some((l) => l.includes('< Bye, Thanks for the match.'))) this.fault('quit', 'no farewell line after quit');
  }

  // Checks the lines the engine printed; returns what they hold.
  xbLines(lines, { checkPV = true } = {}) {
    const out = { moves: [], verdicts: [], illegal: [], errors: [] };
    for (const l of lines) {
      const mv = /^(\d+)\. \.\.\. (\S+?);?\s*$/.exec(l);
      if (mv) { out.moves.push(mv[2]); continue; }
      if (VERDICT.test(l)) { out.verdicts.push(l); continue; }
      if (l.startsWith('Illegal move: ')) { out.illegal.push(l.slice(14)); continue; }
      if (l.startsWith('ERROR')) { out.errors.push(l); continue; }
      const t = /^(\d+) (-?\d+) (-?\d+) (\d+) (.*)$/.exec(l);
      if (t && checkPV && !this.over) {
        const bad = badLine(this.c, t[5].split(/[\s;]+/).filter((x) => x), false);
        if (bad) this.fault('illegal-pv', `thinking line "${l.trim()}" has ${bad}, not legal in ${this.c.fen()}`);
      }
    }
    return out;
  }

  verdict(l) {
    const why = wrongVerdict(this.c, l);
    if (why) this.fault('verdict', `"${l}" but ${why} in ${this.c.fen()}`);
    this.over = true;
    this.analyzing = false;
  }

  // Everything the engine printed up to the answer of a sync: "." answered by "stat01: ", or, during an
  // analysis and just after it (it prints "stat01: " lines of its own), a marker word that it refuses as a
  // move (a search that is no analysis would take it silently).
  async xbSync(opts = {}) {
    const e = this.e;
    const seen = [];
    const marker = (this.analyzing || opts.afterAnalysis) && !this.over;
    if (marker) {
      const marker = `a0sync${++this.syncs}`;
      e.send(marker);
      let gone = false;
      try {
        await e.until((l) => l === `Illegal move: ${marker}`, this.slack, `the refusal of ${marker}`, (l) => seen.push(l));
      } catch (err) {
        // A game that ended during the analysis ignores move words: "." answers then.
        if (!(err instanceof Fault) || err.kind !== 'hang' || !seen.some((l) => VERDICT.test(l))) throw err;
        gone = true;
      }
      if (!gone) return this.xbLines(seen, opts);
    }
    e.send('.');
    await e.until((l) => l.startsWith('stat01: '), this.slack, 'the answer to "."', (l) => seen.push(l));
    return this.xbLines(seen, opts);
  }

  // After a sync: nothing but what was expected.
  quiet(got, what, { illegal = [], errors = 0 } = {}) {
    if (got.moves.length) this.fault('unexpected-move', `move ${got.moves[0]} after ${what}`);
    for (const v of got.verdicts) this.verdict(v);
    if (got.illegal.join(' ') !== illegal.join(' ')) {
      this.fault(illegal.length ? 'move-accepted' : 'move-refused',
                 `after ${shown(what)}: refused [${got.illegal.map(shown).join(' ')}], expected [${illegal.map(shown).join(' ')}] in ${this.c.fen()}`);
    }
    if (got.errors.length !== errors) this.fault('error-line', `after ${shown(what)}: ${got.errors.length} ERROR lines, expected ${errors}: ${got.errors.join(' | ')}`);
  }

  // The engine thinks in the mirror position: its move (or the end of the game) must come.
  async xbEngineTurn(what, { afterUserMove = false } = {}) {
    const e = this.e;
    if (this.over) return this.quiet(await this.xbSync(), what);
    if (!legalMoves(this.c).length) {
      // No move to make: the result line comes instead.
      const seen = [];
      const v = await e.until((l) => VERDICT.test(l), this.slack, `the result line of ${this.c.fen()}`, (l) => seen.push(l));
      this.quiet(this.xbLines(seen), what);
      this.verdict(v);
      return this.quiet(await this.xbSync(), what);
    }
    const seen = [];
    let nudged = false;
    const isMove = (l) => /^\d+\. \.\.\. /.test(l) || VERDICT.test(l);
    let budget = this.budget;
    if (budget === null) {
      await new Promise((r) => setTimeout(r, 300));
      e.send('?');
      nudged = true;
      budget = this.slack;
    } else budget += this.late;
    const last = await e.until(isMove, budget, `the move after ${what}${nudged ? ' and "?"' : ''}`, (l) => seen.push(l));
    const got = this.xbLines([...seen, last]);
    if (got.illegal.length || got.errors.length) this.fault('error-line', `after ${what}: ${seen.join(' | ')}`);
    if (got.moves.length) this.engineMove(got.moves[0], 'engine move');
    else {
      // A draw claimed after the interface's move ends the game before the engine moves.
      this.verdict(got.verdicts[0]);
      if (!afterUserMove && legalMoves(this.c).length && !got.verdicts[0].startsWith('1/2')) this.fault('verdict', `${got.verdicts[0]} instead of a move`);
    }
    const after = await this.xbSync();
    this.quiet(after, `the engine move ${got.moves[0] ?? ''}`);
  }

  async xb_move() {
    const legal = legalMoves(this.c);
    // A finished game: the engine's turn brings the result line; an analysis of it just goes on.
    if (!legal.length) return this.analyzing ? this.xb_sync() : this.xb_go();
    let m = this.rng.pick(legal);
    if (m.length === 5 && this.rng.chance(0.3)) m = m[4] === 'q' ? m.slice(0, 4) : m.slice(0, 4) + m[4].toUpperCase();
    await this.xbUserMove(m);
  }

  async xb_bad_move() {
    const r = this.rng;
    const w = r.pick(['e2e5', 'a1a1', 'e2', 'e2e9', 'a0a1', 'e2e4e5', 'g1f3q', 'e7e8k', 'h8h1', 'e1g1', 'e8g8',
                      'd1h5', 'a7a8q', 'a2a1n', `e2${longWord(r, 'e')}`, 'e9e4', 'i2i4', 'O-O', 'Nf3', 'e4']);
    await this.xbUserMove(w);
  }

  async xbUserMove(w) {
    const looks = /^[a-h][0-8]/.test(w);
    const mv = typedMove(this.c, w);
    this.e.send(w);
    if (this.over || !looks) return this.quiet(await this.xbSync(), w);
    if (!mv) return this.quiet(await this.xbSync(), w, { illegal: [w] });
    play(this.c, mv);
    if (this.force || this.analyzing) return this.quiet(await this.xbSync({ checkPV: !this.analyzing }), w);
    await this.xbEngineTurn(`the move ${w}`, { afterUserMove: true });
  }

  async xb_go() {
    this.e.send('go');
    this.force = false;
    await this.xbEngineTurn('go');
  }

  async xb_force() {
    this.e.send('force');
    this.force = true;
    this.quiet(await this.xbSync(), 'force');
  }

  async xb_new() {
    this.e.send('new');
    this.c = new Chess();
    // Lines of an analysis that "new" ends may still be on their way: the sync must not take its status
    // lines for the answer.
    const wasAnalyzing = this.analyzing;
    this.over = this.force = this.analyzing = false;
    // A new game drops a fixed time per move but keeps the clock it set, as interfaces expect to send the
    // time control after "new": so do we.
    await this.xbTime(true);
    this.quiet(await this.xbSync({ checkPV: false, afterAnalysis: wasAnalyzing }), 'new');
  }

  setboardCommand() {
    const r = this.rng;
    const bad = r.chance(0.2);
    const fen = bad ? r.pick([...BAD_FENS, '', longWord(r, 'p')]) : randomPosition(r);
    // Blanks around the text, but single blanks between the fields, as interfaces send them.
    return { text: r.chance(0.1) ? `  setboard \t${fen}  ` : `setboard ${fen}`, fen: bad ? null : fen };
  }

  async xb_setboard() {
    const { text, fen } = this.setboardCommand();
    this.e.send(text);
    if (fen) this.load(fen);
    this.quiet(await this.xbSync({ checkPV: false }), text, { errors: fen ? 0 : 1 });
  }

  // Edit tokens and the position they build from the mirror's, as the program must read them: a piece
  // joins whatever stands on its square, and an edit that leaves two pieces on one square is refused;
  // a malformed square is read by the program's rule (editSquare).
  editTokens() {
    const r = this.rng;
    const tokens = [];
    const held = {};
    if (r.chance(0.6)) tokens.push('#');
    else for (const [s, p] of Object.entries(piecesOf(this.c))) held[s] = new Set([p]);
    let colour = 'w';
    const sq = () => 'abcdefgh'[r.int(0, 7)] + r.int(1, 8);
    const place = (letter, s) => (held[s] ||= new Set()).add(colour === 'w' ? letter : letter.toLowerCase());
    const put = (letter, s) => { place(letter, s); tokens.push(letter + s); };
    const apply = (t) => {
      if ('PNBRQK'.includes(t[0])) place(t[0], editSquare(t));
      else if (t[0] === 'x') delete held[editSquare(t)];
    };
    if (tokens[0] === '#') {
      put('K', r.chance(0.5) ? 'e1' : sq());
      if (r.chance(0.5)) put('R', r.pick(['a1', 'h1', sq()]));
    }
    for (let k = r.int(0, 10); k > 0; k--) {
      const kind = r.weighted([[8, 'piece'], [2, 'c'], [2, 'x'], [3, 'junk']]);
      if (kind === 'piece') put(r.weighted([[5, 'P'], [2, 'N'], [2, 'B'], [2, 'R'], [1, 'Q'], [1, 'K']]), sq());
      else if (kind === 'c') { colour = colour === 'w' ? 'b' : 'w'; tokens.push('c'); }
      else if (kind === 'x') { const s = sq(); delete held[s]; tokens.push('x' + s); }
      else {
        const t = r.pick(['P', 'Pe', 'Pe9', 'Pz4', 'Pa2147483647', 'Pe44', 'Qh4294967297', 'xz9', 'x', 'pe4', 'foo',
                          '1234', 'e2e4', 'Ke1e2', 'Nb-3', 'R' + longWord(r, '9')]);
        apply(t);
        tokens.push(t);
      }
    }
    if (!Object.values(held).some((set) => set.has('k'))) {
      if (colour === 'w') tokens.push('c');
      colour = 'b';
      if (r.chance(0.9)) put('K', r.pick(['e8', sq()]));
    }
    tokens.push('.');
    const side = this.c.turn();
    const shared = Object.values(held).some((set) => set.size > 1);
    const pieces = {};
    for (const [s, set] of Object.entries(held)) if (set.size) pieces[s] = [...set][0];
    const ok = !shared && playable(pieces, side);
    return { tokens, fen: ok ? placementFen(pieces, side, editorRights(pieces)) : null };
  }

  async xb_edit() {
    const { tokens, fen } = this.editTokens();
    this.e.send('edit');
    for (const t of tokens) this.e.send(t);
    if (fen) this.load(fen);
    this.quiet(await this.xbSync({ checkPV: false }), `edit ${tokens.map(shown).join(' ')}`, { errors: fen ? 0 : 1 });
  }

  async xb_analyze() {
    if (this.over) return;
    this.e.send('analyze');
    this.analyzing = true;
    this.force = false;
    const got = await this.xbSync();
    this.quiet(got, 'analyze');
  }

  async xb_exit() {
    this.e.send('exit');
    const wasAnalyzing = this.analyzing;
    this.analyzing = false;
    this.quiet(await this.xbSync({ checkPV: !wasAnalyzing, afterAnalysis: wasAnalyzing }), 'exit');
  }

  async xb_sync() { this.quiet(await this.xbSync(), '.'); }

  // Time settings with sane values: a budget the reply must meet.
  async xbTime(first = false) {
    const r = this.rng;
    // The first settings of a game set its clock.
    const kind = r.weighted([[5, 'clock'], [2, 'st'], [first ? 0 : 2, 'otim'], [first ? 0 : 1, 'sd']]);
    if (kind === 'clock') {
      const cs = r.int(5, 200);
      // A fixed time per move would outlast the clock.
      if (this.fixedTime) this.e.send('st 0');
      this.fixedTime = false;
      if (first || r.chance(0.3)) this.e.send(r.pick(['level 40 1 0', 'level 0 2 1', 'level 40 0:30 0', 'level 1 1 0']));
      this.e.send(`time ${cs}`);
      this.e.send(`otim ${r.int(5, 400)}`);
      this.budget = cs * 10;
    } else if (kind === 'st') {
      this.e.send('st 1');
      this.fixedTime = true;
      this.budget = 1000;
    } else if (kind === 'otim') this.e.send(`otim ${r.int(0, 1000)}`);
    else this.e.send(`sd ${r.pick(['1', '2', '3', '4', '0', '-1', '2147483647', '99999999999'])}`);
  }

  async xb_time() {
    await this.xbTime();
    this.quiet(await this.xbSync(), 'time settings');
  }

  // Settings that leave the search's length unknown: from then on only "?" ends it.
  async xb_absurd_time() {
    const r = this.rng;
    const n = r.pick(ABSURD);
    const line = r.pick([`time ${n}`, `st ${n}`, `level ${n} ${n} ${n}`, `level 40 ${n} 0`, 'time', 'level', `otim ${n}`]);
    this.e.send(line);
    // A fixed time per move, however absurd, outlasts a clock set later unless "st 0" drops it first.
    if (line.startsWith('st ')) this.fixedTime = true;
    this.budget = null;
    this.quiet(await this.xbSync(), 'absurd time settings');
  }

  async xb_post() {
    this.e.send(this.rng.pick(['post', 'nopost']));
    this.quiet(await this.xbSync(), 'post');
  }

  // Taking moves back is not supported: the game stays as it is.
  async xb_undo() {
    this.e.send(this.rng.pick(['undo', 'remove']));
    this.quiet(await this.xbSync(), 'undo');
  }

  async xb_result() {
    this.e.send(this.rng.pick(['result 1-0 {White mates}', 'result 1/2-1/2 {Draw}', 'result *', 'result']));
    this.over = true;
    this.quiet(await this.xbSync(), 'result');
  }

  // "white" and "black": the side to move changes, unless the side then not to move is in check.
  colour(side) {
    const refused = side[0] !== this.c.turn() && this.c.inCheck();
    if (!refused) {
      const f = this.c.fen().split(' ');
      f[1] = side[0];
      f[3] = '-';
      this.c = new Chess(f.join(' '), { skipValidation: true });
    }
    return refused ? 1 : 0;
  }

  async xb_colour() {
    const side = this.rng.pick(['white', 'black']);
    this.e.send(side);
    const errors = this.colour(side);
    this.quiet(await this.xbSync(), side, { errors });
  }

  async xb_noise() {
    const r = this.rng;
    const w = r.pick(['', '   ', '\t', 'foo', 'bogus', 'hint', 'draw', 'hard', 'easy', 'random', 'bk', 'computer',
                      'name Fuzzer', 'accepted', 'rejected', 'ping 1', 'protover 2', 'xyzzy', '?', this.analyzing ? 'hint' : 'exit',
                      longWord(r, 'z'), '1', '-5', ...ABSURD]);
    this.e.send(w);
    // "?" ends an analysis as it moves a search on: the interface has the turn.
    const wasAnalyzing = this.analyzing;
    if (w === '?') this.analyzing = false;
    this.quiet(await this.xbSync({ afterAnalysis: wasAnalyzing }), `"${shown(w)}"`);
  }

  // A command while the engine thinks on its move, after one move of the interface.
  async xb_interrupt() {
    const r = this.rng;
    const legal = legalMoves(this.c);
    if (this.over || this.force || !legal.length) return this.xb_move();
    const e = this.e;
    const m = r.pick(legal);
    const after = new Chess(this.c.fen());
    play(after, m);
    if (!legalMoves(after).length) return this.xbUserMove(m);
    play(this.c, m);
    // Keep the engine thinking long enough for the command to find it searching.
    this.budget = null;
    e.send('post');
    e.send('st 1000');
    this.fixedTime = true;
    e.send(m);
    // Only a search seen running is sure to be interrupted: a reply that comes first ends the turn as usual.
    const early = [];
    const first = await e.until((l) => l.startsWith('Illegal move: ') || /^\d+ -?\d+ -?\d+ \d+ /.test(l) || /^\d+\. \.\.\. /.test(l) || VERDICT.test(l),
                                this.slack, `the search after ${m}`, (l) => early.push(l));
    if (first.startsWith('Illegal move: ')) this.fault('move-refused', `${m} refused in ${this.c.fen()}`);
    if (!/^\d+ -?\d+ -?\d+ \d+ /.test(first)) {
      const got = this.xbLines([...early, first], { checkPV: false });
      if (got.moves.length) this.engineMove(got.moves[0], 'engine move');
      else this.verdict(got.verdicts[0]);
      await this.xb_time();
      return;
    }
    await new Promise((res) => setTimeout(res, r.int(0, 300)));
    const cmd = r.pick(['new', 'force', 'setboard', 'edit', '?', '.', 'go', 'exit', 'post', 'time 100', 'result',
                        'undo', 'noise', 'analyze']);
    let effect = null, errors = 0, needsMove = false;
    if (cmd === 'setboard') {
      const sb = this.setboardCommand();
      e.send(sb.text);
      errors = sb.fen ? 0 : 1;
      effect = () => { if (sb.fen) this.load(sb.fen); };
    } else if (cmd === 'edit') {
      e.send('edit');
      // Starts from an empty board, so the result depends only on the side to move, known after the sync.
      const tokens = ['#', 'Ke1', 'Rh1', r.pick(['Pe4', 'Pa2', 'Nc3']), 'c', 'Ke8', r.pick(['Pd7', 'Pc5', 'Bf8']), '.'];
      for (const t of tokens) e.send(t);
      effect = () => {
        const pieces = {};
        for (let i = 1, colour = 'w'; i < tokens.length - 1; i++) {
          if (tokens[i] === 'c') colour = 'b';
          else pieces[tokens[i].slice(1)] = colour === 'w' ? tokens[i][0] : tokens[i][0].toLowerCase();
        }
        this.load(placementFen(pieces, this.c.turn(), editorRights(pieces)));
      };
    } else if (cmd === 'noise') e.send(r.pick(['foo', 'bogus', 'hint', longWord(r, 'z'), ...ABSURD]));
    else e.send(cmd);
    if (['?', '.', 'go', 'exit', 'post', 'time 100', 'undo', 'noise'].includes(cmd)) needsMove = true;
    const what = `"${cmd}" while the engine thinks on ${m}`;
    if (needsMove) {
      if (cmd !== '?') {
        await new Promise((res) => setTimeout(res, 200));
        e.send('?');
      }
      const seen = [];
      const last = await e.until((l) => /^\d+\. \.\.\. /.test(l) || VERDICT.test(l), this.slack, `the move after ${what}`, (l) => seen.push(l));
      const got = this.xbLines([...seen, last], { checkPV: false });
      if (got.moves.length) this.engineMove(got.moves[0], 'engine move');
      else this.verdict(got.verdicts[0]);
      if (cmd === 'go' && !this.over) {
        // A search that ended just before "go" arrived leaves "go" to start another, for the other side.
        const more = await this.xbSync({ checkPV: false });
        if (more.moves.length === 1) this.engineMove(more.moves[0], 'engine move');
        for (const v of more.verdicts) this.verdict(v);
      }
    } else {
      // A finished game ignores the sync's marker word.
      if (cmd === 'result') this.over = true;
      const got = await this.xbSync({ checkPV: false });
      if (got.moves.length > 1) this.fault('unexpected-move', `two moves after ${what}`);
      if (got.moves.length) this.engineMove(got.moves[0], 'engine move');
      // A result line may belong to the position before the command or after it.
      const before = new Chess(this.c.fen());
      const claims = got.verdicts;
      if (cmd === 'new') { this.c = new Chess(); this.over = false; }
      if (cmd === 'force') this.force = true;
      if (cmd === 'result') this.over = true;
      if (cmd === 'analyze') this.analyzing = !this.over;
      if (effect) effect();
      for (const v of claims) {
        if (wrongVerdict(this.c, v) && !wrongVerdict(before, v)) this.c = before;
        const keep = this.c.fen() === before.fen() || cmd !== 'new';
        this.verdict(v);
        if (!keep) this.over = false;
      }
      if (got.errors.length !== errors) this.fault('error-line', `after ${what}: ${got.errors.length} ERROR lines, expected ${errors}`);
      if (got.illegal.length) this.fault('move-refused', `after ${what}: ${got.illegal.join(' ')}`);
    }
    // Back to short searches.
    await this.xb_time();
    if (this.analyzing) await this.xb_exit();
    else this.quiet(await this.xbSync(), what);
  }

  // ---------------------------------------------------------------------------------------------------
  // Console: one word at a time after "Enter Move: ", which echoes it; the board is drawn after each turn.

  async console() {
    const r = this.rng;
    const args = r.pick([[], [], ['-fd', '2'], ['-fd', '3'], ['-st', '1'], ['-sd', '3']]);
    const e = this.start(args);
    this.budget = (args[0] === '-st' ? 1000 : 0) + this.slack;
    this.fixedTimeSet = args[0] === '-st';
    this.force = false;
    this.over = false;
    this.board = [];
    e.send(r.pick(['hello', 'go', 'e2e4', 'quit', 'xyz', 'new']));
    // The opening board.
    await this.conWait('the opening board');
    const steps = r.int(5, 40);
    // An analysis at the console is tried in few sessions: each that hangs ends its session.
    const analyzeAt = r.chance(0.05) ? r.int(0, steps - 1) : -1;
    for (let i = 0; i < steps && !this.over; i++) {
      const what = r.weighted([[40, 'move'], [5, 'bad'], [5, 'go'], [3, 'force'], [2, 'new'], [3, 'setboard'], [3, 'edit'],
                               [3, 'settings'], [2, 'sync'], [3, 'noise'], [1, 'colour'], [analyzeAt === i ? 1000 : 0, 'analyze']]);
      await this['con_' + what]();
    }
    if (this.over) {
      // A finished console game ends the program.
      const info = await Promise.race([this.e.exited, new Promise((res) => setTimeout(res, this.slack, null))]);
      if (!info) this.fault('hang', 'the program goes on after the end of the game');
      if (info.signal || info.code !== 0) this.fault('crash', `the program ${info.how} at the end of the game`);
      return;
    }
    await this.finish(r.chance(0.2) ? null : 'quit');
  }

  // Handles the console's output up to its next prompt: boards must be the mirror's position, or that
  // position after one legal engine move.
  conLine(l) {
    const row = /^([1-8])  ((?:[-PNBRQKpnbrqk] ){7}[-PNBRQKpnbrqk])  \1$/.exec(l);
    if (row) {
      this.board.push(row[2].replace(/ /g, ''));
      if (this.board.length === 8) {
        const drawn = this.board.join('/');
        this.board = [];
        const rows = (c) => { const p = piecesOf(c); const out = []; for (let rk = 8; rk >= 1; rk--) { let s = ''; for (const f of 'abcdefgh') s += p[f + rk] || '-'; out.push(s); } return out.join('/'); };
        if (drawn === rows(this.c)) return;
        const reply = legalMoves(this.c).find((m) => { const d = new Chess(this.c.fen()); play(d, m); return rows(d) === drawn; });
        if (!reply) this.fault('illegal-move', `the board drawn (${drawn}) is no legal move from ${this.c.fen()}`);
        play(this.c, reply);
        this.moves++;
      }
      return;
    }
    if (VERDICT.test(l)) this.verdict(l);
    if (l.startsWith('Illegal move: ')) this.conIllegal.push(l.slice(14));
    if (l.startsWith('ERROR')) this.conErrors.push(l);
  }

  async conWait(what, ms = this.budget) {
    this.conIllegal = [];
    this.conErrors = [];
    const deadline = performance.now() + ms;
    this.e.started = performance.now();
    for (;;) {
      if (this.over) {
        // The farewell follows the last board.
        await this.e.until((l) => l.startsWith('Bye'), this.slack, 'the farewell', (l) => this.conLine(l));
        return;
      }
      const l = await this.e.line(deadline, what, 'Enter Move: ');
      if (l === null) return;
      this.conLine(l);
    }
  }

  // Sends one line whose first word the console reads, and waits until it has been carried out.
  async conSend(text, word, what, { illegal = [], errors = 0, ms } = {}) {
    if (this.over) return;
    this.e.send(text);
    if (word !== null) {
      await this.e.until((l) => l === `Enter Move: ${word}`, this.slack, `the echo of ${shown(word)}`, (l) => this.conLine(l));
    }
    await this.conWait(what, ms);
    if (this.conIllegal.join(' ') !== illegal.join(' ')) {
      this.fault(illegal.length ? 'move-accepted' : 'move-refused',
                 `after ${shown(what)}: refused [${this.conIllegal.map(shown).join(' ')}], expected [${illegal.map(shown).join(' ')}]`);
    }
    if (this.conErrors.length !== errors) this.fault('error-line', `after ${shown(what)}: ${this.conErrors.length} ERROR lines, expected ${errors}`);
  }

  async conMove(w) {
    const looks = /^[a-h][0-8]/.test(w);
    const mv = typedMove(this.c, w);
    if (!looks) return this.conSend(w, w, w);
    if (!mv) return this.conSend(w, w, w, { illegal: [w] });
    // The board after the typed move is drawn first, then the engine's.
    play(this.c, mv);
    const afterMine = this.c.fen();
    const forced = this.force;
    await this.conSend(w, w, `the move ${w}`);
    if (!forced && !this.over && this.c.fen() === afterMine && legalMoves(this.c).length) this.fault('no-reply', `no engine move after ${w}`);
  }

  async con_move() {
    const legal = legalMoves(this.c);
    if (!legal.length) { this.e.send('quit'); this.over = true; await this.conWait('the farewell'); return; }
    await this.conMove(this.rng.pick(legal));
  }

  async con_bad() {
    await this.conMove(this.rng.pick(['e2e5', 'a1a1', 'e2', 'e2e9', 'a0a1', 'e2e4e5', 'g1f3q', 'e7e8k', 'h8h1', 'e1g1',
                                      'd1h5', 'O-O', 'Nf3', 'e4', `e2${longWord(this.rng, 'e')}`]));
  }

  async con_go() {
    const before = this.c.fen();
    this.force = false;
    await this.conSend('go', 'go', 'go');
    if (!this.over && this.c.fen() === before && legalMoves(this.c).length) this.fault('no-reply', 'no engine move after go');
  }

  async con_force() {
    this.force = true;
    await this.conSend('force', 'force', 'force');
  }

  async con_new() {
    this.c = new Chess();
    this.force = false;
    // A new game drops a fixed time per move but keeps the minute of clock that "st" set beside it: a
    // move may then take a thirtieth of it, half as much again early on, and four times that at most.
    if (this.fixedTimeSet) this.budget = Math.max(this.budget, 12000 + this.slack);
    await this.conSend('new', 'new', 'new');
  }

  async con_setboard() {
    const { text, fen } = this.setboardCommand();
    if (fen) this.load(fen);
    await this.conSend(text, 'setboard', text, { errors: fen ? 0 : 1 });
  }

  async con_edit() {
    const { tokens, fen } = this.editTokens();
    this.e.send('edit');
    for (const t of tokens.slice(0, -1)) this.e.send(t);
    if (fen) this.load(fen);
    await this.conSend('.', 'edit', `edit ${tokens.map(shown).join(' ')}`, { errors: fen ? 0 : 1 });
  }

  async con_settings() {
    const r = this.rng;
    // A whole clock ("level 40 1 0") would let a move take seconds: the settings stay small.
    const line = r.pick(['st 1', 'st 0', 'st -1', 'sd 2', 'sd 3', 'sd 0', 'sd -1', 'time 300', 'time -5',
                         'level 0 0 0', 'otim 100']);
    if (line === 'st 1') {
      this.budget = Math.max(this.budget, 1000 + this.slack);
      this.fixedTimeSet = true;
    }
    if (line === 'time 300') this.budget = Math.max(this.budget, 3000 + this.slack);
    await this.conSend(line, line.split(' ')[0], line);
  }

  async con_sync() { await this.conSend('.', '.', '.'); }

  async con_colour() {
    const side = this.rng.pick(['white', 'black']);
    const errors = this.colour(side);
    await this.conSend(side, side, side, { errors });
  }

  async con_noise() {
    const r = this.rng;
    const w = r.pick(['foo', 'bogus', 'hint', 'undo', 'remove', 'draw', 'random', 'bk', 'displayboard', '?', 'exit', 'post',
                      'nopost', longWord(r, 'z'), '1', ...ABSURD]);
    await this.conSend(w, w, `"${shown(w)}"`);
  }

  async con_analyze() {
    // An analysis at the console runs (or, past a depth limit, waits) until the next word, which ends it.
    this.e.send('analyze');
    await this.e.until((l) => l === 'Enter Move: analyze', this.slack, 'the echo of analyze', (l) => this.conLine(l));
    await new Promise((res) => setTimeout(res, this.rng.int(0, 300)));
    await this.conSend('exit', null, 'exit after analyze');
  }
}

// ---------------------------------------------------------------------------------------------------------
// The run: sessions in parallel, faults reported as they come, a summary at the end.

function reproduce(opts, seed) {
  const prog = opts.program.map((a) => (a.includes(' ') ? `'${a}'` : a)).join(' ');
  const slow = (opts.slow !== 1 ? ` --slow ${opts.slow}` : '') + (opts.resync ? ' --resync' : '');
  return `tests/fuzz/run --modes ${opts.modes.join(',')} --replay ${seed}${slow} ${prog}`;
}

async function main() {
  const opts = parseArgs(process.argv.slice(2));
  const logDir = opts.logDir || fs.mkdtempSync(path.join(os.tmpdir(), 'orvex-fuzz-log-'));
  fs.mkdirSync(logDir, { recursive: true });
  const t0 = performance.now();
  let next = 0, sessions = 0, moves = 0;
  const faults = [];
  const more = () => (opts.replay !== null ? next < 1
    : opts.seconds !== null ? performance.now() - t0 < opts.seconds * 1000 && (opts.sessions === null || next < opts.sessions)
      : next < opts.sessions);

  async function worker() {
    while (more()) {
      const seed = opts.replay ?? mix(opts.seed, next);
      next++;
      const s = new Session(opts, seed);
      const fault = await s.run();
      sessions++;
      moves += s.moves;
      if (opts.replay !== null) console.log(s.e.transcript.join('\n'));
      if (!fault) continue;
      const file = path.join(logDir, `fault-${s.mode}-${seed}.txt`);
      fs.writeFileSync(file, `${s.mode} session, seed ${seed}\n${fault.kind}: ${fault.message}\n\n${s.e.transcript.join('\n')}\n`);
      faults.push({ mode: s.mode, seed, kind: fault.kind, message: fault.message });
      console.log(`\nFAULT (${fault.kind}) in a ${s.mode} session, seed ${seed}: ${fault.message}\n` +
                  `  reproduce: ${reproduce(opts, seed)}\n  transcript: ${file}\n` +
                  s.e.transcript.slice(-40).map((l) => '  | ' + l).join('\n'));
    }
  }
  await Promise.all(Array.from({ length: opts.replay !== null ? 1 : opts.jobs }, worker));

  if (faults.length) {
    console.log('\nfaults by kind:');
    const byKind = {};
    for (const f of faults) (byKind[`${f.mode} ${f.kind}`] ||= []).push(f.seed);
    for (const [k, seeds] of Object.entries(byKind)) console.log(`  ${k}: ${seeds.length} (seeds ${seeds.slice(0, 5).join(' ')})`);
  }
  const secs = ((performance.now() - t0) / 1000).toFixed(0);
  console.log(`fuzz: ${sessions} sessions, ${moves} moves checked, ${faults.length} faults (seed ${opts.seed}, ${secs} s)`);
  process.exit(faults.length ? 1 : 0);
}

main().catch((err) => {
  console.error(err);
  process.exit(2);
});
