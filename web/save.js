// The listing as a file or on the clipboard, made when asked for by running
// the tool again: the page never keeps the whole listing for the case.

// Text larger than this is not put on the clipboard.
export const COPY_LIMIT = 64 * 1024 * 1024;

// Saves the listing under a name the user picks: streamed to the file as it
// is made where the browser lets a page write a file, else assembled in a
// Blob and downloaded. runJob(type, fields) runs a job of the tool. Resolves
// with the job's result, or null when the user closed the file picker.
export async function saveListing(runJob, job, name) {
    if ('showSaveFilePicker' in window) {
        let handle;
        try {
            handle = await window.showSaveFilePicker({
                suggestedName: name,
                types: [{ description: 'Checksum listing', accept: { 'text/plain': ['.lst'] } }],
            });
        } catch (error) {
            if (error.name === 'AbortError')
                return null;
            throw error;
        }
        return runJob('save', { ...job, handle });
    }
    const result = await runJob('assemble', job);
    if (!result.cancelled)
        download(result.blob, name);
    return result;
}

function download(blob, name) {
    const url = URL.createObjectURL(blob);
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    link.click();
    // The download holds the Blob from the click on; the URL need not stay.
    setTimeout(() => URL.revokeObjectURL(url), 10_000);
}

// Puts the listing on the clipboard. The clipboard is asked at once, while
// the click still counts as the user's, and given the text when it is made.
export async function copyListing(runJob, job) {
    const made = runJob('assemble', job).then((result) => {
        if (result.cancelled || result.status !== 0)
            throw new Error('the listing could not be made');
        return result.blob;
    });
    await navigator.clipboard.write([new ClipboardItem({ 'text/plain': made })]);
}
