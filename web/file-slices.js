// Reads a File (or any Blob) in slices, the next slice already being read
// while the caller works on the current one. Where the caller's thread is
// busy with each slice, a reader worker (reader.js) reads on another, so
// that the reading and the work overlap.

// Large enough that a slice costs few calls into the browser, small enough
// that two of them in memory are little beside the page.
export const SLICE_BYTES = 16 * 1024 * 1024;

// Reads a slice on this thread: resolves with its bytes as an ArrayBuffer.
export const readHere = (file, start, end) => file.slice(start, end).arrayBuffer();

// Reads slices through `worker`, a reader worker that has loaded.
export function readThrough(worker) {
    const waiting = new Map();
    let nextId = 0;
    worker.addEventListener('message', ({ data }) => {
        const slice = waiting.get(data.id);
        waiting.delete(data.id);
        if (data.error === undefined)
            slice?.resolve(data.buffer);
        else
            slice?.reject(new Error(data.error));
    });
    // A reader that fails fails every read it owes.
    worker.addEventListener('error', () => {
        for (const slice of waiting.values())
            slice.reject(new Error('the reader failed'));
        waiting.clear();
    });
    return (file, start, end) => new Promise((resolve, reject) => {
        const id = nextId++;
        waiting.set(id, { resolve, reject });
        worker.postMessage({ id, file, start, end });
    });
}

async function readSlice(read, file, start, end) {
    try {
        const bytes = new Uint8Array(await read(file, start, end));
        // A file that shrank since it was chosen gives fewer bytes than its
        // size promised: that is a failed read, not the end of the file.
        if (bytes.length !== end - start)
            throw new Error(`${end - start} bytes asked, ${bytes.length} read`);
        return { start, end, bytes };
    } catch (error) {
        return { start, end, error };
    }
}

// Yields { start, end, bytes } for every slice of bytes [from, to) of `file`
// in order, or { start, end, error } for a slice that could not be read;
// `read` (readHere or one of readThrough) reads each.
export async function* readSlices(file, from, to, read = readHere) {
    const sliceAt = (start) => readSlice(read, file, start, Math.min(to, start + SLICE_BYTES));
    let next = from < to ? sliceAt(from) : null;
    while (next !== null) {
        const slice = await next;
        next = slice.end < to ? sliceAt(slice.end) : null;
        yield slice;
    }
}
