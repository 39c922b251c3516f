#!/usr/bin/python3
"""The live board asking for its key, in a Chromium window on the X display.

    key_prompt.py BASE_URL MEMBER KEY PICTURE

BASE_URL serves the live board with signing in from a browser on and
KEY as its WebKey; MEMBER is in. A browser that has never given the key
presses Sign out for MEMBER: the server refuses it and the page asks for
the key with the browser's own prompt. A headless browser draws no such
dialog, so this one runs in a window of its own (900x600, top left) on
$DISPLAY, and the X screen is grabbed (imagemagick's import) and cut to
the window into PICTURE while the prompt is open. The key is then given:
the page sends the sign-out again with it and says Signed out.
Exits 0 when every check held; otherwise prints what failed and exits 1.
"""
import os
import subprocess
import sys

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions
from selenium.webdriver.support.ui import Select, WebDriverWait

from live_board import check, failures, text_of, wait_until


def grab(rect):
    """The window's pixels on the X screen, as raw RGB."""
    screen = subprocess.run(["import", "-window", "root", "png:-"], check=True, timeout=30,
                            stdout=subprocess.PIPE).stdout
    crop = "%dx%d+%d+%d" % (rect["width"], rect["height"], rect["x"], rect["y"])
    return subprocess.run(["convert", "png:-", "-crop", crop, "+repage", "-depth", "8", "rgb:-"],
                          input=screen, check=True, timeout=30, stdout=subprocess.PIPE).stdout


def drawn(rect, before, seconds):
    """Waits for the window to show something other than before and to hold
    still (the dialog drawn, done fading in); its last grab, or None."""
    last = [None]

    def settled():
        now = grab(rect)
        done = now != before and now == last[0]
        last[0] = now
        return done
    return last[0] if wait_until(seconds, settled) else None


def main():
    base, member, key, picture = sys.argv[1:5]
    check(bool(os.environ.get("DISPLAY")), "an X display to draw on")
    options = webdriver.ChromeOptions()
    for arg in ("--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run",
                "--no-default-browser-check", "--disable-background-networking",
                "--window-position=0,0", "--window-size=900,600"):
        options.add_argument(arg)
    # No "controlled by automated test software" bar across the page.
    options.add_experimental_option("excludeSwitches", ["enable-automation"])
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_page_load_timeout(30)
    try:
        driver.get(base + "/")
        Select(driver.find_element(By.ID, "who")).select_by_visible_text(member)
        driver.find_element(By.ID, "dest").send_keys("Post office")
        driver.find_element(By.XPATH, "//button[text()='in 30 min']").click()
        # The pointer on the button first, so that only the dialog differs
        # from this grab.
        button = driver.find_element(By.ID, "sign-out")
        ActionChains(driver).move_to_element(button).perform()
        rect = driver.get_window_rect()
        before = grab(rect)
        button.click()
        asked = WebDriverWait(driver, 10).until(expected_conditions.alert_is_present())
        check(asked.text == "The board key, please",
              "the page asks for the key, not '%s'" % asked.text)
        shown = drawn(rect, before, 10)
        if check(shown is not None, "the prompt drawn on the screen"):
            subprocess.run(["convert", "-size", "%dx%d" % (rect["width"], rect["height"]),
                            "-depth", "8", "rgb:-", "-strip", picture],
                           input=shown, check=True, timeout=30)
        asked.send_keys(key)
        asked.accept()
        check(wait_until(10, lambda: text_of(driver, "sign-result") == "Signed out"),
              "with the key given the page says Signed out, not '%s'"
              % text_of(driver, "sign-result"))
        check(driver.execute_script("return localStorage.getItem('board.key')") == key,
              "the page remembers the key")
    finally:
        driver.quit()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
