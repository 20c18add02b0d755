#!/usr/bin/python3
"""The page in a real browser engine (Chromium, Firefox or WebKit: engines.py):
it opens the built page from file:// (no network), is given a made movie, a BLB sound, a disc image with
two movies in it and a damaged movie through the file input, and must
save WAVs equal to native plughost's byte for byte when their links are
clicked (the page makes each WAV on that first click), the image's movies
as .mve files equal to plughost scan --extract's, play an item whose WAV
was not made yet, and show velmora's refusal text for the damaged movie.
A movie dropped on the page gets its card too; every control is reached
with Tab and shows its focus; axe-core finds no accessibility fault; a
browser without what the page needs is told so in one sentence.  Where
the page keeps its WAVs as private files, those are exactly its WAVs
made, what a closed page left is removed, and a disk that fails the
page's writes still gives the right WAV.  Leaves a screenshot beside its
inputs (page-ENGINE.png).

usage: browser_test.py PAGE NATIVE_BIN WORK_DIR [ENGINE]"""
import base64
import collections
import os
import shutil
import subprocess
import sys
import time

import engines

page, native, work = (os.path.abspath(a) for a in sys.argv[1:4])
engine_name = sys.argv[4] if len(sys.argv) > 4 else "chromium"
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
failures = []
checks = []
begun = time.time()


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def check(ok, what):
    """One check's result, with the seconds since the start: a check that
    passes only after a long wait shows where the time went."""
    checks.append(what)
    print(f"{'ok' if ok else 'FAIL'} ({time.time() - begun:.1f} s): {what}", flush=True)
    if not ok:
        failures.append(what)


def path(name):
    return os.path.join(work, name)


# Inputs, and plughost's answers for them.
run(f"{native}/mve_maker", "--dpcm", "--channels", "2", "--ms", "3000", "-o", path("stereo.mve"))
run(f"{native}/mve_maker", "--pcm", "--bits", "8", "--ms", "1500", "-o", path("eight.mve"))
run(f"{native}/mve_maker", "--dpcm", "--channels", "2", "--ms", "300000", "-o", path("long.mve"))  # 15 MB
run(f"{native}/blb_maker", "--tune", "2", "--shift", "4", path("music-4.08"))
run(f"{native}/mve_maker", "join", "--junk", "5000", "-o", path("disc.iso"), path("stereo.mve"), path("eight.mve"))
with open(path("stereo.mve"), "rb") as f:
    movie = f.read()
with open(path("broken.mve"), "wb") as f:
    f.write(movie[:20] + b"\xff" * 6 + movie[26:400])
with open(path("changing.mve"), "wb") as f:
    f.write(movie)
plug = f"{native}/plughost"
for name, plugin in (("stereo.mve", "velmora"), ("eight.mve", "velmora"), ("music-4.08", "tasbrin"),
                     ("long.mve", "velmora")):
    run(plug, plugin, "play", path(name), "-o", path(name + ".ref.wav"))
walked, walked_long = (subprocess.run([plug, "velmora", "length", path(name), "--set", "NoWalk=off"], check=True,
                                      capture_output=True, text=True).stdout.split()[1]  # "length: 3015 ms (0:03)"
                       for name in ("stereo.mve", "long.mve"))
os.makedirs(path("extract"))
run(plug, "velmora", "scan", path("disc.iso"), "--extract", path("extract"))

downloads = path("downloads")
os.makedirs(downloads)
started = time.time()
e = engines.start(engine_name, downloads)
print(f"{engine_name}: browser started in {time.time() - started:.1f} s")


def wait_until(ready, seconds=30):
    deadline = time.time() + seconds
    while not ready() and time.time() < deadline:
        time.sleep(0.05)
    return ready()


def card(name):
    return f'.item[data-name="{name}"]'


def text(css):
    return e.run("var n = document.querySelector(arguments[0]); return n ? n.textContent : null", css)


def download(name, kind, key=None):
    """Clicks the card's link as a user does (or presses KEY on it); the
    saved file's name and bytes, None unless exactly that one file was saved."""
    css = card(name) + " " + kind
    saving = e.run("var a = document.querySelector(arguments[0]); return a && a.getAttribute('download')", css)
    if not saving:
        return None
    saved = os.path.join(downloads, saving)
    if key:
        e.press(key, css)
    else:
        e.click(css)

    def finished():
        if text(card(name) + " .problem"):
            return True
        names = os.listdir(downloads)
        return names == [saving] and os.path.getsize(saved) > 0
    wait_until(finished)
    time.sleep(0.3)
    if os.listdir(downloads) != [saving]:
        for n in os.listdir(downloads):
            os.remove(os.path.join(downloads, n))
        return None
    with open(saved, "rb") as f:
        got = f.read()
    os.remove(saved)
    return saving, got


