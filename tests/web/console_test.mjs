// Drives the browser console in headless Chromium against `dorsel serve` on a demo database,
// and checks what a person sees against what the component answers through the session.
// Usage: node console_test.mjs --dorsel BIN --db FILE --out DIR (run by tests/web/run).
import { spawn, spawnSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import path from 'node:path';
import readline from 'node:readline';

const args = Object.fromEntries(
  process.argv.slice(2).reduce((pairs, word, i, all) => (i % 2 ? pairs : [...pairs, [word.replace(/^--/, ''), all[i + 1]]]), []));
const require = createRequire(path.join(args.out, 'package.json'));
const puppeteer = require('puppeteer-core');

const ITEM = 'CAVO-FG16-3G1.5';
const failures = [];
function check(ok, what) {
  console.log((ok ? 'ok   ' : 'FAIL ') + what);
  if (!ok) failures.push(what);
}
const number = (text) => Number(String(text).trim());

// The component's own answer: the sales view's rows through the automation session.
function sessionSalesView() {
  const requests = [
    { call: 'Initialize', args: [] },
    { call: 'Init_LI10', args: [ITEM, '0'] },
    { call: 'InitializeRecordsetLI10Ven', args: [] },
    { rs: 'Grst_RecSet_LI10Ven_append', do: 'Read' },
  ];
  const run = spawnSync(args.dorsel, ['session', '--db', args.db],
    { input: requests.map((r) => JSON.stringify(r)).join('\n') + '\n', encoding: 'utf8' });
  const answers = run.stdout.trim().split('\n').map((line) => JSON.parse(line));
  const view = answers[3];
  if (!view.ok) throw new Error('session: ' + JSON.stringify(view));
  const recordset = view.result && view.result.$recordset ? view.result.$recordset : view.result;
  const fields = recordset.fields.map((f) => (typeof f === 'string' ? f : f.name));
  const at = fields.indexOf('PREZZO_NETTO');
  return recordset.rows.map((row) => number(Array.isArray(row) ? row[at] : row.PREZZO_NETTO));
}

async function startServer() {
  const server = spawn(args.dorsel, ['serve', '--db', args.db, '--port', '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
  const lines = readline.createInterface({ input: server.stdout });
  const base = await new Promise((resolve, reject) => {
    lines.on('line', (line) => {
      const found = /listening on (http:\/\/\S+)/.exec(line);
      if (found) resolve(found[1].replace(/\/$/, ''));
    });
    server.on('exit', (code) => reject(new Error('dorsel serve ended with ' + code)));
  });
  return { server, base };
}

async function waitForFile(folder, timeoutMs) {
  const end = Date.now() + timeoutMs;
  while (Date.now() < end) {
    const done = fs.existsSync(folder) && fs.readdirSync(folder).filter((f) => !f.endsWith('.crdownload'));
    if (done && done.length) return done;
    await new Promise((r) => setTimeout(r, 100));
  }
  return [];
}

const shots = path.join(args.out, 'screenshots');
const downloads = path.join(args.out, 'downloads');
fs.mkdirSync(shots, { recursive: true });
fs.mkdirSync(downloads, { recursive: true });

const expectedNetPrices = sessionSalesView();
const { server, base } = await startServer();
const browser = await puppeteer.launch({
  executablePath: process.env.CHROME_BIN || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-dev-shm-usage', '--disable-gpu'],
});
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1366, height: 900 });
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  let dialogs = 0;
  page.on('dialog', async (dialog) => { dialogs += 1; await dialog.dismiss(); });
  const loaded = async (before) => page.waitForFunction(
    (b) => document.body.dataset.loaded && document.body.dataset.loaded !== b, { timeout: 15000 }, before);
  const loadedMark = () => page.evaluate(() => document.body.dataset.loaded || '');

  await page.goto(base + '/', { waitUntil: 'networkidle0', timeout: 15000 });
  await page.waitForSelector('body[data-ready=yes]');

  // Find by the start of the description: one item, which opens.
  await page.select('#search-by', 'description');
  await page.type('#search-text', 'Cavo FG16OR16 3G1,5');
  let mark = await loadedMark();
  await page.keyboard.press('Enter');
  await loaded(mark);
  const title = await page.$eval('#title', (h) => h.textContent);
  check(title.startsWith(ITEM + ' — Cavo FG16OR16 3G1,5'), 'the item is the page title: ' + title);

  // Every tab, with a screenshot; keyboard: the arrow keys move between tabs.
  const tabs = await page.$$eval('#tabs [role=tab]', (all) => all.map((t) => t.dataset.panel));
  check(tabs.length === 13 && tabs[0] === 'FRMMG_DORSEL_DESCR' && tabs[12] === 'IMMAGINI', 'thirteen tabs in the viewer order');
  await page.focus('#tab-' + tabs[0]);
  for (const name of tabs) {
    await page.waitForSelector('#panel-' + name);
    const selected = await page.$eval('#tab-' + name, (t) => t.getAttribute('aria-selected'));
    check(selected === 'true', 'tab ' + name + ' opens');
    await page.screenshot({ path: path.join(shots, name + '.png'), fullPage: true });
    await page.keyboard.press('ArrowRight');
  }

  // The sales price list's net prices are the component's.
  await page.click('#tab-FRMUC_LISTINI_VEN');
  await page.waitForSelector('#panel-FRMUC_LISTINI_VEN tbody tr');
  const shown = await page.$$eval('#panel-FRMUC_LISTINI_VEN td[data-column=PREZZO_NETTO]', (cells) => cells.map((c) => c.textContent));
  check(shown.length === expectedNetPrices.length && shown.length > 0, 'as many sales rows as the session: ' + shown.length);
  check(shown.every((text, i) => number(text) === expectedNetPrices[i]), 'net prices as the session: ' + shown.join(', '));

  // The explanation of the first row ends on its net price.
  await page.click('#panel-FRMUC_LISTINI_VEN tr[data-row="1"] button.explain');
  await page.waitForSelector('.explanation tr.step');
  const steps = await page.$$eval('.explanation tr.step', (rows) => rows.map((r) => [r.dataset.step, r.querySelector('.step-price').textContent]));
  const net = await page.$eval('#explained-net-price', (c) => c.textContent);
  check(number(steps[steps.length - 1][1]) === number(net), 'last step ' + steps[steps.length - 1][1] + ' = net price ' + net);
  check(number(net) === expectedNetPrices[0], 'the explained net price is the component\'s ' + expectedNetPrices[0]);
  check(steps.some((s) => s[0] === 'base_variation'), 'the copper base variation is a step');
  await page.screenshot({ path: path.join(shots, 'explanation.png'), fullPage: true });

  // Catalogue pictures load; a document downloads.
  await page.click('#tab-IMMAGINI');
  await page.waitForSelector('#panel-IMMAGINI img.picture');
  await page.waitForFunction(() => [...document.querySelectorAll('img.picture')].every((i) => i.complete), { timeout: 10000 });
  const widths = await page.$$eval('img.picture', (imgs) => imgs.map((i) => i.naturalWidth));
  check(widths.length > 0 && widths.every((w) => w > 0), 'catalogue pictures loaded, natural widths ' + widths.join(', '));
  const documentLink = await page.$('#panel-IMMAGINI a.document');
  check(Boolean(documentLink), 'a document is offered');
  if (documentLink) {
    await documentLink.click();
    const files = await waitForFile(downloads, 10000);
    check(files.length === 1 && fs.statSync(path.join(downloads, files[0])).size > 0, 'document downloaded: ' + files.join(', '));
  }

  // Another language: the decoded words change.
  await page.click('#tab-FRMUC_LISTINI_VEN');
  const wordsBefore = await page.$$eval('#panel-FRMUC_LISTINI_VEN td[data-column=LI10_INDRICALPR]', (c) => c.map((x) => x.textContent).join('|'));
  mark = await loadedMark();
  await page.select('#language', 'ENG ');
  await loaded(mark);
  await page.waitForSelector('#panel-FRMUC_LISTINI_VEN tbody tr');
  const wordsAfter = await page.$$eval('#panel-FRMUC_LISTINI_VEN td[data-column=LI10_INDRICALPR]', (c) => c.map((x) => x.textContent).join('|'));
  check(wordsBefore !== wordsAfter && wordsAfter.length > 0, 'decoded words change: "' + wordsBefore + '" -> "' + wordsAfter + '"');
  await page.screenshot({ path: path.join(shots, 'english.png'), fullPage: true });

  // A hostile description is shown as its characters.
  await page.select('#search-by', 'code');
  await page.$eval('#search-text', (i) => { i.value = ''; });
  await page.type('#search-text', 'DADO-M6');
  mark = await loadedMark();
  await page.keyboard.press('Enter');
  await loaded(mark);
  const hostile = await page.$eval('#title', (h) => ({ text: h.textContent, images: h.querySelectorAll('img').length }));
  check(hostile.text.includes('<img src=x onerror=alert(1)>') && hostile.images === 0, 'hostile description shown as text: ' + hostile.text);
  check(dialogs === 0, 'no script of the data ran');
  await page.screenshot({ path: path.join(shots, 'hostile.png'), fullPage: true });

  // A failing request is answered in words, and the server goes on.
  await page.$eval('#search-text', (i) => { i.value = ''; });
  await page.type('#search-text', 'NO-SUCH-ITEM');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.getElementById('message').hidden);
  const message = await page.$eval('#message', (m) => m.textContent);
  check(message === 'No item found.', 'a search without result says so: ' + message);
} finally {
  await browser.close();
  if (server.exitCode === null && server.signalCode === null) {
    const ended = new Promise((resolve) => server.once('exit', resolve));
    server.kill('SIGTERM');
    await ended;
  }
}
check(server.exitCode === 0, 'the server stopped cleanly on SIGTERM');
if (failures.length) {
  console.log(failures.length + ' check(s) failed');
  process.exit(1);
}
console.log('all browser checks passed; screenshots in ' + shots);
