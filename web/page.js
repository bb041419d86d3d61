// The page around the game: a terminal (xterm.js) fitted to the window, and
// one game after another played in it. Each game is a fresh instance of the
// WebAssembly module (zintarapolke.js), handed `page`, the console it plays
// on: the keys it has not read, its writes, its waits, and whether the tab is
// hidden (src/console/console_web.cpp reads it).
'use strict';

// The board's black (SGR 40) is the terminal's black, #2e3436 as in the
// Tango palette that xterm.js and GNOME Terminal share; the terminal's own
// background, seen past the last whole cell, is the same.
const term = new Terminal({
  fontFamily: 'monospace',
  scrollback: 0,
  theme: { background: '#2e3436' },
});
const fitAddon = new FitAddon.FitAddon();
term.loadAddon(fitAddon);
term.open(document.getElementById('terminal'));
// Keys come from a keyboard or from touch (below): the terminal's input
// field must never bring up an on-screen keyboard.
term.textarea.setAttribute('inputmode', 'none');
fitAddon.fit();
term.focus();
addEventListener('resize', () => fitAddon.fit());

// Counted for the tests: the waits that ended, the writes to the terminal
// and their bytes.
const stats = { wakeUps: 0, writes: 0, bytes: 0 };
window.zintarapolke = { term, stats };

// Fetched once: playing again needs nothing more from the network.
const wasmBinary = fetch('zintarapolke.wasm').then((response) => response.arrayBuffer());
const encoder = new TextEncoder();
let page = null; // the console of the game being played; null between games

function newPage() {
  let endWait = null; // ends the game's current wait, if it is waiting
  let endStop = null; // brings the game back from a stop, if it is stopped
  const p = {
    term,
    keys: [],
    stopRequested: document.hidden, // opened in a hidden tab: no game until it is shown
    continued: false,
    write(bytes) {
      stats.writes++;
      stats.bytes += bytes.length;
      term.write(bytes);
    },
    // Ends at the timeout or at wake(). The timer counts whole milliseconds,
    // rounded up, so the wait never ends before the tick is due.
    wait(timeoutMs) {
      return new Promise((resolve) => {
        const timer = setTimeout(() => p.wake(), Math.ceil(timeoutMs));
        endWait = () => {
          clearTimeout(timer);
          stats.wakeUps++;
          resolve();
        };
      });
    },
    wake() {
      const end = endWait;
      endWait = null;
      if (end) end();
    },
    takeStop() {
      const stop = p.stopRequested;
      p.stopRequested = false;
      return stop;
    },
    untilVisible() {
      return new Promise((resolve) => {
        endStop = () => {
          endStop = null;
          p.continued = true;
          resolve();
        };
        if (!document.hidden) endStop();
      });
    },
    takeContinue() {
      const continued = p.continued;
      p.continued = false;
      return continued;
    },
    visibilityChanged() {
      if (document.hidden) {
        p.stopRequested = true;
        p.wake();
      } else if (endStop) {
        endStop();
      }
    },
  };
  return p;
}

function show(ending) {
  document.getElementById('keys').hidden = ending !== null;
  document.getElementById('ended').hidden = ending === null;
  document.getElementById('ending').textContent = ending;
}

async function play() {
  if (page) return;
  show(null);
  page = newPage();
  const errors = [];
  let ending;
  try {
    const game = await createZintarapolke({
      page,
      wasmBinary: await wasmBinary,
      printErr: (line) => errors.push(line),
    });
    const status = await game.ccall('main', 'number', [], [], { async: true });
    ending = [`The game has ended with status ${status}.`, ...errors].join(' ');
  } catch (error) {
    term.reset(); // the game could not restore the terminal
    ending = [`The game stopped with an error: ${error}.`, ...errors].join(' ');
  }
  page = null;
  show(ending);
}

// Keys as the terminal sends them, in UTF-8. Between games, R or Enter plays again.
function send(keys) {
  if (page) {
    page.keys.push(...encoder.encode(keys));
    page.wake();
  } else if (/^[rR\r]$/.test(keys)) {
    play();
  }
}

term.onData(send);
term.onResize(() => page?.wake());
document.addEventListener('visibilitychange', () => page?.visibilityChanged());
document.getElementById('again').addEventListener('click', () => {
  term.focus();
  play();
});

// Touch: a swipe sends the arrow key of its direction, a tap sends R. The
// terminal never sees the touch, so it neither scrolls nor takes the focus.
const swipeMinPx = 24; // a shorter move is a tap
const arrowKeys = {
  up: '\x1b[A', // ESC [ A, as a terminal sends the cursor keys
  down: '\x1b[B',
  right: '\x1b[C',
  left: '\x1b[D',
};
let touchStart = null;
function onTouch(event) {
  event.preventDefault();
  event.stopPropagation();
  const touch = event.changedTouches[0];
  if (event.type === 'touchstart') touchStart = touch;
  if (event.type !== 'touchend' || !touchStart) return;
  const dx = touch.clientX - touchStart.clientX;
  const dy = touch.clientY - touchStart.clientY;
  touchStart = null;
  if (Math.max(Math.abs(dx), Math.abs(dy)) < swipeMinPx) send('r');
  else if (Math.abs(dx) > Math.abs(dy)) send(dx > 0 ? arrowKeys.right : arrowKeys.left);
  else send(dy > 0 ? arrowKeys.down : arrowKeys.up);
}
for (const type of ['touchstart', 'touchmove', 'touchend']) {
  document.getElementById('terminal').addEventListener(type, onTouch, { capture: true, passive: false });
}

play();
