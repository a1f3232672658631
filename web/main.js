// The page: chooses the file and the start address, has the tool list it
// (tool.js), shows the listing (listing-view.js), saves or copies it
// (save.js) and compares it with a pasted listing (compare.js,
// comparison-view.js).
import { compareAt, isEmpty, looksLikeListing, parsePaste, pastedValues } from './compare.js';
import { createComparisonView } from './comparison-view.js';
import { BLOCK_BYTES, LINE_CHARS, lineValues, splitLines } from './listing-text.js';
import { createListingView } from './listing-view.js';
import { COPY_LIMIT, copyListing, saveListing } from './save.js';
import { startTool } from './tool.js';
import { count, hex8, size } from './words.js';

// A listing longer than the worker keeps whole is shown as this many first
// and last lines, and the lines a comparison looks at.
const SHOWN_LINES = 1000;
const COMPARE_DELAY_MS = 250;

const $ = (id) => document.getElementById(id);
const page = {
    form: $('choose'), file: $('file'), address: $('start-address'), cancel: $('cancel'),
    progressArea: $('progress-area'), progressLabel: $('progress-label'), progress: $('progress'),
    progressText: $('progress-text'), message: $('message'), status: $('status'), startUsed: $('start-used'),
    download: $('download'), copy: $('copy'), copyStatus: $('copy-status'), listing: $('listing'),
    expected: $('expected'), toolState: $('tool-state'), offline: $('offline'),
};
const listingView = createListingView(page.listing);
const comparisonView = createComparisonView({
    comparison: $('comparison'), offer: $('offer'), differences: $('differences'),
    lineDifferences: $('line-differences'),
});

let chosen = null; // the File
let listing = null; // the latest finished listing, with its file and address
let activity = null; // what the progress bar shows and the Stop button stops
let comparing = 0; // the number of the latest comparison

function showMessage(text) {
    page.message.textContent = text;
    page.message.hidden = text === '';
}

function showProgress(label, done, total) {
    page.progressArea.hidden = false;
    page.progressLabel.textContent = label;
    page.progress.value = total === 0 ? 1 : done / total;
    page.progressText.textContent = `${size(done)} of ${size(total)}`;
}

// Does `work` with the progress bar and the Stop button: work(runJob) runs
// its jobs of the tool through runJob(type, fields), which resolves with a
// job's result. A later activity takes the bar over.
async function withProgress(kind, label, total, work) {
    const current = { kind, job: null };
    activity = current;
    showProgress(label, 0, total);
    page.cancel.hidden = false;
    const runJob = (type, fields) => {
        current.job = tool.run(type, fields, { onProgress: (done, all) => activity === current &&
                                                                   showProgress(label, done, all) });
        return current.job.done;
    };
    try {
        return await work(runJob);
    } finally {
        if (activity === current) {
            activity = null;
            page.cancel.hidden = true;
            page.progressArea.hidden = true;
        }
    }
}

// Stops the current activity, or only one of `kind`.
function stop(kind = null) {
    if (activity?.job && (kind === null || activity.kind === kind))
        tool.cancel(activity.job.id);
}

const tool = startTool({
    onState(state, detail) {
        if (state === 'ready') {
            page.toolState.textContent = 'The tool is loaded and ready.';
            if (page.message.dataset.about === 'tool')
                showMessage('');
        } else if (state === 'slow' || state === 'unavailable') {
            showMessage(state === 'slow' ? 'The tool is taking long to load…'
                : `The page could not load the tool: ${detail}. Reload the page to try again.`);
            page.message.dataset.about = 'tool';
            if (state === 'unavailable')
                page.listing.dataset.state = 'failed';
        }
    },
});

function setListingState(state) {
    page.listing.dataset.state = state;
    const done = state === 'done';
    page.download.hidden = !done;
    page.copy.hidden = !done;
}

