#!/usr/bin/python3
"""The page in a real browser: headless Chromium opens the built page from
file:// (no network), is given a made movie, a BLB sound, a disc image with
two movies in it and a damaged movie through the file input, and must
save WAVs equal to native plughost's byte for byte when their links are
clicked (the page makes each WAV on that first click), the image's movies
as .mve files equal to plughost scan --extract's, play an item whose WAV
was not made yet, and show velmora's refusal text for the damaged movie.
Leaves a screenshot beside its inputs.

usage: browser_test.py PAGE NATIVE_BIN WORK_DIR"""
import base64
import os
import shutil
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

page, native, work = (os.path.abspath(a) for a in sys.argv[1:4])
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
failures = []


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def check(ok, what):
    print(("ok: " if ok else "FAIL: ") + what)
    if not ok:
        failures.append(what)


def path(name):
    return os.path.join(work, name)


# Inputs, and plughost's answers for them.
run(f"{native}/mve_maker", "--dpcm", "--channels", "2", "--ms", "3000", "-o", path("stereo.mve"))
run(f"{native}/mve_maker", "--pcm", "--bits", "8", "--ms", "1500", "-o", path("eight.mve"))
run(f"{native}/blb_maker", "--tune", "2", "--shift", "4", path("music-4.08"))
run(f"{native}/mve_maker", "join", "--junk", "5000", "-o", path("disc.iso"), path("stereo.mve"), path("eight.mve"))
with open(path("stereo.mve"), "rb") as f:
    movie = f.read()
with open(path("broken.mve"), "wb") as f:
    f.write(movie[:20] + b"\xff" * 6 + movie[26:400])
with open(path("changing.mve"), "wb") as f:
    f.write(movie)
plug = f"{native}/plughost"
for name, plugin in (("stereo.mve", "velmora"), ("eight.mve", "velmora"), ("music-4.08", "tasbrin")):
    run(plug, plugin, "play", path(name), "-o", path(name + ".ref.wav"))
walked = subprocess.run([plug, "velmora", "length", path("stereo.mve"), "--set", "NoWalk=off"], check=True,
                        capture_output=True, text=True).stdout.split()[1]  # "length: 3015 ms (0:03)"
os.makedirs(path("extract"))
run(plug, "velmora", "scan", path("disc.iso"), "--extract", path("extract"))

profile = tempfile.mkdtemp(prefix="web-test-profile-")
options = webdriver.ChromeOptions()
for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--user-data-dir=" + profile, "--window-size=1100,1400", "--allow-file-access-from-files"):
    options.add_argument(flag)
