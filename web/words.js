// How the page words numbers: counts with their noun, sizes, hex values.

export const count = (n, one, many = `${one}s`) => `${n.toLocaleString('en')} ${n === 1 ? one : many}`;

export const lineRange = (first, last) => (first === last ? `line ${first}` : `lines ${first} to ${last}`);

// Bytes below a KiB, KiB below a MiB, MiB above: never "0.0 MiB".
export function size(bytes) {
    if (bytes < 1024)
        return count(bytes, 'byte');
    if (bytes < 1024 * 1024)
        return `${(bytes / 1024).toFixed(1)} KiB`;
    return `${(bytes / 2 ** 20).toFixed(1)} MiB`;
}

export const hex3 = (value) => value.toString(16).toUpperCase().padStart(3, '0');
export const hex8 = (value) => `0x${value.toString(16).toUpperCase().padStart(8, '0')}`;
export const hexBytes = (bytes) => [...bytes].map((b) => b.toString(16).toUpperCase().padStart(2, '0')).join(' ');
