// The page in a real browser: its listing, download and comparison against
// the native tool's output for the same file and address.
import { test, expect } from '@playwright/test';
import { execFileSync } from 'node:child_process';
import { createHash, randomBytes } from 'node:crypto';
import { appendFileSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = fileURLToPath(new URL('../..', import.meta.url));
const native = process.env.VANTREL_NATIVE ?? join(root, 'build/release/vantrel');
const nativeListing = (address, path) => execFileSync(native, [address, path], { maxBuffer: 2 ** 30 });
const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');

let dir;
test.beforeAll(() => {
    dir = mkdtempSync(join(tmpdir(), 'vantrel-page-'));
});
test.afterAll(() => rmSync(dir, { recursive: true, force: true }));

function file(name, bytes) {
    const path = join(dir, name);
    writeFileSync(path, bytes);
    return path;
}

// Lists `path` from `address`; resolves when the listing is done or failed.
async function list(page, path, address) {
    await page.goto('index.html');
    await page.locator('#start-address').fill(address);
    await page.locator('#file').setInputFiles(path);
    await expect(page.locator('#listing')).toHaveAttribute('data-state', /^(done|failed)$/);
}

async function downloaded(page) {
    const [download] = await Promise.all([page.waitForEvent('download'),
                                          page.locator('#download').click()]);
    return { name: download.suggestedFilename(), bytes: readFileSync(await download.path()) };
}

const cases = [
    { name: 'hello.txt', path: () => join(root, 'examples/hello.txt'), address: '100' },
    { name: 'random 300 KiB', path: () => file('random.bin', randomBytes(300 * 1024 + 77)), address: '1F0' },
    { name: 'empty', path: () => file('empty.bin', Buffer.alloc(0)), address: '0' },
    { name: 'one block', path: () => file('block.bin', randomBytes(128)), address: '0' },
    { name: 'address -8', path: () => file('two.bin', Buffer.alloc(16)), address: '-8' },
];
for (const c of cases) {
    test(`lists and downloads ${c.name} as the native tool does`, async ({ page }) => {
        const path = c.path();
        const expected = nativeListing(c.address, path);
        await list(page, path, c.address);
        await expect(page.locator('#listing')).toHaveAttribute('data-state', 'done');
        expect(await page.locator('#listing').textContent()).toBe(expected.toString('latin1'));
        const { name, bytes } = await downloaded(page);
        expect(name).toBe(`${path.split('/').pop()}.lst`);
        expect(sha256(bytes)).toBe(sha256(expected));
    });
}

test('finds a planted difference at its line, place, offset and address', async ({ page }) => {
    const path = file('planted.bin', randomBytes(2000));
    const lines = nativeListing('-8', path).toString('latin1').split('\n');
    // Line 3, value 5: the group at offset 2 * 128 + 4 * 8 = 288.
    const values = lines[2].split(' ');
    values[4] = values[4] === '000' ? '001' : '000';
    lines[2] = values.join(' ');
    await list(page, path, '-8');
    await page.locator('#expected').fill(lines.join('\n'));
    const differences = page.locator('#differences li');
    await expect(differences).toHaveCount(1);
    const group = differences.first();
    await expect(group).toHaveAttribute('data-line', '3');
    await expect(group).toHaveAttribute('data-place', '5');
    await expect(group).toHaveAttribute('data-offset', '288');
    // -8 + 288, modulo 2^32.
    await expect(group).toHaveAttribute('data-address', '280');
    await expect(page.locator('#listing mark')).toHaveCount(1);
    await expect(page.locator('#comparison')).toContainText('does not match');
    // The README's picture, where VANTREL_SCREENSHOT names it.
    await page.screenshot({ path: process.env.VANTREL_SCREENSHOT ?? test.info().outputPath('web-page.png'),
                            fullPage: true });
});

test('says plainly that a matching listing matches', async ({ page }) => {
    const path = file('match.bin', randomBytes(5000));
    await list(page, path, '0');
    // Typed by hand: lower case, CR LF, no trailing spaces.
    const typed = nativeListing('0', path).toString('latin1').toLowerCase().replaceAll(' \n', '\r\n');
    await page.locator('#expected').fill(typed);
    await expect(page.locator('#comparison')).toContainText('The listing matches');
    await expect(page.locator('#differences li')).toHaveCount(0);
    await expect(page.locator('#line-differences li')).toHaveCount(0);
});

test('reports a file that can no longer be read as the tool does', async ({ page }) => {
    const path = file('gone.bin', randomBytes(1000));
    await list(page, path, '0');
    rmSync(path);
    await page.locator('#start-address').fill('10');
    await page.locator('#start-address').press('Enter');
    await expect(page.locator('#listing')).toHaveAttribute('data-state', 'failed');
    await expect(page.locator('#message')).toHaveText('cannot open gone.bin');
});

test('lists 256 MiB with the progress bar moving and the page answering', async ({ page }) => {
    const path = join(dir, 'big.bin');
    const piece = randomBytes(16 * 1024 * 1024);
    writeFileSync(path, '');
    for (let i = 0; i < 16; i++)
        appendFileSync(path, piece.map((b) => b ^ i));
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
    await expect(page.locator('#listing .line').last()).toHaveAttribute('data-n', String(2 ** 21 + 1));
    await expect(page.locator('#listing .line').last()).toHaveText('\n');
    const { bytes } = await downloaded(page);
    const expected = nativeListing('0', path);
    expect(sha256(bytes)).toBe(sha256(expected));
    const tail = await page.locator('#listing .line').evaluateAll((lines) =>
        lines.slice(-3).map((line) => line.textContent).join(''));
    expect(tail).toBe(expected.subarray(expected.length - 2 * 65 - 1).toString('latin1'));
});
