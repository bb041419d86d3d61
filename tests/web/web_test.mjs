// The page of `make web` in a real browser: Debian's Chromium, headless,
// driven by puppeteer-core (with a new empty profile, removed after), the
// screen read from xterm.js's buffer, the site served by Python's
// http.server as `make serve-web` does. One game goes through the steps in
// order: each acts as a player would, then waits (10 s at most) until the
// screen shows what must follow, which may be told from the screen before
// the act. Eating, dying and restarting are the model's, the same code that
// the golden sessions test byte for byte. Usage: node web_test.mjs SITE
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import { after, test } from 'node:test';

const puppeteer = createRequire(new URL('../../web/', import.meta.url))('puppeteer-core');
const [site, origin] = [process.argv[2], 'http://127.0.0.1:8765/'];
const server = spawn('python3', ['-m', 'http.server', '-b', '127.0.0.1', '-d', site, '8765'], { stdio: 'ignore' });
const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--disable-component-update'] });
after(() => browser.close().finally(() => server.kill()));
const page = await browser.newPage();
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The rows, the head's board cell (background colour 10) and the food's (8,
// with its value's two digits), whether the game has the alternate
// screen, the text below the terminal, the page's counts.
const look = () => page.evaluate(() => {
  const { term, stats } = window.zintarapolke, buffer = term.buffer.active, s = { ...stats };
  s.rows = [...Array(term.rows).keys()].map((y) => buffer.getLine(y).translateToString());
  for (let y = 1; y < term.rows; y++)
    for (let x = 0, cell; (cell = buffer.getLine(y).getCell(x)); x += 2)
      if (cell.getBgColor() === 10) s.head = { x: x / 2, y };
      else if (cell.getBgColor() === 8) s.food = { x: x / 2, y, digits: s.rows[y].substr(x, 2) };
  return { ...s, cols: term.cols, game: buffer.type === 'alternate', footer: document.querySelector('footer').innerText };
});
async function until(what, ok) {
  for (let i = 0; i < 500; i++, await sleep(20)) if (ok(await look())) return;
  assert.fail(`${what}: not within 10 s\n${(await look()).rows.join('\n')}`);
}
// How far the head went from A to B along DX, DY, the short way round the board's edges.
const wrap = (d, n) => ((d % n) + n + (n >> 1)) % n - (n >> 1);
const along = (a, b, dx, dy, s) => wrap(b.x - a.x, s.cols >> 1) * dx + wrap(b.y - a.y, s.rows.length - 1) * dy;
const moved = (dx, dy) => (s, before, d = s.head ? along(before.head, s.head, dx, dy, s) : 0) =>
  d >= 2 || (d <= -2 && assert.fail('the other way'));
const shows = (text) => (s) => s.game && s.rows[0].includes(text);
const size = (width, height) => () => page.setViewport({ width, height, hasTouch: true });
const touch = page.touchscreen, swipe = (dx, dy) => () => touch.touchStart(300, 200) // 60 px from the middle
  .then(() => touch.touchMove(300 + 60 * dx, 200 + 60 * dy)).then(() => touch.touchEnd());
// The player's turns, each with the way the head must then go.
const turns = [['w', 0, -1], ['a', -1, 0], ['s', 0, 1], ['d', 1, 0], ['ArrowUp', 0, -1], ['ArrowLeft', -1, 0],
  ['ArrowDown', 0, 1], ['ArrowRight', 1, 0]].map(([key, dx, dy]) => [key, () => page.keyboard.press(key), dx, dy])
  .concat([['a swipe down', swipe(0, 1), 0, 1], ['a swipe right', swipe(1, 0), 1, 0]]);
let other, hiddenAt; // what a later step compares with

// Steers the head onto the food: level with it, a turn its way, pressed until
// it is taken (a turn lost takes the snake round the board once more).
async function eat(s0, there = (f) => f && f.x === s0.food.x && f.y === s0.food.y) {
  for (let s = s0, i = 0; i < 2000 && (!s.food || there(s.food)); i++, s = await sleep(10).then(look)) {
    const { head: h = {}, food: f = {} } = s, v = h.x === f.x; // in its column (v), or in its row
    if (v || h.y === f.y) await page.keyboard.press(along(h, f, +!v, +v, s) < 0 ? (v ? 'w' : 'a') : v ? 's' : 'd');
  }
}

// Over 3 s: the page's counts of the waits that ended, of its frames and of
// their bytes, and from the DevTools protocol the time its main thread was
// busy (TaskDuration). A wake-up a frame is held exactly, and the bytes of
// incremental frames as in a terminal (200 a frame at most). The busy time is
// mostly the browser's, drawing ten frames a second (a page that changes just
// a line of text as often is busy 2 to 4 % here): held to a quarter.
async function idle() {
  const [m0, s0] = [await page.metrics(), await look(), await sleep(3000)];
  const [m1, s1] = [await page.metrics(), await look()];
  const [wakeUps, frames, bytes] = [s1.wakeUps - s0.wakeUps, s1.writes - s0.writes, s1.bytes - s0.bytes];
  const [span, busy] = [m1.Timestamp - m0.Timestamp, m1.TaskDuration - m0.TaskDuration];
  console.log(`idle ${span.toFixed(2)} s: ${wakeUps} wake-ups, ${frames} frames, ${bytes} bytes, busy ${(100 * busy / span).toFixed(2)} %`);
  assert.ok(wakeUps <= frames + 1 && frames >= 10 && bytes <= 200 * frames && busy <= 0.25 * span);
}

const steps = [
  ['the first screen shows the score, the title and a snake', async () => { // once the server listens
    for (let i = 0; i < 50 && !(await size(720, 480)().then(() => page.goto(origin)).catch(() => 0)); i++) await sleep(100);
  }, (s) => shows('SCORE: 0x0000')(s) && shows('ZINTARAPOLKE V1.0 - PRESS Q TO QUIT')(s) && s.head],
  ...turns.map(([what, act, dx, dy]) => [`${what} steers`, act, moved(dx, dy)]),
  ['keys wake the game at once, not at the next tick', () => page.keyboard.type('xxxxxxxxxx'), // ignored keys
    (s, before) => s.wakeUps - before.wakeUps >= s.writes - before.writes + 5],
  ['food is eaten and the score grows by its value', () => look().then(eat), // the game's first food
    (s, before) => shows(`SCORE: 0x00${before.food.digits}`)(s)],
  ['a screenshot of the game', () => page.screenshot({ path: `${site}/../web-game.png` }), () => true],
  // A and W head it up from any way it goes, then three turns at once go back into its body (five long).
  ['three turns queued into the body end the game', () => page.keyboard.type('aw').then(() => sleep(500))
    .then(() => page.keyboard.type('dsa')), shows('GAME OVER')],
  ['R starts a new game', () => page.keyboard.press('r'), (s) => shows('PRESS Q TO QUIT')(s) && shows('SCORE: 0x0000')(s)],
  ['under 10 rows the game pauses', size(720, 150), shows('PAUSED: RESIZE >= 10x10')],
  ['a larger page refits', size(900, 480), (s) => shows('PRESS Q TO QUIT')(s) && s.cols > 90],
  ['a hidden tab stops the game', async () => [hiddenAt, other] = [(await look()).head, await browser.newPage()], (s) => !s.game],
  ['hidden, it draws nothing', () => sleep(2000), (s, before) => s.writes === before.writes],
  ['shown again, it goes on without catching up', () => other.close().then(() => page.bringToFront()),
    (s) => s.game && s.head && (along(hiddenAt, s.head, 1, 0, s) <= 8 || assert.fail('caught up'))],
  ['idle: a wake-up a tick, and little of the main thread', idle, () => true],
  ['Q ends with status 0, the main screen back', () => page.keyboard.press('q'),
    (s) => !s.game && s.footer.includes('ended with status 0')],
  ['a tap (R) plays again', () => touch.tap(300, 200), shows('PRESS Q TO QUIT')],
];
for (const [what, act, expect] of steps) {
  const play = async (before) => { await act(); await until(what, (s) => expect(s, before)); };
  test(what, async () => play(await look().catch(() => null)));
}
