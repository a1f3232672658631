// The page: chooses the file and the start address, runs the tool in a
// Worker, shows its listing beside line numbers and offsets, offers it for
// download and the clipboard, and compares it with a pasted listing.
import { LINE_CHARS, compareListings } from './compare.js';

// A listing longer than the worker keeps whole is shown as this many first
// and last lines; the download holds all.
const SHOWN_LINES = 1000;
const COPY_LIMIT = 64 * 1024 * 1024;
const MAX_LISTED_DIFFERENCES = 5000;

const $ = (id) => document.getElementById(id);
const page = {
    form: $('choose'), file: $('file'), address: $('start-address'), cancel: $('cancel'),
    progressArea: $('progress-area'), progress: $('progress'), progressText: $('progress-text'),
    message: $('message'), status: $('status'), download: $('download'), copy: $('copy'),
    copyStatus: $('copy-status'), listing: $('listing'), expected: $('expected'),
    comparison: $('comparison'), differences: $('differences'), lineDifferences: $('line-differences'),
    build: $('build'),
};
const wantedBuild = new URLSearchParams(location.search).get('build') ?? 'auto';

let worker = null;
let chosen = null; // the File
let result = null; // the latest finished run
let downloadUrl = null;
let listedAddress = null; // the start address of the latest listing

const mib = (bytes) => `${(bytes / 2 ** 20).toFixed(1)} MiB`;
const hex8 = (value) => `0x${value.toString(16).toUpperCase().padStart(8, '0')}`;

function showMessage(text) {
    page.message.textContent = text;
    page.message.hidden = text === '';
}

function setState(state) {
    page.listing.dataset.state = state;
    const running = state === 'running';
    page.cancel.hidden = !running;
    page.progressArea.hidden = !running;
}

function startWorker() {
    worker?.terminate();
    worker = new Worker(new URL('worker.js', import.meta.url), { type: 'module' });
    worker.onmessage = ({ data }) => {
        if (data.type === 'progress')
            showProgress(data.read, data.size);
        else if (data.type === 'done')
            finish(data);
        else {
            setState('failed');
            showMessage(`The listing could not be made: ${data.message}`);
        }
    };
}

function showProgress(read, size) {
    page.progress.value = size === 0 ? 1 : read / size;
    page.progressText.textContent = `${mib(read)} of ${mib(size)}`;
}

function list() {
    if (chosen === null)
        return;
    startWorker();
    result = null;
    clearListing();
    setState('running');
    showMessage('');
    showProgress(0, chosen.size);
    page.status.textContent = `Listing ${chosen.name}…`;
    listedAddress = page.address.value;
    worker.postMessage({ file: chosen, address: page.address.value, build: wantedBuild });
}

function clearListing() {
    page.listing.replaceChildren();
    page.download.hidden = true;
    page.copy.hidden = true;
    page.copyStatus.textContent = '';
    page.differences.replaceChildren();
    page.lineDifferences.replaceChildren();
    page.comparison.textContent = '';
    if (downloadUrl !== null)
        URL.revokeObjectURL(downloadUrl);
    downloadUrl = null;
}

// The lines of `text` (each ended by a line end), as rendered lines.
function splitLines(text) {
    const lines = text.split('\n');
    lines.pop();
    return lines;
}

function lineElement(text, number, width) {
    const line = document.createElement('span');
    line.className = 'line';
    line.dataset.n = String(number);
    const offset = (number - 1) * 128;
    line.dataset.gutter = `${String(number).padStart(width)} ${String(offset).padStart(width + 2)}  `;
    line.textContent = `${text}\n`;
    return line;
}

function finish(run) {
    result = { ...run, name: chosen.name };
    setState(run.status === 0 ? 'done' : 'failed');
    page.build.textContent = `WebAssembly module: ${run.build === 'simd128' ? 'SIMD128' : 'plain'} build.`;
    let head = splitLines(run.head);
    let tail = run.complete ? [] : splitLines(run.tail);
    // A failure is reported on the listing's last line, the tool's message.
    let failure = '';
    if (run.status !== 0) {
        const lines = run.complete ? head : tail;
        failure = lines.pop() ?? 'the tool failed';
    }
    if (!run.complete) {
        head = head.slice(0, SHOWN_LINES);
        tail = tail.slice(-SHOWN_LINES);
    }
    const lastNumber = run.complete ? head.length : run.tailFirstLine + tail.length;
    const width = Math.max(4, String(lastNumber).length);
    const lines = head.map((text, i) => lineElement(text, i + 1, width));
    if (!run.complete) {
        const firstTail = run.lines - (run.status !== 0) - tail.length + 1;
        const skipped = document.createElement('span');
        skipped.className = 'skipped';
        skipped.dataset.gutter =
            `… lines ${head.length + 1} to ${firstTail - 1} are not shown; the download holds every line.`;
        lines.push(skipped, ...tail.map((text, i) => lineElement(text, firstTail + i, width)));
    }
    page.listing.replaceChildren(...lines);
    if (failure !== '')
        showMessage(failure);
    if (run.errors !== '')
        showMessage(`${failure} ${run.errors}`.trim());
    const name = `${result.name}.lst`;
    downloadUrl = URL.createObjectURL(run.output);
    page.download.href = downloadUrl;
    page.download.download = name;
    page.download.textContent = `Download ${name}`;
    page.download.hidden = run.status !== 0 && run.bytes === 0;
    page.copy.hidden = page.download.hidden;
    page.status.textContent = run.status === 0
        ? `${result.name}: ${chosen.size} bytes, ${run.lines} lines, listed in ${run.seconds.toFixed(2)} s.`
        : `${result.name}: the listing stopped.`;
    page.status.dataset.readSeconds = run.readSeconds.toFixed(3);
    page.status.dataset.blobSeconds = run.blobSeconds.toFixed(3);
    compare();
}

