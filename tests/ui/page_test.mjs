// page_test.mjs TESSALINK TESSALINK_HANDHELD MODE OUTDIR: the page of
// `tessalink ui` in headless Chromium, against the tool and the emulated
// handheld as processes on a pseudo-terminal, the way a person uses it: the
// list, a drag-and-drop upload, a download, delete with its confirmation, the
// backup .zip and its restore, text both ways, Cancel during a slow transfer,
// a mode that does not answer, the keyboard and a narrow window. Every byte is
// compared with the emulator's directory. Screenshots go to OUTDIR.
//
// Exits 77 (skipped) when Chromium or the test's npm packages are missing,
// unless TESSALINK_REQUIRE_BROWSER=1.

import { spawn, execFileSync } from 'node:child_process';
import { randomBytes } from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const CHROMIUM = '/usr/bin/chromium';
const here = path.dirname(fileURLToPath(import.meta.url));
const [cli, emulator, mode, outdir] = process.argv.slice(2);
if (!outdir || !['0', '1', '2'].includes(mode)) {
  console.error('usage: node page_test.mjs TESSALINK TESSALINK_HANDHELD MODE(0|1|2) OUTDIR');
  process.exit(2);
}

function skip(why) {
  if (process.env.TESSALINK_REQUIRE_BROWSER === '1') {
    console.error(`FAILED: ${why} (TESSALINK_REQUIRE_BROWSER=1; scripts/install-deps all installs it)`);
    process.exit(1);
  }
  console.log(`SKIPPED: ${why}`);
  process.exit(77);
}
if (!fs.existsSync(CHROMIUM))
  skip(`${CHROMIUM} is missing (Debian's chromium)`);
if (!fs.existsSync(path.join(here, 'node_modules', 'playwright-core')))
  skip(`${path.join(here, 'node_modules')} is missing (npm ci --prefix tests/ui)`);
const { chromium } = await import('playwright-core');

// ---------------------------------------------------------------- checks

let checks = 0;
let failures = 0;
function check(description, ok, detail = '') {
  checks += 1;
  if (!ok) {
    failures += 1;
    console.log(`FAILED: ${description}${detail ? `\n  ${detail}` : ''}`);
  }
}

// What fails outside a scenario (a program that does not start) ends the run.
process.on('uncaughtException', (error) => {
  check(error.message, false);
  console.log(`${checks - failures} passed, ${failures} failed`);
  process.exit(1);
});

