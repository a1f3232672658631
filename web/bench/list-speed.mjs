// Times the page listing a file in headless Chromium against a read-only
// pass over the same File in the same page (the floor: the page cannot list
// faster than the browser hands it the file), and the browser's memory
// meanwhile:
//   node bench/list-speed.mjs [FILE | SIZE] [RUNS]
// SIZE (such as 256MiB or 1GiB) makes a random file of that size; the
// default is 256MiB, 3 runs, each in a fresh tab. The page's time runs from
// choosing the file to the listing shown; memory is the peak resident memory
// of the tab's renderer and of all the browser's processes, sampled while
// the page lists, and their peak proportional share (PSS, which counts
// shared pages once), with the same before the file is chosen. Serves
// VANTREL_WEB_DIR (default the wasm preset's staged page).
import { chromium } from '@playwright/test';
import { spawn } from 'node:child_process';
import { randomBytes } from 'node:crypto';
import { appendFileSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

const TARGET_RATIO = 1.5;
const TARGET_MIB = 600;

// Linux only: the browser's processes, all descendants of this one.
function browserProcesses() {
    const parents = new Map();
    for (const pid of readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
        try {
            const stat = readFileSync(`/proc/${pid}/stat`, 'utf8');
            parents.set(pid, stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
        } catch {
            // gone meanwhile
        }
    }
    const ours = new Set([String(process.pid)]);
    for (let grown = true; grown;) {
        grown = false;
        for (const [pid, parent] of parents) {
            if (ours.has(parent) && !ours.has(pid)) {
                ours.add(pid);
                grown = true;
            }
        }
    }
    ours.delete(String(process.pid));
    return [...ours].filter((pid) => !readText(`/proc/${pid}/cmdline`).includes('http.server'));
}

function readText(path) {
    try {
        return readFileSync(path, 'utf8');
    } catch {
        return '';
    }
}
const kib = (text, field) => Number(new RegExp(`${field}:\\s+(\\d+)`).exec(text)?.[1] ?? 0);
const isRenderer = (pid) => readText(`/proc/${pid}/cmdline`).includes('--type=renderer');

// Samples the browser's memory until stopped; gives the peaks in MiB.
function memorySampler() {
    const peak = { renderer: 0, all: 0, pss: 0 };
    const sample = () => {
        const pids = browserProcesses();
        const status = new Map(pids.map((pid) => [pid, readText(`/proc/${pid}/status`)]));
        peak.renderer = Math.max(peak.renderer, ...pids.filter(isRenderer).map((pid) => kib(status.get(pid), 'VmRSS')));
        peak.all = Math.max(peak.all, pids.reduce((sum, pid) => sum + kib(status.get(pid), 'VmRSS'), 0));
        peak.pss = Math.max(peak.pss, pids.reduce((sum, pid) => sum + kib(readText(`/proc/${pid}/smaps_rollup`), 'Pss'), 0));
    };
    const timer = setInterval(sample, 100);
    return () => {
        clearInterval(timer);
        sample();
        return Object.fromEntries(Object.entries(peak).map(([k, v]) => [k, v / 1024]));
    };
}

function fileToList(arg, dir) {
    const size = /^(\d+)(MiB|GiB)$/.exec(arg ?? '256MiB');
    if (size === null)
        return arg;
    const path = join(dir, `random-${arg}.bin`);
    const bytes = Number(size[1]) * 2 ** (size[2] === 'GiB' ? 30 : 20);
    writeFileSync(path, '');
    for (let done = 0; done < bytes; done += 16 * 2 ** 20)
        appendFileSync(path, randomBytes(Math.min(16 * 2 ** 20, bytes - done)));
    return path;
}

function median(values) {
    const sorted = [...values].sort((a, b) => a - b);
    const middle = sorted.length / 2;
    return Number.isInteger(middle) ? (sorted[middle - 1] + sorted[middle]) / 2 : sorted[Math.floor(middle)];
}

const here = fileURLToPath(new URL('.', import.meta.url));
const webDir = process.env.VANTREL_WEB_DIR ?? join(here, '../../build/wasm/web');
const port = 8179;
const runs = Number(process.argv[3] ?? 3);
const dir = mkdtempSync(join(tmpdir(), 'vantrel-speed-'));
const path = fileToList(process.argv[2], dir);
const size = statSync(path).size;
const server = spawn('python3', ['-m', 'http.server', '--bind', '127.0.0.1', '--directory', webDir, String(port)],
                     { stdio: 'ignore' });
await new Promise((resolve) => setTimeout(resolve, 1000));
const browser = await chromium.launch({
    executablePath: process.env.VANTREL_CHROMIUM ?? '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run'],
});

// One listing in a fresh tab, then the read-only pass in the same tab.
async function run() {
    const context = await browser.newContext({ serviceWorkers: 'block' });
    const page = await context.newPage();
    await page.goto(`http://127.0.0.1:${port}/index.html`);
    await page.locator('#tool-state').filter({ hasText: 'ready' }).waitFor();
    const idle = memorySampler()();
    const stop = memorySampler();
    await page.locator('#file').setInputFiles(path);
    await page.locator('#listing[data-state="done"]').waitFor({ timeout: 600_000 });
    const memory = stop();
    const seconds = Number(await page.locator('#status').getAttribute('data-seconds'));
    // Read as the page reads, through a reader worker, and nothing done.
    const floor = await page.evaluate(async () => {
        const { readSlices, readThrough } = await import('./file-slices.js');
        const reader = new Worker('reader.js', { type: 'module' });
        await new Promise((resolve) => reader.addEventListener('message', resolve, { once: true }));
        const file = document.getElementById('file').files[0];
        const started = performance.now();
        for await (const slice of readSlices(file, 0, file.size, readThrough(reader))) {
            if (slice.error)
                throw slice.error;
        }
        return (performance.now() - started) / 1000;
    });
    await context.close();
    return { seconds, floor, memory, idle };
}

try {
    const cpu = /model name\s*:\s*(.*)/.exec(readFileSync('/proc/cpuinfo', 'utf8'))?.[1];
    console.log(`${size} bytes, ${runs} runs; ${cpu}, ` +
                `${readdirSync('/sys/devices/system/cpu').filter((n) => /^cpu\d+$/.test(n)).length} cores; ` +
                `${browser.version()}`);
    console.log('page s  floor s  page/floor  MB/s  peak MiB: renderer  all (RSS)  all (PSS)' +
                '  idle MiB: all (RSS)  all (PSS)');
    const results = [];
    for (let i = 0; i < runs; i++) {
        const r = await run();
        results.push(r);
        console.log(`${r.seconds.toFixed(2).padStart(6)}  ${r.floor.toFixed(2).padStart(7)}` +
                    `  ${(r.seconds / r.floor).toFixed(2).padStart(10)}  ${(size / r.seconds / 1e6).toFixed(0).padStart(4)}` +
                    `  ${r.memory.renderer.toFixed(0).padStart(18)}  ${r.memory.all.toFixed(0).padStart(9)}` +
                    `  ${r.memory.pss.toFixed(0).padStart(9)}  ${r.idle.all.toFixed(0).padStart(19)}` +
                    `  ${r.idle.pss.toFixed(0).padStart(9)}`);
    }
    const ratio = median(results.map((r) => r.seconds / r.floor));
    const all = Math.max(...results.map((r) => r.memory.all));
    const pss = Math.max(...results.map((r) => r.memory.pss));
    console.log(`median: page ${median(results.map((r) => r.seconds)).toFixed(2)} s, floor ` +
                `${median(results.map((r) => r.floor)).toFixed(2)} s, page/floor ${ratio.toFixed(2)} ` +
                `(target ${TARGET_RATIO}: ${ratio <= TARGET_RATIO ? 'met' : 'missed'}); all processes at most ` +
                `${all.toFixed(0)} MiB RSS, ${pss.toFixed(0)} MiB PSS (target ${TARGET_MIB}: ` +
                `${all < TARGET_MIB ? 'met' : 'missed'} by RSS, ${pss < TARGET_MIB ? 'met' : 'missed'} by PSS)`);
} finally {
    await browser.close();
    server.kill();
    rmSync(dir, { recursive: true, force: true });
}
