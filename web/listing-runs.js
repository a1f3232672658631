// Runs the tool over any range of whole blocks of a file, a slice of the
// file at a time, each slice a run of its own at the address where the slice
// lies. The listing of bytes [a, b) from address start + a is exactly the
// lines of those blocks in the whole listing, save its end: a slice of whole
// blocks ends with an empty line, which belongs to the listing only where
// the slice ends at the file's end. So any lines can be had without the rest
// of the listing, and a long listing never has to be held.
import { readSlices } from './file-slices.js';
import { BLOCK_BYTES } from './listing-text.js';
import { runCommand } from './wasi.js';

const NEWLINE = 10;

// The address as the tool's argument: eight hex digits, modulo 2^32.
const addressArgument = (address) => (address % 2 ** 32).toString(16).padStart(8, '0');

// One run of the tool over a slice that has been read, or failed to be.
function runSlice(module, file, startAddress, slice, onText) {
    const size = slice.end - slice.start;
    const source = {
        name: file.name,
        size,
        mtimeNs: BigInt(file.lastModified) * 1000000n,
        // A file that cannot be read from its first byte on cannot be opened.
        openable: !(slice.error && slice.start === 0),
        read(position, length) {
            if (slice.error)
                throw slice.error;
            return slice.bytes.subarray(position, Math.min(size, position + length));
        },
    };
    // The last byte is held back until the run's end tells whether it is
    // the slice's empty line, which is not the listing's.
    let held = null;
    const heldByte = new Uint8Array(1);
    const giveHeld = () => {
        heldByte[0] = held;
        onText(heldByte);
    };
    const errors = [];
    const status = runCommand(module, {
        args: ['vantrel', addressArgument(startAddress + slice.start), file.name],
        file: source,
        onOutput(fd, bytes) {
            if (fd !== 1) {
                errors.push(new Uint8Array(bytes));
                return;
            }
            if (bytes.length === 0)
                return;
            if (held !== null)
                giveHeld();
            onText(bytes.subarray(0, bytes.length - 1));
            held = bytes[bytes.length - 1];
        },
        onRead: slice.onRead,
    });
    const slicesEmptyLine = status === 0 && slice.end < file.size;
    if (slicesEmptyLine && held !== NEWLINE)
        throw new Error(`the listing of bytes ${slice.start} to ${slice.end} did not end with a line end`);
    if (held !== null && !slicesEmptyLine)
        giveHeld();
    const decoder = new TextDecoder();
    return { status, errors: errors.map((bytes) => decoder.decode(bytes)).join('') };
}

// Lists bytes [from, to) of `file` (from a multiple of 128; to the end of a
// block or the file's end) with the first group at `startAddress` + from.
// onText(bytes) gets the text as it comes, as views valid during the call
// only; onProgress(position) the file position now and then; isCancelled()
// is asked between slices. Returns { status, errors }, the tool's exit status
// (the run stops at the first failure) and what it wrote to standard error,
// or { cancelled: true }. readSlice reads the slices (see file-slices.js).
export async function listBytes({ module, file, startAddress, from, to, onText, readSlice,
                                  onProgress = () => {}, isCancelled = () => false }) {
    const slices = from < to
        ? readSlices(file, from, to, readSlice)
        // The empty range at the end of a file of whole blocks (or of an
        // empty file) holds the listing's empty line.
        : [{ start: from, end: to, bytes: new Uint8Array(0) }]
            .filter(() => to === file.size && file.size % BLOCK_BYTES === 0);
    let errors = '';
    for await (const slice of slices) {
        if (isCancelled())
            return { cancelled: true };
        slice.onRead = (position) => onProgress(slice.start + position);
        const run = runSlice(module, file, startAddress, slice, onText);
        errors += run.errors;
        if (run.status !== 0)
            return { status: run.status, errors };
        onProgress(slice.end);
    }
    return { status: 0, errors };
}

// The bytes of lines first to last (from 1) of a file of `size` bytes.
export function lineBytes(first, last, size) {
    return { from: Math.min(size, BLOCK_BYTES * (first - 1)), to: Math.min(size, BLOCK_BYTES * last) };
}
