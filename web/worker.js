// The tool's WebAssembly module, loaded once, and the jobs the page gives
// it, one at a time and away from the page's thread: the listing to show,
// lines of it, the place of pasted lines, and the download, each made by
// runs of the tool over slices of the file (listing-runs.js).
import { createPlacer, fitsAtLineOne } from './compare.js';
import { LINE_CHARS, createLineParser, lineValues, splitLines, summarizeListing } from './listing-text.js';
import { readThrough } from './file-slices.js';
import { lineBytes, listBytes } from './listing-runs.js';
import { scanStartAddress } from './wasi.js';

// A listing up to this long is kept whole for the page to show; past it,
// only its first and last lines.
const WHOLE_BYTES = 1024 * 1024;
// The last 1000 lines, which the page shows, and one more, in which the
// first of them starts.
const TAIL_BYTES = 1001 * LINE_CHARS;
const PROGRESS_MS = 100;
// A download is listed and written to disk this much of the file at a time.
const PIECE_BYTES = 16 * 1024 * 1024;
// Text is gathered into parts of a Blob of this size.
const PART_BYTES = 16 * 1024 * 1024;

let tool = null;
let queue = Promise.resolve();
const cancelled = new Set();

async function loadModule() {
    const response = await fetch('vantrel.wasm');
    if (!response.ok)
        throw new Error(`vantrel.wasm: ${response.status} ${response.statusText}`);
    return WebAssembly.compile(await response.arrayBuffer());
}

// The worker that reads the file while this one lists, once it has loaded.
function startReader() {
    return new Promise((resolve, reject) => {
        const reader = new Worker(new URL('reader.js', import.meta.url), { type: 'module' });
        reader.addEventListener('message', () => resolve(reader), { once: true });
        reader.addEventListener('error', () => reject(new Error('its reader (reader.js) could not be loaded')));
    });
}

// Text out of the module's memory goes into buffers made once: a buffer
// allocated for each write costs Chromium more than the copy into it.

// The last `size` bytes of all added, in a ring.
function lastBytes(size) {
    const ring = new Uint8Array(size);
    let total = 0;
    return {
        add(bytes) {
            const kept = bytes.subarray(Math.max(0, bytes.length - size));
            const at = (total + bytes.length - kept.length) % size;
            const first = Math.min(kept.length, size - at);
            ring.set(kept.subarray(0, first), at);
            ring.set(kept.subarray(first), 0);
            total += bytes.length;
        },
        // The bytes kept, oldest first.
        get() {
            if (total <= size)
                return ring.slice(0, total);
            const at = total % size;
            const bytes = new Uint8Array(size);
            bytes.set(ring.subarray(at));
            bytes.set(ring.subarray(0, at), size - at);
            return bytes;
        },
    };
}

// Keeps the first WHOLE_BYTES of the text and its last TAIL_BYTES; the rest
// is only counted.
function headAndTail() {
    const head = new Uint8Array(WHOLE_BYTES);
    let headUsed = 0;
    const tail = lastBytes(TAIL_BYTES);
    let total = 0;
    return {
        add(bytes) {
            total += bytes.length;
            const toHead = Math.min(bytes.length, WHOLE_BYTES - headUsed);
            head.set(bytes.subarray(0, toHead), headUsed);
            headUsed += toHead;
            tail.add(bytes);
        },
        finish() {
            const decoder = new TextDecoder();
            let tailText = tail.get();
            // The kept tail may start within a line; the shown one does not.
            let tailStart = total - tailText.length;
            if (tailStart > 0) {
                const lineStart = tailText.indexOf(10) + 1;
                tailText = tailText.subarray(lineStart);
                tailStart += lineStart;
            }
            return {
                bytes: total,
                whole: total <= WHOLE_BYTES,
                head: decoder.decode(head.subarray(0, headUsed)),
                tail: decoder.decode(tailText),
                tailStart,
            };
        },
    };
}

// Posts the file position at most every PROGRESS_MS.
function progressReporter(id, size) {
    let last = 0;
    return (position) => {
        const now = performance.now();
        if (now - last >= PROGRESS_MS || position === size) {
            last = now;
            postMessage({ type: 'progress', id, done: position, total: size });
        }
    };
}

// Lists bytes of the job's file with the tool loaded.
const listWith = (job, fields) => listBytes({ ...job, module: tool.module, readSlice: tool.readSlice, ...fields });

// The text of lines first to last (from 1) of the listing.
async function listLines(job, first, last) {
    const { from, to } = lineBytes(first, last, job.file.size);
    // Every line and the empty one after them.
    const text = blobBuilder((last - first + 1) * LINE_CHARS + 1);
    const run = await listWith(job, { from, to, onText: text.add });
    const lines = await text.finish().text();
    failIfNotWhole(run, lines);
    return { ...run, text: lines };
}

