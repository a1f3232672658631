// The page without a network: its own copy serves it once it has been
// visited; a worker or module that cannot load is told at once; and nothing
// ever goes anywhere but to the page's own origin, the file least of all.
import { test, expect } from '@playwright/test';
import { spawn } from 'node:child_process';
import { randomBytes } from 'node:crypto';
import { join } from 'node:path';
import { list, nativeListing, paste, root, saveThrough, scratch, webDir } from './helpers.js';

const files = scratch();

// A server of the page of its own, on a port the system picks, to stop.
async function ownServer() {
    const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '--directory', webDir, '0'],
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
    expect(await paste(page, expected)).toHaveAttribute('data-verdict', 'match');
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
    const failures = [
        { name: 'the worker', route: '**/worker.js', answer: (route) => route.abort(), says: /worker/ },
        { name: 'the module, missing', route: '**/*.wasm', answer: (route) => route.fulfill({ status: 404 }),
          says: /module could not be loaded.*404/ },
        { name: 'the module, broken', route: '**/*.wasm',
          answer: (route) => route.fulfill({ body: Buffer.from('not a module'), contentType: 'application/wasm' }),
          says: /module could not be loaded/ },
    ];
    for (const f of failures) {
        test(`is told within seconds: ${f.name}`, async ({ page }) => {
            await page.route(f.route, f.answer);
            await page.goto('index.html');
            await expect(page.locator('#message')).toContainText('could not load the tool', { timeout: 5000 });
            await expect(page.locator('#message')).toContainText(f.says);
            // A file chosen then fails at once too, never waits.
            await page.locator('#file').setInputFiles(join(root, 'examples/hello.txt'));
            await expect(page.locator('#listing')).toHaveAttribute('data-state', 'failed', { timeout: 5000 });
        });
    }
});
