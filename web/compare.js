// Compares the tool's listing with one the user pasted, value by value. Value
// k of line n (both from 1) is the checksum of the group at file offset
// 128 (n - 1) + 8 (k - 1), which lies at the start address plus that offset.

export const LINE_CHARS = 65;
const BLOCK_BYTES = 128;
const GROUP_BYTES = 8;

// Lines of values, as printed or typed: any white space between values,
// either case, CR LF or LF; blank lines at the end carry no value and are
// left out (the listing of a whole number of blocks ends with one).
export function parseListing(text) {
    const lines = text.split(/\r?\n/).map((line) => line.trim().split(/\s+/).filter(Boolean));
    while (lines.length > 0 && lines[lines.length - 1].length === 0)
        lines.pop();
    return lines.map((values) => values.map((value) => value.toUpperCase()));
}

export function groupAt(line, place, startAddress) {
    const offset = BLOCK_BYTES * (line - 1) + GROUP_BYTES * (place - 1);
    return { line, place, offset, address: (startAddress + offset) % 2 ** 32 };
}

// `listed`: the first lines of the tool's listing, at least as many as
// `expectedText` holds where the listing has them; `listedLines`: how many
// lines with values the whole listing has. Gives every group whose values
// differ, with the listed and the expected value (null where one side has
// none), and the lines that only one side has.
export function compareListings(listed, listedLines, expectedText, startAddress) {
    const expected = parseListing(expectedText);
    const actual = parseListing(listed);
    const groups = [];
    for (let n = 1; n <= Math.min(expected.length, actual.length); n++) {
        const a = actual[n - 1];
        const e = expected[n - 1];
        for (let k = 1; k <= Math.max(a.length, e.length); k++) {
            if (a[k - 1] !== e[k - 1])
                groups.push({ ...groupAt(n, k, startAddress), listed: a[k - 1] ?? null,
                              expected: e[k - 1] ?? null });
        }
    }
    return {
        groups,
        expectedLines: expected.length,
        listedLines,
        // Lines of the listing that the expected one lacks, and the reverse.
        missing: listedLines > expected.length ? [expected.length + 1, listedLines] : null,
        extra: expected.length > listedLines ? [listedLines + 1, expected.length] : null,
    };
}
