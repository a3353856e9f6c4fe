// Plays Orvex (UCI) against another UCI engine and referees every game: it keeps both clocks, checks each
// move against chess.js's legal moves, ends games by the rules or a ply cap, and reports Orvex's failures.
//
// usage: node match.mjs [options] PROGRAM [ARGS...]
//   --games N          games to play, colours alternating, Orvex white first (default 20)
//   --tc SECONDS+INC   time control per side (default 10+0.1)
//   --opponent CMD     the other engine (default /usr/games/stockfish)
//   --skill N          the opponent's "Skill Level" (default 1)
//   --max-plies N      a game still going after N plies is adjudicated a draw (default 200)
//   --log-dir DIR      where the UCI transcripts, the PGN and Orvex's match.log go (default: a new temp dir)
// Exit status: 0 no failure; 1 Orvex made an illegal move, lost on time, stalled, crashed or answered
// a search twice;
// 3 the opponent failed (match not valid); 2 bad usage.

import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { performance } from 'node:perf_hooks';
import { Chess } from 'chess.js';

// Extra time granted past a side's clock before silence counts as a stall rather than a slow move.
const STALL_GRACE_MS = 5000;
// Answers that need no thinking: uciok, readyok and exiting after quit.
const HANDSHAKE_MS = 10000;

function parseArgs(argv) {
  const o = { games: 20, base: 10000, inc: 100, opponent: '/usr/games/stockfish', skill: 1, maxPlies: 200,
              logDir: null, program: [] };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    const value = () => {
      if (i + 1 >= argv.length) usage(`${a} needs a value`);
      return argv[++i];
    };
    if (a === '--games') o.games = parseInt(value(), 10);
    else if (a === '--tc') {
      const m = /^(\d+(?:\.\d+)?)(?:\+(\d+(?:\.\d+)?))?$/.exec(value());
      if (!m) usage('--tc wants SECONDS+INCREMENT, e.g. 10+0.1');
      o.base = Math.round(parseFloat(m[1]) * 1000);
      o.inc = Math.round(parseFloat(m[2] || '0') * 1000);
    } else if (a === '--opponent') o.opponent = value();
    else if (a === '--skill') o.skill = parseInt(value(), 10);
    else if (a === '--max-plies') o.maxPlies = parseInt(value(), 10);
    else if (a === '--log-dir') o.logDir = value();
    else if (a === '--') { o.program = argv.slice(i + 1); break; }
    else if (a.startsWith('--')) usage(`unknown option ${a}`);
    else { o.program = argv.slice(i); break; }
  }
  if (!o.program.length) usage('no program given');
  if (!(o.games > 0) || !(o.maxPlies > 0) || Number.isNaN(o.skill)) usage('bad number');
  return o;
}

function usage(message) {
  console.error(`match.mjs: ${message}`);
  console.error('usage: node match.mjs [--games N] [--tc S+I] [--opponent CMD] [--skill N] [--max-plies N] ' +
                '[--log-dir DIR] PROGRAM [ARGS...]');
  process.exit(2);
}

// Why an engine could not go on: the game and the match stop there.
class EngineFailure extends Error {
  constructor(kind, message) {
    super(message);
    this.kind = kind; // 'stall' or 'crash'
  }
}

// One engine process on pipes: whole lines in, a transcript with times out.
class Engine {
  constructor(name, argv, cwd, transcriptPath) {
    this.name = name;
    this.log = fs.createWriteStream(transcriptPath);
    this.t0 = performance.now();
    this.lines = [];
    this.waiter = null;
    this.exit = null;
    this.buffer = '';
    this.proc = spawn(argv[0], argv.slice(1), { cwd, stdio: ['pipe', 'pipe', 'pipe'] });
    this.proc.stdout.setEncoding('utf8');
    this.proc.stdout.on('data', (chunk) => this.take(chunk));
    this.proc.stderr.setEncoding('utf8');
    this.proc.stderr.on('data', (chunk) => this.note(`stderr: ${chunk.trimEnd()}`));
    // A write to a dead engine is reported by the exit handler, not as an uncaught pipe error.
    this.proc.stdin.on('error', () => {});
    this.proc.on('error', (err) => this.ended(`could not run: ${err.message}`));
    this.proc.on('exit', (code, signal) =>
      this.ended(signal ? `killed by signal ${signal}` : `exited with status ${code}`));
  }

  stamp() {
    return ((performance.now() - this.t0) / 1000).toFixed(3).padStart(9);
  }

  note(text) {
    this.log.write(`${this.stamp()} ${text}\n`);
  }

