#!/usr/bin/python3
"""The administration page in headless Chromium through WebDriver.

    admin_page.py BASE_URL KEY NEW_MEMBER [SHOT_DIR]

Opens the live board (BASE_URL/) in one window and BASE_URL/admin in a
second; the page asks for the key (a wrong one is refused and the key is
asked again), then adds NEW_MEMBER through its form: the page's list shows
the member, and the live board in the first window shows it within 5
seconds without a reload. With SHOT_DIR, the page as it then stands is left
there (admin-page.png).
Exits 0 when every check held; otherwise prints what failed and exits 1.
"""
import os
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED: " + what, flush=True)


def until(driver, seconds, test):
    """True when test(driver) came true within seconds."""
    try:
        WebDriverWait(driver, seconds, poll_frequency=0.05).until(lambda d: test(d))
        return True
    except Exception:
        return False


def listed(driver, name):
    # In the page itself: a board of 150 has 750 cells.
    return driver.execute_script(
        "var name = arguments[0]; return Array.from(document.querySelectorAll('#members td'))"
        ".some(function (td) { return td.textContent === name; })", name)


def main():
    base, key, member = sys.argv[1], sys.argv[2], sys.argv[3]
    shots = sys.argv[4] if len(sys.argv) > 4 else None
    options = webdriver.ChromeOptions()
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--no-first-run", "--disable-background-networking", "--hide-scrollbars"):
        options.add_argument(arg)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_page_load_timeout(30)
    driver.set_window_size(1000, 900)
    try:
        driver.get(base + "/")
        board = driver.current_window_handle
        check(until(driver, 10, lambda d: d.find_element(By.TAG_NAME, "body").text != ""),
              "the live board shows the board")
        check(member not in driver.find_element(By.TAG_NAME, "body").text,
              member + " is not on the live board before")

        driver.switch_to.new_window("window")
        driver.set_window_size(1000, 900)
        driver.get(base + "/admin")
        check(driver.find_element(By.ID, "signin").is_displayed(), "the page asks for the key")
        check(not driver.find_element(By.ID, "admin").is_displayed(), "nothing shows before the key")
        driver.find_element(By.ID, "key").send_keys("not the key")
        driver.find_element(By.CSS_SELECTOR, "#signin button").click()
        check(until(driver, 5, lambda d: d.find_element(By.ID, "message").text != ""),
              "a wrong key is refused with a word")
        check(not driver.find_element(By.ID, "admin").is_displayed(), "a wrong key opens nothing")
        driver.find_element(By.ID, "key").send_keys(key)
        driver.find_element(By.CSS_SELECTOR, "#signin button").click()
        check(until(driver, 5, lambda d: d.find_element(By.ID, "admin").is_displayed()),
              "the right key opens the page")
        check(until(driver, 5, lambda d: len(d.find_elements(By.CSS_SELECTOR, "#members tr")) > 0),
              "the page lists the members")

        driver.find_element(By.ID, "newName").send_keys(member)
        driver.find_element(By.CSS_SELECTOR, "#add button").click()
        added = time.monotonic()
        check(until(driver, 5, lambda d: listed(d, member)), "the page lists " + member)
        check(until(driver, 5, lambda d: "is added" in d.find_element(By.ID, "message").text),
              "the page says the member is added")
        check(until(driver, 5, lambda d: d.find_element(By.ID, "facts").text != ""),
              "the page shows the version and the counts")
        if shots:
            # From the top: the message, the status and the first members.
            driver.execute_script("window.scrollTo(0, 0)")
            time.sleep(0.3)
            driver.save_screenshot(os.path.join(shots, "admin-page.png"))

        driver.switch_to.window(board)
        seen = until(driver, 5, lambda d: member in d.find_element(By.TAG_NAME, "body").text)
        check(seen, "the live board shows " + member + " within 5 s")
        if seen:
            print("live board showed the new member %.0f ms after the add" %
                  ((time.monotonic() - added) * 1000), flush=True)
        check(driver.execute_script("return performance.getEntriesByType('navigation').length") == 1,
              "the live board was not reloaded")
    finally:
        driver.quit()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
