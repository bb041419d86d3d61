// The idle page's cost beside a page that only changes one line of text ten
// times a second, in one run of Debian's Chromium, headless: over SECONDS of
// each, the time the page's main thread was busy (the DevTools protocol's
// TaskDuration, with its script, style and layout parts), the processor time
// of that thread (Linux's schedstat), and that of all of Chromium's processes
// (drawing among them). Other work on the machine stretches the busy time,
// which counts the waits for a processor too, but not the processor times.
// The pages are taken in turn RUNS times; each figure is the median. Each SITE is a built site (build-web/site,
// or a copy of it with another renderer); the game in it runs untouched.
// Numbers only: nothing here passes or fails.
// Usage: node bench/web_idle.mjs [--runs=5] [--seconds=3] [--size=1280x720] [--port=8770] SITE...
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

const options = { runs: 5, seconds: 3, size: '1280x720', port: 8770 };
const sites = [];
for (const arg of process.argv.slice(2)) {
  const option = /^--(\w+)=(.*)$/.exec(arg);
  if (option) options[option[1]] = option[2];
  else sites.push(path.resolve(arg));
}
const [width, height] = options.size.split('x').map(Number);
const puppeteer = createRequire(new URL('../web/', import.meta.url))('puppeteer-core');
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// One server per site, on ports from PORT up, on the loopback address only.
const servers = sites.map((site, i) => spawn('python3',
  ['-m', 'http.server', '-b', '127.0.0.1', '-d', site, String(Number(options.port) + i)], { stdio: 'ignore' }));
const reference = `data:text/html,${encodeURIComponent(`<!DOCTYPE html><title>reference</title>
<body style="background:#000;color:#ccc;font:14px monospace"><p id="line"></p><script>
let n = 0; setInterval(() => { document.getElementById('line').textContent = 'line ' + n++; }, 100);
</script>`)}`;
const pages = [['a line of text, 10 a second', reference],
  ...sites.map((site, i) => [site, `http://127.0.0.1:${Number(options.port) + i}/`])];

const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--disable-component-update'] });
const fields = ['TaskDuration', 'ScriptDuration', 'RecalcStyleDuration', 'LayoutDuration'];
const system = await browser.target().createCDPSession();
// Seconds of processor time: of all processes, and of each renderer's main thread (its first).
async function cpuTimes() {
  const { processInfo } = await system.send('SystemInfo.getProcessInfo');
  const mainThreads = new Map();
  for (const { type, id } of processInfo.filter((process) => process.type === 'renderer')) {
    try {
      mainThreads.set(id, Number(readFileSync(`/proc/${id}/task/${id}/schedstat`, 'utf8').split(' ')[0]) / 1e9);
    } catch { /* the renderer of a page just closed */ }
  }
  return { all: processInfo.reduce((sum, process) => sum + process.cpuTime, 0), mainThreads };
}
const mainThreadTime = (t0, t1) => [...t1.mainThreads].reduce((sum, [id, t]) => sum + t - (t0.mainThreads.get(id) ?? t), 0);
const results = new Map(pages.map(([name]) => [name, []]));
try {
  for (let run = 0; run < options.runs; run++) {
    for (const [name, url] of pages) {
      const page = await browser.newPage();
      await page.setViewport({ width, height });
      for (let i = 0; i < 50 && !(await page.goto(url).catch(() => null)); i++) await sleep(100);
      await sleep(1500); // the game started and settled
      const [m0, cpu0] = [await page.metrics(), await cpuTimes()];
      await sleep(1000 * options.seconds);
      const [m1, cpu1] = [await page.metrics(), await cpuTimes()];
      const span = m1.Timestamp - m0.Timestamp;
      const times = [...fields.map((field) => m1[field] - m0[field]), mainThreadTime(cpu0, cpu1), cpu1.all - cpu0.all];
      results.get(name).push(times.map((t) => (100 * t) / span));
      await page.close();
    }
  }
} finally {
  await browser.close();
  for (const server of servers) server.kill();
}

const median = (values) => values.sort((a, b) => a - b)[values.length >> 1];
const medians = new Map([...results].map(([name, runs]) => [name, runs[0].map((_, i) => median(runs.map((r) => r[i])))]));
const base = medians.get(pages[0][0]);
console.log(`${options.runs} runs of ${options.seconds} s each at ${width} x ${height}, medians in % of one core: `
  + 'main thread busy (script, style, layout), its processor time, all processes\' processor time; '
  + 'the three against the line of text\'s');
const f = (x) => x.toFixed(2);
for (const [name, [busy, script, style, layout, main, all]] of medians) {
  console.log(`${name}: busy ${f(busy)} (${f(script)}, ${f(style)}, ${f(layout)}), main thread ${f(main)}, `
    + `processes ${f(all)}; ${f(busy / base[0])}x, ${f(main / base[4])}x, ${f(all / base[5])}x`);
  const each = (i) => results.get(name).map((r) => r[i].toFixed(1)).join(' ');
  console.log(`  per run: busy ${each(0)}; main thread ${each(4)}; processes ${each(5)}`);
}