// A scenario that throws (a time-out waiting for the page) counts as one
// failed check; the next scenario still runs.
async function scenario(name, body) {
  const started = Date.now();
  try {
    await body();
  } catch (error) {
    check(`${name}: ${error.message.split('\n')[0]}`, false, error.stack?.split('\n').slice(1, 4).join('\n  '));
  }
  console.log(`-- ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Waits until PROBE() returns a truthy value, and returns it; on a time-out
// the error tells what SHOWN() gives then.
async function until(what, probe, timeoutMs = 10000, shown = null) {
  const deadline = Date.now() + timeoutMs;
  for (;;) {
    const last = await probe();
    if (last)
      return last;
    if (Date.now() > deadline)
      throw new Error(`timed out waiting for ${what}${shown ? `; shown: ${JSON.stringify(await shown())}` : ''}`);
    await sleep(50);
  }
}

// ---------------------------------------------------------------- processes

const work = fs.mkdtempSync(path.join(os.tmpdir(), `tessalink-ui-page-${mode}-`));
fs.mkdirSync(outdir, { recursive: true });
const children = [];
let browser = null;

function cleanUp() {
  for (const child of children)
    if (child.exitCode === null && child.signalCode === null)
      child.kill(child.stopSignal);
  fs.rmSync(work, { recursive: true, force: true });
}
process.on('exit', cleanUp);
for (const signal of ['SIGINT', 'SIGTERM'])
  process.on(signal, () => process.exit(1));

// The programs see only what the test sets: their own configuration, none of
// the user's TESSALINK_* variables.
const childEnv = Object.fromEntries(Object.entries(process.env).filter(([key]) => !key.startsWith('TESSALINK_')));
childEnv.XDG_CONFIG_HOME = path.join(work, 'config');

function startProcess(name, program, args, stopSignal) {
  const log = fs.openSync(path.join(work, `${name}.log`), 'w');
  const child = spawn(program, args, { env: childEnv, stdio: ['ignore', name === 'ui' ? 'pipe' : log, log] });
  child.stopSignal = stopSignal;
  child.logPath = path.join(work, `${name}.log`);
  children.push(child);
  return child;
}

async function stopProcess(child) {
  if (child.exitCode !== null || child.signalCode !== null)
    return;
  const exited = new Promise((resolve) => child.once('exit', resolve));
  child.kill(child.stopSignal);
  await exited;
}

// An emulated handheld serving DIR; returns its device once it is ready.
async function startHandheld(name, dir, ...options) {
  const envFile = path.join(work, `${name}.env`);
  const child = startProcess(name, emulator,
    ['--mode', mode, '--dir', dir, '--print-env-file', envFile, ...options], 'SIGTERM');
  const line = await until(`the emulator ${name} to start`, () =>
    fs.existsSync(envFile) && fs.readFileSync(envFile, 'utf8').trim(), 10000);
  return { child, device: line.split('=')[1] };
}

// `tessalink ui` on a free port; its first line of output is the page's address.
async function startUi(device) {
  const child = startProcess('ui', cli,
    ['ui', '--listen', '127.0.0.1:0', '--no-browser', '--mode', mode, '--device', device], 'SIGINT');
  let output = '';
  child.stdout.setEncoding('utf8');
  child.stdout.on('data', (chunk) => { output += chunk; });
  const url = await until('the address from tessalink ui', () => {
    if (child.exitCode !== null)
      throw new Error(`tessalink ui exited with ${child.exitCode}: ${fs.readFileSync(child.logPath, 'utf8')}`);
    return output.includes('\n') && output.split('\n')[0].trim();
  }, 10000);
  return { child, url };
}

// ---------------------------------------------------------------- the handheld's files

const dir = path.join(work, 'dir');
fs.mkdirSync(dir);
const originals = {
  'HELLO.TXT': Buffer.from('Hello from the handheld.\r\n'),
  'MEMO.TXT': Buffer.from('Buy rice and tea.\r\n'),
  'DATA.BIN': randomBytes(3000),
};
for (const [name, bytes] of Object.entries(originals))
  fs.writeFileSync(path.join(dir, name), bytes);

// Text both ways, in the handheld's Shift-JIS, written here from the JIS
// table: お茶 is 82 A8 92 83; 今日は晴れ。 is 8D A1 93 FA 82 CD 90 B0 82 EA 81 42.
const typedText = 'Buy rice and お茶.\nTomorrow 9:00';
const typedTextOnWire = Buffer.concat([Buffer.from('Buy rice and '), Buffer.from('82a89283', 'hex'),
  Buffer.from('.\r\nTomorrow 9:00')]);
const handheldText = Buffer.concat([Buffer.from('8da193fa82cd90b082ea8142', 'hex'), Buffer.from('\r\nMEMO 2\r\n')]);
const handheldTextShown = '今日は晴れ。\nMEMO 2\n';
fs.writeFileSync(path.join(work, 'text-in.txt'), handheldText);
const textOut = path.join(work, 'text-out.txt');

const dirNames = () => fs.readdirSync(dir).sort();
const sameBytes = (file, expected) => fs.existsSync(file) && fs.readFileSync(file).equals(expected);

// ---------------------------------------------------------------- the page

// -v: its log traces every packet, among them each release ("C LE").
const handheld = await startHandheld('emulator', dir, '--text-out', textOut,
  '--text-in', path.join(work, 'text-in.txt'), '-v');
const releasesSeen = () => (fs.readFileSync(handheld.child.logPath, 'utf8').match(/<- #1 C LE/g) || []).length;
const ui = await startUi(handheld.device);

browser = await chromium.launch({
  executablePath: CHROMIUM,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const context = await browser.newContext({ acceptDownloads: true, viewport: { width: 1100, height: 900 } });
const page = await context.newPage();
const refusals = [];
page.on('console', (message) => {
  if (/Content Security Policy|Refused to/i.test(message.text()))
    refusals.push(message.text());
});
page.on('pageerror', (error) => refusals.push(`script error: ${error.message}`));

const text = async (selector) => ((await page.textContent(selector)) ?? '').trim();
const listedNames = () => page.$$eval('#files-body tr', (rows) => rows.map((row) => row.dataset.name).sort());
const rowCells = (name) => page.$$eval('#files-body tr', (rows, wanted) => {
  const row = rows.find((r) => r.dataset.name === wanted);
  return row ? [...row.cells].map((cell) => cell.textContent.trim()) : null;
}, name);
const sizeText = (n) => n.toLocaleString('en');

async function listShows(names) {
  const wanted = [...names].sort().join(' ');
  await until(`the list to show ${wanted}`, async () => (await listedNames()).join(' ') === wanted);
}

async function messageSays(pattern, timeoutMs = 10000) {
  const shown = async () => await page.isVisible('#message') && await text('#message');
  return until(`the message to say ${pattern}`, async () => {
    const message = await shown();
    return message && pattern.test(message) && message;
  }, timeoutMs, async () => [await shown(), await text('#job')]);
}

// How the job on show ended: its outcome, problem and next step once shown.
async function jobEnd(timeoutMs = 10000) {
  await until('the job to end', () => page.isVisible('#job-outcome'), timeoutMs, () => text('#job'));
  return { title: await text('#job-title'), outcome: await text('#job-outcome'),
    problem: await text('#job-problem'), next: await text('#job-next') };
}

// Empties the list on show, so that the next list shown is read afresh.
const forgetList = () => page.evaluate(() => { document.getElementById('files-body').replaceChildren(); });

// Clears the message, so that the next one is this action's.
const clearMessage = () => page.evaluate(() => { document.getElementById('message').hidden = true; });

async function download(click) {
  const [saved] = await Promise.all([page.waitForEvent('download', { timeout: 15000 }), click()]);
  const file = path.join(work, `download-${saved.suggestedFilename()}`);
  await saved.saveAs(file);
  return { name: saved.suggestedFilename(), bytes: fs.readFileSync(file), file };
}

// Sets the settings panel's fields and saves them.
async function saveSettings(values) {
  for (const [key, value] of Object.entries(values)) {
    const field = `[data-key="${key}"]`;
    if (key === 'mode')
      await page.selectOption(field, value);
    else
      await page.fill(field, value);
  }
  await page.evaluate(() => { document.getElementById('settings-outcome').textContent = ''; });
  await page.click('#settings-save');
  await until('the settings to be saved', async () => (await text('#settings-outcome')) === 'Saved.');
}

await scenario('the address, the token and the list', async () => {
  await page.goto(ui.url);
  check('the token does not stay in the address bar', !page.url().includes('token'), page.url());
  await listShows(Object.keys(originals));
  for (const [name, bytes] of Object.entries(originals)) {
    const cells = await rowCells(name);
    check(`the list shows the size of ${name}`, cells?.[1] === sizeText(bytes.length), JSON.stringify(cells));
  }
  check('the header names the mode and device', (await text('#where')) === `mode ${mode} on ${handheld.device}`,
    await text('#where'));
  check('nothing is busy after the list', (await text('#busy')) === 'idle', await text('#busy'));
});

await scenario('drag and drop of two files', async () => {
  const dropped = { 'DROP1.BIN': randomBytes(9000), 'DROP2.TXT': Buffer.from('second dropped file\r\n') };
  if (mode === '2')
    await page.check('#variant-2');
  // Every figure the progress line shows, as it shows it.
  await page.evaluate(() => {
    window.figuresSeen = [];
    const figures = document.getElementById('job-figures');
    new MutationObserver(() => window.figuresSeen.push(figures.textContent))
      .observe(figures, { childList: true, characterData: true, subtree: true });
  });
  const dataTransfer = await page.evaluateHandle((files) => {
    const transfer = new DataTransfer();
    for (const [name, hex] of files) {
      const bytes = new Uint8Array(hex.match(/../g).map((pair) => parseInt(pair, 16)));
      transfer.items.add(new File([bytes], name, { type: 'application/octet-stream' }));
    }
    return transfer;
  }, Object.entries(dropped).map(([name, bytes]) => [name, bytes.toString('hex')]));
  await clearMessage();
  const releasesBefore = releasesSeen();
  for (const type of ['dragenter', 'dragover', 'drop'])
    await page.dispatchEvent('#drop-zone', type, { dataTransfer });
  await messageSays(/^Sent 2 files/);
  await listShows([...Object.keys(originals), ...Object.keys(dropped)]);
  for (const [name, bytes] of Object.entries(dropped)) {
    check(`${name} is on the handheld byte for byte`, sameBytes(path.join(dir, name), bytes));
    check(`the list shows the size of ${name}`, (await rowCells(name))?.[1] === sizeText(bytes.length));
  }
  const figures = await page.evaluate(() => window.figuresSeen);
  check('the progress line showed the bytes sent', figures.some((f) => /^[\d,]+ (of [\d,]+ )?bytes/.test(f)),
    JSON.stringify(figures));
  const bar = await page.$eval('#job-bar', (b) => ({ value: b.value, max: b.max }));
  check('the progress bar ended full', bar.value === bar.max && bar.max > 0, JSON.stringify(bar));
  check('the job ended done', /done/.test(await text('#job-outcome')), await text('#job-outcome'));
  check('one release followed both files', releasesSeen() - releasesBefore === 1, `${releasesSeen() - releasesBefore}`);
  if (mode === '2')
    await page.check('input[name="variant"][value="1"]');
  Object.assign(originals, dropped);
  await page.screenshot({ path: path.join(outdir, 'ui-page.png'), fullPage: true });
});

await scenario('a file chosen with the button, without the release; then the release', async () => {
  const chosen = path.join(work, 'CHOSEN.TXT');
  fs.writeFileSync(chosen, 'chosen with the button\r\n');
  await page.uncheck('#release-after');
  const releasesBefore = releasesSeen();
  await clearMessage();
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click('#upload')]);
  await chooser.setFiles(chosen);
  await messageSays(/^Sent CHOSEN\.TXT \(24 bytes\)/);
  check('the chosen file is on the handheld byte for byte', sameBytes(path.join(dir, 'CHOSEN.TXT'),
    fs.readFileSync(chosen)));
  check('no release followed it', releasesSeen() === releasesBefore, `${releasesSeen() - releasesBefore}`);
  await clearMessage();
  await page.click('#release');
  await messageSays(/^Sent the release/);
  check('the release button sent one release', releasesSeen() - releasesBefore === 1,
    `${releasesSeen() - releasesBefore}`);
  await page.check('#release-after');
  originals['CHOSEN.TXT'] = fs.readFileSync(chosen);
  await listShows(Object.keys(originals));
});

await scenario('download', async () => {
  const got = await download(() => page.click('button[aria-label="Download DATA.BIN"]'));
  check('the download is named as on the handheld', got.name === 'DATA.BIN', got.name);
  check('the download is the handheld\'s file byte for byte', got.bytes.equals(originals['DATA.BIN']));
});

await scenario('delete, kept with Escape, then confirmed', async () => {
  await page.focus('button[aria-label="Delete HELLO.TXT"]');
  await page.keyboard.press('Enter');
  await until('the confirmation', () => page.isVisible('#confirm'));
  check('the confirmation names the file', (await text('#confirm-text')).includes('HELLO.TXT'));
  await page.keyboard.press('Escape');
  await until('the confirmation to close', async () => !(await page.isVisible('#confirm')));
  await sleep(300);
  check('Escape keeps the file', fs.existsSync(path.join(dir, 'HELLO.TXT')));
  await clearMessage();
  await page.click('button[aria-label="Delete HELLO.TXT"]');
  await page.click('#confirm-delete');
  await messageSays(/^Deleted HELLO\.TXT/);
  delete originals['HELLO.TXT'];
  await listShows(Object.keys(originals));
  check('the file is gone from the handheld', !fs.existsSync(path.join(dir, 'HELLO.TXT')));
});

await scenario('backup .zip and its restore', async () => {
  const zip = await download(() => page.click('#backup'));
  check('the backup is a .zip', zip.name.endsWith('.zip'), zip.name);
  const entries = execFileSync('unzip', ['-Z1', zip.file], { encoding: 'utf8' }).trim().split('\n').sort();
  check('the .zip holds every file of the handheld', entries.join(' ') === dirNames().join(' '),
    `${entries} against ${dirNames()}`);
  for (const name of dirNames()) {
    const inZip = execFileSync('unzip', ['-p', zip.file, name]);
    check(`${name} in the .zip is byte for byte the handheld's`, inZip.equals(originals[name]));
  }
  fs.rmSync(path.join(dir, 'DATA.BIN'));
  fs.writeFileSync(path.join(dir, 'MEMO.TXT'), 'changed since the backup\r\n');
  await clearMessage();
  await forgetList();
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click('#restore')]);
  await chooser.setFiles(zip.file);
  await messageSays(new RegExp(`^Sent ${entries.length} files`));
  for (const name of entries)
    check(`${name} is restored byte for byte`, sameBytes(path.join(dir, name), originals[name]));
  await listShows(Object.keys(originals));
});

