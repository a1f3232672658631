// Compares the tool's listing with one the user pasted, as people paste a
// printout: with page headers and blank lines between its pages, one page
// of a long listing alone, or a listing made at another start address.
// Plain logic over values as numbers; the page and the worker supply the
// listing's lines, made by the tool itself.
import { groupAt } from './listing-text.js';

const CHECKSUM_MASK = 0xfff;
const VALUE = /^[0-9A-Fa-f]{3}$/;
// A token that could be a value typed wrong (8O1): three letters or digits.
const VALUE_SHAPED = /^[0-9A-Za-z]{3}$/;
// Stands for a pasted token that is not a value.
export const UNREADABLE = -1;

// The pasted text as lines of values. A value is three hex digits in either
// case. A line of values holds more values than other tokens, or values and
// only tokens shaped like them (8O1); any other line (a blank line, a page
// header or number, "Page 100", a title with a word that is also a value) is
// skipped and counted. A token of a line of values that is not a value (8O1,
// DEAR) stays in its place as unreadable, never read as a value. Blank lines at the very end are no lines at all: a trailing line
// end, or the empty line that ends a whole number of blocks.
function isValueLine(tokens) {
    const values = tokens.filter((token) => token.value !== UNREADABLE).length;
    return 2 * values > tokens.length ||
        (values > 0 && tokens.every((token) => token.value !== UNREADABLE || VALUE_SHAPED.test(token.text)));
}

export function parsePaste(text) {
    const lines = text.split(/\r\n|\r|\n/);
    while (lines.length > 0 && lines[lines.length - 1].trim() === '')
        lines.pop();
    const valueLines = [];
    let skipped = 0;
    let nonBlank = 0;
    lines.forEach((line, i) => {
        const tokens = line.split(/\s+/).filter(Boolean).map((text) =>
            ({ text, value: VALUE.test(text) ? parseInt(text, 16) : UNREADABLE }));
        if (tokens.length > 0)
            nonBlank++;
        if (isValueLine(tokens))
            valueLines.push({ pasteLine: i + 1, tokens });
        else
            skipped++;
    });
    return { valueLines, skipped, nonBlank };
}

// Nothing pasted; or text of which fewer than half of the non-blank lines
// hold values, which is no listing. A line of prose with a word that is
// also a value (BAD, FED) holds no values in this sense: mostly they must be.
export const isEmpty = (paste) => paste.nonBlank === 0;
export function looksLikeListing(paste) {
    const holdingValues = paste.valueLines.filter(({ tokens }) =>
        2 * tokens.filter((token) => token.value !== UNREADABLE).length >= tokens.length);
    return 2 * holdingValues.length >= paste.nonBlank;
}

// The values of each pasted value line, UNREADABLE where a token is not one.
export const pastedValues = (paste) => paste.valueLines.map(({ tokens }) => tokens.map((t) => t.value));

// Two lines have the same shape when their values stand alike to their
// first value, modulo 0x1000: lines of the same bytes listed at any two
// start addresses do. The shift is then what the second adds to the first.
function sameShape(a, b, count) {
    if (a.length !== count || b.length < count)
        return false;
    for (let k = 1; k < count; k++) {
        if (a[k] === UNREADABLE || ((a[k] - a[0] - b[k] + b[0]) & CHECKSUM_MASK) !== 0)
            return false;
    }
    return a[0] !== UNREADABLE;
}

function shapeHash(values, count) {
    let hash = count;
    for (let k = 1; k < count; k++)
        hash = Math.imul(hash ^ ((values[k] - values[0]) & CHECKSUM_MASK), 0x9e3779b1);
    return hash;
}

const shiftOf = (pasted, listed) => (pasted[0] - listed[0]) & CHECKSUM_MASK;

// Whether the pasted lines fit at line 1: more than half of them have the
// shape of the listing line they stand beside, all with one shift.
// `listed`: the values of the listing's first lines.
export function fitsAtLineOne(listed, pasted) {
    const shifts = new Map();
    for (let i = 0; i < Math.min(listed.length, pasted.length); i++) {
        if (sameShape(pasted[i], listed[i], listed[i].length)) {
            const shift = shiftOf(pasted[i], listed[i]);
            shifts.set(shift, (shifts.get(shift) ?? 0) + 1);
        }
    }
    return 2 * Math.max(0, ...shifts.values()) > pasted.length;
}

