// node module_scan_test.js MODULE NATIVE_BIN WORK
// The page's WebAssembly module (web_host.js, as the worker runs it) on a
// sparse 5 GiB disc image with a movie at 4.5 GiB: its scan must find the
// movie at its 64-bit start, and the plug-in must take the item there.  Also
// checks that the module's WAV header is the one plughost writes, and that
// its warm-up movie (the page's first look, jobs.js) plays whole.
'use strict';
const fs = require('fs');
const path = require('path');
const {execFileSync} = require('child_process');

const [modulePath, nativeBin, work] = process.argv.slice(2);
fs.mkdirSync(work, {recursive: true});
const fail = (why) => { console.error('FAIL: ' + why); process.exit(1); };

// The movie, made by the native maker, and the image around it.
const movie = path.join(work, 'movie.mve');
execFileSync(path.join(nativeBin, 'mve_maker'), ['--channels', '1', '--ms', '500', '-o', movie]);
const image = path.join(work, 'disc5g.img');
const at = 4.5 * 2 ** 30, size = 5 * 2 ** 30;
fs.rmSync(image, {force: true});
const fd = fs.openSync(image, 'w+');
fs.ftruncateSync(fd, size);
const bytes = fs.readFileSync(movie);
fs.writeSync(fd, bytes, 0, bytes.length, at);

// What the worker's script gives the module (worker.js): reads of the
// user's file, and the host's events.
globalThis.self = globalThis;
globalThis.location = {href: 'file://' + path.dirname(modulePath) + '/'};
let events = [];
globalThis.ansiText = (p) => { let s = ''; for (; HEAPU8[p]; p++) s += String.fromCharCode(HEAPU8[p]); return s; };
let warmUp = null; // file 2: the module's warm-up movie
self.onHostRead = (file, offset, dst, n) => {
  if (file !== 2) return fs.readSync(fd, HEAPU8, dst, n, offset);
  const part = warmUp.subarray(offset, offset + n);
  HEAPU8.set(part, dst);
  return part.length;
};
self.onHostEvent = (kind, a, b, n) => events.push({kind, a, b, n});
self.onHostSound = () => {};
self.onHostWaveform = () => {};
globalThis.Module = {
  onRuntimeInitialized() {
    const c = (name, result, args) => Module.cwrap(name, result, args);
    const load = c('web_load', 'number', ['string']);
    const scan = c('web_scan', 'number', ['number', 'number', 'number']);
    const newItem = c('web_new_item', 'number', ['number', 'number', 'number', 'string', 'string']);
    const identify = c('web_identify', 'number', ['number', 'number']);
    const wavHeader = c('web_wav_header', null, ['number', 'number', 'number', 'number', 'number']);
    if (load('/plughost.ini') < 1) fail('no plug-in loaded');
    const found = scan(0, 1, size);
    const starts = events.filter((e) => e.kind === 'movie').map((e) => e.n);
    const sizes = events.filter((e) => e.kind === 'movie-size').map((e) => e.n);
    if (found !== 1 || starts.length !== 1 || starts[0] !== at)
      fail('scan found ' + found + ' movie(s) at ' + JSON.stringify(starts) + ', not one at ' + at);
    if (sizes[0] !== bytes.length) fail('the movie found has ' + sizes[0] + ' bytes, not ' + bytes.length);
    const item = newItem(1, at, sizes[0], 'movie.mve', 'movie.mve');
    const identified = identify(0, item);
    if (identified !== bytes.length) fail('the movie past 4 GiB identifies as ' + identified + ' bytes');
    // The header for an odd data size, against plughost's rules: RIFF size
    // counts the pad byte, 22050 Hz mono 16-bit.
    const out = Module._malloc(44);
    wavHeader(22050, 1, 16, 1001, out);
    const h = new DataView(HEAPU8.buffer, out, 44);
    if (h.getUint32(4, true) !== 36 + 1001 + 1 || h.getUint32(28, true) !== 44100 || h.getUint32(40, true) !== 1001)
      fail('the module\'s WAV header is not plughost\'s');
    Module._free(out);
    // The warm-up movie: 20 s of stereo 16-bit sound at 22050 Hz, all of it
    // decoded by the plug-in the player would choose for it.
    const at2 = c('web_warm_up_movie', 'number', ['number'])(20000);
    warmUp = HEAPU8.slice(at2, at2 + c('web_warm_up_bytes', 'number', [])());
    c('web_warm_up_movie', 'number', ['number'])(0);
    const warm = newItem(2, 0, warmUp.length, 'warm-up.mve', 'warm-up.mve');
    const plugin = c('web_choose', 'number', ['number'])(warm);
    events = [];
    if (plugin !== 0 || c('web_decode_open', 'number', ['number', 'number', 'number'])(plugin, warm, 0) !== 0)
      fail('the warm-up movie (' + warmUp.length + ' bytes) is not played: plug-in ' + plugin);
    c('web_decode_step', 'number', ['number'])(0);
    const ended = c('web_decode_close', 'number', [])();
    const decoded = events.filter((e) => e.kind === 'decoded').map((e) => e.n);
    if (ended !== 0 || decoded[0] !== 20 * 22050 * 4)
      fail('the warm-up movie decodes to ' + JSON.stringify(decoded) + ' bytes (result ' + ended + '), not ' + 20 * 22050 * 4);
    fs.closeSync(fd);
    fs.rmSync(image);
    console.log('ok: the movie at 4.5 GiB of a 5 GiB image was found and identified; the warm-up movie plays whole');
  }
};
(0, eval)(fs.readFileSync(modulePath, 'utf8'));
