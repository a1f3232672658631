// Runs a WASI command under Node.js: node wasi-run.mjs MODULE.wasm ARGS...
// Standard input, output and error are the process's own, and the command's
// exit status is this one's. --no-warnings keeps Node's note that WASI is
// experimental off standard error, which belongs to the command.
//
// The guest sees the host's file system under the same names: the root is
// its one preopened directory, and PWD names the working directory, which
// the tool enters at its start, so that a relative name is looked up from
// there, ".." included, and an absolute one from the root, as natively.
// Arguments reach the guest as UTF-8: a name that is not valid UTF-8 cannot
// be passed.
import { readFileSync, realpathSync } from 'node:fs';
import { WASI } from 'node:wasi';

// The global process, not an import of node:process: the import reads every
// property, process.stdout too, which makes a pipe on standard output
// non-blocking, and the command's writes to it would then fail when it is full.
const [module_path, ...args] = process.argv.slice(2);
if (module_path === undefined) {
    process.stderr.write('usage: wasi-run MODULE.wasm [ARGS...]\n');
    process.exit(2);
}

// The working directory by its bytes: process.cwd() gives text, with U+FFFD
// for bytes that are not UTF-8, which the guest could not enter, and fails
// where the directory is gone.
function workingDirectory() {
    try {
        const bytes = realpathSync.native('.', { encoding: 'buffer' });
        const text = bytes.toString();
        return Buffer.from(text).equals(bytes) ? text : null;
    } catch {
        return null;
    }
}
const directory = workingDirectory();
if (directory === null) {
    process.stderr.write('wasi-run: the working directory is gone or its name is not UTF-8\n');
    process.exit(1);
}

const wasi = new WASI({ version: 'preview1', args: [module_path, ...args],
                        env: { PWD: directory }, preopens: { '/': '/' }, returnOnExit: true });
const module = await WebAssembly.compile(readFileSync(module_path));
const instance = await WebAssembly.instantiate(module, wasi.getImportObject());
// Not process.exit(), which would look at process.stdout as well.
process.exitCode = wasi.start(instance);