await scenario('text both ways', async () => {
  fs.rmSync(textOut, { force: true });
  await page.fill('#text-out', typedText);
  await clearMessage();
  await page.click('#text-send');
  await messageSays(/^Sent the text/);
  await until('the emulator to store the text', () => fs.existsSync(textOut), 5000);
  check('the handheld got the text in Shift-JIS with its CR LF', sameBytes(textOut, typedTextOnWire),
    fs.existsSync(textOut) ? fs.readFileSync(textOut).toString('hex') : 'no text');
  await clearMessage();
  await page.click('#text-recv');
  await messageSays(/^Received a text/);
  const received = await page.inputValue('#text-in');
  check('the handheld\'s text is shown', received === handheldTextShown, JSON.stringify(received));
});

await scenario('the keyboard', async () => {
  await page.focus('#refresh');
  const reached = [];
  for (let i = 0; i < 60; i += 1) {
    await page.keyboard.press('Tab');
    const focused = await page.evaluate(() => {
      const el = document.activeElement;
      if (el === document.body || el === null)
        return null;
      const style = getComputedStyle(el);
      return { label: el.getAttribute('aria-label') || el.id || el.textContent.trim(),
        outline: style.outlineStyle !== 'none' && parseFloat(style.outlineWidth) >= 2 };
    });
    if (!focused || reached.some((r) => r.label === focused.label))
      break;
    reached.push(focused);
  }
  const labels = reached.map((r) => r.label);
  for (const wanted of ['upload', 'backup', 'restore', 'release', 'Download MEMO.TXT', 'Delete MEMO.TXT',
    'text-send', 'text-recv', 'settings-save'])
    check(`Tab reaches ${wanted}`, labels.includes(wanted), labels.join(', '));
  check('the focus is visible on each', reached.every((r) => r.outline),
    reached.filter((r) => !r.outline).map((r) => r.label).join(', '));
});

