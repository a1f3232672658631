// The page in a real browser: its listing and download against the native
// tool's output for the same file and address, its words, and its failures.
import { test, expect } from '@playwright/test';
import { randomBytes } from 'node:crypto';
import { appendFileSync, rmSync, utimesSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { download, list, nativeListing, paste, root, saveThrough, scratch, sha256 } from './helpers.js';

const files = scratch();

const cases = [
    { name: 'hello.txt', path: () => join(root, 'examples/hello.txt'), address: '100', way: 'blob' },
    { name: 'random 300 KiB', path: () => files.file('random.bin', randomBytes(300 * 1024 + 77)), address: '1F0',
      way: 'blob' },
    { name: 'empty', path: () => files.file('empty.bin', Buffer.alloc(0)), address: '0', way: 'blob' },
    { name: 'one block', path: () => files.file('block.bin', randomBytes(128)), address: '0', way: 'stream' },
    { name: 'address -8', path: () => files.file('two.bin', Buffer.alloc(16)), address: '-8', way: 'stream' },
    // Past the pieces the download is made in, which end in whole blocks.
    { name: '40 MiB of whole blocks', path: () => files.file('forty.bin', randomBytes(40 * 2 ** 20)), address: '7',
      way: 'stream' },
    { name: '40 MiB and a part block', path: () => files.file('forty.bin', randomBytes(40 * 2 ** 20 + 5)),
      address: '7', way: 'blob' },
];
for (const c of cases) {
    test(`lists and downloads ${c.name} as the native tool does (${c.way})`, async ({ page }) => {
        const path = c.path();
        const expected = nativeListing(c.address, path);
        await saveThrough(page, c.way);
        await list(page, path, c.address);
        await expect(page.locator('#listing')).toHaveAttribute('data-state', 'done');
        if (expected.length < 1024 * 1024)
            expect(await page.locator('#listing').textContent()).toBe(expected.toString('latin1'));
        const { name, hash } = await download(page, c.way);
        expect(name).toBe(`${path.split('/').pop()}.lst`);
        expect(hash).toBe(sha256(expected));
    });
}

test('says 1 line, 10 lines and never 0.0 MiB', async ({ page }) => {
    await page.goto('index.html');
    // Every text the progress shows, however briefly.
    await page.locator('#progress-text').evaluate((element) => {
        window.progressTexts = [];
        new MutationObserver(() => window.progressTexts.push(element.textContent))
            .observe(element, { childList: true, characterData: true, subtree: true });
    });
    for (const [bytes, lines] of [[0, '0 lines'], [77, '1 line'], [1280, '10 lines']]) {
        const path = files.file(`${bytes}.bin`, randomBytes(bytes));
        await list(page, path);
        await expect(page.locator('#status')).toContainText(`${bytes.toLocaleString('en')} bytes, ${lines},`);
    }
    await paste(page, nativeListing('0', files.path('1280.bin')).toString('latin1'));
    await expect(page.locator('#comparison')).toHaveText(/^The pasted listing matches: all 10 lines are the same\./);
    const texts = await page.evaluate(() => window.progressTexts);
    expect(texts.length).toBeGreaterThan(0);
    expect(texts.filter((text) => /\b0\.0 MiB/.test(text))).toEqual([]);
});

test('shows the start address as the tool reads it', async ({ page }) => {
    const path = join(root, 'examples/hello.txt');
    // A space outside ASCII (no-break) is no space to the tool.
    for (const [typed, used] of [['100h', '0x00000100'], [' 0X1f0', '0x000001F0'], ['-8', '0xFFFFFFF8'],
                                 ['zz', '0x00000000'], ['１００', '0x00000000'], ['', '0x00000000'],
                                 ['\u00a0100', '0x00000000']]) {
        await list(page, path, typed);
        await expect(page.locator('#start-used')).toHaveAttribute('data-address', used);
        await expect(page.locator('#start-used')).toContainText(used);
        expect(await page.locator('#listing').textContent()).toBe(nativeListing(typed, path).toString('latin1'));
    }
});

test('reports a file that can no longer be read as the tool does', async ({ page }) => {
    const path = files.file('gone.bin', randomBytes(1000));
    await list(page, path, '0');
    rmSync(path);
    await page.locator('#start-address').fill('10');
    await page.locator('#start-address').press('Enter');
    await expect(page.locator('#listing')).toHaveAttribute('data-state', 'failed');
    await expect(page.locator('#message')).toHaveText('cannot open gone.bin');
});

test('a comparison with a file that can no longer be read says what the tool says', async ({ page }) => {
    const path = files.file('vanishing.bin', randomBytes(5000));
    const listing = nativeListing('0', path).toString('latin1');
    await list(page, path, '0');
    rmSync(path);
    await page.locator('#expected').fill(listing);
    await expect(page.locator('#comparison')).toContainText('could not be made: cannot open vanishing.bin');
});

test('reports a read that fails midway as the tool does, after the lines before it', async ({ page }) => {
    // A file made of two files on disk: the second is changed once chosen,
    // so that reading the first 64 MiB works and the rest fails.
    const first = files.file('first.bin', randomBytes(64 * 2 ** 20));
    const second = files.file('second.bin', randomBytes(4096));
    await page.goto('index.html');
    // The test's own file control, which the page does not know.
    const parts = await page.evaluateHandle(() => {
        const input = Object.assign(document.createElement('input'), { type: 'file', multiple: true, hidden: true });
        return document.body.appendChild(input);
    });
    await parts.setInputFiles([first, second]);
    const torn = await parts.evaluateHandle((input) => {
        const transfer = new DataTransfer();
        transfer.items.add(new File([...input.files], 'torn.bin'));
        return transfer;
    });
    writeFileSync(second, randomBytes(4096));
    utimesSync(second, new Date(), new Date(Date.now() + 60_000));
    await page.locator('#listing').dispatchEvent('drop', { dataTransfer: torn });
    await expect(page.locator('#listing')).toHaveAttribute('data-state', 'failed');
    await expect(page.locator('#message')).toHaveText('cannot read torn.bin');
    // Every line of the first 64 MiB, and the last of them last.
    const lines = 64 * 2 ** 20 / 128;
    await expect(page.locator('#status')).toContainText(`the listing stopped after ${lines.toLocaleString('en')} lines`);
    const expected = nativeListing('0', first).toString('latin1').split('\n');
    await expect(page.locator('#listing .line').last()).toHaveAttribute('data-n', String(lines));
    await expect(page.locator('#listing .line').last()).toHaveText(`${expected[lines - 1]}\n`);
    // The dropped file is the chosen one.
    expect(await page.locator('#file').evaluate((input) => input.files[0].name)).toBe('torn.bin');
});

test('lists 256 MiB with the progress bar moving and the page answering', async ({ page }) => {
    const path = files.path('big.bin');
    const piece = randomBytes(16 * 1024 * 1024);
    writeFileSync(path, '');
    for (let i = 0; i < 16; i++)
        appendFileSync(path, piece.map((b) => b ^ i));
    await saveThrough(page, 'stream');
    await page.goto('index.html');
    await page.locator('#file').setInputFiles(path);
    const seen = new Set();
    let slowest = 0;
    for (let typed = 0; ; typed++) {
        // Each round trip to the page, input included, is answered at once
        // while the worker lists: the page's own thread is never held up.
        const started = Date.now();
        if ((await page.locator('#listing').getAttribute('data-state')) !== 'running')
            break;
        seen.add(await page.locator('#progress').evaluate((bar) => bar.value));
        await page.locator('#expected').fill(`typed ${typed}`);
        await expect(page.locator('#expected')).toHaveValue(`typed ${typed}`);
        slowest = Math.max(slowest, Date.now() - started);
        await page.waitForTimeout(100);
    }
    const between = [...seen].filter((value) => value > 0 && value < 1);
    expect(between.length).toBeGreaterThanOrEqual(2);
    expect(slowest).toBeLessThan(2000);
    await expect(page.locator('#listing')).toHaveAttribute('data-state', 'done');
    console.log(await page.locator('#status').textContent());
    // Shown: the first and the last lines, numbered as in the whole listing,
    // whose last line is the empty one after 2^21 whole blocks.
    await expect(page.locator('#listing .line').first()).toHaveAttribute('data-n', '1');
    await expect(page.locator('#listing .line[data-n]').last()).toHaveAttribute('data-n', String(2 ** 21));
    await expect(page.locator('#listing .line').last()).toHaveText('\n');
    const expected = nativeListing('0', path);
    const tail = await page.locator('#listing .line').evaluateAll((lines) =>
        lines.slice(-3).map((line) => line.textContent).join(''));
    expect(tail).toBe(expected.subarray(expected.length - 2 * 65 - 1).toString('latin1'));
    const { hash } = await download(page, 'stream');
    expect(hash).toBe(sha256(expected));
});

test('copies the listing to the clipboard as the native tool lists it', async ({ page, context }) => {
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    const path = files.file('copied.bin', randomBytes(5000));
    await list(page, path, '1F0');
    await page.locator('#copy').click();
    await expect(page.locator('#copy-status')).toHaveText('Copied.');
    expect(await page.evaluate(() => navigator.clipboard.readText())).toBe(nativeListing('1F0', path).toString('latin1'));
});
