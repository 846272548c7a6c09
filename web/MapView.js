// The map in its frame, fitted to it, zoomed and panned: with the wheel or
// pinching about the pointer, dragging, and the keyboard (+, -, 0 to fit,
// arrows); pixel-exact from one cell a screen pixel up. The picture holds
// the whole map at a resolution the page's thread draws at once, and,
// once the view rests, the part in sight as finely as the screen shows it.
const kMostZoom = 32;
const kRest = 150;  // ms

export class MapView {
    // shown(scale) is told the zoom after each change; wantsPart({ x, y,
    // width, height, shownWidth, shownHeight }) the part in sight, in cells,
    // and the pixels it takes on the screen, when the picture is too coarse.
    constructor(frame, picture, shown, wantsPart) {
        this.frame = frame;
        this.picture = picture;
        this.shown = shown;
        this.wantsPart = wantsPart;
        this.width = 1;
        this.height = 1;
        this.fineness = 1;  // the whole picture's pixels a cell
        this.resting = 0;
        this.scale = 1;
        this.x = 0;
        this.y = 0;
        this.fitted = true;
        this.pointers = new Map();
        frame.addEventListener('wheel', (event) => this.wheel(event), { passive: false });
        frame.addEventListener('pointerdown', (event) => this.down(event));
        frame.addEventListener('pointermove', (event) => this.move(event));
        for (const type of ['pointerup', 'pointercancel']) {
            frame.addEventListener(type, (event) => this.pointers.delete(event.pointerId));
        }
        frame.addEventListener('keydown', (event) => this.key(event));
        new ResizeObserver(() => this.fitted ? this.fit() : this.place()).observe(frame);
    }

    // A map of this many cells, its whole picture `fineness` pixels a cell.
    show(width, height, fineness) {
        const resized = width !== this.width || height !== this.height;
        this.width = width;
        this.height = height;
        this.fineness = fineness;
        this.picture.style.width = `${width}px`;
        this.picture.style.height = `${height}px`;
        if (resized || this.fitted) this.fit();
        else this.place();
    }

    fitScale() {
        const { clientWidth, clientHeight } = this.frame;
        return Math.min(clientWidth / this.width, clientHeight / this.height);
    }

    // The whole map, as large as the frame holds it, centred.
    fit() {
        this.fitted = true;
        this.scale = this.fitScale();
        this.x = (this.frame.clientWidth - this.width * this.scale) / 2;
        this.y = (this.frame.clientHeight - this.height * this.scale) / 2;
        this.place();
    }

    // By `factor` about the frame's point (atX, atY), its centre if none.
    zoom(factor, atX = this.frame.clientWidth / 2, atY = this.frame.clientHeight / 2) {
        const scale = Math.min(kMostZoom, Math.max(Math.min(1, this.fitScale()), this.scale * factor));
        this.x = atX - (atX - this.x) * (scale / this.scale);
        this.y = atY - (atY - this.y) * (scale / this.scale);
        this.scale = scale;
        this.fitted = false;
        this.place();
    }

    pan(dx, dy) {
        this.x += dx;
        this.y += dy;
        this.fitted = false;
        this.place();
    }

    // Kept so that some of the map stays in the frame.
    place() {
        const width = this.width * this.scale;
        const height = this.height * this.scale;
        const { clientWidth, clientHeight } = this.frame;
        const keep = (at, size, room) => size <= room ? Math.min(Math.max(at, 0), room - size)
            : Math.min(Math.max(at, room - size), 0);
        this.x = keep(this.x, width, clientWidth);
        this.y = keep(this.y, height, clientHeight);
        this.picture.style.transform = `translate(${this.x}px, ${this.y}px) scale(${this.scale})`;
        this.picture.classList.toggle('exact', this.scale >= 1);
        this.shown(this.scale);
        clearTimeout(this.resting);
        this.resting = setTimeout(() => this.askForPart(), kRest);
    }

    askForPart() {
        const fineness = Math.min(1, this.scale * window.devicePixelRatio);
        if (fineness <= this.fineness) return;
        const x = Math.max(0, Math.floor(-this.x / this.scale));
        const y = Math.max(0, Math.floor(-this.y / this.scale));
        const width = Math.min(this.width, Math.ceil((this.frame.clientWidth - this.x) / this.scale)) - x;
        const height = Math.min(this.height, Math.ceil((this.frame.clientHeight - this.y) / this.scale)) - y;
        if (width <= 0 || height <= 0) return;
        this.wantsPart({ x, y, width, height, shownWidth: Math.max(1, Math.ceil(width * fineness)),
            shownHeight: Math.max(1, Math.ceil(height * fineness)) });
    }

    wheel(event) {
        event.preventDefault();
        const box = this.frame.getBoundingClientRect();
        this.zoom(Math.exp(-event.deltaY / 500), event.clientX - box.left, event.clientY - box.top);
    }

    down(event) {
        this.frame.setPointerCapture(event.pointerId);
        this.pointers.set(event.pointerId, { x: event.clientX, y: event.clientY });
    }

    // One pointer drags; two pinch about their middle.
    move(event) {
        const last = this.pointers.get(event.pointerId);
        if (!last) return;
        const now = { x: event.clientX, y: event.clientY };
        if (this.pointers.size === 1) {
            this.pan(now.x - last.x, now.y - last.y);
        } else if (this.pointers.size === 2) {
            const [other] = [...this.pointers].filter(([id]) => id !== event.pointerId).map(([, at]) => at);
            const before = Math.hypot(last.x - other.x, last.y - other.y);
            const after = Math.hypot(now.x - other.x, now.y - other.y);
            const box = this.frame.getBoundingClientRect();
            if (before > 0) this.zoom(after / before, (now.x + other.x) / 2 - box.left, (now.y + other.y) / 2 - box.top);
        }
        this.pointers.set(event.pointerId, now);
    }

    key(event) {
        const step = 40;
        const actions = {
            '+': () => this.zoom(1.25), '=': () => this.zoom(1.25), '-': () => this.zoom(0.8),
            '0': () => this.fit(), ArrowLeft: () => this.pan(step, 0), ArrowRight: () => this.pan(-step, 0),
            ArrowUp: () => this.pan(0, step), ArrowDown: () => this.pan(0, -step),
        };
        if (!actions[event.key] || event.ctrlKey || event.metaKey || event.altKey) return;
        event.preventDefault();
        actions[event.key]();
    }
}
