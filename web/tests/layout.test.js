// The page as people see and reach it: whole lines on a phone, no fault
// that axe-core finds, text and files dropped where they belong.
import { test, expect } from '@playwright/test';
import { randomBytes } from 'node:crypto';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { list, nativeListing, paste, scratch } from './helpers.js';

const files = scratch();
const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

// A listing of 20000 lines (too long to show whole, unless told) with one
// planted difference at line 3, value 5, pasted back.
async function listAndCompare(page, blocks = 20000) {
    const path = files.file('layout.bin', randomBytes(blocks * 128 - 3));
    await list(page, path, '-8');
    const lines = nativeListing('-8', path).toString('latin1').split('\n');
    const values = lines[2].split(' ');
    values[4] = values[4] === '000' ? '001' : '000';
    lines[2] = values.join(' ');
    await expect(await paste(page, lines.join('\n'))).toHaveAttribute('data-verdict', 'differ');
    return path;
}

async function axeViolations(page) {
    // Evaluated, not added as a script tag, which the page's policy forbids.
    await page.evaluate(axeSource);
    const { violations } = await page.evaluate(() => window.axe.run());
    return violations.map(({ id, nodes }) => `${id}: ${nodes.map((node) => node.target).join(', ')}`);
}

for (const width of [1280, 390]) {
    test(`axe finds nothing before and after a listing and a comparison, ${width} px wide`, async ({ page }) => {
        await page.setViewportSize({ width, height: 844 });
        await page.goto('index.html');
        expect(await axeViolations(page)).toEqual([]);
        await listAndCompare(page);
        expect(await axeViolations(page)).toEqual([]);
    });
}

test('on a phone every value of a line is in sight, and large enough', async ({ page }) => {
    await page.setViewportSize({ width: 390, height: 844 });
    const path = await listAndCompare(page);
    const listing = page.locator('#listing');
    expect(await page.evaluate(() => document.documentElement.scrollWidth)).toBeLessThanOrEqual(390);
    expect(await listing.evaluate((box) => box.scrollWidth - box.clientWidth)).toBe(0);
    expect(parseFloat(await listing.evaluate((box) => getComputedStyle(box).fontSize))).toBeGreaterThanOrEqual(12);
    // The last line shown has the widest offset: its values lie in the box.
    for (const line of [listing.locator('.line[data-n]').first(), listing.locator('.line[data-n]').last()]) {
        await line.scrollIntoViewIfNeeded();
        const box = await listing.boundingBox();
        for (const half of await line.locator('.half').all()) {
            const { x, width } = await half.boundingBox();
            expect(x).toBeGreaterThanOrEqual(box.x);
            expect(x + width).toBeLessThanOrEqual(box.x + box.width);
        }
    }
    const mark = listing.locator('mark');
    await mark.scrollIntoViewIfNeeded();
    await expect(mark).toBeInViewport({ ratio: 1 });
    // The text is still the tool's, whatever the layout.
    const shown = await listing.locator('.line').evaluateAll((lines) => lines.slice(0, 5).map((l) => l.textContent));
    expect(shown.join('')).toBe(nativeListing('-8', path).toString('latin1').split('\n').slice(0, 5).join('\n') + '\n');
});

for (const width of [1280, 390]) {
    test(`the picture of the page: a listing with one group that differs, ${width} px wide`, async ({ page }) => {
        await page.setViewportSize({ width, height: 900 });
        await listAndCompare(page, 12);
        await expect(page.locator('#differences li')).toHaveCount(1);
        // The README's picture, where VANTREL_SCREENSHOT names it.
        const picture = width === 1280 && process.env.VANTREL_SCREENSHOT;
        await page.screenshot({ path: picture || test.info().outputPath('web-page.png'), fullPage: true });
    });
}

test('text dropped into the compare box goes into it; a dropped file is named as chosen', async ({ page }) => {
    // Tall enough for the listing and the compare box both to be in sight.
    await page.setViewportSize({ width: 1280, height: 1600 });
    const path = files.file('dropped.bin', randomBytes(1000));
    await list(page, path, '0');
    // Drag the listing's first line, selected, into the compare box.
    const first = page.locator('#listing .line').first();
    await first.evaluate((line) => getSelection().selectAllChildren(line));
    const from = await first.boundingBox();
    const to = await page.locator('#expected').boundingBox();
    await page.mouse.move(from.x + 20, from.y + from.height / 2);
    await page.mouse.down();
    await page.mouse.move(to.x + 20, to.y + 20, { steps: 10 });
    await page.mouse.up();
    await expect(page.locator('#expected')).toHaveValue(/^[0-9A-F]{3} /);
    await expect(page.locator('#comparison')).toHaveAttribute('data-verdict', 'match');
    // A file dropped on the page: listed, and named by the file control.
    const dropped = await page.evaluateHandle(() => {
        const transfer = new DataTransfer();
        transfer.items.add(new File(['hello'], 'typed-in.bin'));
        return transfer;
    });
    await page.locator('#expected').dispatchEvent('drop', { dataTransfer: dropped });
    await expect(page.locator('#status')).toContainText('typed-in.bin: 5 bytes, 1 line');
    expect(await page.locator('#file').evaluate((input) => input.files[0].name)).toBe('typed-in.bin');
});
