// Times the page listing a file in headless Chromium, with the plain and the
// SIMD128 module in turn: node bench/list-speed.mjs [FILE] [RUNS]
// (default a 256 MiB random file, 3 runs each). The time is the worker's,
// from the start of the module to its exit, the reading of the file and the
// building of the download included; with it, the peak resident memory of
// the tab's renderer process and of all the browser's processes. Serves VANTREL_WEB_DIR (default the
// wasm preset's staged page) on a local port.
import { chromium } from '@playwright/test';
import { spawn } from 'node:child_process';
import { randomBytes } from 'node:crypto';
import { appendFileSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

// Linux only: the resident memory of the browser's processes, each sampled
// while a listing runs; the renderer holds the page and its worker.
function chromiumProcesses() {
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
    return [...ours];
}

function residentKiB(pid) {
    try {
        return Number(/VmRSS:\s+(\d+)/.exec(readFileSync(`/proc/${pid}/status`, 'utf8'))[1]);
    } catch {
        return 0;
    }
}

function isRenderer(pid) {
    try {
        return readFileSync(`/proc/${pid}/cmdline`, 'utf8').includes('--type=renderer');
    } catch {
        return false;
    }
}

const here = fileURLToPath(new URL('.', import.meta.url));
const webDir = process.env.VANTREL_WEB_DIR ?? join(here, '../../build/wasm/web');
const port = 8179;
const runs = Number(process.argv[3] ?? 3);
const dir = mkdtempSync(join(tmpdir(), 'vantrel-speed-'));
let path = process.argv[2];
if (path === undefined) {
    path = join(dir, 'random.bin');
    writeFileSync(path, '');
    for (let i = 0; i < 16; i++)
        appendFileSync(path, randomBytes(16 * 1024 * 1024));
}
const size = statSync(path).size;
const server = spawn('python3', ['-m', 'http.server', '--bind', '127.0.0.1', '--directory', webDir,
                                 String(port)], { stdio: 'ignore' });
await new Promise((resolve) => setTimeout(resolve, 1000));
const browser = await chromium.launch({
    executablePath: process.env.VANTREL_CHROMIUM ?? '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run'],
});
try {
    console.log(`${size} bytes, ${runs} runs of each build`);
    for (let run = 0; run < runs; run++) {
        for (const build of ['plain', 'simd128']) {
            const page = await browser.newPage();
            await page.goto(`http://127.0.0.1:${port}/index.html?build=${build}`);
            await page.locator('#file').setInputFiles(path);
            let renderer = 0;
            let total = 0;
            const sampler = setInterval(() => {
                const pids = chromiumProcesses();
                renderer = Math.max(renderer, ...pids.filter(isRenderer).map(residentKiB));
                total = Math.max(total, pids.map(residentKiB).reduce((a, b) => a + b, 0));
            }, 200);
            await page.locator('#listing[data-state="done"]').waitFor({ timeout: 600_000 });
            clearInterval(sampler);
            const status = await page.locator('#status').textContent();
            const seconds = Number(/listed in ([\d.]+) s/.exec(status)[1]);
            const read = await page.locator('#status').getAttribute('data-read-seconds');
            const blob = await page.locator('#status').getAttribute('data-blob-seconds');
            console.log(`${build.padEnd(8)} ${seconds.toFixed(2)} s  ${(size / seconds / 1e6).toFixed(0)} MB/s` +
                        `  (reading the file ${read} s, building the download ${blob} s)` +
                        `  peak RSS: renderer ${(renderer / 1024).toFixed(0)} MiB, all ${(total / 1024).toFixed(0)} MiB`);
            await page.close();
        }
    }
} finally {
    await browser.close();
    server.kill();
    rmSync(dir, { recursive: true, force: true });
}
