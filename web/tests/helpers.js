// What the browser tests share: the native tool's listings to compare with,
// scratch files, and the page's own steps (list a file, paste a listing).
import { expect, test } from '@playwright/test';
import { execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

export const root = fileURLToPath(new URL('../..', import.meta.url));
export const webDir = process.env.VANTREL_WEB_DIR ?? join(root, 'build/wasm/web');
const native = process.env.VANTREL_NATIVE ?? join(root, 'build/release/vantrel');
export const nativeListing = (address, path) => execFileSync(native, [address, path], { maxBuffer: 2 ** 30 });
export const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');

// A scratch folder for the files of one test file, removed after it.
export function scratch() {
    let dir;
    test.beforeAll(() => {
        dir = mkdtempSync(join(tmpdir(), 'vantrel-page-'));
    });
    test.afterAll(() => rmSync(dir, { recursive: true, force: true }));
    return {
        path: (name) => join(dir, name),
        file(name, bytes) {
            writeFileSync(join(dir, name), bytes);
            return join(dir, name);
        },
    };
}

// Lists `path` from `address`; resolves when the listing is done or failed.
export async function list(page, path, address = '0') {
    if (page.url() === 'about:blank')
        await page.goto('index.html');
    await page.locator('#start-address').fill(address);
    // Cleared first, so that choosing the same file again is a change too.
    await page.locator('#file').setInputFiles([]);
    await page.locator('#file').setInputFiles(path);
    await expect(page.locator('#listing')).toHaveAttribute('data-state', /^(done|failed)$/);
}

// Pastes `text` into the compare box, as the browser does: the text, then
// an input event (fill() types long text far slower than a paste).
// Resolves with the comparison, once it has its verdict.
export async function paste(page, text) {
    await page.locator('#expected').evaluate((box, pasted) => {
        box.value = pasted;
        box.dispatchEvent(new InputEvent('input', { bubbles: true, inputType: 'insertFromPaste' }));
    }, text);
    const comparison = page.locator('#comparison');
    // The page takes the verdict away at once, until the new one is found.
    await expect(comparison).toHaveAttribute('data-verdict', /.*/);
    return comparison;
}

// A file picker that saves into the browser's private file system, whose
// files the test reads back; or none, so that the page assembles a Blob.
export async function saveThrough(page, way) {
    await page.addInitScript((stream) => {
        if (!stream) {
            delete window.showSaveFilePicker;
            return;
        }
        window.showSaveFilePicker = async ({ suggestedName }) => {
            window.savedAs = suggestedName;
            return (await navigator.storage.getDirectory()).getFileHandle(suggestedName, { create: true });
        };
    }, way === 'stream');
}

// Clicks Download; resolves with the name and the SHA-256 of what was saved.
export async function download(page, way) {
    if (way === 'stream') {
        await page.locator('#download').click();
        await expect(page.locator('#copy-status')).toHaveText(/^Saved as /, { timeout: 120_000 });
        const name = await page.evaluate(() => window.savedAs);
        const hash = await page.evaluate(async (file) => {
            const saved = await (await (await navigator.storage.getDirectory()).getFileHandle(file)).getFile();
            const digest = await crypto.subtle.digest('SHA-256', await saved.arrayBuffer());
            return [...new Uint8Array(digest)].map((b) => b.toString(16).padStart(2, '0')).join('');
        }, name);
        return { name, hash };
    }
    const [saved] = await Promise.all([page.waitForEvent('download'), page.locator('#download').click()]);
    return { name: saved.suggestedFilename(), hash: sha256(readFileSync(await saved.path())) };
}