def reference(name):
    with open(path(name), "rb") as f:
        return f.read()


# The page's private files (where its worker may write them, the page
# makes its WAVs there): their names and sizes (one removed meanwhile left
# out).
PRIVATE_FILES = ("var dir = await navigator.storage.getDirectory(), out = [];"
                 "for await (var [name, h] of dir.entries())"
                 "  try { out.push([name, (await h.getFile()).size]); } catch (err) {}"
                 "return out.sort();")
STALE = "orlimbo-wav-00000000deadbeef-1.wav"


def private_files_left():
    """The page's private files that are not among its WAVs made, and the
    WAVs made that have no file (matched by size; none where the page has
    no such files)."""
    if not disk:
        return []
    made = collections.Counter(e.run("return Array.from(document.querySelectorAll('.item[data-wav-bytes]'))"
                                     ".map(c => +c.dataset.wavBytes)"))
    left = []
    for name, size in e.run(PRIVATE_FILES):
        if made[size]:
            made[size] -= 1
        else:
            left.append(name)
    return left + [f"no file of {size} bytes" for size in made.elements()]


try:
    e.open("file://" + page)
    # Chromium and Firefox let a worker write the page's private files;
    # WebKitGTK gives a page from file:// none, so there the WAVs are Blobs.
    disk = e.run("var w = new Worker(URL.createObjectURL(new Blob(['postMessage(!!(self.FileSystemSyncAccessHandle"
                 " && navigator.storage && navigator.storage.getDirectory && navigator.locks))'])));"
                 "return await new Promise(function (r) { w.onmessage = function (m) { r(m.data); }; })")
    check(disk or engine_name == "webkit", "the page's worker can write the page's private files")
    files = [path(n) for n in ("stereo.mve", "music-4.08", "disc.iso", "broken.mve", "eight.mve", "changing.mve")]
    e.files("#files", files)
    # Six files: the movie, the sound, the image's two movies, the damaged
    # movie, the 8-bit movie, a movie changed later -- seven item cards
    # besides the image's.
    wait_until(lambda: e.run("return document.querySelectorAll('.item a.wav, .item .refusal, .item .problem').length") >= 7, 60)

    # Nothing was made by looking; Play then makes the WAV and plays it, and
    # Download WAV later saves that same WAV.
    check(e.run("return document.querySelectorAll('.item[data-wav-bytes], a.wav[href]').length") == 0,
          "looking at the items made no WAV (and no link leads anywhere before it is made)")
    play = card("music-4.08") + " button.play"
    e.press("Space", play) if e.keyboard else e.click(play)
    check(wait_until(lambda: text(play) == "Pause"), "music-4.08: Play makes its WAV and plays it"
          + (" (Space on the button)" if e.keyboard else ""))
    check(text("#said") == "Playing music-4.08", "the play state reaches screen readers")
    e.click(play)

    for name in ("stereo.mve", "eight.mve", "music-4.08"):
        by_key = name == "eight.mve" and e.keyboard
        got = download(name, "a.wav", "Enter" if by_key else None)
        want = reference(name + ".ref.wav")
        check(got is not None and got[1] == want, f"{name}: Download WAV saves plughost play's {len(want)} bytes"
              + (" (Enter on the link)" if by_key else ""))
        check(got is not None and got[0] == name + ".wav", f"{name}: the link saves as NAME.wav")

    # The image holds stereo.mve and eight.mve, 5000 bytes of junk first.
    for i, (name, inner) in enumerate((("disc.iso-1.mve", "stereo.mve"), ("disc.iso-2.mve", "eight.mve")), 1):
        got = download(name, "a.mve")
        check(got is not None and got[1] == reference(f"extract/disc.iso-{i}.mve"),
              f"{name}: the movie found in the image equals plughost's extract")
        got = download(name, "a.wav")
        check(got is not None and got[1] == reference(inner + ".ref.wav"), f"{name}: its WAV equals {inner}'s")

    if disk:
        # The worker of another page opened now (the page's own worker
        # script) removes the file a closed page left, and keeps this
        # page's: one per WAV made, of its size.
        e.run("var w = await (await (await navigator.storage.getDirectory()).getFileHandle(arguments[0], {create: true}))"
              ".createWritable(); await w.write('x'); await w.close();"
              "window.beside = new Worker(URL.createObjectURL(new Blob([document.getElementById('worker-source')"
              ".textContent], {type: 'text/javascript'})));"
              "beside.postMessage({type: 'start', id: 1, ini: '', page: 'orlimbo-wav-0000000000000001'});", STALE)
        wait_until(lambda: STALE not in [n for n, _ in e.run(PRIVATE_FILES)], 10)
        listed = e.run(PRIVATE_FILES)
        e.run("beside.terminate()")
        check(len(listed) == 5 and not private_files_left(), "each WAV made is a private file of its size; another"
              " page's worker removes a closed page's file and keeps these: " + repr(listed))

    # Walking is velmora's setting, off until Settings turns it on; the page
    # then starts the plug-ins again with it in their INI file.
    def walk(name):
        result = card(name) + " .walk-result"
        e.run("document.querySelector(arguments[0]).textContent = ''", result)
        e.click(card(name) + " button.walk")
        wait_until(lambda: text(result))
        return text(result)
    check("walking is off" in walk("stereo.mve"), "walking is off until Settings turns it on")
    e.click("#settings summary")
    e.click("#walk")
    check(f"({walked} ms)" in walk("stereo.mve"), f"with walking on, stereo.mve walks to plughost length's {walked} ms")
    check("NoWalk=off" in (e.run("return localStorage.getItem('orlimbo-web.ini')") or ""),
          "the setting is kept in the browser, in the plug-in's INI file")

    # A movie longer than the page reads ahead of the decoder: walked, and
    # then its WAV made while the walk's reading ahead is still open.
    e.files("#files", [path("long.mve")])
    wait_until(lambda: text(card("long.mve") + " a.wav"), 60)
    check(f"({walked_long} ms)" in walk("long.mve"), f"long.mve walks to plughost length's {walked_long} ms")
    got = download("long.mve", "a.wav")
    check(got is not None and got[1] == reference("long.mve.ref.wav"),
          "long.mve (15 MB, read ahead in chunks): its WAV made after the walk equals plughost's")
    e.click("#settings summary")

    # A file changed on disk after the page looked at it: no WAV, and why.
    with open(path("changing.mve"), "r+b") as f:
        f.seek(3000)
        f.write(b"\x55" * 4000)
    # (Chromium and WebKit refuse to read it; Firefox reads the new bytes,
    # and the page finds the sound changed.)
    saved = download("changing.mve", "a.wav")
    left = private_files_left()
    check(saved is None and not os.listdir(downloads) and
          "changed" in text(card("changing.mve") + " .problem") and not left,
          "a movie changed since it was given: no WAV is saved or kept, and the card says why " + repr(left))

    check((text(".item.image .movies") or "").startswith("2 movie(s) found"), "the image lists its two movies")
    check(text(card("broken.mve") + " .refusal") == "This file is not a valid MVE video file with soundtrack.",
          "the damaged movie shows velmora's refusal text")
    info = e.run("return Array.from(document.querySelectorAll(arguments[0] + ' dl:first-of-type dt'))"
                 ".map(e => e.textContent + '=' + e.nextSibling.textContent)", card("music-4.08"))
    check(any(s.startswith("File Data String=music-4.08") for s in info) and any("DW ADPCM" in s for s in info),
          "the BLB sound shows its info box (data string, format)")

    # A movie dropped on the zone: the image's second movie, as the page
    # saves it, dropped back under another name.
    e.run("var a = document.querySelector(arguments[0]);"
          "var bytes = await (await fetch(a.href)).blob();"
          "var t = new DataTransfer(); t.items.add(new File([bytes], 'dropped.mve'));"
          "var zone = document.getElementById('drop');"
          "['dragenter', 'dragover', 'drop'].forEach(function (k) {"
          "  zone.dispatchEvent(new DragEvent(k, {dataTransfer: t, bubbles: true, cancelable: true})); });",
          card("disc.iso-2.mve") + " a.mve")
    check(wait_until(lambda: text(card("dropped.mve") + " .duration")) == text(card("eight.mve") + " .duration"),
          "a movie dropped on the page gets its card")

    # The keyboard alone: Tab from the top reaches every control, each
    # showing where the focus is.
    if not e.keyboard:
        print(f"({engine_name}: no keyboard checks: its headless page never has the focus)")
    e.run("document.activeElement && document.activeElement.blur(); window.scrollTo(0, 0)")
    want = e.run("return Array.from(document.querySelectorAll('#files, summary, #items button, #items input, #items a'))"
                 ".filter(function (c) { return !c.disabled; }).length")
    reached, unseen = set(), []
    for _ in range(want + 5 if e.keyboard else 0):
        e.press("Tab")
        got = e.run("var a = document.activeElement; if (!a || a === document.body) return null;"
                    "var shown = a.id === 'files' ? a.parentNode : a, s = getComputedStyle(shown);"
                    "var key = a.id || (a.closest('.item') ? a.closest('.item').dataset.name : '') + ' ' + a.className + a.tagName;"
                    "return [key, s.outlineStyle !== 'none' && parseFloat(s.outlineWidth) >= 2]")
        if got:
            reached.add(got[0])
            if not got[1]:
                unseen.append(got[0])
    if e.keyboard:
        check(len(reached) >= want, f"Tab reaches all {want} controls (reached {len(reached)})")
        check(not unseen, "each control shows its focus: " + repr(unseen[:3]))

    # axe-core: no WCAG 2.1 A/AA or best-practice fault with the cards shown.
    with open(os.path.join(engines.HERE, "node_modules", "axe-core", "axe.min.js")) as f:
        axe = f.read()
    faults = e.run(axe + ";var r = await axe.run(document, {runOnly: {type: 'tag', values: "
                   "['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'best-practice']}});"
                   "return [r.passes.length, r.violations.map(function (v) { return v.id + ': ' + v.nodes.map(function (n) {"
                   " return n.target.join(' '); }).slice(0, 3).join(', '); })]")
    check(faults[0] > 20 and not faults[1], f"axe-core finds no accessibility fault ({faults[0]} rules passed): "
          + repr(faults[1]))

    check(not e.run("return Array.from(document.querySelectorAll('.problem')).map(p => p.textContent)"
                    ".filter(t => /host failed|too old|made no progress/.test(t)).length"),
          "no card says the page's host failed or was stopped")
    e.run("document.activeElement && document.activeElement.blur(); window.scrollTo(0, 0)")
    shot = path(f"page-{engine_name}.png")
    e.screenshot(shot)
    check(os.path.getsize(shot) > 0, "screenshot " + shot)
    errors = e.errors()
    if errors is None:
        print(f"({engine_name}: its driver cannot read the console)")
    else:
        check(not errors, "no errors in the page's console: " + repr(errors[:3]))

    # A browser too old for the page (here: its WebAssembly without vector
    # instructions) gets one plain sentence and no file button.
    with open(page, encoding="utf-8") as f:
        html = f.read()
    with open(path("old-browser.html"), "w", encoding="utf-8") as f:
        f.write(html.replace("<head>", "<head><script>WebAssembly.validate = function () { return false; };</script>", 1))
    e.open("file://" + path("old-browser.html"))
    check(wait_until(lambda: text("#items .too-old"), 10) == "This browser is too old for this page: it needs Chrome or Edge"
          " 91, Firefox 89, Safari 16.4 or a later version." and e.run("return document.getElementById('files').disabled"),
          "a browser too old for the page is told so in one sentence, and offered no file button")

    # A disk that fails the page's writes: the WAV is made again in Blobs,
    # and no file is left behind (the files of the page before it, closed
    # now, are removed too).
    if disk:
        with open(path("full-disk.html"), "w", encoding="utf-8") as f:
            f.write(html.replace("var WavDisk = (function () {",
                                 "FileSystemSyncAccessHandle.prototype.write = function () { return 0; };\n"
                                 "var WavDisk = (function () {", 1))
        e.open("file://" + path("full-disk.html"))
        e.files("#files", [path("stereo.mve")])
        wait_until(lambda: text(card("stereo.mve") + " a.wav"), 60)
        got = download("stereo.mve", "a.wav")
        left = [n for n, _ in e.run(PRIVATE_FILES) if n.startswith("orlimbo-wav-")]
        check(got is not None and got[1] == reference("stereo.mve.ref.wav") and not left,
              "with the disk failing its writes, the WAV still equals plughost's and no file is left: " + repr(left))
finally:
    e.quit()
print(f"{engine_name}: {len(checks) - len(failures)} checks passed, {len(failures)} failed; "
      f"browser part {time.time() - started:.1f} s")
sys.exit(1 if failures else 0)
