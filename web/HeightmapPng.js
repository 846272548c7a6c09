// A 16-bit grayscale PNG of heightmap values, row by row from the top, as
// the batch tool writes it: deflated by the browser's own zlib stream.

const kSignature = [137, 80, 78, 71, 13, 10, 26, 10];

const kCrcTable = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
});

function crc32(bytes) {
    let c = 0xffffffff;
    for (const byte of bytes) c = kCrcTable[(c ^ byte) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
    const bytes = new Uint8Array(12 + data.length);
    const view = new DataView(bytes.buffer);
    view.setUint32(0, data.length);
    bytes.set([...type].map((c) => c.charCodeAt(0)), 4);
    bytes.set(data, 8);
    view.setUint32(8 + data.length, crc32(bytes.subarray(4, 8 + data.length)));
    return bytes;
}

async function deflated(bytes) {
    const stream = new Blob([bytes]).stream().pipeThrough(new CompressionStream('deflate'));
    return new Uint8Array(await new Response(stream).arrayBuffer());
}

// Big-endian samples, each row after its filter byte (0: none).
export async function heightmapPng(values, width, height) {
    const header = new Uint8Array(13);
    const headerView = new DataView(header.buffer);
    headerView.setUint32(0, width);
    headerView.setUint32(4, height);
    header.set([16, 0, 0, 0, 0], 8);  // 16 bits, grayscale, deflate, no filter choice, no interlace
    const rows = new Uint8Array(height * (1 + 2 * width));
    const rowsView = new DataView(rows.buffer);
    for (let y = 0; y < height; ++y) {
        const start = y * (1 + 2 * width);
        for (let x = 0; x < width; ++x) rowsView.setUint16(start + 1 + 2 * x, values[y * width + x]);
    }
    const parts = [new Uint8Array(kSignature), chunk('IHDR', header),
        chunk('IDAT', await deflated(rows)), chunk('IEND', new Uint8Array(0))];
    return new Blob(parts, { type: 'image/png' });
}
