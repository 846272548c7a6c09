// Serves a folder on http://127.0.0.1:PORT/, from PORT (8000) up to the
// first that is free, and prints the address it took; files only, nothing
// outside the folder.
import {readFile} from 'node:fs/promises';
import {createServer} from 'node:http';
import {extname, join, normalize, resolve, sep} from 'node:path';

const kTypes = {
    '.html': 'text/html; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.wasm': 'application/wasm',
    '.svg': 'image/svg+xml',
};

export function serve(folder, firstPort = 8000) {
    const root = resolve(folder);
    const server = createServer(async (request, response) => {
        let path;
        try {
            path = decodeURIComponent(new URL(request.url, 'http://host').pathname);
        } catch {
            response.writeHead(400).end();  // a malformed address names no file
            return;
        }
        const file = normalize(join(root, path.endsWith('/') ? `${path}index.html` : path));
        if (!file.startsWith(root + sep)) {
            response.writeHead(403).end();
            return;
        }
        try {
            const body = await readFile(file);
            response.writeHead(200, {
                'Content-Type': kTypes[extname(file)] ?? 'application/octet-stream',
                'Cache-Control': 'no-cache'
            });
            response.end(body);
        } catch {
            response.writeHead(404).end();
        }
    });
    return new Promise((resolveAddress, reject) => {
        let port = firstPort;
        server.on('error', (error) => {
            if (error.code !== 'EADDRINUSE' || port >= firstPort + 100)
                reject(error);
            else
                server.listen(++port, '127.0.0.1');
        });
        server.on(
            'listening', () => resolveAddress({server, address: `http://127.0.0.1:${port}/`}));
        server.listen(port, '127.0.0.1');
    });
}

if (import.meta.url === `file://${process.argv[1]}`) {
    const {address} = await serve(process.argv[2] ?? '.', Number(process.argv[3] ?? 8000));
    console.log(`Morvik's page is at ${address}`);
}
