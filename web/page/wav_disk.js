// The WAVs this page makes, on disk where the browser lets its worker
// write the page's own private files (a synchronous handle on a file of
// navigator.storage): the sound then costs no memory, and a browser that
// copies a Blob into another process when the page gives it an address
// (Firefox) has nothing to copy, as a file is passed by reference.  Where
// the browser has no such files, or one cannot be made or written (private
// windows, a full disk), the worker hands the sound over in Blobs instead.
//
// A page's files carry its id, and the page holds a lock of that name for
// as long as it is open (its worker may be replaced meanwhile).  A worker,
// as it starts, removes the files of every page whose lock nobody holds
// (closed or crashed), so a WAV outlives its page only until the next one
// opens.  The page's script (hold) and the worker's (the rest) both
// include this file.

var WavDisk = (function () {
  var PREFIX = 'orlimbo-wav-';
  var ready = Promise.resolve(null); // the folder and the page's id, or null: no files here

  // The page's id, once the page holds its lock (until it closes); null
  // where the browser has no locks, or grants none within 2 s (the page
  // then starts without files rather than waits).
  function hold() {
    return new Promise(function (resolve) {
      if (!navigator.locks || !self.crypto) { resolve(null); return; }
      setTimeout(function () { resolve(null); }, 2000);
      var id = PREFIX + Array.from(crypto.getRandomValues(new Uint8Array(8)), function (b) {
        return (256 + b).toString(16).slice(1);
      }).join('');
      navigator.locks.request(id, function () { resolve(id); return new Promise(function () {}); })
        .catch(function () { resolve(null); });
    });
  }

  // The files of page ID (its lock held) from now on, and what closed pages
  // left cleared first; without an ID, none.
  function start(id) {
    ready = clear(id);
  }

  async function clear(id) {
    if (!id || !self.FileSystemSyncAccessHandle || !self.navigator.storage || !navigator.storage.getDirectory)
      return null;
    try {
      var dir = await navigator.storage.getDirectory(), others = new Map(); // page id: its files
      for await (var name of dir.keys()) {
        var m = /^(orlimbo-wav-[0-9a-f]+)-/.exec(name);
        if (m && m[1] !== id) others.set(m[1], (others.get(m[1]) || []).concat(name));
      }
      await Promise.all(Array.from(others, function (other) {
        return navigator.locks.request(other[0], {ifAvailable: true}, function (lock) {
          return lock && Promise.all(other[1].map(function (name) { return dir.removeEntry(name).catch(function () {}); }));
        });
      }));
      return {dir: dir, id: id};
    } catch (err) {
      return null;
    }
  }

  // A file of SIZE bytes for job JOB's WAV, its sound to start after the 44
  // bytes of the header; null where there is none to be had.  The file is
  // given its size at once, so a disk or quota too small for it is known
  // before the sound is decoded.
  async function open(job, size) {
    var here = await ready;
    if (!here) return null;
    var name = here.id + '-' + job + '.wav', handle = null;
    try {
      var file = await here.dir.getFileHandle(name, {create: true});
      handle = await file.createSyncAccessHandle();
      handle.truncate(size);
      if (handle.getSize() !== size) throw new Error('not sized');
      return {dir: here.dir, name: name, file: file, handle: handle, size: size, at: 44, failed: false, over: false};
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
    if (sink.failed || sink.over) return;
    var to = at === undefined ? sink.at : at;
    // More sound than the file was sized for (the movie changed since it
    // was looked at): not written, and the file not kept.
    if (to + bytes.length > sink.size) {
      sink.over = true;
      return;
    }
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
  // file to its size exactly (a pad byte after an odd length is there
  // already).
  async function finish(sink, header) {
    var keep = header && !sink.failed && !sink.over && sink.at + ((sink.at - 44) & 1) === sink.size;
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

  return {hold: hold, start: start, open: open, write: write, finish: finish};
})();
