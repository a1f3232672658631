// Reads slices of a File for the worker that lists it, on a thread of its
// own: a listing worker busy running the tool cannot take in the bytes the
// browser hands over, and the reading would wait for it. Each slice goes
// back as a transferred buffer, without a copy.
onmessage = async ({ data: { id, file, start, end } }) => {
    try {
        const buffer = await file.slice(start, end).arrayBuffer();
        postMessage({ id, buffer }, [buffer]);
    } catch (error) {
        postMessage({ id, error: String(error?.message ?? error) });
    }
};
postMessage({ ready: true });
