// The comparison's logic under Node.js's test runner, on listings of made-up
// values: any values are a listing to the comparison.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { compareAt, createPlacer, fitsAtLineOne, isEmpty, looksLikeListing, parsePaste,
         pastedValues } from '../compare.js';

// A listing of `count` lines of 16 values, the last of `last` values.
function madeUpListing(count, last = 16, seed = 7) {
    let state = seed;
    const next = () => (state = (Math.imul(state, 1103515245) + 12345) >>> 0) >>> 20;
    return Array.from({ length: count }, (_, n) =>
        Array.from({ length: n === count - 1 ? last : 16 }, () => next() & 0xfff));
}
const text = (lines) => lines.map((values) =>
    values.map((v) => `${v.toString(16).toUpperCase().padStart(3, '0')} `).join('')).join('\n') + '\n';
const shifted = (lines, by) => lines.map((values) => values.map((v) => (v + by) & 0xfff));
const changed = (lines, line, place) => lines.map((values, n) =>
    values.map((v, k) => (n === line - 1 && k === place - 1 ? (v + 1) & 0xfff : v)));

// What the page does: line 1 when the paste fits there, else the place a
// pass over the whole listing finds.
function compare(listing, pasteText, startAddress = 0) {
    const paste = parsePaste(pasteText);
    const pasted = pastedValues(paste);
    let from = 1;
    if (!fitsAtLineOne(listing.slice(0, pasted.length), pasted)) {
        const placer = createPlacer(pasted);
        listing.forEach((values) => placer.add(values, values.length));
        from = placer.best()?.from ?? 1;
    }
    const listed = listing.slice(Math.max(1, from) - 1);
    return { paste, from, ...compareAt({ paste, from, listed, listingLines: listing.length, startAddress }) };
}

const listing = madeUpListing(60, 5);
const pages = (lines) => `\nLISTING OF GAME.BIN   Page 1\n\n${text(lines.slice(0, 30))}\f\n` +
    `LISTING OF GAME.BIN   Page 2\n\n${text(lines.slice(30))}\n   - 2 -\n`;
const cases = [
    { name: 'exact', paste: text(listing), verdict: 'match', from: 1, groups: 0, skipped: 0 },
    { name: 'one change', paste: text(changed(listing, 7, 12)), verdict: 'differ', from: 1, groups: 1,
      first: { line: 7, place: 12, offset: 6 * 128 + 11 * 8 } },
    { name: 'CR LF and lower case', paste: text(listing).toLowerCase().replaceAll('\n', '\r\n'),
      verdict: 'match', from: 1, groups: 0 },
    { name: 'page breaks with headers and blank lines', paste: pages(listing), verdict: 'match', from: 1,
      groups: 0, skipped: 8 },
    { name: 'headers with hex words and page numbers of three digits',
      paste: `DEC PDP-11 object listing\nPage 100\n${text(listing.slice(0, 30))}FAB Corp. confidential\n` +
          `Page 3 of 101\n${text(listing.slice(30))}`,
      verdict: 'match', from: 1, groups: 0, skipped: 4 },
    { name: 'made at start address 1F0', paste: text(shifted(listing, 0x1f0)), start: 0x30, verdict: 'differ',
      from: 1, fitsAddress: 0x220 },
    { name: 'lines 41 to 50', paste: text(listing.slice(40, 50)), verdict: 'match', from: 41, groups: 0 },
    { name: 'lines 41 to 50, one change', paste: text(changed(listing, 45, 3).slice(40, 50)),
      verdict: 'differ', from: 41, groups: 1, first: { line: 45, place: 3 } },
    { name: 'lines 41 to 50 made at another start address', paste: text(shifted(listing, 0x808).slice(40, 50)),
      verdict: 'differ', from: 41, fitsAddress: 0x808 },
    { name: 'an unreadable token', paste: text(listing).replace(/^(\S+ \S+ )\S+/m, '$18O1'), verdict: 'differ',
      from: 1, groups: 0, unreadable: [{ line: 1, place: 3, text: '8O1' }] },
    { name: 'a shorter last line pasted longer', paste: `${text(listing)}`.replace(/ \n$/, ' 000 \n'),
      verdict: 'differ', groups: 1, first: { line: 60, place: 6, listed: null, expected: 0 } },
    { name: 'a shorter last line pasted shorter', paste: `${text(listing)}`.replace(/\S+ \n$/, '\n'),
      verdict: 'differ', groups: 1, first: { line: 60, place: 5, expected: null } },
    { name: 'lines past the end', paste: text([...listing, ...madeUpListing(3, 16, 99)]), verdict: 'differ',
      groups: 0, after: [61, 62, 63] },
];
for (const c of cases) {
    test(`paste: ${c.name}`, () => {
        const outcome = compare(listing, c.paste, c.start ?? 0);
        assert.equal(outcome.verdict, c.verdict);
        if ('from' in c)
            assert.equal(outcome.from, c.from);
        if ('groups' in c)
            assert.equal(outcome.groups.length, c.groups);
        if ('skipped' in c)
            assert.equal(outcome.paste.skipped, c.skipped);
        assert.equal(outcome.fitsAddress, c.fitsAddress ?? null);
        if ('first' in c)
            assert.deepEqual(Object.fromEntries(Object.keys(c.first).map((k) => [k, outcome.groups[0][k]])), c.first);
        assert.deepEqual(outcome.unreadable.map(({ line, place, text: t }) => ({ line, place, text: t })),
                         c.unreadable ?? []);
        assert.deepEqual(outcome.extra.after, c.after ?? []);
    });
}

test('what is no listing, and what is nothing', () => {
    // Half of its lines hold a value (BAD), but only among words.
    const prose = 'Dear colleague,\n\nthe listing is attached. It is BAD news: 8O1 pages.\n';
    assert.equal(looksLikeListing(parsePaste(prose)), false);
    assert.equal(looksLikeListing(parsePaste(`Listing\n${text(listing.slice(0, 2))}`)), true);
    assert.equal(isEmpty(parsePaste(' \n\t\n')), true);
    assert.equal(isEmpty(parsePaste('')), true);
});

test('the address of a group wraps past 0xFFFFFFFF', () => {
    const outcome = compare(listing, text(changed(listing, 2, 1)), 0xfffffff8);
    // Line 2 starts 128 bytes on: 0xFFFFFFF8 + 128 wraps to 0x78.
    assert.deepEqual([outcome.groups[0].offset, outcome.groups[0].address], [128, 0x78]);
});

test('pasted lines before the listing\'s first line', () => {
    const extra = madeUpListing(2, 16, 5);
    const outcome = compare(listing, text([...extra, ...listing.slice(0, 20)]));
    assert.equal(outcome.from, -1);
    assert.deepEqual(outcome.extra.before, [1, 2]);
    assert.equal(outcome.groups.length, 0);
});

test('equal lines everywhere: one vote a line, the listing\'s own address first', () => {
    // Lines of one shape, as a run of equal blocks gives: each 128 further on.
    const same = Array.from({ length: 5000 }, (_, n) =>
        Array.from({ length: 16 }, (_, k) => (n * 128 + k * 8) & 0xfff));
    const placer = createPlacer(same.slice(100, 140));
    same.forEach((values) => placer.add(values, 16));
    // Every 32 lines the address's low bits come round again; line 5 is
    // the first at which the 40 lines are the same, address and all.
    assert.deepEqual(placer.best(), { from: 5, shift: 0, votes: 1 });
});
