// The screen as the page draws it. xterm.js reads the game's frames into its
// buffer and takes the keys, but its own drawing is kept out of sight (the
// page's style moves it off the page, where xterm.js pauses it): at each
// frame the game draws the food and every segment again, and xterm.js would
// draw each row between them again. The page draws only the cells that
// changed since it last drew, on a canvas that a worker paints where the
// browser can hand a canvas to one, so that the painting leaves the page's
// own thread. Drawn as xterm.js draws them: the colours (bold ones bright),
// inverse, invisible and wide characters. The cursor is not drawn: the game
// hides it, and between games the page does.
'use strict';

// What paints CANVAS: it takes messages, each a layout (the canvas's size in
// pixels, a cell's, the font and the text's baseline in a cell) or the cells
// to paint, seven values each (column, row, width in cells, background,
// foreground, bold, text).
function canvasPainter(canvas) {
  const context = canvas.getContext('2d', { alpha: false });
  let grid = null;
  return ({ layout, cells }) => {
    if (layout) {
      grid = layout;
      [canvas.width, canvas.height] = [grid.width, grid.height];
      return;
    }
    for (let k = 0; k < cells.length; k += 7) {
      const [x, y, width, back, fore, bold, text] = cells.slice(k, k + 7);
      // Whole pixels, so that two cells of one colour leave no seam.
      const [left, right] = [Math.round(x * grid.cellWidth), Math.round((x + width) * grid.cellWidth)];
      const [top, bottom] = [Math.round(y * grid.cellHeight), Math.round((y + 1) * grid.cellHeight)];
      context.fillStyle = back;
      context.fillRect(left, top, right - left, bottom - top);
      if (!text) continue;
      context.font = bold ? `bold ${grid.font}` : grid.font;
      context.fillStyle = fore;
      context.fillText(text, left, top + grid.baseline);
    }
  };
}

