'use strict';
// Firefox for the page's tests: puppeteer-core drives firefox-esr over
// WebDriver BiDi.  One command a line on standard input, one answer a line
// on standard output, both JSON (engines.py is the other end).
//
// usage: node firefox_driver.js DOWNLOAD_DIR WIDTH HEIGHT
const readline = require('readline');
const puppeteer = require('puppeteer-core');

async function main() {
  const [downloads, width, height] = process.argv.slice(2);
  const browser = await puppeteer.launch({
    browser: 'firefox', protocol: 'webDriverBiDi', executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
    headless: true, defaultViewport: {width: +width, height: +height},
    extraPrefsFirefox: {
      'focusmanager.testmode': true, // focus as in a window in front (headless has none)
      'browser.download.dir': downloads, 'browser.download.folderList': 2, 'browser.download.useDownloadDir': true,
      'browser.download.always_ask_before_handling_new_types': false, 'browser.download.start_downloads_in_tmp_dir': false,
      'browser.helperApps.neverAsk.saveToDisk': 'audio/wav,audio/x-wav,video/x-mve,application/octet-stream'
    }
  });
  const page = (await browser.pages())[0] || await browser.newPage();
  await page.bringToFront(); // the page has the focus, so keys reach it
  const errors = [];
  page.on('pageerror', e => errors.push(String(e)));
  page.on('console', m => { if (m.type() === 'error') errors.push(m.text()); });
  const ops = {
    open: c => page.goto(c.url).then(() => null),
    run: c => page.evaluate(`(async function () { ${c.body} }).apply(null, ${JSON.stringify(c.args)})`),
    files: async c => (await page.$(c.css)).uploadFile(...c.paths).then(() => null),
    click: c => page.click(c.css).then(() => null),
    press: async c => {
      if (c.css) await page.focus(c.css);
      await page.keyboard.press(c.key === 'Space' ? ' ' : c.key);
      return null;
    },
    screenshot: c => page.screenshot({path: c.path}).then(() => null),
    errors: async () => errors.slice(),
    quit: () => browser.close().then(() => null)
  };
  const lines = readline.createInterface({input: process.stdin});
  for await (const line of lines) {
    const c = JSON.parse(line);
    let answer;
    try {
      const value = await ops[c.op](c);
      answer = {value: value === undefined ? null : value};
    } catch (err) {
      answer = {error: String(err && err.message || err)};
    }
    process.stdout.write(JSON.stringify(answer) + '\n');
    if (c.op === 'quit') break;
  }
  await browser.close().catch(() => {});
}

main().catch(err => { process.stderr.write(String(err && err.stack || err) + '\n'); process.exit(1); });