// Value-carrying lines of the whole listing: a whole number of blocks ends
// with an empty line, a failure with the tool's message.
function listedLines(run) {
    const ending = run.complete ? run.head : run.tail;
    const blankEnd = ending === '\n' || ending.endsWith('\n\n');
    return run.lines - (blankEnd || run.status !== 0 ? 1 : 0);
}

let compareTimer = null;
async function compare() {
    clearTimeout(compareTimer);
    const expectedText = page.expected.value;
    const run = result;
    page.differences.replaceChildren();
    page.lineDifferences.replaceChildren();
    unmark();
    if (run === null || expectedText.trim() === '') {
        page.comparison.textContent = expectedText.trim() === '' ? '' : 'Waiting for the listing.';
        return;
    }
    const expectedLines = expectedText.split('\n').length;
    const listed = await run.output.slice(0, LINE_CHARS * (expectedLines + 1)).text();
    if (run !== result || expectedText !== page.expected.value)
        return; // a newer listing or text has come meanwhile
    const outcome = compareListings(listed, listedLines(run), expectedText, run.startAddress);
    report(outcome);
    mark(outcome.groups);
}

function report({ groups, missing, extra, listedLines: count, expectedLines }) {
    const items = groups.slice(0, MAX_LISTED_DIFFERENCES).map((group) => {
        const li = document.createElement('li');
        li.dataset.line = String(group.line);
        li.dataset.place = String(group.place);
        li.dataset.offset = String(group.offset);
        li.dataset.address = String(group.address);
        const listed = group.listed ?? 'none (no such group in the file)';
        const expected = group.expected ?? 'none';
        li.textContent = `line ${group.line}, value ${group.place}: file offset ${group.offset} ` +
            `(0x${group.offset.toString(16).toUpperCase()}), address ${hex8(group.address)}: ` +
            `listed ${listed}, expected ${expected}`;
        return li;
    });
    page.differences.replaceChildren(...items);
    const lineItems = [];
    const range = ([from, to]) => (from === to ? `line ${from}` : `lines ${from} to ${to}`);
    if (missing !== null)
        lineItems.push(`Missing from the expected listing: ${range(missing)} of the file's listing.`);
    if (extra !== null)
        lineItems.push(`Extra in the expected listing: ${range(extra)}; the file's listing has ${count}.`);
    page.lineDifferences.replaceChildren(...lineItems.map((text) => {
        const li = document.createElement('li');
        li.textContent = text;
        return li;
    }));
    if (groups.length === 0 && missing === null && extra === null)
        page.comparison.textContent = `The listing matches: all ${count} lines are the same.`;
    else {
        const more = groups.length > MAX_LISTED_DIFFERENCES
            ? ` (the first ${MAX_LISTED_DIFFERENCES} are listed)` : '';
        page.comparison.textContent = `The listing does not match: ${groups.length} ` +
            `${groups.length === 1 ? 'group differs' : 'groups differ'}${more}` +
            `${lineItems.length ? ', and the line counts differ' : ''} ` +
            `(${expectedLines} lines expected, ${count} listed).`;
    }
}

// Marks every differing value among the lines shown; the text stays the same.
function mark(groups) {
    const byLine = new Map();
    for (const group of groups) {
        if (group.listed !== null)
            byLine.set(group.line, [...(byLine.get(group.line) ?? []), group]);
    }
    for (const line of page.listing.querySelectorAll('.line')) {
        const marked = byLine.get(Number(line.dataset.n));
        if (marked === undefined)
            continue;
        const values = line.textContent.split(' ');
        const places = new Map(marked.map((group) => [group.place, group]));
        const parts = [];
        values.forEach((value, i) => {
            const group = places.get(i + 1);
            const separator = i < values.length - 1 ? ' ' : '';
            if (group === undefined) {
                parts.push(document.createTextNode(value + separator));
                return;
            }
            const markElement = document.createElement('mark');
            markElement.textContent = value;
            markElement.title = `expected ${group.expected ?? 'no value'}`;
            parts.push(markElement, document.createTextNode(separator));
        });
        line.replaceChildren(...parts);
        line.classList.add('differs');
    }
}

function unmark() {
    for (const line of page.listing.querySelectorAll('.line.differs')) {
        line.textContent = line.textContent;
        line.classList.remove('differs');
    }
}

async function copyListing() {
    if (result === null)
        return;
    if (result.output.size > COPY_LIMIT) {
        page.copyStatus.textContent = 'Too large for the clipboard; download it instead.';
        return;
    }
    try {
        await navigator.clipboard.writeText(await result.output.text());
        page.copyStatus.textContent = 'Copied.';
    } catch (error) {
        page.copyStatus.textContent = `Not copied: ${error.message}`;
    }
}

function choose(file) {
    chosen = file ?? null;
    list();
}

page.file.addEventListener('change', () => choose(page.file.files[0]));
page.form.addEventListener('submit', (event) => {
    event.preventDefault();
    if (chosen === null)
        page.status.textContent = 'Choose a file first.';
    list();
});
// The field also changes when it loses focus, to the download link say:
// then nothing is to be listed again.
page.address.addEventListener('change', () => {
    if (page.address.value !== listedAddress)
        list();
});
page.cancel.addEventListener('click', () => {
    worker?.terminate();
    worker = null;
    setState('empty');
    page.status.textContent = 'Stopped.';
});
page.copy.addEventListener('click', copyListing);
page.expected.addEventListener('input', () => {
    clearTimeout(compareTimer);
    compareTimer = setTimeout(compare, 250);
});
document.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dragging');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dragging');
    if (event.dataTransfer.files.length > 0)
        choose(event.dataTransfer.files[0]);
});