downloads = path("downloads")
os.makedirs(downloads)
options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                          "download.prompt_for_download": False})
options.binary_location = "/usr/bin/chromium"
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
started = time.time()
try:
    driver.set_script_timeout(60)
    driver.execute_cdp_cmd("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads})
    driver.get("file://" + page)
    files = [path(n) for n in ("stereo.mve", "music-4.08", "disc.iso", "broken.mve", "eight.mve", "changing.mve")]
    driver.find_element(By.ID, "files").send_keys("\n".join(files))
    # Six files: the movie, the sound, the image's two movies, the damaged
    # movie, the 8-bit movie, a movie changed later -- seven item cards
    # besides the image's.
    def wait_until(ready, seconds=30):
        deadline = time.time() + seconds
        while not ready() and time.time() < deadline:
            time.sleep(0.05)

    wait_until(lambda: driver.execute_script(
        "return document.querySelectorAll('.item a.wav, .item .refusal, .item .problem').length") >= 7, 60)

    def card_of(name):
        return [c for c in driver.find_elements(By.CSS_SELECTOR, ".item") if c.get_attribute("data-name") == name][0]

    def download(name, kind):
        """Clicks the card's link as a user does; the saved file's name and
        bytes, None unless exactly that one file was saved."""
        card = card_of(name)
        links = card.find_elements(By.CSS_SELECTOR, kind)
        if not links:
            return None
        saved = os.path.join(downloads, links[0].get_attribute("download"))
        links[0].click()
        wait_until(lambda: card.find_elements(By.CSS_SELECTOR, ".problem") or os.path.exists(saved) and
                   not any(n.endswith(".crdownload") for n in os.listdir(downloads)))
        time.sleep(0.3)
        if os.listdir(downloads) != [os.path.basename(saved)]:
            for n in os.listdir(downloads):
                os.remove(os.path.join(downloads, n))
            return None
        with open(saved, "rb") as f:
            got = f.read()
        os.remove(saved)
        return os.path.basename(saved), got

    def reference(name):
        with open(path(name), "rb") as f:
            return f.read()

    # Nothing was made by looking; Play then makes the WAV and plays it, and
    # Download WAV later saves that same WAV.
    check(driver.execute_script("return document.querySelectorAll('.item[data-wav-bytes], a.wav[href]').length") == 0,
          "looking at the items made no WAV (and no link leads anywhere before it is made)")
    play = card_of("music-4.08").find_element(By.CSS_SELECTOR, "button.play")
    play.click()
    wait_until(lambda: play.text == "Pause")
    check(play.text == "Pause", "music-4.08: Play makes its WAV and plays it")
    play.click()

    for name in ("stereo.mve", "eight.mve", "music-4.08"):
        got = download(name, "a.wav")
        want = reference(name + ".ref.wav")
        check(got is not None and got[1] == want, f"{name}: Download WAV saves plughost play's {len(want)} bytes")
        check(got is not None and got[0] == name + ".wav", f"{name}: the link saves as NAME.wav")

    # The image holds stereo.mve and eight.mve, 5000 bytes of junk first.
    for i, (name, inner) in enumerate((("disc.iso-1.mve", "stereo.mve"), ("disc.iso-2.mve", "eight.mve")), 1):
        got = download(name, "a.mve")
        check(got is not None and got[1] == reference(f"extract/disc.iso-{i}.mve"),
              f"{name}: the movie found in the image equals plughost's extract")
        got = download(name, "a.wav")
        check(got is not None and got[1] == reference(inner + ".ref.wav"), f"{name}: its WAV equals {inner}'s")

    # Walking is velmora's setting, off until Settings turns it on; the page
    # then starts the plug-ins again with it in their INI file.
    def walk(name):
        card_of(name).find_element(By.CSS_SELECTOR, "button.walk").click()
        result = card_of(name).find_element(By.CSS_SELECTOR, ".walk-result")
        wait_until(lambda: result.text)
        return result.text
    check("walking is off" in walk("stereo.mve"), "walking is off until Settings turns it on")
    driver.find_element(By.CSS_SELECTOR, "#settings summary").click()
    driver.find_element(By.ID, "walk").click()
    check(f"({walked} ms)" in walk("stereo.mve"), f"with walking on, stereo.mve walks to plughost length's {walked} ms")
    check("NoWalk=off" in driver.execute_script("return localStorage.getItem('orlimbo-web.ini')"),
          "the setting is kept in the browser, in the plug-in's INI file")
    driver.find_element(By.CSS_SELECTOR, "#settings summary").click()

    # A file changed on disk after the page looked at it: no WAV, and why.
    with open(path("changing.mve"), "r+b") as f:
        f.seek(3000)
        f.write(b"\x55" * 4000)
    check(download("changing.mve", "a.wav") is None and not os.listdir(downloads) and
          "can no longer be read" in card_of("changing.mve").text,
          "a movie changed since it was given: no WAV is saved, and the card says why")

    listed = driver.execute_script("return document.querySelector('.item.image .movies').textContent")
    check(listed.startswith("2 movie(s) found"), "the image lists its two movies")

    refusal = driver.execute_script(
        "var c = Array.from(document.querySelectorAll('.item')).find(c => c.dataset.name === 'broken.mve');"
        "var r = c && c.querySelector('.refusal'); return r ? r.textContent : null")
    check(refusal == "This file is not a valid MVE video file with soundtrack.",
          "the damaged movie shows velmora's refusal text")

    info = driver.execute_script(
        "var c = Array.from(document.querySelectorAll('.item')).find(c => c.dataset.name === 'music-4.08');"
        "return Array.from(c.querySelectorAll('dl:first-of-type dt')).map(e => e.textContent + '=' + e.nextSibling.textContent)")
    check(any(s.startswith("File Data String=music-4.08") for s in info) and any("DW ADPCM" in s for s in info),
          "the BLB sound shows its info box (data string, format)")
    driver.execute_script("document.querySelector('.item canvas.wave').scrollIntoView()")
    driver.execute_script("window.scrollTo(0, 0)")
    driver.save_screenshot(path("page.png"))
    check(os.path.getsize(path("page.png")) > 0, "screenshot " + path("page.png"))
    errors = [e for e in driver.get_log("browser") if e.get("level") == "SEVERE"]
    check(not errors, "no errors in the page's console: " + repr(errors[:3]))
finally:
    driver.quit()
    shutil.rmtree(profile, ignore_errors=True)
print(f"browser part: {time.time() - started:.1f} s")
sys.exit(1 if failures else 0)
