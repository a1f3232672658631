// The page's side of the worker that runs the tool: starts it once, tells
// whether it loaded, and hands it jobs, each answered by a promise.

// A worker that has neither loaded nor failed by then is reported as slow.
const LOAD_WAIT_MS = 5000;

export class ToolUnavailable extends Error {}

// onState(state, detail): 'loading', 'ready', 'slow' (still loading after
// LOAD_WAIT_MS) or 'unavailable' (detail: why).
export function startTool({ onState }) {
    const pending = new Map();
    let nextId = 1;
    let state = 'loading';
    let why = '';
    const worker = new Worker(new URL('worker.js', import.meta.url), { type: 'module' });
    const setState = (next, detail) => {
        state = next;
        onState(next, detail);
    };
    const fail = (message) => {
        why = message;
        setState('unavailable', message);
        for (const job of pending.values())
            job.reject(new ToolUnavailable(message));
        pending.clear();
        worker.terminate();
    };
    const slow = setTimeout(() => state === 'loading' && setState('slow'), LOAD_WAIT_MS);
    // A worker script that cannot be fetched or run fires `error`, with no
    // message of its own.
    worker.onerror = (event) => {
        clearTimeout(slow);
        fail(event.message ? `its worker failed: ${event.message}` : 'its worker (worker.js) could not be loaded');
    };
    worker.onmessage = ({ data }) => {
        if (data.type === 'ready') {
            clearTimeout(slow);
            setState('ready');
        } else if (data.type === 'unavailable') {
            clearTimeout(slow);
            fail(data.message);
        } else {
            const job = pending.get(data.id);
            if (job === undefined)
                return;
            if (data.type === 'progress') {
                job.onProgress(data.done, data.total);
                return;
            }
            pending.delete(data.id);
            if (data.type === 'result')
                job.resolve(data);
            else
                job.reject(new Error(data.message));
        }
    };
    worker.postMessage({ type: 'load' });
    setState('loading');

    return {
        // Runs job `type` with `fields`; resolves with its result, which has
        // `cancelled` set when cancel() came first.
        run(type, fields, { onProgress = () => {} } = {}) {
            if (state === 'unavailable')
                return { id: 0, done: Promise.reject(new ToolUnavailable(why)) };
            const id = nextId++;
            const done = new Promise((resolve, reject) => pending.set(id, { resolve, reject, onProgress }));
            worker.postMessage({ ...fields, type, id });
            return { id, done };
        },
        // The job stops between two slices of the file; one that is waiting
        // does not start.
        cancel(id) {
            worker.postMessage({ type: 'cancel', id });
        },
    };
}
