// Reads a File (or any Blob) in slices, the next slice already being read
// while the caller works on the current one: the browser reads files on a
// thread of its own, so the reading and the listing overlap.

// Large enough that a slice costs few calls into the browser, small enough
// that two of them in memory are little beside the page.
export const SLICE_BYTES = 16 * 1024 * 1024;

async function readSlice(file, start, end) {
    try {
        const bytes = new Uint8Array(await file.slice(start, end).arrayBuffer());
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
// in order, or { start, end, error } for a slice that could not be read.
export async function* readSlices(file, from, to, sliceBytes = SLICE_BYTES) {
    const sliceAt = (start) => readSlice(file, start, Math.min(to, start + sliceBytes));
    let next = from < to ? sliceAt(from) : null;
    while (next !== null) {
        const slice = await next;
        next = slice.end < to ? sliceAt(slice.end) : null;
        yield slice;
    }
}
