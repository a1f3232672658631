// Shows lines of the listing in the page: the first and the last, and the
// lines a comparison looked at, each beside its line number and file offset.
// The element's text is the tool's output for the lines shown, byte for byte:
// numbers, offsets and notes stand in attributes that the style shows.
import { BLOCK_BYTES, VALUE_CHARS } from './listing-text.js';
import { hex3 } from './words.js';

// A line is shown as two halves of eight values, side by side where there
// is room and one under the other on a narrow screen.
const HALF_CHARS = 8 * VALUE_CHARS;

function halfElement(text, firstPlace) {
    const half = document.createElement('span');
    half.className = 'half';
    half.dataset.firstPlace = String(firstPlace);
    half.textContent = text;
    return half;
}

function lineElement(number, text, widths) {
    const line = document.createElement('span');
    line.className = 'line';
    if (text === '') {
        // The empty line after a whole number of blocks: no values, no number.
        line.classList.add('empty');
        line.textContent = '\n';
        return line;
    }
    line.dataset.n = String(number);
    line.dataset.number = String(number).padStart(widths.number);
    line.dataset.offset = String(BLOCK_BYTES * (number - 1)).padStart(widths.offset);
    const rest = text.slice(HALF_CHARS);
    line.append(halfElement(rest === '' ? `${text}\n` : text.slice(0, HALF_CHARS), 1));
    if (rest !== '')
        line.append(halfElement(`${rest}\n`, 1 + HALF_CHARS / VALUE_CHARS));
    return line;
}

function gapElement(first, last) {
    const gap = document.createElement('span');
    gap.className = 'gap';
    gap.dataset.note = first === last
        ? `… line ${first} is not shown; the download holds every line.`
        : `… lines ${first} to ${last} are not shown; the download holds every line.`;
    return gap;
}

// The values of a half, the marked ones in <mark> with what was expected.
function markHalf(half, marks) {
    const text = half.textContent;
    const firstPlace = Number(half.dataset.firstPlace);
    const parts = [];
    let plain = '';
    for (let at = 0; at < text.length; at += VALUE_CHARS) {
        const group = marks.get(firstPlace + at / VALUE_CHARS);
        if (group === undefined || at + 3 > text.length) {
            plain += text.slice(at, at + VALUE_CHARS);
            continue;
        }
        parts.push(document.createTextNode(plain));
        plain = text.slice(at + 3, at + VALUE_CHARS);
        const mark = document.createElement('mark');
        mark.textContent = text.slice(at, at + 3);
        mark.title = group.expected === null ? 'no value pasted' : `pasted ${hex3(group.expected)}`;
        parts.push(mark);
    }
    parts.push(document.createTextNode(plain));
    half.replaceChildren(...parts);
}

export function createListingView(element) {
    // Line number to text, for every line shown.
    let shown = new Map();
    let base = new Map();

    function render() {
        const numbers = [...shown.keys()].sort((a, b) => a - b);
        const last = numbers[numbers.length - 1] ?? 0;
        const widths = { number: String(last).length, offset: String(BLOCK_BYTES * (last - 1)).length };
        const elements = [];
        numbers.forEach((number, i) => {
            const before = i === 0 ? 0 : numbers[i - 1];
            if (number > before + 1)
                elements.push(gapElement(before + 1, number - 1));
            elements.push(lineElement(number, shown.get(number), widths));
        });
        element.replaceChildren(...elements);
    }

    return {
        // `parts`: runs of lines, each { first, lines } (texts without line ends).
        show(parts) {
            base = new Map();
            for (const { first, lines } of parts)
                lines.forEach((text, i) => base.set(first + i, text));
            shown = new Map(base);
            render();
        },
        // Shows `lines` too (line number to text), until the next call; the
        // lines of show() stay.
        showAlso(lines) {
            const more = [...lines].filter(([number]) => !base.has(number));
            if (more.length === 0 && shown.size === base.size)
                return;
            shown = new Map([...base, ...more]);
            render();
        },
        clear() {
            base = new Map();
            shown = new Map();
            element.replaceChildren();
        },
        // Marks every differing group on the lines shown; the text stays.
        mark(groups) {
            const byLine = new Map();
            for (const group of groups) {
                if (group.listed !== null)
                    byLine.set(group.line, (byLine.get(group.line) ?? new Map()).set(group.place, group));
            }
            for (const line of element.querySelectorAll('.line[data-n]')) {
                const marks = byLine.get(Number(line.dataset.n));
                if (marks === undefined)
                    continue;
                line.querySelectorAll('.half').forEach((half) => markHalf(half, marks));
                line.classList.add('differs');
            }
        },
        unmark() {
            for (const line of element.querySelectorAll('.line.differs')) {
                line.querySelectorAll('.half').forEach((half) => {
                    half.textContent = half.textContent;
                });
                line.classList.remove('differs');
            }
        },
    };
}
