// Keeps a copy of the page, its scripts and its module at the first visit,
// and serves the page from it from then on, with or without a network. The
// build writes the version of the files into VERSION, so that a new build
// is a new copy, fetched whole before it replaces the old one.
const VERSION = 'unversioned';
const CACHE = `vantrel-${VERSION}`;
// The build writes the files it stages into FILES.
const FILES = ['./'];

self.addEventListener('install', (event) => {
    event.waitUntil((async () => {
        const cache = await caches.open(CACHE);
        // From the server, not from the browser's HTTP cache, which may hold
        // files of an older build.
        await cache.addAll(FILES.map((file) => new Request(file, { cache: 'reload' })));
        // The page fetches everything once, when it loads, so the new copy
        // can serve at once: no page gets old and new files mixed but one
        // loading at this very moment.
        await self.skipWaiting();
    })());
});

self.addEventListener('activate', (event) => {
    event.waitUntil((async () => {
        for (const name of await caches.keys()) {
            if (name.startsWith('vantrel-') && name !== CACHE)
                await caches.delete(name);
        }
        await self.clients.claim();
    })());
});

// The copy first; what it lacks (nothing the page needs) from the network.
self.addEventListener('fetch', (event) => {
    const { request } = event;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin)
        return;
    event.respondWith((async () => {
        const cache = await caches.open(CACHE);
        return (await cache.match(request, { ignoreSearch: true })) ?? fetch(request);
    })());
});
