// The page around the game: a terminal (xterm.js) fitted to the window, and
// one game after another played in it. Each game is a fresh instance of the
// WebAssembly module (zintarapolke.js, which carries it inline), handed
// `page`, the console it plays on: the keys it has not read, its writes, its
// waits, and whether the tab is hidden (src/console/console_web.cpp reads it).
'use strict';

(() => {
  // Each colour the game draws text in is at least 4.5 times as bright as
  // the colour under it (WCAG's contrast ratio): the board (SGR 40) is black,
  // the title (34) and GAME OVER (31) take Tango's light blue and red.
  // Otherwise the Tango palette, xterm.js's own.
  const theme = {
    background: '#000000', foreground: '#d3d7cf', cursor: '#d3d7cf',
    black: '#000000', red: '#ef2929', green: '#4e9a06', yellow: '#c4a000',
    blue: '#729fcf', magenta: '#75507b', cyan: '#06989a', white: '#d3d7cf',
    brightBlack: '#555753', brightRed: '#ef2929', brightGreen: '#8ae234', brightYellow: '#fce94f',
    brightBlue: '#729fcf', brightMagenta: '#ad7fa8', brightCyan: '#34e2e2', brightWhite: '#eeeeec',
  };
  const term = new Terminal({ fontFamily: 'monospace', scrollback: 0, theme });
  const fitAddon = new FitAddon.FitAddon();
  term.loadAddon(fitAddon);
  const main = document.getElementById('terminal');
  term.open(main);
  // Keys come from a keyboard or from touch (below): the terminal's input
  // field must never bring up an on-screen keyboard.
  term.textarea.setAttribute('inputmode', 'none');
  term.textarea.setAttribute('aria-label',
    'The game. W A S D or the arrow keys steer, Q quits, R starts a new game once it is over.');
  const element = (id) => document.getElementById(id);
  const say = (text) => { element('said').textContent = text; };

  // Counted for the tests: the waits that ended, those that keys ended, the
  // writes to the terminal and their bytes.
  const stats = { wakeUps: 0, wakeUpsByKeys: 0, writes: 0, bytes: 0 };
  if (new URLSearchParams(location.search).has('test')) window.zintarapolke = { term, stats };

  let page = null; // the console of the game being played; null between games
  let gameOver = false; // the game shows GAME OVER

  // ---- The terminal's size ----
  // The page picks the font: the largest up to 15 px that gives the 64
  // columns where the status row's score (14 columns from the left) stays
  // clear of the title centred across the row (35).
  const fullColumns = 64;
  const fontSizes = { largest: 15, smallest: 8 };
  function fitFont() {
    let size = fontSizes.largest;
    term.options.fontSize = size;
    const cols = fitAddon.proposeDimensions()?.cols ?? fullColumns;
    if (cols < fullColumns) size = Math.floor((2 * size * cols) / fullColumns) / 2;
    for (; size > fontSizes.smallest; size -= 0.5) {
      term.options.fontSize = size;
      if ((fitAddon.proposeDimensions()?.cols ?? fullColumns) >= fullColumns) break;
    }
    fitAddon.fit();
  }

  // On a touch screen a new window shape comes from turning the device, not
  // from the player asking for another board: while a game runs the grid
  // stays, scaled to fit, and the new shape is taken when the game is over or
  // has ended. A desktop window follows its size at once, as a terminal does.
  const touchScreen = matchMedia('(pointer: coarse)');
  let held = false;
  function fit() {
    held = touchScreen.matches && page !== null && !gameOver;
    if (!held) {
      Object.assign(term.element.style, { width: '', transform: '' });
      fitFont();
      return;
    }
    const screen = term.element.querySelector('.xterm-screen');
    const scale = Math.min(1, main.clientWidth / screen.offsetWidth, main.clientHeight / screen.offsetHeight);
    const left = (main.clientWidth - scale * screen.offsetWidth) / 2;
    Object.assign(term.element.style, { width: `${screen.offsetWidth}px`, transform: `translateX(${left}px) scale(${scale})` });
  }
  // The window's size, and the lines below the terminal, change its room.
  new ResizeObserver(fit).observe(main);
  fitFont();
  term.focus();

  // The page reads the end of a game, and its score, from the status row as
  // a player does: for the live region, and to take a shape held meanwhile.
  function readStatusRow() {
    if (term.buffer.active.type !== 'alternate') return;
    const row = term.buffer.active.getLine(0)?.translateToString() ?? '';
    if (row.includes('GAME OVER') === gameOver) return;
    gameOver = !gameOver;
    const score = /SCORE: (0x[0-9A-F]{4})/.exec(row)?.[1];
    say(gameOver ? `Game over, with a score of ${score} (${Number(score)}). R or a tap starts a new game.` : '');
    if (gameOver && held) fit();
  }

  // ---- The console of one game ----
  // At most this many key bytes wait for the game, as in a terminal's input
  // buffer (4 KiB on Linux): the rest of a longer paste is dropped.
  const keyLimit = 4096;
  function newPage() {
    let endWait = null; // ends the game's current wait, if it is waiting
    let endStop = null; // brings the game back from a stop, if it is stopped
    const keys = [];
    let keysRead = 0;
    const p = {
      term,
      stopRequested: document.hidden, // opened in a hidden tab: no game until it is shown
      continued: false,
      addKeys(bytes) {
        for (let i = 0; i < bytes.length && keys.length - keysRead < keyLimit; i++) keys.push(bytes[i]);
        p.wake(true);
      },
      keyPending: () => keysRead < keys.length,
      readKey() {
        const key = keys[keysRead++];
        if (keysRead === keys.length) keys.length = keysRead = 0;
        return key;
      },
      write(bytes) {
        stats.writes++;
        stats.bytes += bytes.length;
        // Parsed later, maybe after this game has ended and the page has
        // said so: only the game being played speaks through its status row.
        term.write(bytes, () => page === p && readStatusRow());
      },
      // Ends at the timeout or at wake(). The timer counts whole milliseconds,
      // rounded up, so the wait never ends before the tick is due.
      wait(timeoutMs) {
        return new Promise((resolve) => {
          const timer = setTimeout(() => p.wake(), Math.ceil(timeoutMs));
          endWait = (byKeys) => {
            clearTimeout(timer);
            stats.wakeUps++;
            if (byKeys) stats.wakeUpsByKeys++;
            resolve();
          };
        });
      },
      wake(byKeys = false) {
        const end = endWait;
        endWait = null;
        if (end) end(byKeys);
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

  // ---- One game after another ----
  const hideCursor = '\x1b[?25l'; // DECTCEM off
  const playAgain = 'To play again, press R or Enter, tap the board, or choose Play again.';
  const failures = {
    download: 'The game could not be downloaded. Check the connection, then choose Play again.',
    noWebAssembly: 'This browser cannot run the game: it has no WebAssembly, or has it turned off.',
  };
  let gameScript = null; // zintarapolke.js loading or loaded; null again after a failed download
  function loadGame() {
    gameScript ??= new Promise((resolve, reject) => {
      const script = Object.assign(document.createElement('script'), { src: 'zintarapolke.js' });
      script.onload = resolve;
      script.onerror = () => {
        script.remove();
        gameScript = null;
        reject(failures.download);
      };
      document.head.append(script);
    });
    return gameScript;
  }

  function show(ending) {
    element('keys').hidden = ending !== null;
    element('ended').hidden = ending === null || ending === failures.noWebAssembly;
    say(ending ?? '');
    fit(); // in the room the lines below now leave
  }

  async function play() {
    if (page) return;
    show(null);
    gameOver = false;
    page = newPage();
    const errors = [];
    let ending;
    try {
      if (typeof WebAssembly !== 'object') throw failures.noWebAssembly;
      await loadGame();
      const game = await createZintarapolke({ page, printErr: (line) => errors.push(line) });
      const status = await game.ccall('main', 'number', [], [], { async: true });
      ending = status === 0 ? `The game has ended. ${playAgain}` : `The game stopped: ${errors.join(' ')} ${playAgain}`;
    } catch (error) {
      term.reset(); // the game could not restore the terminal
      ending = Object.values(failures).includes(error) ? error
        : `The game stopped with a fault (${error}). ${errors.join(' ')} ${playAgain}`;
    }
    page = null;
    term.write(hideCursor); // nothing to type at: the ending is said below
    show(ending);
  }

  // ---- Keys ----
  // Keys as the terminal sends them, in UTF-8. Between games, R or Enter plays again.
  const encoder = new TextEncoder();
  function send(keys) {
    if (page) page.addKeys(encoder.encode(keys.slice(0, keyLimit)));
    else if (/^[rR\r]$/.test(keys)) play();
  }
  term.onData(send);
  term.onResize(() => page?.wake());
  // Tab leaves the terminal between games, to reach Play again; during a
  // game it is a key like any other, which the game ignores.
  term.attachCustomKeyEventHandler((event) => event.key !== 'Tab' || page !== null);
  document.addEventListener('visibilitychange', () => page?.visibilityChanged());
  // A click anywhere gives the keys back to the game.
  document.addEventListener('click', () => term.focus());
  element('again').addEventListener('click', play);
  element('quit').addEventListener('click', () => send('q'));

  // ---- Touch ----
  // A swipe sends the arrow key of its direction, a tap sends R. The
  // terminal never sees a touch, so it neither scrolls nor takes the focus;
  // two fingers are the browser's, to zoom.
  const swipeMinPx = 24; // a shorter move is a tap
  const arrowKeys = {
    up: '\x1b[A', // ESC [ A, as a terminal sends the cursor keys
    down: '\x1b[B',
    right: '\x1b[C',
    left: '\x1b[D',
  };
  let touchStart = null;
  function onTouch(event) {
    event.stopPropagation();
    if (event.touches.length > 1) touchStart = null; // two fingers: the browser's pinch
    if (event.type === 'touchstart' && event.touches.length === 1) touchStart = event.changedTouches[0];
    if (event.type === 'touchstart' || !touchStart) return;
    event.preventDefault(); // no mouse events and no click: the focus stays
    if (event.type !== 'touchend') return;
    const touch = event.changedTouches[0];
    const dx = touch.clientX - touchStart.clientX;
    const dy = touch.clientY - touchStart.clientY;
    touchStart = null;
    if (Math.max(Math.abs(dx), Math.abs(dy)) < swipeMinPx) send('r');
    else if (Math.abs(dx) > Math.abs(dy)) send(dx > 0 ? arrowKeys.right : arrowKeys.left);
    else send(dy > 0 ? arrowKeys.down : arrowKeys.up);
  }
  for (const type of ['touchstart', 'touchmove', 'touchend']) {
    main.addEventListener(type, onTouch, { capture: true, passive: false });
  }

  play();
})();
