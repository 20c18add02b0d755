// How the page's worker gets a file's bytes in order while the module
// decodes: from the page's file reader (another worker) or, where a worker
// may not read the user's files at all, from the page itself.  The
// worker's script goes on from worker.js to this file.

// A file the browser can no longer read: changed or removed on disk since
// the user gave it (the browser then refuses every read of it).
function gone(f) {
  var err = new Error(f.name + ' can no longer be read: was it changed or removed since it was given to the page?');
  err.unreadable = true;
  return err;
}

// The file read in order from some offset on, a chunk at a time, a chunk
// bigger than asked for kept for the next read.  Another thread reads it
// while the module decodes: the reader (file_reader.js) or, where the
// worker may not read the file at all, the page (ask), a few chunks ahead
// either way.
function FileFeed(f, offset) {
  this.file = f;
  this.at = offset;
  this.rest = null;
  if (!blobsReadable) {
    this.asks = [];
    this.askedTo = offset;
    return;
  }
  this.id = nextFeed++;
  this.chunks = [];
  this.waiting = null;
  this.ended = false;
  feeds.set(this.id, this);
  toReader({type: 'open', id: this.id, file: f, offset: offset, ahead: READ_AHEAD});
}
// At most max bytes from where the last read stopped, or null at the end.
FileFeed.prototype.read = async function (max) {
  if (!this.rest || !this.rest.length) {
    if (this.asks) {
      this.askAhead();
      if (!this.asks.length) return null;
      if (this.rest) release(this.rest.buffer);
      this.rest = new Uint8Array(await this.asks.shift());
      this.askAhead();
    } else {
      if (this.rest) this.done(this.rest);
      this.rest = null;
      var self = this;
      while (!this.chunks.length && !this.ended)
        await new Promise(function (resolve) { self.waiting = resolve; });
      if (this.failed) throw typeof this.failed === 'string' ? new Error(this.failed) : gone(this.file);
      if (!this.chunks.length) return null;
      this.rest = this.chunks.shift();
    }
    if (!this.rest.length) return null;
  }
  var bytes = this.rest.subarray(0, max);
  this.rest = this.rest.subarray(bytes.length);
  this.at += bytes.length;
  return bytes;
};
// Whether a read would answer at once, without waiting for the file.
FileFeed.prototype.ready = function () {
  if (this.rest && this.rest.length) return true;
  if (this.asks) return this.asks.length > 0 && this.asks[0].answered;
  return this.chunks.length > 0 || this.ended;
};
// What the reader sent: a chunk, the end, or a failure.
FileFeed.prototype.got = function (m) {
  if (m.bytes) this.chunks.push(new Uint8Array(m.bytes, 0, m.length));
  else { this.ended = true; this.failed = m.failed; }
  if (this.waiting) { this.waiting(); this.waiting = null; }
};
// A chunk used up: its buffer goes back to the reader to be filled again.
FileFeed.prototype.done = function (chunk) {
  toReader({type: 'more', id: this.id, buffer: chunk.buffer}, [chunk.buffer]);
};
// The page reads for the worker a thirty-second of the file at a time, 1
// to 4 MiB, three asks ahead.  What WebKit holds while a read runs (in its
// network process and the page's) grows with the read, so a short file is
// read in small pieces: the 10-minute movie's card and WAV in 1 MiB reads,
// run one at a time, took the browser's memory to 65 MiB beside its 50 MiB
// WAV, not 80-83 MiB as in 4 MiB reads.  A long file keeps the larger
// reads: in 1 MiB ones the 60-minute movie's card took 1.36 s, not 1.08 s.
function askSize(size) { return Math.min(4 << 20, Math.max(1 << 20, Math.ceil(size / 32))); }
FileFeed.prototype.askAhead = function () {
  while (this.asks.length < 3 && this.askedTo < this.file.size) {
    var n = Math.min(askSize(this.file.size), this.file.size - this.askedTo);
    this.asks.push(answerable(ask(this.file, this.askedTo, n)));
    this.askedTo += n;
  }
};
// An ask that says when it is answered; a failed one asked for and then
// not wanted fails unheard.
function answerable(asking) {
  var done = function () { asking.answered = true; };
  asking.then(done, done);
  return asking;
}
FileFeed.prototype.cancel = function () {
  if (this.asks) return;
  feeds.delete(this.id);
  toReader({type: 'cancel', id: this.id});
};

// The reader (file_reader.js), started by the page, which passes on what
// the worker asks of it and what it sends back: chunks to their feed, or
// word that it stopped (the feeds still open then fail).
var READ_AHEAD = 8 << 20;
var feeds = new Map(), nextFeed = 1;
function toReader(request, transfer) {
  self.postMessage({type: 'reader', request: request}, transfer || []);
}
function fromReader(m) {
  var feed = feeds.get(m.id);
  if (feed) feed.got(m);
}
function readerFailed(message) {
  feeds.forEach(function (feed) { feed.got({end: true, failed: 'the page\'s file reader stopped: ' + message}); });
}

// Where a worker may not read Blobs at all (WebKit, with the page opened
// from disk: its workers then have no origin to read them with), the page
// reads for it: bytes [offset, offset + n) of the job's file, as an
// ArrayBuffer.  Found out when the worker starts.
var blobsReadable = true, asked = new Map(), nextAsk = 1;
function ask(f, offset, n) {
  var id = nextAsk++;
  return new Promise(function (resolve, reject) {
    asked.set(id, {file: f, resolve: resolve, reject: reject});
    post({type: 'read', id: job.id, ask: id, offset: offset, end: Math.min(f.size, offset + n)});
  });
}
// A buffer the page read for the worker, used up: freed now, not when the
// worker's collector next runs.  WebKit's collector does not count buffers
// that came from another thread; left to it, a 189 MB movie read for the
// worker held 157 MiB until its card was done.  (Browsers without
// ArrayBuffer.transfer leave it to the collector.)
function release(buffer) {
  if (buffer.transfer && !buffer.detached) buffer.transfer(0);
}
function answered(m) {
  var a = asked.get(m.ask);
  if (!a) return;
  asked.delete(m.ask);
  if (m.bytes) { a.resolve(m.bytes); return; }
  var err = m.tooBig ? new Error(a.file.name + ' is too big for this browser to hold while the page is opened from disk.')
    : gone(a.file);
  err.unreadable = true;
  a.reject(err);
}