await scenario('a narrow window', async () => {
  await page.setViewportSize({ width: 400, height: 900 });
  await sleep(100);
  const widths = await page.evaluate(() => [document.documentElement.scrollWidth, innerWidth]);
  check('nothing overflows a 400 px window', widths[0] <= widths[1], `${widths[0]} > ${widths[1]}`);
  await page.screenshot({ path: path.join(outdir, 'ui-page-narrow.png'), fullPage: true });
  await page.setViewportSize({ width: 1100, height: 900 });
});

// A file that takes seconds on a slow line: a second job meets 409, Cancel
// ends the transfer, and the link serves the next request.
const slowDir = path.join(work, 'slow');
fs.mkdirSync(slowDir);
const slowFile = randomBytes(20000);
fs.writeFileSync(path.join(slowDir, 'SLOW.BIN'), slowFile);
const slow = await startHandheld('slow', slowDir, '--pace', '9600');

await scenario('Cancel during a slow transfer', async () => {
  await saveSettings({ device: slow.device });
  await page.click('#refresh');
  await listShows(['SLOW.BIN']);
  await clearMessage();
  const downloads = [];
  page.on('download', (d) => downloads.push(d));
  await page.click('button[aria-label="Download SLOW.BIN"]');
  await until('the progress line to show the rate and time left',
    async () => /of 20,000 bytes · .*B\/s · .* left/.test(await text('#job-figures')), 10000,
    () => text('#job'));
  check('the busy line names the job', (await text('#busy')) === 'busy: fetching SLOW.BIN', await text('#busy'));
  await page.click('#refresh');
  const refused = await messageSays(/failed/);
  check('a second job is refused, saying which job runs', /^Reading the list failed: .*get/.test(refused), refused);
  await clearMessage();
  await page.click('#cancel');
  const end = await jobEnd();
  check('the page says the transfer was cancelled', end.title === 'Fetching SLOW.BIN' &&
    end.outcome === 'cancelled' && /^cancelled \(result 999\)/.test(end.problem), JSON.stringify(end));
  check('the Cancel button is gone once the job ended', !(await page.isVisible('#cancel')));
  await page.screenshot({ path: path.join(outdir, 'ui-page-cancelled.png') });
  check('no download came of the cancelled transfer', downloads.length === 0);
  await until('the busy line to say idle', async () => (await text('#busy')) === 'idle');
  await forgetList();
  await page.click('#refresh');
  await listShows(['SLOW.BIN']);
});

