// The tool's WebAssembly module, loaded once, and the jobs the page gives
// it, one at a time and away from the page's thread: the listing to show,
// lines of it, the place of pasted lines, and the download, each made by
// runs of the tool over slices of the file (listing-runs.js).
import { createPlacer, fitsAtLineOne } from './compare.js';
import { createLineParser, lineValues, splitLines, summarizeListing } from './listing-text.js';
import { lineBytes, listBytes } from './listing-runs.js';
import { scanStartAddress } from './wasi.js';

// A listing up to this long is kept whole for the page to show; past it,
// only its first and last lines.
const WHOLE_BYTES = 1024 * 1024;
const TAIL_BYTES = 64 * 1024;
const PROGRESS_MS = 100;
// The download is made in pieces of this much text, and written to disk a
// piece at a time.
const SAVE_BYTES = 16 * 1024 * 1024;

let tool = null;
let queue = Promise.resolve();
const cancelled = new Set();

// The SIMD128 build where the engine validates it, else the plain one;
// `wanted` ('plain' or 'simd128') overrides the choice.
async function loadTool(wanted) {
    const fetchBytes = async (url) => {
        const response = await fetch(url);
        if (!response.ok)
            throw new Error(`${url}: ${response.status} ${response.statusText}`);
        return response.arrayBuffer();
    };
    let build = 'plain';
    let bytes = null;
    if (wanted !== 'plain') {
        bytes = await fetchBytes('vantrel-simd128.wasm');
        if (WebAssembly.validate(bytes))
            build = 'simd128';
        else if (wanted === 'simd128')
            throw new Error('this browser does not run WebAssembly SIMD128');
    }
    if (build === 'plain')
        bytes = await fetchBytes('vantrel.wasm');
    return { build, module: await WebAssembly.compile(bytes) };
}

// Keeps the first WHOLE_BYTES of the text and its last TAIL_BYTES or more,
// copied out of the module's memory; the rest is only counted.
function headAndTail() {
    const head = new Uint8Array(WHOLE_BYTES);
    let headUsed = 0;
    const tail = [];
    let tailBytes = 0;
    let total = 0;
    return {
        add(bytes) {
            total += bytes.length;
            const toHead = Math.min(bytes.length, WHOLE_BYTES - headUsed);
            head.set(bytes.subarray(0, toHead), headUsed);
            headUsed += toHead;
            tail.push(bytes.slice(Math.max(0, bytes.length - TAIL_BYTES)));
            tailBytes += tail[tail.length - 1].length;
            while (tailBytes - tail[0].length >= TAIL_BYTES)
                tailBytes -= tail.shift().length;
        },
        finish() {
            const decoder = new TextDecoder();
            let tailText = new Uint8Array(tailBytes);
            tail.reduce((at, bytes) => (tailText.set(bytes, at), at + bytes.length), 0);
            // The kept tail may start within a line; the shown one does not.
            let tailStart = total - tailBytes;
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

// The text of lines first to last (from 1) of the listing.
async function listLines(job, first, last) {
    const parts = [];
    const { from, to } = lineBytes(first, last, job.file.size);
    const run = await listBytes({ ...job, module: tool.module, from, to,
                                  onText: (bytes) => parts.push(bytes.slice()) });
    return { ...run, text: new TextDecoder().decode(await new Blob(parts).arrayBuffer()) };
}

const jobs = {
    // The listing to show: its first and last lines, its length, how it ended.
    async list(job) {
        const started = performance.now();
        const startAddress = scanStartAddress(tool.module, job.address);
        const text = headAndTail();
        const run = await listBytes({ ...job, module: tool.module, startAddress, from: 0, to: job.file.size,
                                      onText: (bytes) => text.add(bytes) });
        if (run.cancelled)
            return run;
        const kept = text.finish();
        return { ...run, ...kept, ...summarizeListing(kept.tail, kept.tailStart), startAddress,
                 build: tool.build, seconds: (performance.now() - started) / 1000 };
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
        const run = await listBytes({ ...job, module: tool.module, from: 0, to: job.file.size,
                                      onText: createLineParser((line, n) => placer.add(line, n)) });
        if (run.cancelled)
            return run;
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
        for (let from = 0; ; from += SAVE_BYTES) {
            const to = Math.min(job.file.size, from + SAVE_BYTES);
            const text = blobBuilder();
            const run = await listBytes({ ...job, module: tool.module, from, to, onText: text.add });
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
        const run = await listBytes({ ...job, module: tool.module, from: 0, to: job.file.size, onText: text.add });
        return { ...run, blob: text.finish() };
    },
};

// Text copied out of the module's memory into a Blob, in parts of up to
// SAVE_BYTES, each copied once more into the browser's store as it is made.
function blobBuilder() {
    const parts = [];
    let pending = [];
    let pendingBytes = 0;
    const makePart = () => {
        parts.push(new Blob(pending));
        pending = [];
        pendingBytes = 0;
    };
    return {
        add(bytes) {
            pending.push(bytes.slice());
            pendingBytes += bytes.length;
            if (pendingBytes >= SAVE_BYTES)
                makePart();
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

async function load(wanted) {
    try {
        tool = await loadTool(wanted);
        postMessage({ type: 'ready', build: tool.build });
    } catch (error) {
        postMessage({ type: 'unavailable', message: String(error?.message ?? error) });
    }
}

onmessage = ({ data }) => {
    if (data.type === 'cancel')
        cancelled.add(data.id);
    else if (data.type === 'load')
        queue = queue.then(() => load(data.build));
    else
        queue = queue.then(() => runJob(data));
};
