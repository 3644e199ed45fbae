#!/usr/bin/python3
"""The web catalogue in a real browser (Chromium, headless, through chromedriver).

Makes a catalogue with make_web_fixture, exports it with `quelto --export-html
... --covers`, and checks the page: hostile titles shown as text, the filter
with accent-free and case-free matching, the sorts in natural order, the
groups, the details by click and by keyboard, cards added on scrolling, the
360 px width, the print style, the plain list without script, and that
nothing is loaded from outside the folder.

With --measure FOLDER it only opens an export and prints the timings of the
first rows and of the filter (for BENCHMARKS.md).
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile
import time
import unicodedata

try:
    from selenium import webdriver
    from selenium.common.exceptions import NoAlertPresentException
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    print("python3-selenium is missing: skipped")
    sys.exit(77)


def browser(javascript=True, width=1280, height=900):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--window-size=%d,%d" % (width, height), "--disable-extensions", "--no-first-run"):
        options.add_argument(arg)
    if not javascript:
        options.add_experimental_option("prefs", {"profile.managed_default_content_settings.javascript": 2})
    options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


class Failures:
    def __init__(self):
        self.failed = []

    def check(self, condition, what):
        print(("ok   " if condition else "FAIL ") + what, flush=True)
        if not condition:
            self.failed.append(what)


def ready(driver, url):
    driver.get(url)
    WebDriverWait(driver, 60).until(
        lambda d: d.execute_script("return document.documentElement.getAttribute('data-ready') === 'true'"))


def titles(driver):
    return driver.execute_script(
        "return Array.from(document.querySelectorAll('#movies .movie h3 button')).map(b => b.textContent)")


def set_filter(driver, text):
    """Types into the filter box as a user does and waits for the answer; returns the time it took in ms."""
    box = driver.find_element(By.ID, "filter")
    box.clear()
    driver.execute_script("arguments[0].dispatchEvent(new Event('input'))", box)
    box.send_keys(text)
    WebDriverWait(driver, 10).until(lambda d: d.execute_script(
        "return new Promise(r => requestAnimationFrame(() => requestAnimationFrame(() => r(true))))"))


def filter_time(driver, text):
    """From the last key to the answer painted: the value set and the input event sent, then two frames."""
    return driver.execute_async_script("""
        const done = arguments[arguments.length - 1];
        const box = document.getElementById('filter');
        const t0 = performance.now();
        box.value = arguments[0];
        box.dispatchEvent(new Event('input'));
        requestAnimationFrame(() => setTimeout(() => done(performance.now() - t0), 0));
    """, text)


def status(driver):
    return driver.find_element(By.ID, "status").text


TWO = {"\u0153": "oe", "\u00e6": "ae", "\u00df": "ss", "\u00f8": "o", "\u0111": "d", "\u0142": "l",
       "\u00f0": "d", "\u00fe": "t"}


def fold(text):
    """The program's matching rule: no accents, no case, the letters that stand for two written out."""
    folded = "".join(c for c in unicodedata.normalize("NFD", text) if not unicodedata.combining(c)).lower()
    return "".join(TWO.get(c, c) for c in folded)


def natural_key(text):
    return [int(p) if p.isdigit() else p for p in re.split(r"(\d+)", fold(text))]


