// Runs the tool's WebAssembly module on the chosen file, away from the page's
// thread. The output goes into Blob parts as it comes, so that a listing
// larger than memory can be downloaded; only its first and last bytes are
// kept here, for the page to show.
import { runCommand, scanStartAddress } from './wasi.js';

const PART_BYTES = 16 * 1024 * 1024;
const HEAD_BYTES = 1024 * 1024;
const TAIL_BYTES = 64 * 1024;
const PROGRESS_MS = 100;

const modules = new Map();

// The SIMD128 build where the engine validates it, else the plain one;
// `wanted` ('plain' or 'simd128') overrides the choice.
async function loadModule(wanted) {
    if (!modules.has(wanted)) {
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
        modules.set(wanted, { build, module: await WebAssembly.compile(bytes) });
    }
    return modules.get(wanted);
}

function countNewlines(bytes) {
    let count = 0;
    for (let i = bytes.indexOf(10); i !== -1; i = bytes.indexOf(10, i + 1))
        count++;
    return count;
}

function collector() {
    const parts = [];
    let part = new Uint8Array(PART_BYTES);
    let used = 0;
    const head = new Uint8Array(HEAD_BYTES);
    let headUsed = 0;
    let tail = [];
    let tailBytes = 0;
    let total = 0;
    let newlines = 0;
    return {
        blobSeconds: 0,
        add(bytes) {
            total += bytes.length;
            newlines += countNewlines(bytes);
            const toHead = Math.min(bytes.length, HEAD_BYTES - headUsed);
            head.set(bytes.subarray(0, toHead), headUsed);
            headUsed += toHead;
            tail.push(bytes);
            tailBytes += bytes.length;
            while (tailBytes - tail[0].length >= TAIL_BYTES) {
                tailBytes -= tail[0].length;
                tail.shift();
            }
            for (let from = 0; from < bytes.length;) {
                const n = Math.min(bytes.length - from, PART_BYTES - used);
                part.set(bytes.subarray(from, from + n), used);
                used += n;
                from += n;
                if (used === PART_BYTES) {
                    const started = performance.now();
                    parts.push(new Blob([part]));
                    this.blobSeconds += (performance.now() - started) / 1000;
                    part = new Uint8Array(PART_BYTES);
                    used = 0;
                }
            }
        },
        finish() {
            parts.push(new Blob([part.subarray(0, used)]));
            const decoder = new TextDecoder();
            let tailText = new Uint8Array(tailBytes);
            let at = 0;
            for (const bytes of tail) {
                tailText.set(bytes, at);
                at += bytes.length;
            }
            // The tail starts at a line's start.
            const tailStart = total - tailBytes;
            if (tailStart > 0)
                tailText = tailText.subarray(tailText.indexOf(10) + 1);
            return {
                output: new Blob(parts, { type: 'text/plain' }),
                bytes: total,
                lines: newlines,
                complete: total <= HEAD_BYTES,
                head: decoder.decode(head.subarray(0, headUsed)),
                tail: decoder.decode(tailText),
                tailFirstLine: newlines - countNewlines(tailText) + 1,
            };
        },
    };
}

onmessage = async ({ data: { file, address, build: wanted } }) => {
    try {
        const { build, module } = await loadModule(wanted ?? 'auto');
        const startAddress = scanStartAddress(module, address);
        const stdout = collector();
        const stderr = [];
        let lastProgress = 0;
        const started = performance.now();
        const timing = { readSeconds: 0 };
        const status = runCommand(module, {
            timing,
            args: ['vantrel', address, file.name],
            name: file.name,
            file,
            onOutput: (fd, bytes) => (fd === 1 ? stdout.add(bytes) : stderr.push(bytes)),
            onRead: (position) => {
                const now = performance.now();
                if (now - lastProgress >= PROGRESS_MS) {
                    lastProgress = now;
                    postMessage({ type: 'progress', read: position, size: file.size });
                }
            },
        });
        const seconds = (performance.now() - started) / 1000;
        postMessage({
            type: 'done', status, build, startAddress, seconds, readSeconds: timing.readSeconds,
            blobSeconds: stdout.blobSeconds, ...stdout.finish(),
            errors: new TextDecoder().decode(await new Blob(stderr).arrayBuffer()),
        });
    } catch (error) {
        postMessage({ type: 'failed', message: String(error?.message ?? error) });
    }
};