// A run that stopped, as when the file can no longer be read, gives no lines
// to compare with: its last line is the tool's message.
function failIfNotWhole(run, text = '') {
    if (run.status !== 0 && !run.cancelled)
        throw new Error(text.trimEnd().split('\n').pop() || 'the file could not be read to its end');
}

const jobs = {
    // The listing to show: its first and last lines, its length, how it ended.
    async list(job) {
        const started = performance.now();
        const startAddress = scanStartAddress(tool.module, job.address);
        const text = headAndTail();
        const run = await listWith(job, { startAddress, from: 0, to: job.file.size, onText: text.add });
        if (run.cancelled)
            return run;
        const kept = text.finish();
        return { ...run, ...kept, ...summarizeListing(kept.tail, kept.tailStart), startAddress,
                 seconds: (performance.now() - started) / 1000 };
    },

    // Where the pasted lines belong, and the listing's lines there. Line 1
    // is tried first: a whole listing or its first page fits there. Else
    // one pass over the whole listing finds the place that fits best.
    async place(job) {
        const count = job.pasted.length;
        const atLineOne = await listLines(job, 1, Math.min(count, job.listingLines));
        if (fitsAtLineOne(splitLines(atLineOne.text).map(lineValues), job.pasted))
            return { from: 1, first: 1, text: atLineOne.text };
        const placer = createPlacer(job.pasted);
        const run = await listWith(job, { from: 0, to: job.file.size,
                                    onText: createLineParser((line, n) => placer.add(line, n)) });
        if (run.cancelled)
            return run;
        failIfNotWhole(run);
        const { from } = placer.best() ?? { from: 1 };
        const first = Math.max(1, from);
        const last = Math.min(job.listingLines, from + count - 1);
        const lines = last >= first ? await listLines(job, first, last) : { text: '' };
        return { from, first, text: lines.text };
    },

    // The whole listing written to a file the user picked, a piece at a
    // time: only one piece's text is ever held.
    async save(job) {
        const writable = await job.handle.createWritable();
        for (let from = 0; ; from += PIECE_BYTES) {
            const to = Math.min(job.file.size, from + PIECE_BYTES);
            const text = blobBuilder();
            const run = await listWith(job, { from, to, onText: text.add });
            if (run.cancelled) {
                await writable.abort();
                return run;
            }
            await writable.write(text.finish());
            if (run.status !== 0 || to === job.file.size) {
                await writable.close();
                return { ...run, savedAs: job.handle.name };
            }
        }
    },

    // The whole listing as a Blob, for a download or the clipboard where no
    // file can be written to as it comes.
    async assemble(job) {
        const text = blobBuilder();
        const run = await listWith(job, { from: 0, to: job.file.size, onText: text.add });
        return { ...run, blob: text.finish() };
    },
};

// Text copied out of the module's memory into a Blob, through one buffer
// (of `size`, at most PART_BYTES) that becomes a part of the Blob, copied
// into the browser's store, each time it is full.
function blobBuilder(size = PART_BYTES) {
    const parts = [];
    const buffer = new Uint8Array(Math.min(size, PART_BYTES));
    let used = 0;
    const makePart = () => {
        parts.push(new Blob([buffer.subarray(0, used)]));
        used = 0;
    };
    return {
        add(bytes) {
            for (let from = 0; from < bytes.length;) {
                const n = Math.min(bytes.length - from, buffer.length - used);
                buffer.set(bytes.subarray(from, from + n), used);
                used += n;
                from += n;
                if (used === buffer.length)
                    makePart();
            }
        },
        finish() {
            makePart();
            return new Blob(parts, { type: 'text/plain' });
        },
    };
}

async function runJob(job) {
    const { id } = job;
    const isCancelled = () => cancelled.has(id);
    try {
        if (tool === null)
            throw new Error('the tool is not loaded');
        const onProgress = progressReporter(id, job.file.size);
        const result = isCancelled() ? { cancelled: true }
            : await jobs[job.type]({ ...job, isCancelled, onProgress });
        postMessage({ ...result, type: 'result', id });
    } catch (error) {
        postMessage({ type: 'error', id, message: String(error?.message ?? error) });
    } finally {
        cancelled.delete(id);
    }
}

async function load() {
    try {
        const reader = startReader();
        const module = await loadModule().catch((error) => {
            throw new Error(`its WebAssembly module could not be loaded: ${error?.message ?? error}`);
        });
        tool = { module, readSlice: readThrough(await reader) };
        postMessage({ type: 'ready' });
    } catch (error) {
        postMessage({ type: 'unavailable', message: String(error?.message ?? error) });
    }
}

onmessage = ({ data }) => {
    if (data.type === 'cancel')
        cancelled.add(data.id);
    else if (data.type === 'load')
        queue = queue.then(load);
    else
        queue = queue.then(() => runJob(data));
};