  take(chunk) {
    this.buffer += chunk;
    let nl;
    while ((nl = this.buffer.indexOf('\n')) >= 0) {
      const line = this.buffer.slice(0, nl).replace(/\r$/, '');
      this.buffer = this.buffer.slice(nl + 1);
      this.note(`< ${line}`);
      this.lines.push({ line, at: performance.now() });
      this.poke();
    }
  }

  ended(how) {
    if (this.exit) return;
    this.exit = how;
    this.note(`** ${how}`);
    this.poke();
  }

  poke() {
    if (this.waiter) {
      const w = this.waiter;
      this.waiter = null;
      w();
    }
  }

  send(line) {
    this.note(`> ${line}`);
    if (!this.exit) this.proc.stdin.write(line + '\n');
  }

  // The first line that the test accepts, with its arrival time; earlier lines are dropped.
  async expect(test, timeoutMs, what) {
    const deadline = performance.now() + timeoutMs;
    for (;;) {
      while (this.lines.length) {
        const entry = this.lines.shift();
        if (test(entry.line)) return entry;
      }
      if (this.exit) throw new EngineFailure('crash', `${this.name} ${this.exit} while waiting for ${what}`);
      const left = deadline - performance.now();
      if (left <= 0) {
        throw new EngineFailure('stall', `${this.name}: no ${what} within ${(timeoutMs / 1000).toFixed(1)} s`);
      }
      await new Promise((resolve) => {
        const timer = setTimeout(resolve, left);
        this.waiter = () => { clearTimeout(timer); resolve(); };
      });
    }
  }

  // A bestmove that arrived after the one awaited: one search answered twice. Clears the queue.
  strayBestmove() {
    const found = this.lines.find((entry) => /^bestmove(\s|$)/.test(entry.line.trim()));
    this.lines.length = 0;
    return found ? found.line.trim() : null;
  }

  async ready() {
    this.send('isready');
    await this.expect((l) => l.trim() === 'readyok', HANDSHAKE_MS, 'readyok');
  }

  async start(options) {
    this.send('uci');
    const ok = await this.expect((l) => {
      const m = /^id name (.*)$/.exec(l.trim());
      if (m) this.id = m[1];
      return l.trim() === 'uciok';
    }, HANDSHAKE_MS, 'uciok');
    for (const [name, value] of options) this.send(`setoption name ${name} value ${value}`);
    await this.ready();
    return ok;
  }

  // Asks to quit; returns a failure text when the engine does not exit cleanly in time.
  async quit() {
    if (!this.exit) {
      this.send('quit');
      const deadline = performance.now() + HANDSHAKE_MS;
      while (!this.exit && performance.now() < deadline) await new Promise((r) => setTimeout(r, 20));
    }
    let failure = null;
    if (!this.exit) {
      failure = { kind: 'stall', text: `${this.name} did not exit within ${HANDSHAKE_MS / 1000} s of quit` };
      this.proc.kill('SIGKILL');
    } else if (this.exit !== 'exited with status 0') {
      failure = { kind: 'crash', text: `${this.name} ${this.exit} after quit` };
    }
    await new Promise((r) => this.log.end(r));
    return failure;
  }
}

const fmt = (ms) => (ms / 1000).toFixed(2);