async function list() {
    if (chosen === null)
        return;
    stop();
    const file = chosen;
    const address = page.address.value;
    const started = performance.now();
    listing = null;
    listingView.clear();
    setListingState('running');
    showMessage('');
    page.startUsed.textContent = '';
    page.copyStatus.textContent = '';
    page.status.textContent = `Listing ${file.name}…`;
    compare();
    try {
        const result = await withProgress('list', 'Listing the file', file.size,
                                          (runJob) => runJob('list', { file, address }));
        if (result.cancelled)
            return;
        show({ ...result, file, address });
        page.status.dataset.seconds = ((performance.now() - started) / 1000).toFixed(3);
        compare();
    } catch (error) {
        setListingState('failed');
        showMessage(`The listing could not be made: ${error.message}`);
    }
}

// The lines the listing shows: all of a short one, else the first and last.
function shownParts(run) {
    const ending = run.emptyLine ? 1 : 0;
    if (run.whole)
        return [{ first: 1, lines: splitLines(run.head).slice(0, run.lines + ending) }];
    const tailFirst = run.tailStart / LINE_CHARS + 1;
    const tail = splitLines(run.tail).slice(0, run.lines - tailFirst + 1 + ending);
    return [{ first: 1, lines: splitLines(run.head).slice(0, SHOWN_LINES) },
            { first: tailFirst + tail.length - Math.min(SHOWN_LINES, tail.length),
              lines: tail.slice(-SHOWN_LINES) }];
}

function show(run) {
    listing = run;
    listingView.show(shownParts(run));
    setListingState(run.status === 0 ? 'done' : 'failed');
    const name = run.file.name;
    page.startUsed.textContent =
        `Start address ${hex8(run.startAddress)}, as the tool reads “${run.address}”.`;
    page.startUsed.dataset.address = hex8(run.startAddress);
    page.status.textContent = run.status === 0
        ? `${name}: ${count(run.file.size, 'byte')}, ${count(run.lines, 'line')}, listed in ${run.seconds.toFixed(2)} s.`
        : `${name}: the listing stopped after ${count(run.lines, 'line')}.`;
    showMessage([run.message, run.errors].filter(Boolean).join(' '));
    page.download.textContent = `Download ${name}.lst`;
}

// The job fields that make the listing again, or any part of it.
const listingJob = () => ({ file: listing.file, startAddress: listing.startAddress });

async function compare() {
    const number = ++comparing;
    stop('compare');
    const paste = parsePaste(page.expected.value);
    listingView.unmark();
    if (isEmpty(paste))
        return comparisonView.empty();
    if (!looksLikeListing(paste))
        return comparisonView.notAListing(paste);
    if (listing === null) {
        return page.listing.dataset.state === 'running' ? comparisonView.busy('The comparison follows the listing.')
            : comparisonView.empty('The comparison starts once a file is listed.');
    }
    if (listing.status !== 0)
        return comparisonView.empty('The file could not be listed to its end; there is nothing to compare with.');
    const run = listing;
    comparisonView.busy();
    try {
        const place = await withProgress('compare', 'Finding the pasted lines in the listing', run.file.size,
                                         (runJob) => runJob('place', { ...listingJob(), pasted: pastedValues(paste),
                                                                       listingLines: run.lines }));
        if (place.cancelled || number !== comparing || run !== listing)
            return;
        const lines = splitLines(place.text).slice(0, Math.max(0, run.lines - place.first + 1));
        const outcome = compareAt({ paste, from: place.from, listed: lines.map(lineValues),
                                    listingLines: run.lines, startAddress: run.startAddress });
        const bytesAt = await fileBytes(run.file, outcome.first, outcome.last);
        if (number === comparing)
            showComparison(outcome, { paste, from: place.from, lines, first: place.first, run, bytesAt });
    } catch (error) {
        if (number === comparing)
            comparisonView.empty(`The comparison could not be made: ${error.message}`);
    }
}

function showComparison(outcome, { paste, from, lines, first, run, bytesAt }) {
    comparisonView.show(outcome, { paste, from, listingLines: run.lines, bytesAt });
    listingView.showAlso(comparedLines(first, lines, outcome));
    // At another start address every value differs: nothing to mark.
    if (outcome.fitsAddress === null)
        listingView.mark(outcome.groups);
}