def measure(folder):
    url = "file://" + os.path.join(os.path.abspath(folder), "index.html")
    driver = browser()
    try:
        results = []
        for _ in range(3):
            ready(driver, url)
            first = driver.execute_script(
                "const m = performance.getEntriesByName('quelto-first-rows')[0]; return m ? m.startTime : -1")
            paint = driver.execute_script(
                "const p = performance.getEntriesByName('first-contentful-paint')[0]; return p ? p.startTime : -1")
            WebDriverWait(driver, 60).until(lambda d: d.execute_script(
                "return document.documentElement.getAttribute('data-filter-ready') === 'true'"))
            timings = [filter_time(driver, word) for word in ("a", "am", "ame", "amel", "ameli", "amelie", "")]
            results.append({"first_rows_ms": round(first), "first_paint_ms": round(paint),
                            "filter_ms": [round(t, 1) for t in timings], "status": status(driver)})
        print(json.dumps(results, indent=1))
    finally:
        driver.quit()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quelto")
    parser.add_argument("--fixture")
    parser.add_argument("--records", type=int, default=300)
    parser.add_argument("--measure")
    args = parser.parse_args()
    if args.measure:
        measure(args.measure)
        return 0

    f = Failures()
    work = tempfile.mkdtemp(prefix="quelto-web-")
    catalogue = os.path.join(work, "movies.qdb")
    folder = os.path.join(work, "web")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8")
    subprocess.run([args.fixture, catalogue, str(args.records), "3"], check=True, env=env)
    done = subprocess.run([args.quelto, "--export-html", catalogue, folder, "--covers"], env=env,
                          capture_output=True, text=True)
    f.check(done.returncode == 0, "quelto --export-html succeeds: " + done.stdout.strip() + done.stderr.strip())
    if done.returncode != 0:
        return 1
    url = "file://" + os.path.join(folder, "index.html")

    # Nothing in the folder names a place on the network.
    for root, _, files in os.walk(folder):
        for name in files:
            if name.endswith((".html", ".css", ".js")):
                with open(os.path.join(root, name), encoding="utf-8") as text:
                    content = text.read()
                f.check("http://" not in content and "https://" not in content and "//" + "cdn" not in content,
                        "no web address in " + name)

    driver = browser()
    try:
        ready(driver, url)
        total = args.records
        f.check(status(driver) == "%s movies" % format(total, ","), "status names every movie: " + status(driver))
        written = driver.find_element(By.CSS_SELECTOR, ".written").text
        f.check(written.startswith("Written on ") and ("%s movies" % format(total, ",")) in written,
                "the line says when and how many: " + written)
        shown = titles(driver)
        f.check(0 < len(shown) < total, "the first cards come first, the rest on scrolling (%d shown)" % len(shown))

        # Hostile titles are text: no alert, no attribute from a value, the exact text on the button.
        set_filter(driver, "alert")
        hostile = titles(driver)
        f.check("<script>alert(1)</script>" in hostile and "\" onmouseover=\"alert(2)" in hostile,
                "hostile titles shown as text: %r" % hostile)
        f.check(driver.execute_script(
            "return document.querySelectorAll('[onmouseover],[onfocus],[onclick],script:not([src]):not([type])').length")
            == 0, "no handler attribute or inline script came from a value")
        for button in driver.find_elements(By.CSS_SELECTOR, "h3 button"):
            webdriver.ActionChains(driver).move_to_element(button).perform()
        try:
            driver.switch_to.alert
            f.check(False, "no alert opened")
        except NoAlertPresentException:
            f.check(True, "no alert opened")

        # Accent-free, case-free filter, as the program matches.
        for typed, expected in (("amelie", "Amélie"), ("OEDIPE", "Œdipe roi"), ("strasse", "Die Straße"),
                                ("encyclopaedia", "Encyclopædia"), ("jeunet amelie", "Amélie")):
            set_filter(driver, typed)
            found = titles(driver)
            f.check(expected in found, "filter %r finds %r (%s)" % (typed, expected, status(driver)))
        set_filter(driver, "amelie")
        f.check(status(driver).startswith("1 of "), "one movie for 'amelie': " + status(driver))
        driver.get("about:blank")  # a new address differing in its fragment alone would not load the page again
        ready(driver, url + "#filter=STRASSE")
        f.check(titles(driver) == ["Die Straße"], "a link with #filter= opens the page filtered: %r" % titles(driver))
        ready(driver, url)
        set_filter(driver, "no such movie at all")
        f.check(status(driver).startswith("0 of ") and "No movie matches" in driver.find_element(By.ID, "movies").text,
                "an empty answer says so")

        # Natural order in every sort.
        set_filter(driver, "number")
        numbered = [t for t in titles(driver) if t.startswith("Number ")]
        f.check(numbered.index("Number 2") < numbered.index("Number 10"), "title sort: Number 2 before Number 10")
        set_filter(driver, "")
        sort = Select(driver.find_element(By.ID, "sort"))
        all_titles = titles(driver)
        f.check(all_titles == sorted(all_titles, key=natural_key), "titles in natural order")
        sort.select_by_value("media")
        ids = driver.execute_script(
            "return Array.from(document.querySelectorAll('#movies .mid')).map(e => e.textContent.replace('Media ID ', ''))")
        f.check(len(ids) > 40 and ids == sorted(ids, key=natural_key), "media IDs in natural order: %s" % ids[:12])
        sort.select_by_value("year")
        years = driver.execute_script("""return Array.from(document.querySelectorAll('#movies .movie .line:first-of-type'))
            .map(e => (e.textContent.match(/\\b(1[89]\\d\\d|20\\d\\d)\\b/) || [''])[0])""")
        f.check(years == sorted(years), "years in order")
        sort.select_by_value("director")
        set_filter(driver, "number")
        f.check([t for t in titles(driver) if t.startswith("Number")][:2] == ["Number 2", "Number 10"],
                "same director: by title in natural order")
        set_filter(driver, "")
        sort.select_by_value("title")

        # Groups.
        group = Select(driver.find_element(By.ID, "group"))
        group.select_by_value("decade")
        headings = [h.text for h in driver.find_elements(By.CSS_SELECTOR, "#movies h2.group")]
        f.check(len(headings) >= 1 and headings[0] == "1920s" and headings == sorted(headings),
                "decade headings in order: %s" % headings)
        group.select_by_value("medium")
        headings = [h.text for h in driver.find_elements(By.CSS_SELECTOR, "#movies h2.group")]
        f.check(len(headings) >= 2 and len(set(headings)) == len(headings), "medium headings, each once: %s" % headings)
        group.select_by_value("location")
        driver.execute_script("window.dispatchEvent(new Event('beforeprint'))")  # every card, every heading
        headings = [h.text for h in driver.find_elements(By.CSS_SELECTOR, "#movies h2.group")]
        f.check(headings == ["Attic", "Box A", "Box B", "Shelf 1", "Shelf 2", "No location"],
                "location headings, the movies without one last: %s" % headings)
        group.select_by_value("genre")
        set_filter(driver, "amelie")
        f.check(len(driver.find_elements(By.CSS_SELECTOR, "#movies h2.group")) == 1, "a filtered group keeps its heading")
        group.select_by_value("")
        f.check(not driver.find_elements(By.CSS_SELECTOR, "#movies h2.group"), "no groups, no headings")

        # Details by click.
        button = driver.find_element(By.CSS_SELECTOR, "#movies .movie h3 button")
        details = driver.find_element(By.ID, button.get_attribute("aria-controls"))
        f.check(not details.is_displayed(), "details start closed")
        button.click()
        f.check(details.is_displayed() and "Jean-Pierre Jeunet" in details.text and "Running time" in details.text,
                "details open on click: " + details.text.replace("\n", " | ")[:120])
        f.check(button.get_attribute("aria-expanded") == "true", "the button tells it is expanded")
        button.click()
        f.check(not details.is_displayed(), "a second click closes them")

        # Keyboard alone: Tab from the filter through the choices to the first movie, Enter opens.
        set_filter(driver, "")
        driver.find_element(By.ID, "filter").click()
        active = driver.switch_to.active_element
        for _ in range(3):
            active.send_keys(Keys.TAB)
            active = driver.switch_to.active_element
        f.check(active.tag_name == "button" and active.text == titles(driver)[0],
                "Tab reaches the first movie: %s %r" % (active.tag_name, active.text))
        active.send_keys(Keys.ENTER)
        f.check(active.get_attribute("aria-expanded") == "true", "Enter opens its details")
        active.send_keys(" ")
        f.check(active.get_attribute("aria-expanded") == "false", "Space closes them")

        # Covers: lazy pictures with alternative text, named by identity.
        images = driver.find_elements(By.CSS_SELECTOR, "#movies img.cover")
        f.check(images and all(i.get_attribute("alt").startswith("Cover of ") for i in images),
                "covers have alternative text")
        f.check(all(os.path.basename(i.get_attribute("src")).split(".")[0].isdigit() for i in images),
                "cover files are named by identity")

        # Scrolling adds cards.
        before = len(titles(driver))
        for _ in range(30):
            driver.execute_script("window.scrollTo(0, document.body.scrollHeight)")
            time.sleep(0.1)
            if len(titles(driver)) == total:
                break
        f.check(len(titles(driver)) > before, "scrolling adds cards (%d -> %d)" % (before, len(titles(driver))))
        driver.execute_script("window.scrollTo(0, 0)")

        # Print style: no controls; every movie in the printout.
        driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "print"})
        f.check(not driver.find_element(By.ID, "filter").is_displayed(), "the print style hides the controls")
        driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": ""})
        driver.execute_script("window.dispatchEvent(new Event('beforeprint'))")
        f.check(len(titles(driver)) == total, "a printout holds every movie")

        # Nothing was asked of anything outside the folder.
        resources = driver.execute_script("return performance.getEntriesByType('resource').map(e => e.name)")
        requests = set(resources)
        for entry in driver.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message.get("method") == "Network.requestWillBeSent":
                requests.add(message["params"]["request"]["url"])
        outside = [r for r in requests if not r.startswith("file://" + folder + "/") and not r.startswith("data:")]
        f.check(requests and not outside, "every request stays in the folder (%d requests, outside: %s)"
                % (len(requests), outside[:5]))

        # A phone's width: nothing wider than the screen. Headless windows are
        # at least 500 px wide, so the phone's screen is emulated.
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                               {"width": 360, "height": 800, "deviceScaleFactor": 2, "mobile": True})
        ready(driver, url)
        width = driver.execute_script("return document.documentElement.scrollWidth")
        inner = driver.execute_script("return window.innerWidth")
        f.check(inner == 360 and width <= inner, "nothing wider than the screen at %d px (%d)" % (inner, width))
        set_filter(driver, "alert")
        width = driver.execute_script("return document.documentElement.scrollWidth")
        f.check(width <= inner, "long titles wrap at 360 px (%d)" % width)
        driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})

        # Without script: the plain list.
        driver.execute_cdp_cmd("Emulation.setScriptExecutionDisabled", {"value": True})
        driver.get(url)
        items = driver.find_elements(By.CSS_SELECTOR, "ol.plain > li")
        f.check(len(items) == total, "the plain list holds every movie without script (%d)" % len(items))
        f.check(not driver.find_element(By.ID, "controls").is_displayed(), "no controls without script")
        text = driver.find_element(By.CSS_SELECTOR, "ol.plain").text
        f.check("<script>alert(1)</script>" in text and "Amélie" in text, "plain list values are text")
    finally:
        driver.quit()

    if f.failed:
        print("%d checks failed" % len(f.failed))
        return 1
    subprocess.run(["rm", "-rf", work])
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
