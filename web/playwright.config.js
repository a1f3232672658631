// Browser tests of the page, in Debian's Chromium, headless, against the
// page and modules as a build stages them (VANTREL_WEB_DIR, default the wasm
// preset's) and the native tool to compare with (VANTREL_NATIVE).
import { defineConfig } from '@playwright/test';
import { fileURLToPath } from 'node:url';

const here = fileURLToPath(new URL('.', import.meta.url));
const webDir = process.env.VANTREL_WEB_DIR ?? `${here}../build/wasm/web`;
const port = Number(process.env.VANTREL_WEB_PORT ?? 8173);

export default defineConfig({
    testDir: 'tests',
    timeout: 180_000,
    workers: 1,
    reporter: [['list']],
    use: {
        baseURL: `http://127.0.0.1:${port}/`,
        acceptDownloads: true,
        launchOptions: {
            executablePath: process.env.VANTREL_CHROMIUM ?? '/usr/bin/chromium',
            args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
                   '--disable-component-update', '--disable-sync', '--no-first-run'],
        },
        headless: true,
    },
    webServer: {
        command: `python3 -m http.server --bind 127.0.0.1 --directory "${webDir}" ${port}`,
        url: `http://127.0.0.1:${port}/index.html`,
        reuseExistingServer: false,
    },
});