// The lines a comparison looked at, to show beside the first and last
// lines: all of them, or of a long paste those that differ.
function comparedLines(first, lines, outcome) {
    const numbered = lines.map((text, i) => [first + i, text]);
    if (lines.length <= SHOWN_LINES)
        return new Map(numbered);
    const differing = new Set(outcome.groups.slice(0, SHOWN_LINES).map((group) => group.line));
    return new Map(numbered.filter(([number]) => differing.has(number)));
}

// The file's bytes of lines first to last, for telling each differing group's.
async function fileBytes(file, first, last) {
    const from = BLOCK_BYTES * (first - 1);
    const bytes = last >= first
        ? new Uint8Array(await file.slice(from, BLOCK_BYTES * last).arrayBuffer()) : new Uint8Array(0);
    return (offset) => bytes.subarray(Math.max(0, offset - from), Math.max(0, offset - from + 8));
}

async function save() {
    const run = listing;
    try {
        const result = await withProgress('save', 'Making the download', run.file.size,
                                          (runJob) => saveListing(runJob, listingJob(), `${run.file.name}.lst`));
        if (result === null || result.cancelled)
            return;
        page.copyStatus.textContent = result.status !== 0
            ? 'The download stopped: the file could not be read to its end.'
            : result.savedAs ? `Saved as ${result.savedAs}.` : `Downloading ${run.file.name}.lst.`;
    } catch (error) {
        showMessage(`The download could not be made: ${error.message}`);
    }
}

async function copy() {
    const bytes = listing.bytes;
    if (bytes > COPY_LIMIT) {
        page.copyStatus.textContent = 'Too large for the clipboard; download it instead.';
        return;
    }
    try {
        page.copyStatus.textContent = 'Copying…';
        await copyListing((type, fields) => tool.run(type, fields).done, listingJob());
        page.copyStatus.textContent = 'Copied.';
    } catch (error) {
        page.copyStatus.textContent = `Not copied: ${error.message}`;
    }
}

function choose(file) {
    chosen = file ?? null;
    list();
}

const carriesFiles = (event) => event.dataTransfer?.types.includes('Files');

page.file.addEventListener('change', () => choose(page.file.files[0]));
page.form.addEventListener('submit', (event) => {
    event.preventDefault();
    if (chosen === null)
        page.status.textContent = 'Choose a file first.';
    list();
});
// The field also changes when it loses focus, to the download button say:
// then nothing is to be listed again.
page.address.addEventListener('change', () => {
    if (listing === null || page.address.value !== listing.address)
        list();
});
page.cancel.addEventListener('click', () => {
    stop();
    if (page.listing.dataset.state === 'running') {
        setListingState('empty');
        page.status.textContent = 'Stopped.';
    }
});
page.download.addEventListener('click', save);
page.copy.addEventListener('click', copy);
$('offer').addEventListener('click', (event) => {
    page.address.value = event.target.dataset.address;
    list();
});
let compareTimer = null;
page.expected.addEventListener('input', () => {
    clearTimeout(compareTimer);
    // The verdict shown is for the text that was there before.
    comparisonView.busy();
    compareTimer = setTimeout(compare, COMPARE_DELAY_MS);
});
// Files dropped anywhere are listed; text dropped into the compare box goes
// into it, as the browser does by itself.
document.addEventListener('dragover', (event) => {
    if (!carriesFiles(event))
        return;
    event.preventDefault();
    document.body.classList.add('dragging');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', (event) => {
    document.body.classList.remove('dragging');
    if (!carriesFiles(event))
        return;
    event.preventDefault();
    if (event.dataTransfer.files.length === 0)
        return;
    // The file control then names the dropped file, as it names a chosen one.
    page.file.files = event.dataTransfer.files;
    choose(event.dataTransfer.files[0]);
});

// Offline, the page comes from the service worker's copy of it.
if ('serviceWorker' in navigator) {
    navigator.serviceWorker.register('sw.js').catch((error) => {
        page.offline.textContent = `This page cannot keep a copy for use offline here: ${error.message}`;
    });
} else {
    page.offline.textContent = 'This browser keeps no copy of the page for use offline here.';
}