await scenario('a mode that does not answer', async () => {
  const wrongMode = mode === '0' ? '2' : '0';
  await saveSettings({ mode: wrongMode, timeout: '3' });
  const config = fs.readFileSync(path.join(work, 'config', 'tessalink', 'config'), 'utf8');
  check('the settings are saved in the configuration', /^timeout = 3$/m.test(config) &&
    new RegExp(`^mode = ${wrongMode}$`, 'm').test(config), config);
  await clearMessage();
  await page.click('#refresh');
  const waiting = await until('the waiting line', async () =>
    (await page.isVisible('#job-waiting')) && await text('#job-waiting'), 6000, () => text('main'));
  await page.screenshot({ path: path.join(outdir, 'ui-page-waiting.png') });
  check('the waiting line asks whether the handheld is in link mode',
    /^waiting \d+ s.*handheld in link mode\? mode \d, \/dev\//.test(waiting), waiting);
  const end = await jobEnd(8000);
  check('the time-out says what happened and what to check next', end.outcome === 'failed' &&
    /^no answer came in time/.test(end.problem) && /^Next step: is the handheld in link mode/.test(end.next),
  JSON.stringify(end));
  check('the Cancel button is gone once the list gave up', !(await page.isVisible('#cancel')));
  await page.screenshot({ path: path.join(outdir, 'ui-page-timed-out.png') });
  await saveSettings({ mode: '', timeout: '' });
});

check('the page ran without a script error or a refusal of its policy', refusals.length === 0, refusals.join('\n  '));
await browser.close();
const stopped = await Promise.race([stopProcess(ui.child).then(() => true), sleep(5000).then(() => false)]);
check('tessalink ui stops on Ctrl-C', stopped, 'still running 5 s after SIGINT');
if (failures > 0)
  for (const child of children) {
    const lines = fs.readFileSync(child.logPath, 'utf8').trimEnd().split('\n');
    console.log(`== the last lines of ${path.basename(child.logPath)}\n${lines.slice(-15).join('\n')}`);
  }
console.log(`${checks - failures} passed, ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
