// The part of WASI (preview 1) that the tool needs: its arguments, standard
// output and error handed to callbacks, and one file, whose bytes the caller
// hands over. The file lies in the one preopened directory "." under its own
// name; nothing else exists.

const ERRNO_SUCCESS = 0;
const ERRNO_BADF = 8;
const ERRNO_INVAL = 28;
const ERRNO_IO = 29;
const ERRNO_NOENT = 44;
const ERRNO_NOSYS = 52;
const ERRNO_SPIPE = 70;
const FILETYPE_CHARACTER_DEVICE = 2;
const FILETYPE_DIRECTORY = 3;
const FILETYPE_REGULAR_FILE = 4;
const ALL_RIGHTS = 0x1fffffffn;

const STDOUT = 1;
const STDERR = 2;
const PREOPEN_FD = 3;
const PREOPEN_NAME = '.';
const FILE_FD = 4;

// Thrown by proc_exit to leave the module; caught by run_command.
class ProcessExit {
    constructor(code) {
        this.code = code;
    }
}

// Runs the WASI command `module` with `args` (the program's name first) on
// `file`: { name, size, mtimeNs (a BigInt), openable, read(position, length) },
// where read gives a Uint8Array of up to `length` bytes, fewer only at the
// file's end, and throws when the bytes cannot be had. onOutput(fd, bytes)
// gets every write to standard output (1) or error (2) as a view into the
// module's memory, valid during the call only; onRead(position) the file
// position after every read. Returns the exit status.
export function runCommand(module, { args, file, onOutput, onRead = () => {} }) {
    const encoder = new TextEncoder();
    const encodedArgs = args.map((arg) => encoder.encode(`${arg}\0`));
    const nameBytes = encoder.encode(PREOPEN_NAME);
    let memory = null;
    let fileOpen = false;
    let position = 0;

    const view = () => new DataView(memory.buffer);
    const bytesAt = (pointer, length) => new Uint8Array(memory.buffer, pointer, length);
    const iovecs = (pointer, count) =>
        Array.from({ length: count }, (_, i) => ({
            buffer: view().getUint32(pointer + 8 * i, true),
            length: view().getUint32(pointer + 8 * i + 4, true),
        }));
    const fileType = (fd) =>
        fd === PREOPEN_FD
            ? FILETYPE_DIRECTORY
            : fd === FILE_FD && fileOpen
              ? FILETYPE_REGULAR_FILE
              : fd <= STDERR
                ? FILETYPE_CHARACTER_DEVICE
                : null;

    const wasi = {
        args_sizes_get(countPointer, sizePointer) {
            view().setUint32(countPointer, encodedArgs.length, true);
            view().setUint32(sizePointer, encodedArgs.reduce((sum, a) => sum + a.length, 0), true);
            return ERRNO_SUCCESS;
        },
        args_get(argvPointer, bufferPointer) {
            encodedArgs.forEach((arg, i) => {
                view().setUint32(argvPointer + 4 * i, bufferPointer, true);
                bytesAt(bufferPointer, arg.length).set(arg);
                bufferPointer += arg.length;
            });
            return ERRNO_SUCCESS;
        },
        environ_sizes_get(countPointer, sizePointer) {
            view().setUint32(countPointer, 0, true);
            view().setUint32(sizePointer, 0, true);
            return ERRNO_SUCCESS;
        },
        environ_get() {
            return ERRNO_SUCCESS;
        },
        fd_prestat_get(fd, pointer) {
            if (fd !== PREOPEN_FD)
                return ERRNO_BADF;
            view().setUint8(pointer, 0); // a directory
            view().setUint32(pointer + 4, nameBytes.length, true);
            return ERRNO_SUCCESS;
        },
        fd_prestat_dir_name(fd, pointer, length) {
            if (fd !== PREOPEN_FD)
                return ERRNO_BADF;
            bytesAt(pointer, Math.min(length, nameBytes.length)).set(nameBytes.subarray(0, length));
            return ERRNO_SUCCESS;
        },
        fd_fdstat_get(fd, pointer) {
            const type = fileType(fd);
            if (type === null)
                return ERRNO_BADF;
            const v = view();
            v.setUint8(pointer, type);
            v.setUint16(pointer + 2, 0, true);
            v.setBigUint64(pointer + 8, ALL_RIGHTS, true);
            v.setBigUint64(pointer + 16, ALL_RIGHTS, true);
            return ERRNO_SUCCESS;
        },
        fd_filestat_get(fd, pointer) {
            const type = fileType(fd);
            if (type === null)
                return ERRNO_BADF;
            bytesAt(pointer, 64).fill(0);
            view().setUint8(pointer + 16, type);
            view().setBigUint64(pointer + 24, 1n, true);
            // The same size and time at every call: the bytes handed over
            // are the file's as it was chosen, and do not change.
            if (fd === FILE_FD) {
                view().setBigUint64(pointer + 32, BigInt(file.size), true);
                view().setBigUint64(pointer + 48, file.mtimeNs, true);
            }
            return ERRNO_SUCCESS;
        },
        path_open(dirFd, _dirFlags, pathPointer, pathLength, _openFlags, _rights, _inherited,
                  _fdFlags, fdPointer) {
            if (dirFd !== PREOPEN_FD)
                return ERRNO_BADF;
            const path = new TextDecoder().decode(bytesAt(pathPointer, pathLength).slice());
            if (path !== file.name || fileOpen || !file.openable)
                return ERRNO_NOENT;
            fileOpen = true;
            position = 0;
            view().setUint32(fdPointer, FILE_FD, true);
            return ERRNO_SUCCESS;
        },
        fd_read(fd, iovsPointer, iovsCount, readPointer) {
            if (fd !== FILE_FD || !fileOpen)
                return ERRNO_BADF;
            let total = 0;
            try {
                for (const { buffer, length } of iovecs(iovsPointer, iovsCount)) {
                    const bytes = file.read(position, length);
                    bytesAt(buffer, bytes.length).set(bytes);
                    position += bytes.length;
                    total += bytes.length;
                    if (bytes.length < length)
                        break;
                }
            } catch {
                // An error, never the end of the file: the tool then says
                // that it cannot read the file, after the lines before.
                return ERRNO_IO;
            }
            view().setUint32(readPointer, total, true);
            onRead(position);
            return ERRNO_SUCCESS;
        },
        fd_write(fd, iovsPointer, iovsCount, writtenPointer) {
            if (fd !== STDOUT && fd !== STDERR)
                return ERRNO_BADF;
            let total = 0;
            for (const { buffer, length } of iovecs(iovsPointer, iovsCount)) {
                onOutput(fd, bytesAt(buffer, length));
                total += length;
            }
            view().setUint32(writtenPointer, total, true);
            return ERRNO_SUCCESS;
        },
        fd_seek(fd, offset, whence, newOffsetPointer) {
            if (fd !== FILE_FD || !fileOpen)
                return fd <= STDERR ? ERRNO_SPIPE : ERRNO_BADF;
            const base = [0, position, file.size][whence];
            const target = base === undefined ? -1 : base + Number(offset);
            if (target < 0)
                return ERRNO_INVAL;
            position = target;
            view().setBigUint64(newOffsetPointer, BigInt(position), true);
            return ERRNO_SUCCESS;
        },
        fd_close(fd) {
            // The tool closes standard output at its end, to learn that all
            // of it was taken: every write has been handed over by then.
            if (fd === STDOUT || fd === STDERR)
                return ERRNO_SUCCESS;
            if (fd !== FILE_FD || !fileOpen)
                return ERRNO_BADF;
            fileOpen = false;
            return ERRNO_SUCCESS;
        },
        proc_exit(code) {
            throw new ProcessExit(code);
        },
    };
    // Whatever else the module imports is not there.
    const imports = {};
    for (const { module: from, name: importName } of WebAssembly.Module.imports(module)) {
        imports[from] ??= {};
        imports[from][importName] = wasi[importName] ?? (() => ERRNO_NOSYS);
    }
    const instance = new WebAssembly.Instance(module, imports);
    memory = instance.exports.memory;
    try {
        instance.exports._start();
    } catch (exit) {
        if (exit instanceof ProcessExit)
            return exit.code;
        throw exit;
    }
    return 0;
}

// The start address as the tool reads it, asked of a fresh instance of the
// module, which is never started. It has no preopened directory; the text is
// put in memory that the module allocates for it.
export function scanStartAddress(module, text) {
    const imports = {};
    for (const { module: from, name } of WebAssembly.Module.imports(module)) {
        imports[from] ??= {};
        imports[from][name] = name === 'fd_prestat_get' ? () => ERRNO_BADF : () => ERRNO_NOSYS;
    }
    imports.wasi_snapshot_preview1.proc_exit = (code) => {
        throw new ProcessExit(code);
    };
    const { exports } = new WebAssembly.Instance(module, imports);
    const bytes = new TextEncoder().encode(text);
    const pointer = exports.allocate_text(bytes.length);
    new Uint8Array(exports.memory.buffer, pointer, bytes.length).set(bytes);
    return exports.scan_start_address(pointer, bytes.length) >>> 0;
}
