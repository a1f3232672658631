// The shape of the tool's listing text, as the page reads it back: each
// 128-byte block of the file is one line of up to 16 values, each value
// three upper-case hex digits and a space; every line but the last holds 16
// values; a file of a whole number of blocks, none included, ends with an
// empty line; a failed run ends with the tool's message instead.

export const BLOCK_BYTES = 128;
export const GROUP_BYTES = 8;
export const GROUPS_PER_LINE = 16;
export const VALUE_CHARS = 4;
export const LINE_CHARS = GROUPS_PER_LINE * VALUE_CHARS + 1;

const VALUE_LINE = /^(?:[0-9A-F]{3} ){1,16}$/;
const NEWLINE = 10;

// The file offset and address of value `place` of line `line`, both from 1.
export function groupAt(line, place, startAddress) {
    const offset = BLOCK_BYTES * (line - 1) + GROUP_BYTES * (place - 1);
    return { line, place, offset, address: (startAddress + offset) % 2 ** 32 };
}

// The lines of `text`, each without its line end; text after the last line
// end (none in the tool's output) is a line too.
export function splitLines(text) {
    const lines = text.split('\n');
    if (lines[lines.length - 1] === '')
        lines.pop();
    return lines;
}

// The values of a listing line as numbers.
export function lineValues(line) {
    const values = [];
    for (let at = 0; at + 3 <= line.length; at += VALUE_CHARS)
        values.push(parseInt(line.slice(at, at + 3), 16));
    return values;
}

// What the end of a run's output says: `tail` is its text from the start of
// a line, `tailStart` the number of bytes before it, all in whole lines of
// LINE_CHARS (only the last line of values can be shorter, and it lies in
// the tail). Gives the number of lines of values, whether the empty line
// follows them, and the tool's message after them, if any.
export function summarizeListing(tail, tailStart) {
    if (tailStart % LINE_CHARS !== 0)
        throw new Error(`the listing's lines are not whole before byte ${tailStart}`);
    const lines = splitLines(tail);
    let valueLines = lines.length;
    while (valueLines > 0 && !VALUE_LINE.test(lines[valueLines - 1]))
        valueLines--;
    const after = lines.slice(valueLines);
    const emptyLine = after.length === 1 && after[0] === '';
    return {
        lines: tailStart / LINE_CHARS + valueLines,
        emptyLine,
        message: emptyLine ? '' : after.join('\n'),
    };
}

// Reads listing text given as bytes, in pieces cut anywhere, and calls
// onLine(values, count) for every line of values: `values` (reused from line
// to line) holds its `count` values as numbers. Other lines are passed over.
export function createLineParser(onLine) {
    const digit = new Int8Array(256).fill(-1);
    for (let i = 0; i < 16; i++)
        digit['0123456789ABCDEF'.charCodeAt(i)] = i;
    const values = new Int32Array(GROUPS_PER_LINE);
    const line = new Uint8Array(LINE_CHARS + 1);
    let used = 0;
    let overlong = false;
    const endLine = () => {
        let count = 0;
        let whole = !overlong && used % VALUE_CHARS === 0 && used > 0;
        for (let at = 0; whole && at < used; at += VALUE_CHARS) {
            const a = digit[line[at]];
            const b = digit[line[at + 1]];
            const c = digit[line[at + 2]];
            whole = a >= 0 && b >= 0 && c >= 0 && line[at + 3] === 32;
            values[count++] = (a << 8) | (b << 4) | c;
        }
        if (whole)
            onLine(values, count);
        used = 0;
        overlong = false;
    };
    return (bytes) => {
        for (let at = 0; at < bytes.length; at++) {
            const byte = bytes[at];
            if (byte === NEWLINE)
                endLine();
            else if (used < LINE_CHARS)
                line[used++] = byte;
            else
                overlong = true;
        }
    };
}