// Which of two places the pasted lines fit better: more lines that match,
// then the listing's own start address, then the earlier line.
const better = (a, b) => b === null || a.votes > b.votes ||
    (a.votes === b.votes && ((a.shift === 0) > (b.shift === 0) ||
                             ((a.shift === 0) === (b.shift === 0) && a.from < b.from)));

// Finds where the pasted lines fit best in a listing that is read once, line
// by line, and never held: each listing line of the same shape as a pasted
// line votes for the place that puts them side by side, with their shift.
// Of pasted lines of one shape only the first votes, so that a run of equal
// lines (a block of zero bytes) costs one vote a line, not one per pair.
// The votes for one place all come within as many listing lines as were
// pasted, so places further back are settled and let go as the pass goes.
export function createPlacer(pasted) {
    const count = pasted.length;
    const byShape = new Map();
    pasted.forEach((values, i) => {
        if (values.includes(UNREADABLE))
            return;
        const hash = shapeHash(values, values.length);
        const firsts = byShape.get(hash) ?? [];
        if (!firsts.some((j) => sameShape(pasted[j], values, values.length)))
            byShape.set(hash, [...firsts, i]);
    });
    const votes = new Map();
    const settleEvery = Math.max(count, 4096);
    let line = 0;
    let best = null;
    const settle = (before) => {
        for (const [key, votesHere] of votes) {
            const place = { from: Math.floor(key / 0x1000) - count, shift: key % 0x1000, votes: votesHere };
            if (place.from + count <= before) {
                if (better(place, best))
                    best = place;
                votes.delete(key);
            }
        }
    };
    return {
        // The next listing line's `count` values, `values` from index 0.
        add(values, valuesCount) {
            line++;
            for (const i of byShape.get(shapeHash(values, valuesCount)) ?? []) {
                if (sameShape(pasted[i], values, valuesCount)) {
                    const key = (line - i + count) * 0x1000 + shiftOf(pasted[i], values);
                    votes.set(key, (votes.get(key) ?? 0) + 1);
                }
            }
            if (line % settleEvery === 0)
                settle(line);
        },
        // The best place, { from, shift, votes }, or null when no line matched.
        best() {
            settle(Infinity);
            return best;
        },
    };
}

// Compares the pasted value lines with the listing, the first of them beside
// listing line `from` (which may lie before line 1 when the paste begins
// with lines the listing lacks). `listed` holds the values of the listing's
// lines from line max(1, from) on, as far as the paste reaches; the listing
// has `listingLines` lines of values.
export function compareAt({ paste, from, listed, listingLines, startAddress }) {
    const first = Math.max(1, from);
    const groups = [];
    const unreadable = [];
    const extra = { before: [], after: [] };
    const shifts = new Map();
    let pairs = 0;
    paste.valueLines.forEach(({ pasteLine, tokens }, i) => {
        const line = from + i;
        if (line < 1 || line > listingLines) {
            extra[line < 1 ? 'before' : 'after'].push(pasteLine);
            return;
        }
        const values = listed[line - first];
        for (let k = 0; k < Math.max(values.length, tokens.length); k++) {
            const where = { ...groupAt(line, k + 1, startAddress), pasteLine };
            const listedValue = values[k] ?? null;
            const token = tokens[k];
            if (token?.value === UNREADABLE) {
                unreadable.push({ ...where, text: token.text, listed: listedValue });
                continue;
            }
            const expected = token?.value ?? null;
            if (listedValue !== null && expected !== null) {
                pairs++;
                const shift = (expected - listedValue) & CHECKSUM_MASK;
                shifts.set(shift, (shifts.get(shift) ?? 0) + 1);
            }
            if (listedValue !== expected)
                groups.push({ ...where, listed: listedValue, expected });
        }
    });
    const last = Math.min(listingLines, from + paste.valueLines.length - 1);
    return {
        verdict: groups.length + unreadable.length + extra.before.length + extra.after.length === 0
            ? 'match' : 'differ',
        first,
        last,
        groups,
        unreadable,
        extra,
        fitsAddress: otherStartAddress(shifts, pairs, startAddress),
    };
}

// When most values differ from the listing by one and the same amount, the
// paste was made at a start address that much further on. Every address
// with the same low 12 bits gives the same listing; the lowest is named.
function otherStartAddress(shifts, pairs, startAddress) {
    for (const [shift, count] of shifts) {
        if (shift !== 0 && 2 * count > pairs)
            return (startAddress + shift) & CHECKSUM_MASK;
    }
    return null;
}