// The screen of TERM in the colours of THEME (xterm.js's). Returns the element
// that holds it, and update(), which draws it at the next animation frame.
function newScreen(term, theme) {
  const names = ['black', 'red', 'green', 'yellow', 'blue', 'magenta', 'cyan', 'white'];
  const palette = [...names, ...names.map((n) => `bright${n[0].toUpperCase()}${n.slice(1)}`)].map((n) => theme[n]);
  const hex = (n) => `#${n.toString(16).padStart(6, '0')}`;
  const level = (v) => (v ? 55 + 40 * v : 0); // the 6 x 6 x 6 colours of the 256, then 24 greys
  for (let n = 0; n < 216; n++) palette.push(hex((level(Math.floor(n / 36)) << 16) | (level(Math.floor(n / 6) % 6) << 8) | level(n % 6)));
  for (let n = 0; n < 24; n++) palette.push(hex(0x010101 * (8 + 10 * n)));
  const [colourModeDefault, colourModeRgb, colourModePalette16] = [0, 0x3000000, 0x1000000]; // getFgColorMode()
  const colour = (mode, value, fallback) => (mode === colourModeDefault ? fallback : mode === colourModeRgb ? hex(value) : palette[value]);

  const host = document.createElement('div');
  host.className = 'screen';
  host.setAttribute('aria-hidden', 'true'); // the terminal's input field is what is labelled
  const canvas = host.appendChild(document.createElement('canvas'));
  term.element.append(host);
  let paint;
  try {
    const source = `let paint; onmessage = ({ data }) => { if (data.canvas) paint = (${canvasPainter})(data.canvas); else paint(data); };`;
    const worker = new Worker(URL.createObjectURL(new Blob([source], { type: 'text/javascript' })));
    const offscreen = canvas.transferControlToOffscreen();
    worker.postMessage({ canvas: offscreen }, [offscreen]);
    paint = (message) => worker.postMessage(message);
  } catch {
    paint = canvasPainter(canvas); // no worker, or none that takes a canvas: the page paints
  }

  const cell = term.buffer.active.getLine(0).getCell(0); // read into again and again
  let cols = 0;
  let rows = 0;
  let shape = ''; // the grid, cell and font laid out for
  let drawn = new Int32Array(0); // per cell as last drawn: character, foreground, background, attributes
  let rowsDrawn = []; // per row as last drawn: xterm.js's own record of its cells

  function layout(cellWidth, cellHeight) {
    [cols, rows] = [term.cols, term.rows];
    const dpr = window.devicePixelRatio || 1;
    const font = `${term.options.fontSize * dpr}px ${term.options.fontFamily}`;
    const measure = document.createElement('canvas').getContext('2d');
    measure.font = font;
    const { fontBoundingBoxAscent: ascent, fontBoundingBoxDescent: descent } = measure.measureText('W');
    const grid = { cellWidth: cellWidth * dpr, cellHeight: cellHeight * dpr, font };
    grid.width = Math.round(cols * grid.cellWidth);
    grid.height = Math.round(rows * grid.cellHeight);
    grid.baseline = (grid.cellHeight - ascent - descent) / 2 + ascent; // centred, as in a line box
    paint({ layout: grid });
    const size = { width: `${grid.width / dpr}px`, height: `${grid.height / dpr}px` };
    Object.assign(host.style, size);
    Object.assign(canvas.style, size);
    drawn = new Int32Array(4 * cols * rows).fill(-2); // nothing drawn yet
    rowsDrawn = Array.from({ length: rows }, () => new Uint32Array(3 * cols));
  }

  // Whether the row is as last drawn, from xterm.js's own record of its cells
  // (three numbers a cell): one look at the row instead of one at each cell.
  function rowUnchanged(y, line) {
    const cells = line._line?._data;
    if (!cells || cells.length < 3 * cols) return false;
    const before = rowsDrawn[y];
    for (let i = 0; i < before.length; i++) {
      if (before[i] !== cells[i]) {
        before.set(cells.subarray(0, before.length));
        return false;
      }
    }
    return true;
  }

  let frame = 0;
  function draw() {
    cancelAnimationFrame(frame);
    frame = 0;
    // A cell's size as xterm.js lays the grid out (the fit add-on reads it there too).
    const { width, height } = term._core._renderService.dimensions.css.cell;
    const now = `${term.cols} ${term.rows} ${width} ${height} ${term.options.fontSize} ${term.options.fontFamily} ${window.devicePixelRatio}`;
    if (now !== shape) {
      shape = now;
      layout(width, height);
    }
    const buffer = term.buffer.active;
    const cells = [];
    for (let y = 0, i = 0; y < rows; y++) {
      const line = buffer.getLine(buffer.viewportY + y);
      if (rowUnchanged(y, line)) {
        i += 4 * cols;
        continue;
      }
      for (let x = 0; x < cols; x++, i += 4) {
        line.getCell(x, cell);
        if (cell.getWidth() === 0) continue; // the right half of a wide character
        const code = cell.getCode();
        const [fgMode, bgMode] = [cell.getFgColorMode(), cell.getBgColorMode()];
        const [fg, bg] = [cell.getFgColor(), cell.getBgColor()];
        const flags = (cell.isBold() ? 1 : 0) | (cell.isInverse() ? 2 : 0) | (cell.isInvisible() ? 4 : 0) | (cell.getWidth() << 3);
        if (drawn[i] === code && drawn[i + 1] === fg + fgMode && drawn[i + 2] === bg + bgMode && drawn[i + 3] === flags) continue;
        [drawn[i], drawn[i + 1], drawn[i + 2], drawn[i + 3]] = [code, fg + fgMode, bg + bgMode, flags];
        const bold = (flags & 1) === 1;
        let fore = colour(fgMode, fgMode === colourModePalette16 && bold && fg < 8 ? fg + 8 : fg, theme.foreground);
        let back = colour(bgMode, bg, theme.background);
        if (flags & 2) [fore, back] = [back, fore];
        cells.push(x, y, cell.getWidth(), back, fore, bold, code > 32 && !(flags & 4) ? cell.getChars() : '');
      }
    }
    if (cells.length) paint({ cells });
  }

  // xterm.js reads what the game writes in batches, and tells when it has
  // read one: the screen is drawn then, at once.
  term.onWriteParsed(draw);
  const update = () => { frame ||= requestAnimationFrame(draw); };
  term.onResize(update);
  return { host, update };
}
