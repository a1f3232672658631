// The page without a network: its own copy serves it once it has been
// visited; a worker or module that cannot load is told at once; and nothing
// ever goes anywhere but to the page's own origin, the file least of all.
import { test, expect } from '@playwright/test';
import { spawn } from 'node:child_process';
import { randomBytes } from 'node:crypto';
import { cpSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { list, nativeListing, paste, root, saveThrough, scratch, webDir } from './helpers.js';

const files = scratch();

// A server of the page (or of `dir`) of its own, on a port the system
// picks, to stop.
async function ownServer(dir = webDir) {
    const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '--directory', dir, '0'],
                         { stdio: ['ignore', 'pipe', 'ignore'] });
    const port = await new Promise((resolve, reject) => {
        server.stdout.on('data', (data) => {
            const found = /port (\d+)/.exec(String(data));
            if (found)
                resolve(Number(found[1]));
        });
        server.on('exit', () => reject(new Error('the server ended')));
    });
    return {
        url: `http://127.0.0.1:${port}/index.html`,
        stop: () => new Promise((resolve) => {
            server.on('exit', resolve);
            server.kill();
        }),
    };
}

test('reloads, lists and compares with the server stopped', async ({ page }) => {
    const server = await ownServer();
    try {
        await page.goto(server.url);
        await page.evaluate(() => navigator.serviceWorker.ready);
    } finally {
        await server.stop();
    }
    expect(await page.evaluate(() => fetch('not-in-the-copy.txt').then(() => 'fetched', () => 'failed')))
        .toBe('failed');
    await page.reload();
    const path = files.file('offline.bin', randomBytes(3000));
    await list(page, path, '1F0');
    const expected = nativeListing('1F0', path).toString('latin1');
    expect(await page.locator('#listing').textContent()).toBe(expected);
    await expect(await paste(page, expected)).toHaveAttribute('data-verdict', 'match');
});

test('sends nothing anywhere but to its own origin, and loads the tool once', async ({ page, context, baseURL }) => {
    const requests = [];
    context.on('request', (request) => requests.push(request));
    await saveThrough(page, 'blob');
    const path = files.file('private.bin', randomBytes(300 * 1024));
    await list(page, path, '0');
    await list(page, path, '1F0');
    await paste(page, nativeListing('0', path).toString('latin1'));
    await Promise.all([page.waitForEvent('download'), page.locator('#download').click()]);
    const origin = new URL(baseURL).origin;
    expect(requests.filter((r) => new URL(r.url()).origin !== origin).map((r) => r.url())).toEqual([]);
    expect(requests.filter((r) => r.method() !== 'GET' || r.postDataBuffer() !== null).map((r) => r.url()))
        .toEqual([]);
    // Of the page and its worker, that is; the service worker keeps a copy.
    const fetched = (name) => requests.filter((r) => !r.serviceWorker() && r.url().endsWith(name)).length;
    expect([fetched('/worker.js'), fetched('.wasm')]).toEqual([1, 1]);
});

test.describe('a tool that cannot load', () => {
    test.use({ serviceWorkers: 'block' });
    // The page served with one of its files missing or broken.
    const failures = [
        { name: 'the worker', file: 'worker.js', says: /worker/ },
        { name: 'the reader', file: 'reader.js', says: /reader/ },
        { name: 'the module, missing', file: /\.wasm$/, says: /module could not be loaded.*404/ },
        { name: 'the module, broken', file: /\.wasm$/, content: 'not a module', says: /module could not be loaded/ },
    ];
    for (const f of failures) {
        test(`is told within seconds: ${f.name}`, async ({ page }) => {
            const dir = files.path(`page-without-${f.name.replaceAll(/\W/g, '-')}`);
            cpSync(webDir, dir, { recursive: true });
            for (const name of readdirSync(dir).filter((n) => (f.file instanceof RegExp ? f.file.test(n) : n === f.file))) {
                if (f.content === undefined)
                    rmSync(join(dir, name));
                else
                    writeFileSync(join(dir, name), f.content);
            }
            const server = await ownServer(dir);
            try {
                await page.goto(server.url);
                await expect(page.locator('#message')).toContainText('could not load the tool', { timeout: 5000 });
                await expect(page.locator('#message')).toContainText(f.says);
                // A file chosen then fails at once too, never waits.
                await page.locator('#file').setInputFiles(join(root, 'examples/hello.txt'));
                await expect(page.locator('#listing')).toHaveAttribute('data-state', 'failed', { timeout: 5000 });
            } finally {
                await server.stop();
            }
        });
    }
});
