// The WAVs this page makes, on disk where the browser lets its worker
// write the page's own private files (a synchronous handle on a file of
// navigator.storage): the sound then costs no memory, and a browser that
// copies a Blob into another process when the page gives it an address
// (Firefox) has nothing to copy, as a file is passed by reference.  Where
// the browser has no such files, or one cannot be made or written (private
// windows, a full disk), the worker hands the sound over in Blobs instead.
//
// A page's files carry its own random id, and the page's worker holds a
// lock of that name for as long as it lives.  A page's worker, as it
// starts, removes the files of every page whose lock nobody holds (closed
// or crashed), so a WAV outlives its page only until the next one opens.

var WavDisk = (function () {
  var PREFIX = 'orlimbo-wav-';
  var ready = null; // the folder, or null: no files here

  // Takes the page's lock and clears what closed pages left, once.
  function start() {
    if (!ready) ready = clear();
    return ready;
  }

  function clear() {
    if (!self.FileSystemSyncAccessHandle || !self.navigator.storage || !navigator.storage.getDirectory ||
        !navigator.locks)
      return Promise.resolve(null);
    var id = Array.from(crypto.getRandomValues(new Uint8Array(8)), function (b) { return (256 + b).toString(16).slice(1); }).join('');
    var held = new Promise(function (resolve) {
      navigator.locks.request(PREFIX + id, function () { resolve(); return new Promise(function () {}); });
    });
    return held.then(function () { return navigator.storage.getDirectory(); }).then(async function (dir) {
      var others = new Map(); // page id: its files
      for await (var name of dir.keys()) {
        var m = /^orlimbo-wav-([0-9a-f]+)-/.exec(name);
        if (m && m[1] !== id) others.set(m[1], (others.get(m[1]) || []).concat(name));
      }
      await Promise.all(Array.from(others, function (other) {
        return navigator.locks.request(PREFIX + other[0], {ifAvailable: true}, function (lock) {
          return lock && Promise.all(other[1].map(function (name) { return dir.removeEntry(name).catch(function () {}); }));
        });
      }));
      return {dir: dir, id: id};
    }).catch(function () { return null; });
  }

  // A file of SIZE bytes for job JOB's WAV, its sound to start after the 44
  // bytes of the header; null where there is none to be had.  The file is
  // given its size at once, so a disk or quota too small for it is known
  // before the sound is decoded.
  async function open(job, size) {
    var here = await start();
    if (!here) return null;
    var name = PREFIX + here.id + '-' + job + '.wav', handle = null;
    try {
      var file = await here.dir.getFileHandle(name, {create: true});
      handle = await file.createSyncAccessHandle();
      handle.truncate(size);
      if (handle.getSize() !== size) throw new Error('not sized');
      return {dir: here.dir, name: name, file: file, handle: handle, size: size, at: 44, failed: false};
    } catch (err) {
      if (handle) handle.close();
      here.dir.removeEntry(name).catch(function () {});
      return null;
    }
  }

  // Written a mebibyte at a time: Chromium writes larger pieces through a
  // buffer of their size each time, several times slower.
  var PIECE = 1 << 20;
  function write(sink, bytes, at) {
    if (sink.failed) return;
    var to = at === undefined ? sink.at : at;
    try {
      for (var i = 0; i < bytes.length; i += PIECE) {
        var piece = bytes.subarray(i, Math.min(bytes.length, i + PIECE));
        if (sink.handle.write(piece, {at: to + i}) !== piece.length) throw new Error('short write');
      }
      if (at === undefined) sink.at += bytes.length;
    } catch (err) {
      sink.failed = true;
    }
  }

  // The WAV complete: HEADER written before the sound, the file closed and
  // given back as a File (on disk).  Null, and the file gone, when a write
  // failed, HEADER is null (no sound to keep) or the sound did not fill the
  // file to its size (a pad byte after an odd length is there already).
  async function finish(sink, header) {
    var keep = header && !sink.failed && sink.at + ((sink.at - 44) & 1) === sink.size;
    if (keep) write(sink, new Uint8Array(header), 0);
    // Not flushed: the file only has to outlive the page, not a power cut.
    sink.handle.close();
    if (keep && !sink.failed) {
      try {
        return await sink.file.getFile();
      } catch (err) { /* gone from under us: as a failed write */ }
    }
    await sink.dir.removeEntry(sink.name).catch(function () {});
    return null;
  }

  return {start: start, open: open, write: write, finish: finish};
})();
