// PNG files as the batch tool writes them, deflated by the browser's own
// zlib stream: 16-bit grayscale heightmaps, and palette maps from a BMP.

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

function imageHeader(width, height, bits, colourType) {
    const header = new Uint8Array(13);
    const view = new DataView(header.buffer);
    view.setUint32(0, width);
    view.setUint32(4, height);
    header.set([bits, colourType, 0, 0, 0], 8);  // deflate, rows unfiltered, not interlaced
    return header;
}

async function png(header, more, rows) {
    const parts = [new Uint8Array(kSignature), chunk('IHDR', header), ...more,
        chunk('IDAT', await deflated(rows)), chunk('IEND', new Uint8Array(0))];
    return new Blob(parts, { type: 'image/png' });
}

// Big-endian samples, each row after its filter byte (0: none).
export async function heightmapPng(values, width, height) {
    const rows = new Uint8Array(height * (1 + 2 * width));
    const rowsView = new DataView(rows.buffer);
    for (let y = 0; y < height; ++y) {
        const start = y * (1 + 2 * width);
        for (let x = 0; x < width; ++x) rowsView.setUint16(start + 1 + 2 * x, values[y * width + x]);
    }
    return png(imageHeader(width, height, 16, 0), [], rows);
}

// The BMP's own palette and indices (8 or 4 bits, rows bottom-up, each
// padded to 4 bytes), top row first.
export async function palettePng(bmp) {
    const view = new DataView(bmp.buffer, bmp.byteOffset, bmp.byteLength);
    const offBits = view.getInt32(10, true);
    const width = view.getInt32(18, true);
    const height = view.getInt32(22, true);
    const bits = view.getUint16(28, true);
    const entries = (offBits - 54) / 4;
    const palette = new Uint8Array(3 * entries);
    for (let i = 0; i < entries; ++i) {
        palette.set([bmp[56 + 4 * i], bmp[55 + 4 * i], bmp[54 + 4 * i]], 3 * i);  // BGR0 to RGB
    }
    const stride = Math.floor((bits * width + 31) / 32) * 4;
    const rowBytes = Math.ceil((bits * width) / 8);
    const rows = new Uint8Array(height * (1 + rowBytes));
    for (let y = 0; y < height; ++y) {
        const from = offBits + (height - 1 - y) * stride;
        rows.set(bmp.subarray(from, from + rowBytes), y * (1 + rowBytes) + 1);
    }
    return png(imageHeader(width, height, bits, 3), [chunk('PLTE', palette)], rows);
}