async function main() {
  const o = parseArgs(process.argv.slice(2));
  const logDir = o.logDir ? path.resolve(o.logDir) : fs.mkdtempSync(path.join(os.tmpdir(), 'orvex-match-'));
  fs.mkdirSync(logDir, { recursive: true });
  const program = [...o.program];
  if (program[0].includes('/')) program[0] = path.resolve(program[0]);
  console.log(`logs: ${logDir}`);

  const orvex = new Engine('Orvex', program, logDir, path.join(logDir, 'orvex.uci.log'));
  const opponent = new Engine('Opponent', [o.opponent], logDir, path.join(logDir, 'opponent.uci.log'));
  const tally = { win: 0, draw: 0, loss: 0, illegal: 0, forfeit: 0, stall: 0, crash: 0, protocol: 0,
                  opponentFailures: 0 };
  const failures = [];
  const moveTimes = [];
  let longest = null; // Orvex's longest move and the clock it had for it
  let greediest = null; // Orvex's move that used the largest share of its clock
  let lowestClock = Infinity;
  const pgns = [];

  // An engine that stalled or crashed: the match stops, and its exit after quit is no second failure.
  const fatal = (who, err, where = '') => {
    if (!(err instanceof EngineFailure)) throw err;
    who.failed = true;
    const text = where ? `${where}: ${err.message}` : err.message;
    if (who === orvex) {
      tally[err.kind]++;
      failures.push(text);
    } else {
      tally.opponentFailures++;
      failures.push(`opponent failure: ${text}`);
    }
  };

  let matchOver = false;
  try {
    await orvex.start([]);
  } catch (err) {
    fatal(orvex, err);
    matchOver = true;
  }
  try {
    await opponent.start([['Threads', 1], ['Hash', 16], ['Skill Level', o.skill]]);
  } catch (err) {
    fatal(opponent, err);
    matchOver = true;
  }
  const orvexName = orvex.id || 'Orvex';
  const opponentName = `${opponent.id || path.basename(o.opponent)} (skill ${o.skill})`;
  console.log(`${orvexName} vs ${opponentName}, ${o.games} games at ${fmt(o.base)}+${fmt(o.inc)} s, ` +
              `draw after ${o.maxPlies} plies`);

  let played = 0;
  for (let g = 1; g <= o.games && !matchOver; g++) {
    const orvexWhite = g % 2 === 1;
    const white = orvexWhite ? orvex : opponent;
    const black = orvexWhite ? opponent : orvex;
    const chess = new Chess();
    const uciMoves = [];
    const clock = { w: o.base, b: o.base };
    const gameTimes = [];
    let result = null;
    let reason = null;

    for (const e of [orvex, opponent]) {
      const stray = e.strayBestmove();
      if (stray) {
        const text = `before game ${g}: ${e.name} sent a bestmove while not searching: "${stray}"`;
        if (e === orvex) {
          tally.protocol++;
          failures.push(text);
        } else {
          tally.opponentFailures++;
          failures.push(`opponent failure: ${text}`);
        }
      }
      try {
        e.send('ucinewgame');
        await e.ready();
      } catch (err) {
        fatal(e, err, `before game ${g}`);
        matchOver = true;
      }
    }
    if (matchOver) break;

    while (!result) {
      const side = chess.turn();
      const mover = side === 'w' ? white : black;
      const budget = clock[side];
      mover.send(uciMoves.length ? `position startpos moves ${uciMoves.join(' ')}` : 'position startpos');
      const stray = mover.strayBestmove();
      if (stray) {
        result = side === 'w' ? '0-1' : '1-0';
        reason = `${mover.name} sent a bestmove while not searching: "${stray}"`;
        if (mover === orvex) {
          tally.protocol++;
          failures.push(`game ${g} ply ${uciMoves.length + 1}: ${reason}`);
        } else {
          tally.opponentFailures++;
          failures.push(`opponent failure: game ${g}: ${reason}`);
        }
        break;
      }
      mover.send(`go wtime ${Math.floor(clock.w)} btime ${Math.floor(clock.b)} winc ${o.inc} binc ${o.inc}`);
      const sent = performance.now();
      let reply;
      try {
        reply = await mover.expect((l) => /^bestmove(\s|$)/.test(l.trim()), budget + STALL_GRACE_MS, 'bestmove');
      } catch (err) {
        fatal(mover, err, `game ${g} ply ${uciMoves.length + 1} (position startpos moves ${uciMoves.join(' ')})`);
        result = mover === white ? '0-1' : '1-0';
        reason = `${mover.name} ${err.kind === 'stall' ? 'stalled' : 'crashed'}`;
        matchOver = true;
        break;
      }
      const used = reply.at - sent;
      clock[side] -= used;
      const move = reply.line.trim().split(/\s+/)[1] || '';
      if (mover === orvex) {
        moveTimes.push(used);
        gameTimes.push(used);
        if (!longest || used > longest.used) longest = { used, budget, game: g, ply: uciMoves.length + 1 };
        if (!greediest || used / budget > greediest.used / greediest.budget) {
          greediest = { used, budget, game: g, ply: uciMoves.length + 1 };
        }
      }
      if (clock[side] < 0) {
        result = side === 'w' ? '0-1' : '1-0';
        reason = `${mover.name} lost on time (${fmt(used)} s used of ${fmt(budget)} s, move ${move || 'none'})`;
        if (mover === orvex) {
          tally.forfeit++;
          failures.push(`game ${g} ply ${uciMoves.length + 1}: ${reason}; position startpos moves ` +
                        uciMoves.join(' '));
        }
        break;
      }
      if (mover === orvex) lowestClock = Math.min(lowestClock, clock[side]);
      const legal = chess.moves({ verbose: true }).find((m) => m.lan === move);
      if (!legal) {
        result = side === 'w' ? '0-1' : '1-0';
        reason = `${mover.name} played an illegal move: "${reply.line.trim()}"`;
        if (mover === orvex) {
          tally.illegal++;
          failures.push(`game ${g} ply ${uciMoves.length + 1}: ${reason} in FEN ${chess.fen()} ` +
                        `(position startpos moves ${uciMoves.join(' ')})`);
        } else {
          tally.opponentFailures++;
          failures.push(`opponent failure: game ${g}: ${reason}`);
        }
        break;
      }
      chess.move(legal);
      uciMoves.push(move);
      clock[side] += o.inc;

      if (chess.isCheckmate()) {
        result = side === 'w' ? '1-0' : '0-1';
        reason = 'checkmate';
      } else if (chess.isStalemate()) {
        [result, reason] = ['1/2-1/2', 'stalemate'];
      } else if (chess.isInsufficientMaterial()) {
        [result, reason] = ['1/2-1/2', 'insufficient material'];
      } else if (chess.isThreefoldRepetition()) {
        [result, reason] = ['1/2-1/2', 'threefold repetition'];
      } else if (chess.isDrawByFiftyMoves()) {
        [result, reason] = ['1/2-1/2', 'fifty-move rule'];
      } else if (uciMoves.length >= o.maxPlies) {
        [result, reason] = ['1/2-1/2', `adjudicated after ${o.maxPlies} plies`];
      }
    }

    played++;
    const score = result === '1/2-1/2' ? 'draw' : (result === '1-0') === orvexWhite ? 'win' : 'loss';
    tally[score]++;
    const avg = gameTimes.length ? gameTimes.reduce((a, b) => a + b, 0) / gameTimes.length : 0;
    const max = gameTimes.length ? Math.max(...gameTimes) : 0;
    console.log(`game ${g}: ${orvexWhite ? 'Orvex' : 'Opponent'} - ${orvexWhite ? 'Opponent' : 'Orvex'} ` +
                `${result} (${reason}), ${uciMoves.length} plies, Orvex ${score}; ` +
                `Orvex moves avg ${fmt(avg)} s, max ${fmt(max)} s; clocks left W ${fmt(clock.w)} B ${fmt(clock.b)} s`);

    chess.setHeader('Event', 'Orvex referee match');
    chess.setHeader('Round', String(g));
    chess.setHeader('White', orvexWhite ? orvexName : opponentName);
    chess.setHeader('Black', orvexWhite ? opponentName : orvexName);
    chess.setHeader('TimeControl', `${o.base / 1000}+${o.inc / 1000}`);
    chess.setHeader('Result', result);
    chess.setHeader('Termination', reason);
    pgns.push(`${chess.pgn()}\n`);
  }

  for (const e of [orvex, opponent]) {
    const failure = await e.quit();
    if (!failure || e.failed) continue;
    if (e === orvex) {
      tally[failure.kind]++;
      failures.push(failure.text);
    } else {
      tally.opponentFailures++;
      failures.push(`opponent failure: ${failure.text}`);
    }
  }
  fs.writeFileSync(path.join(logDir, 'games.pgn'), pgns.join('\n'));

  const avg = moveTimes.length ? moveTimes.reduce((a, b) => a + b, 0) / moveTimes.length : 0;
  console.log(`summary: ${played} of ${o.games} games; Orvex +${tally.win} =${tally.draw} -${tally.loss}; ` +
              `illegal moves ${tally.illegal}, time forfeits ${tally.forfeit}, stalls ${tally.stall}, ` +
              `crashes ${tally.crash}, protocol errors ${tally.protocol}`);
  console.log(`Orvex move times: ${moveTimes.length} moves, average ${fmt(avg)} s` +
              (longest ? `, longest ${fmt(longest.used)} s with ${fmt(longest.budget)} s on its clock ` +
                         `(game ${longest.game}, ply ${longest.ply})` : '') +
              (greediest ? `, largest share of the clock ${(100 * greediest.used / greediest.budget).toFixed(1)}% ` +
                           `(${fmt(greediest.used)} of ${fmt(greediest.budget)} s, game ${greediest.game}, ` +
                           `ply ${greediest.ply})` : '') +
              (lowestClock < Infinity ? `, lowest clock after a move ${fmt(lowestClock)} s` : ''));
  for (const f of failures) console.log(`FAILURE ${f}`);
  if (played < o.games) console.log(`FAILURE only ${played} of ${o.games} games played`);
  const orvexFailed = tally.illegal + tally.forfeit + tally.stall + tally.crash + tally.protocol > 0;
  if (orvexFailed) process.exit(1);
  if (tally.opponentFailures || played < o.games) process.exit(3);
  console.log('PASS');
}

main().catch((err) => {
  console.error(err);
  process.exit(3);
});
