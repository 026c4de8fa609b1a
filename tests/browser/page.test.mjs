// The generated feed page in a real browser: Debian's chromium, driven by playwright-core, opens
// Data/index.html of a home built with the feedwell commands (init, configure, scan, generate)
// from a small Maildir folder, and checks what a reader sees.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const exe = process.env.FEEDWELL_EXE;
const browserPath = process.env.CHROMIUM || '/usr/bin/chromium';

// A 70 x 70 24-bit BMP in one colour, as the contacts run writes thumbnails.
function bmp(r, g, b) {
  const size = 70;
  const stride = Math.ceil((size * 3) / 4) * 4;
  const buffer = Buffer.alloc(54 + stride * size);
  buffer.write('BM', 0, 'latin1');
  buffer.writeUInt32LE(buffer.length, 2);
  buffer.writeUInt32LE(54, 10);
  buffer.writeUInt32LE(40, 14);
  buffer.writeInt32LE(size, 18);
  buffer.writeInt32LE(size, 22);
  buffer.writeUInt16LE(1, 26);
  buffer.writeUInt16LE(24, 28);
  buffer.writeUInt32LE(stride * size, 34);
  for (let y = 0; y < size; ++y) {
    for (let x = 0; x < size; ++x) buffer.set([b, g, r], 54 + y * stride + x * 3);
  }
  return buffer;
}

const lines = (prefix, count) => Array.from({ length: count }, (_, i) => `${prefix} ${i + 1}`);

// Oldest first; the page lists them newest first.
const messages = [
  { from: 'old@example.com', subject: 'Oldest note', body: lines('old line', 3).map((l) => `<p>${l}</p>`).join('') },
  {
    from: 'dana@example.co.il',
    subject: '<b>Bold</b> & <i>co</i> %MSGMORE%',
    body: `<div dir="rtl">${lines('שורה', 8).join('<br>')}</div>`,
  },
  { from: 'news@example.com', subject: 'Newest with more', body: `<div>${lines('news line', 9).join('</div><div>')}</div>` },
];

let home;
let browser;
let page;

function feedwell(...args) {
  return execFileSync(exe, ['--home', home, ...args], {
    encoding: 'utf8',
    env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' },
  });
}

before(async () => {
  assert.ok(exe, 'FEEDWELL_EXE names the built feedwell executable');
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'feedwell-page-'));
  home = path.join(root, 'home');
  execFileSync(exe, ['init', home], { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' } });
  const inbox = path.join(home, 'Mail', 'Inbox');
  for (const sub of ['cur', 'new', 'tmp']) fs.mkdirSync(path.join(inbox, sub), { recursive: true });
  const start = Date.parse('2024-03-05T10:00:00Z') / 1000;
  messages.forEach((m, i) => {
    const file = path.join(inbox, 'cur', `${1000 + i}.m${i}:2,S`);
    fs.writeFileSync(
      file,
      [
        `From: <${m.from}>`,
        'To: me@example.com',
        `Subject: =?UTF-8?B?${Buffer.from(m.subject).toString('base64')}?=`,
        `Date: ${new Date((start + i * 3600) * 1000).toUTCString()}`,
        `Message-ID: <m${i}@example.com>`,
        'MIME-Version: 1.0',
        'Content-Type: text/html; charset=utf-8',
        '',
        m.body,
        '',
      ].join('\r\n'),
    );
    fs.utimesSync(file, start + i * 3600, start + i * 3600);
    fs.writeFileSync(path.join(home, 'Data', 'contacts', `${m.from}.bmp`), bmp(40 * i, 120, 200));
  });
  feedwell('configure', '--scan-folder', 'Mail/Inbox', '--include-unknown', 'on');
  feedwell('scan');
  const printed = feedwell('generate');
  assert.match(printed, /index\.html/);

  browser = await chromium.launch({
    executablePath: browserPath,
    args: [
      '--headless',
      '--no-sandbox',
      '--disable-gpu',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--no-first-run',
    ],
  });
  page = await browser.newPage({ viewport: { width: 900, height: 800 }, javaScriptEnabled: false });
  await page.goto(pathToFileURL(path.join(home, 'Data', 'index.html')).href);
});

after(async () => {
  await browser?.close();
  if (home) fs.rmSync(path.dirname(home), { recursive: true, force: true });
});

const card = (i) => page.locator('article.msg').nth(i);

test('messages stand newest first, subjects shown as text', async () => {
  const subjects = await page.locator('article.msg .subject').allTextContents();
  assert.deepEqual(subjects, messages.map((m) => m.subject).reverse());
  assert.equal(await page.locator('article.msg .subject b, article.msg .subject i').count(), 0);
});

test('the more link reveals the rest of the message', async () => {
  const newest = card(0);
  const rest = newest.locator('.more');
  assert.equal(await rest.isVisible(), false);
  assert.equal(await newest.getByText('news line 6').isVisible(), false);
  assert.equal(await newest.getByText('news line 5').isVisible(), true);
  await newest.locator('a.morelink').click();
  assert.equal(await rest.isVisible(), true);
  assert.equal(await newest.getByText('news line 9').isVisible(), true);
  assert.equal(await newest.locator('a.morelink').isVisible(), false);
  // A message of five lines or fewer has no more link.
  assert.equal(await card(2).locator('a.morelink').count(), 0);
});

test('a Hebrew paragraph reads right to left, aligned right', async () => {
  const paragraph = card(1).locator('p.msgbody').first();
  assert.equal(await paragraph.getAttribute('dir'), 'rtl');
  assert.equal(await paragraph.evaluate((p) => getComputedStyle(p).textAlign), 'right');
  const english = card(0).locator('p.msgbody').first();
  assert.equal(await english.getAttribute('dir'), 'ltr');
});

test('every sender thumbnail loads at 70 x 70', async () => {
  const images = page.locator('article.msg img');
  assert.equal(await images.count(), messages.length);
  for (let i = 0; i < messages.length; ++i) {
    const image = images.nth(i);
    const natural = await image.evaluate((img) => [img.complete, img.naturalWidth, img.naturalHeight]);
    assert.deepEqual(natural, [true, 70, 70]);
    const box = await image.boundingBox();
    assert.equal(Math.round(box.width), 70);
    assert.equal(Math.round(box.height), 70);
  }
});
