// The page of `make web` in a real browser: Debian's Chromium, headless,
// driven by puppeteer-core (with a new empty profile, removed after, and the
// page's processor slowed six times), the screen read from xterm.js's buffer
// through the hook that `?test` adds. The site is the zip's, unpacked into a
// new folder, served as `make serve-web` serves it, and at the end opened from
// disk. The steps go in order: each acts as a player would, then waits (10 s
// at most) until the page shows what must follow, which may be told from the
// screen before the act; a step with a name at its end saves a screenshot,
// BUILD/web-NAME.png, once it has passed. The game's rules are the golden
// sessions'; here is what the page adds: keys and swipes through it, its
// sizes, endings and failures. Any error in the page or breach of its security
// policy fails the step. Usage: node web_test.mjs BUILD
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { mkdtempSync, readdirSync, renameSync, rmSync } from 'node:fs';
import { after, test } from 'node:test';
import puppeteer from '../../web/node_modules/puppeteer-core/lib/esm/puppeteer/puppeteer-core.js';

const [build, disk, sleep] = [process.argv[2], mkdtempSync('/tmp/web-test-'), (ms) => new Promise((done) => setTimeout(done, ms))];
const zip = readdirSync(build).find((name) => name.endsWith('-web.zip')), site = `${disk}/${zip.slice(0, -4)}`;
execFileSync('unzip', ['-q', `${build}/${zip}`, '-d', disk]);
const server = spawn('python3', [new URL('../../web/serve.py', import.meta.url).pathname, site, '8765'], { stdio: ['ignore', 'pipe', 'ignore'] });
const browser = await new Promise((listens) => server.stdout.once('data', listens).once('end', listens)) // it listens, or has ended
  .then(() => puppeteer.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--disable-component-update'] }));
after(() => browser.close().finally(() => { server.kill(); rmSync(disk, { recursive: true }); }));
// game: its script, its WebAssembly inside
const [page, faults, pairs, game] = [await browser.newPage(), [], new Set(), `${site}/zintarapolke.js`];
page.on('pageerror', (error) => faults.push(error.message)).on('console', (m) => /^CSP/.test(m.text()) && faults.push(m.text()));
await (await page.createCDPSession()).send('Emulation.setCPUThrottlingRate', { rate: 6 }); // a cheap phone's speed: the terminal parses late
await page.evaluateOnNewDocument(() => document.addEventListener('securitypolicyviolation', (e) => console.error(`CSP: ${e.blockedURI}`)));

// The rows, the head's board cell (background colour 10), whether the game has
// the alternate screen, what the page says and has focused, its counts, and
// each text colour drawn, on the colour under it, as the page's theme has them.
const look = () => page.evaluate(() => {
  const { term, stats } = window.zintarapolke, buffer = term.buffer.active, s = { ...stats, pairs: [] };
  const [theme, names] = [term.options.theme, 'black red green yellow blue magenta cyan white'.split(' ')];
  const colour = (plain, i, or) => theme[plain ? or : i < 8 ? names[i] : `bright${names[i - 8].replace(/^./, (c) => c.toUpperCase())}`];
  s.rows = [...Array(term.rows).keys()].map((y) => buffer.getLine(y).translateToString());
  for (let y = 0; y < term.rows; y++) for (let x = 0, c; (c = buffer.getLine(y).getCell(x)); x++) {
    if (c.getChars().trim()) s.pairs.push(`${colour(c.isFgDefault(), c.getFgColor(), 'foreground')} ${colour(c.isBgDefault(), c.getBgColor(), 'background')}`);
    if (y > 0 && x % 2 === 0 && c.getBgColor() === 10) s.head = { x: x / 2, y };
  }
  return { ...s, cols: term.cols, game: buffer.type === 'alternate', said: document.getElementById('said').textContent, focus: document.activeElement.id };
}).then((s) => (assert.deepEqual(faults, []), s.pairs.forEach((pair) => pairs.add(pair)), s));
const until = async (what, ok) => { for (let i = 0; i < 500; i++, await sleep(20)) if (ok(await look())) return;
  const s = await look(); assert.fail(`${what}: not within 10 s (alternate screen ${s.game}, said "${s.said}")\n${s.rows.join('\n')}`); };
// The head went two cells or more along DX, DY since BEFORE, the short way round the board's edges.
const wrap = (d, n) => ((d % n) + n + (n >> 1)) % n - (n >> 1);
const moved = (dx, dy) => (s, { head: a }, d = s.head ? wrap(s.head.x - a.x, s.cols >> 1) * dx + wrap(s.head.y - a.y, s.rows.length - 1) * dy : 0) =>
  d >= 2 || (d <= -2 && assert.fail('the other way'));
const [title, press, touch] = ['ZINTARAPOLKE V1.0 - PRESS Q TO QUIT', (key) => () => page.keyboard.press(key), page.touchscreen];
const shows = (text) => (s) => s.game && s.rows[0].includes(text);
const view = (width, height, mobile = false) => () => page.setViewport({ width, height, isMobile: mobile, hasTouch: mobile, isLandscape: width > height });
const ended = (s) => !s.game && s.said.startsWith('The game has ended. To play again, press R or Enter, tap the board');
const luminance = (hex) => [1, 3, 5].map((i) => parseInt(hex.substr(i, 2), 16) / 255) // WCAG's relative luminance
  .reduce((sum, c, i) => sum + [0.2126, 0.7152, 0.0722][i] * (c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4), 0);
const contrast = (pair) => pair.split(' ').map(luminance).sort((a, b) => b - a).reduce((a, b) => (a + 0.05) / (b + 0.05));

const steps = [
  ['the first screen shows the score, the title and a snake', () => view(720, 480)().then(() => page.goto('http://127.0.0.1:8765/?test')),
    (s) => shows('SCORE: 0x0000')(s) && shows(title)(s) && s.head, 'desktop'],
  ...[['w', 0, -1], ['ArrowLeft', -1, 0], ['s', 0, 1], ['ArrowRight', 1, 0]].map(([key, dx, dy]) => [`${key} steers`, press(key), moved(dx, dy)]),
  ['ignored keys wake the game at once, not at the next tick', () => page.keyboard.type('xxxxxxxxxx'), (s, b) => s.wakeUpsByKeys - b.wakeUpsByKeys >= 5],
  ['idle: a wake-up a frame, of 200 bytes at most', () => 0, (s, b, frames = s.writes - b.writes) => frames >= 30 &&
    (assert.ok(s.wakeUps - b.wakeUps <= frames + 1 && s.bytes - b.bytes <= 200 * frames), true)],
  ['a paste of 300,000 characters: the game goes on', () => page.evaluate(() => zintarapolke.term.paste('x'.repeat(3e5))), shows(title)],
  // Low enough to fold into the 11 rows of a page 300 pixels high, with half a
  // board to go before the bottom edge: a slow page resizes before the head wraps.
  ['a taller page refits; S heads it down; a shorter one folds it in: game over, said with the score', () => view(900, 1000)().then(look).then((b) => press('s')()
    .then(() => until('down', (s) => moved(0, 1)(s, b)))).then(() => until('low', (s) => s.head.y >= 14
    && s.head.y <= s.rows.length / 2)).then(view(900, 300)),
    (s) => shows('GAME OVER')(s) && s.said.startsWith(`Game over, with a score of ${s.rows[0].slice(7, 13)}`), 'game-over'],
  ['Q ends it, the main screen back, and the page says how to play again', press('q'), ended, 'after-q'],
  ['Tab reaches Play again; Enter on it plays again', () => press('Tab')().then(look).then((s) => assert.equal(s.focus, 'again')).then(press('Enter')), shows(title)],
  ['a phone held upright shows the whole status row', view(390, 844, true), shows(`SCORE: 0x0000 ${title}`), 'phone'],
  ['a swipe down steers, into the lower half', () => touch.touchStart(190, 300).then(() => touch.touchMove(190, 360)).then(() => touch.touchEnd()), (s, b) => moved(0, 1)(s, b) && s.head.y > s.rows.length / 2],
  ['turned sideways, the grid stays: no game over', view(844, 390, true), (s, b) => s.cols === b.cols && moved(0, 1)(s, b) && shows(title)(s), 'sideways'],
  ['the Quit button ends the game', () => page.tap('#quit'), ended],
  ['a tap (R) plays again', () => touch.tap(190, 300), shows(title)],
  ['a failed download of the game says so', () => renameSync(game, `${game}~`) ?? page.reload(), (s) => /could not be downloaded/.test(s.said)],
  ['Play again downloads it again: a game', () => renameSync(`${game}~`, game) ?? page.tap('#again'), shows(title)],
  ['the zip opened from disk plays', () => page.goto(`file://${site}/index.html?test`), (s) => shows(title)(s) && s.head, 'disk'],
  ['every text colour is at least 4.5 times as bright as the one under it', () => console.log([...pairs].map((p) => `${p}: ${contrast(p).toFixed(2)}`).join(', ')),
    () => pairs.size >= 5 && [...pairs].every((p) => contrast(p) >= 4.5 || assert.fail(`${p}: ${contrast(p)}`))],
];
for (const [what, act, expect, shot] of steps) test(what, async () => {
  const before = await look().catch(() => null);
  await Promise.resolve(act()).then(() => until(what, (s) => expect(s, before)));
  if (shot) await page.screenshot({ path: `${build}/web-${shot}.png` });
});
