// Listings pasted as people paste them, against a file of 17200 lines listed
// at 1F0: each gives its verdict, counts and places.
import { test, expect } from '@playwright/test';
import { randomBytes } from 'node:crypto';
import { list, nativeListing, paste, scratch } from './helpers.js';

const files = scratch();
let path;
let lines; // the native listing's lines, line n at n - 1
test.beforeAll(() => {
    path = files.file('game.bin', randomBytes(17200 * 128 - 40));
    lines = nativeListing('1F0', path).toString('latin1').split('\n').slice(0, -1);
});

const join = (some) => some.map((line) => `${line}\n`).join('');
// Value `place` of line `line` changed.
function changed(line, place) {
    const copy = [...lines];
    const values = copy[line - 1].split(' ');
    values[place - 1] = values[place - 1] === '000' ? '001' : '000';
    copy[line - 1] = values.join(' ');
    return copy;
}
const printed = () => ['', 'GAME.BIN   page 1', '', ...lines.slice(0, 60), '\f', 'GAME.BIN   page 2', '',
                       ...lines.slice(60, 120), '', '- 2 -'].join('\n');

const cases = [
    { name: 'exact', text: () => join(lines), verdict: 'match', groups: 0, from: 1, skipped: 0 },
    { name: 'one change', text: () => join(changed(3, 5)), verdict: 'differ', groups: 1, from: 1,
      // Line 3, value 5: offset 2 * 128 + 4 * 8 = 288, address 0x1F0 + 288.
      group: { line: 3, place: 5, offset: 288, address: 0x1f0 + 288 } },
    { name: 'CR LF and lower case', text: () => join(lines).toLowerCase().replaceAll(' \n', '\r\n'),
      verdict: 'match', groups: 0, from: 1 },
    { name: 'a leading blank line and page breaks with headers', text: printed, verdict: 'match', groups: 0,
      from: 1, skipped: 8 },
    { name: 'a listing made at start address 0', text: () => nativeListing('0', path).toString('latin1'),
      verdict: 'differ', from: 1, fitsAddress: '000' },
    { name: 'lines 5001 to 5050', text: () => join(lines.slice(5000, 5050)), verdict: 'match', groups: 0,
      from: 5001 },
    { name: 'lines 5001 to 5050, one change', text: () => join(changed(5020, 16).slice(5000, 5050)),
      verdict: 'differ', groups: 1, from: 5001, group: { line: 5020, place: 16 } },
    { name: 'prose', text: () => 'DEAR COLLEAGUE,\n\nThe listing is attached. BAD news: it is 8O1 pages.\n',
      verdict: 'not-a-listing', skipped: 3 },
    { name: 'an unreadable token', text: () => join(lines).replace(/^(\S+ )\S+/, '$18O1'), verdict: 'differ',
      groups: 0, from: 1, unreadable: { line: 1, place: 2 } },
    { name: 'an empty paste', text: () => ' \n\n', verdict: '' },
];
for (const c of cases) {
    test(`pasted: ${c.name}`, async ({ page }) => {
        await list(page, path, '1F0');
        const comparison = await paste(page, c.text());
        await expect(comparison).toHaveAttribute('data-verdict', c.verdict);
        for (const [key, name] of [['groups', 'groups'], ['from', 'from-line'], ['skipped', 'skipped'],
                                   ['fitsAddress', 'fits-address']]) {
            if (key in c)
                await expect(comparison).toHaveAttribute(`data-${name}`, String(c[key]));
            else if (key === 'fitsAddress')
                await expect(comparison).not.toHaveAttribute('data-fits-address', /.*/);
        }
        const differences = page.locator('#differences li');
        if (c.group !== undefined) {
            await expect(differences).toHaveCount(1);
            for (const [key, value] of Object.entries(c.group))
                await expect(differences.first()).toHaveAttribute(`data-${key}`, String(value));
            // Marked where it is in the listing, shown even in the middle.
            await expect(page.locator(`#listing .line[data-n="${c.group.line}"] mark`)).toHaveCount(1);
            await expect(page.locator('#listing mark')).toHaveCount(1);
        }
        if (c.unreadable !== undefined) {
            await expect(differences.first()).toHaveAttribute('data-unreadable', '8O1');
            await expect(differences.first()).toHaveAttribute('data-line', String(c.unreadable.line));
            await expect(differences.first()).toHaveAttribute('data-place', String(c.unreadable.place));
        }
        if (c.fitsAddress !== undefined) {
            await page.locator('#offer').click();
            await expect(page.locator('#start-used')).toHaveAttribute('data-address', '0x00000000');
            await expect(comparison).toHaveAttribute('data-verdict', 'match');
        }
        if (c.verdict === 'match' && c.from > 1)
            await expect(comparison).toContainText(`lines ${c.from} to ${c.from + 49} of the listing's 17,200 lines`);
    });
}
