// Serves a folder on http://127.0.0.1:PORT/, from PORT (8000) up to the
// first that is free, and prints the address it took. Files only, read
// with GET or HEAD, and nothing outside the folder, through a link or not;
// each with its ETag and Last-Modified, gzipped where the browser takes it.
import { readFile, realpath, stat } from 'node:fs/promises';
import { realpathSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, sep } from 'node:path';
import { fileURLToPath } from 'node:url';
import { promisify } from 'node:util';
import { gzip } from 'node:zlib';

const kTypes = {
    '.html': 'text/html; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.json': 'application/json',
    '.wasm': 'application/wasm',
    '.svg': 'image/svg+xml',
    '.png': 'image/png',
};
// Pictures are compressed already.
const kCompressed = new Set(['.png']);
const gzipped = promisify(gzip);

// The file an address names, as the folder holds it after every link is
// followed; none for an address that leaves the folder or names no file.
async function fileAt(root, pathname) {
    let path;
    try {
        path = decodeURIComponent(pathname);
    } catch {
        return null;
    }
    if (path.includes('\0')) return null;
    let file = join(root, path);
    try {
        file = await realpath(file);
        if ((await stat(file)).isDirectory()) file = await realpath(join(file, 'index.html'));
        if (!file.startsWith(root + sep)) return null;
        const info = await stat(file);
        return info.isFile() ? { file, info } : null;
    } catch {
        return null;
    }
}

// Each file's gzipped bytes, kept while it stays as it was.
const packed = new Map();
async function gzipOf(file, info, body) {
    const known = packed.get(file);
    if (known && known.mtimeMs === info.mtimeMs && known.size === info.size) return known.bytes;
    const bytes = await gzipped(body);
    packed.set(file, { mtimeMs: info.mtimeMs, size: info.size, bytes });
    return bytes;
}

async function answer(root, request, response) {
    if (request.method !== 'GET' && request.method !== 'HEAD') {
        response.writeHead(405, { Allow: 'GET, HEAD' }).end();
        return;
    }
    let pathname;
    try {
        pathname = new URL(request.url, 'http://host').pathname;
    } catch {
        response.writeHead(400).end();
        return;
    }
    const found = await fileAt(root, pathname);
    if (!found) {
        response.writeHead(404).end();
        return;
    }
    const { file, info } = found;
    const tag = `"${info.size.toString(16)}-${Math.floor(info.mtimeMs).toString(16)}"`;
    const headers = {
        'Content-Type': kTypes[extname(file)] ?? 'application/octet-stream',
        'Cache-Control': 'no-cache',
        ETag: tag,
        'Last-Modified': info.mtime.toUTCString(),
        Vary: 'Accept-Encoding',
    };
    const since = Date.parse(request.headers['if-modified-since'] ?? '');
    const fresh = request.headers['if-none-match'] !== undefined
        ? request.headers['if-none-match'].split(/\s*,\s*/).includes(tag)
        : since >= Math.floor(info.mtimeMs / 1000) * 1000;
    if (fresh) {
        response.writeHead(304, headers).end();
        return;
    }
    let body = await readFile(file);
    if (!kCompressed.has(extname(file)) && /\bgzip\b/.test(request.headers['accept-encoding'] ?? '')) {
        body = await gzipOf(file, info, body);
        headers['Content-Encoding'] = 'gzip';
    }
    headers['Content-Length'] = body.length;
    response.writeHead(200, headers);
    response.end(request.method === 'HEAD' ? undefined : body);
}

export async function serve(folder, firstPort = 8000) {
    const root = await realpath(folder);
    const server = createServer((request, response) => {
        answer(root, request, response).catch(() => {
            if (!response.headersSent) response.writeHead(500);
            response.end();
        });
    });
    return new Promise((resolveAddress, reject) => {
        let port = firstPort;
        server.on('error', (error) => {
            if (error.code !== 'EADDRINUSE' || port >= firstPort + 100) reject(error);
            else server.listen(++port, '127.0.0.1');
        });
        server.on('listening', () => resolveAddress({ server, address: `http://127.0.0.1:${port}/` }));
        server.listen(port, '127.0.0.1');
    });
}

// Run as a program, from wherever it lies: its path may hold spaces, other
// scripts or links.
if (process.argv[1] && realpathSync(process.argv[1]) === fileURLToPath(import.meta.url)) {
    const folder = process.argv[2] ?? '.';
    try {
        const { address } = await serve(folder, Number(process.argv[3] ?? 8000));
        console.log(`Morvik's page is at ${address}`);
    } catch (error) {
        console.error(`serve: cannot serve ${folder}: ${error.message}`);
        process.exit(1);
    }
}
