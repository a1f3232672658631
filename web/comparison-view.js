// Tells the outcome of a comparison: a verdict in words and in data
// attributes, every group that differs with the bytes the file holds there,
// and the offer to list again from another start address.
import { count, hex3, hex8, hexBytes, lineRange } from './words.js';

// More differences than this are counted, not listed.
const MAX_LISTED = 1000;

function item(text, data = {}) {
    const li = document.createElement('li');
    li.textContent = text;
    Object.assign(li.dataset, Object.fromEntries(Object.entries(data).map(([k, v]) => [k, String(v)])));
    return li;
}

function where(group) {
    return `line ${group.line}, value ${group.place} (pasted line ${group.pasteLine}): file offset ` +
        `${group.offset} (0x${group.offset.toString(16).toUpperCase()}), address ${hex8(group.address)}`;
}

// What the file holds at a group, as the person may have typed it.
function fileBytes(group, bytesAt) {
    const bytes = bytesAt(group.offset);
    if (bytes.length === 0)
        return 'past the end of the file';
    return `the file holds ${hexBytes(bytes)}${bytes.length < 8 ? ' (its last bytes)' : ''}`;
}

function groupItem(group, bytesAt) {
    const listed = group.listed === null ? 'no value' : hex3(group.listed);
    const pasted = group.expected === null ? 'no value' : hex3(group.expected);
    return item(`${where(group)}: listed ${listed}, pasted ${pasted}; ${fileBytes(group, bytesAt)}.`,
                { line: group.line, place: group.place, offset: group.offset, address: group.address });
}

function unreadableItem(group, bytesAt) {
    const listed = group.listed === null ? 'no value' : hex3(group.listed);
    return item(`${where(group)}: “${group.text}” is not a value (three hex digits); listed ${listed}; ` +
                `${fileBytes(group, bytesAt)}.`,
                { line: group.line, place: group.place, offset: group.offset, unreadable: group.text });
}

function verdictText(outcome, listingLines) {
    const { first, last, groups, unreadable, extra } = outcome;
    const lines = last - first + 1;
    const whole = first === 1 && last === listingLines;
    if (outcome.verdict === 'match') {
        if (whole)
            return lines === 1 ? 'The pasted listing matches: its one line is the same.'
                : `The pasted listing matches: all ${count(lines, 'line')} are the same.`;
        return `The pasted lines match ${lineRange(first, last)} of the listing's ${count(listingLines, 'line')}.`;
    }
    const faults = [];
    if (groups.length > 0)
        faults.push(count(groups.length, 'group differs', 'groups differ'));
    if (unreadable.length > 0)
        faults.push(`${count(unreadable.length, 'pasted value')} cannot be read`);
    const beyond = extra.before.length + extra.after.length;
    if (beyond > 0)
        faults.push(`${count(beyond, 'pasted line has', 'pasted lines have')} no line in the listing`);
    const compared = last >= first
        ? `compared with ${lineRange(first, last)} of the listing's ${count(listingLines, 'line')}`
        : 'no line of the listing compared';
    return `The pasted listing does not match: ${faults.join(', ')} (${compared}).`;
}

function skippedText(skipped) {
    return skipped === 0 ? ''
        : ` ${count(skipped, 'pasted line')} without values ${skipped === 1 ? 'was' : 'were'} skipped ` +
          '(blank lines, page headers and the like).';
}

function extraItems({ before, after }, listingLines) {
    const items = [];
    const range = (lines) => lineRange(lines[0], lines[lines.length - 1]).replace('line', 'pasted line');
    if (before.length > 0)
        items.push(item(`${range(before)}: before the listing's first line.`));
    if (after.length > 0)
        items.push(item(`${range(after)}: past the listing's last line, line ${listingLines}.`));
    return items;
}

export function createComparisonView({ comparison, offer, differences, lineDifferences }) {
    const reset = (verdict, text) => {
        comparison.textContent = text;
        for (const name of ['verdict', 'groups', 'fromLine', 'skipped', 'fitsAddress', 'unreadable'])
            delete comparison.dataset[name];
        comparison.dataset.verdict = verdict;
        offer.hidden = true;
        differences.replaceChildren();
        lineDifferences.replaceChildren();
    };
    return {
        // Nothing pasted, or nothing yet to compare with: `text` says which.
        empty(text = '') {
            reset('', text);
        },
        // A comparison is under way, or waits for the listing: no verdict yet.
        busy(text = 'Comparing…') {
            reset('', text);
            delete comparison.dataset.verdict;
        },
        notAListing(paste) {
            reset('not-a-listing', `This does not look like a listing: fewer than half of the ` +
                  `${count(paste.nonBlank, 'non-blank line')} pasted are lines of values (three hex digits ` +
                  'each, such as 1F0).');
            comparison.dataset.skipped = String(paste.skipped);
        },
        // `bytesAt(offset)`: the file's bytes of the group at `offset`.
        show(outcome, { paste, from, listingLines, bytesAt }) {
            reset(outcome.verdict, verdictText(outcome, listingLines) + skippedText(paste.skipped));
            Object.assign(comparison.dataset, {
                groups: String(outcome.groups.length),
                unreadable: String(outcome.unreadable.length),
                fromLine: String(from),
                skipped: String(paste.skipped),
            });
            if (outcome.fitsAddress !== null) {
                // Every group differs then; the groups that differ at the
                // other address are what counts, and listing again shows them.
                const address = hex3(outcome.fitsAddress);
                comparison.dataset.fitsAddress = address;
                comparison.append(` Most values differ from the listing by one and the same amount: the pasted ` +
                    `listing looks made at start address ${address} (or any address ending in ${address}; ` +
                    'they all give the same listing). List the file from there to see which groups differ then.');
                offer.textContent = `List again from start address ${address}`;
                offer.dataset.address = address;
                offer.hidden = false;
                return;
            }
            const listed = [...outcome.unreadable, ...outcome.groups]
                .sort((a, b) => a.line - b.line || a.place - b.place);
            if (listed.length > MAX_LISTED)
                comparison.append(` The first ${MAX_LISTED} are listed below.`);
            differences.replaceChildren(...listed.slice(0, MAX_LISTED).map((group) =>
                ('text' in group ? unreadableItem : groupItem)(group, bytesAt)));
            lineDifferences.replaceChildren(...extraItems(outcome.extra, listingLines));
        },
    };
}
