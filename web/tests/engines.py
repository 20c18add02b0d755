"""The three browser engines the page's tests run in, behind one small
interface, so each check is written once: Chromium (Selenium and
chromedriver), Firefox (puppeteer-core over WebDriver BiDi, through
firefox_driver.js) and WebKit (Selenium and WebKitWebDriver driving
MiniBrowser under a private Xvfb display).

Every engine: open(url), run(body, *args) (body is an async function's body;
its result comes back as JSON), files(css, paths), click(css),
press(key, css=None), screenshot(path), errors() (the page's console
errors, or None where the driver cannot read them), quit(); keyboard is
False where keys cannot be tried.  Downloads go
to the folder given; `root` is the process the browser's processes descend
from (its driver)."""
import json
import os
import shutil
import subprocess
import tempfile

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = (1100, 1400)
NAMES = ("chromium", "firefox", "webkit")
KEYS = {"Enter": Keys.ENTER, "Tab": Keys.TAB, "Space": Keys.SPACE}


class Selenium:
    """What Selenium does alike in Chromium and WebKit."""
    keyboard = True  # the page has the focus: keys act, and :focus shows
    def open(self, url):
        self.driver.get(url)

    def run(self, body, *args):
        got = self.driver.execute_async_script(
            "var done = arguments[arguments.length - 1];"
            "(async function () {" + body + "}).apply(null, Array.prototype.slice.call(arguments, 0, -1))"
            ".then(function (v) { done({value: v === undefined ? null : v}); }, function (e) { done({error: String(e)}); });",
            *args)
        if "error" in got:
            raise RuntimeError(got["error"])
        return got["value"]

    def files(self, css, paths):
        self.driver.find_element(By.CSS_SELECTOR, css).send_keys("\n".join(paths))

    def click(self, css):
        self.driver.find_element(By.CSS_SELECTOR, css).click()

    def press(self, key, css=None):
        if css:
            self.driver.find_element(By.CSS_SELECTOR, css).send_keys(KEYS[key])
        else:
            webdriver.ActionChains(self.driver).send_keys(KEYS[key]).perform()

    def screenshot(self, path):
        self.driver.save_screenshot(path)


class Chromium(Selenium):
    def __init__(self, downloads):
        from selenium.webdriver.chrome.service import Service
        self.profile = tempfile.mkdtemp(prefix="web-test-chromium-")
        options = webdriver.ChromeOptions()
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--user-data-dir=" + self.profile, "--window-size=%d,%d" % SIZE,
                     "--allow-file-access-from-files"):
            options.add_argument(flag)
        options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                                  "download.prompt_for_download": False})
        options.binary_location = "/usr/bin/chromium"
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.set_script_timeout(120)
        self.root = self.driver.service.process.pid
        self.driver.execute_cdp_cmd("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads})

    def errors(self):
        return [e for e in self.driver.get_log("browser") if e.get("level") == "SEVERE"]

    def quit(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)


class WebKit(Selenium):
    def __init__(self, downloads):
        # MiniBrowser saves where the user's download folder is: a home of
        # its own says where.
        self.home = tempfile.mkdtemp(prefix="web-test-webkit-")
        os.makedirs(os.path.join(self.home, ".config"))
        with open(os.path.join(self.home, ".config", "user-dirs.dirs"), "w") as f:
            f.write('XDG_DOWNLOAD_DIR="%s"\n' % downloads)
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "%dx%dx24" % (SIZE[0] + 100, SIZE[1] + 200),
                                      "-nolisten", "tcp"], pass_fds=[w], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        self.display_pipe = r  # kept open: Xvfb dies of a write to a closed pipe
        display = os.read(r, 16).decode().strip()
        saved = {k: os.environ.get(k) for k in ("DISPLAY", "HOME")}
        os.environ.update(DISPLAY=":" + display, HOME=self.home)
        try:
            options = webdriver.WebKitGTKOptions()
            options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
            options.add_argument("--automation")
            self.driver = webdriver.WebKitGTK(options=options, executable_path="/usr/bin/WebKitWebDriver")
        except Exception:
            self.xvfb.terminate()
            raise
        finally:
            for k, v in saved.items():
                if v is None:
                    os.environ.pop(k, None)
                else:
                    os.environ[k] = v
        self.driver.set_window_size(*SIZE)
        self.driver.set_script_timeout(120)
        self.root = self.driver.service.process.pid

    def errors(self):
        return None  # WebKitWebDriver has no log command

    def quit(self):
        try:
            self.driver.quit()
        finally:
            self.xvfb.terminate()
            self.xvfb.wait()
            os.close(self.display_pipe)
            shutil.rmtree(self.home, ignore_errors=True)


class Firefox:
    # Headless Firefox driven over BiDi never has the focus (document.hasFocus()
    # is false): Tab moves the active element, but :focus does not match and
    # Enter or Space do not press a button.
    keyboard = False

    def __init__(self, downloads):
        self.node = subprocess.Popen(["node", os.path.join(HERE, "firefox_driver.js"), downloads, str(SIZE[0]), str(SIZE[1])],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, cwd=HERE)
        self.root = self.node.pid

    def _do(self, op, **args):
        self.node.stdin.write(json.dumps(dict(args, op=op)) + "\n")
        self.node.stdin.flush()
        line = self.node.stdout.readline()
        if not line:
            raise RuntimeError("firefox_driver.js stopped")
        got = json.loads(line)
        if "error" in got:
            raise RuntimeError(got["error"])
        return got["value"]

    def open(self, url):
        self._do("open", url=url)

    def run(self, body, *args):
        return self._do("run", body=body, args=list(args))

    def files(self, css, paths):
        self._do("files", css=css, paths=list(paths))

    def click(self, css):
        self._do("click", css=css)

    def press(self, key, css=None):
        self._do("press", key=key, css=css)

    def screenshot(self, path):
        self._do("screenshot", path=path)

    def errors(self):
        return self._do("errors")

    def quit(self):
        try:
            self._do("quit")
        except (RuntimeError, BrokenPipeError):
            pass
        self.node.stdin.close()
        self.node.wait(30)


def start(name, downloads):
    return {"chromium": Chromium, "firefox": Firefox, "webkit": WebKit}[name](downloads)
