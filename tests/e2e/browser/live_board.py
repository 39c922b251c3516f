#!/usr/bin/python3
"""The live board in headless Chromium through WebDriver.

    live_board.py BASE_URL MEMBER DESTINATION [SHOT_DIR]

Opens BASE_URL/ in two windows, signs MEMBER out to DESTINATION from the
first window's sign-in panel, and checks that the second window shows the
change without a reload within 2 seconds. Then the lobby view (/?wall=1)
and a phone's width must show every row. With SHOT_DIR, pictures of the
three views are left there (live-wide.png, live-phone.png, live-wall.png).
Exits 0 when every check held; otherwise prints what failed and exits 1.
"""
import os
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED: " + what, flush=True)


def rows(driver):
    return driver.find_elements(By.CSS_SELECTOR, "#rows tr")


def row_of(driver, name):
    for row in rows(driver):
        if row.find_element(By.CSS_SELECTOR, "td.name").text == name:
            return row
    return None


def main():
    base, member, destination = sys.argv[1], sys.argv[2], sys.argv[3]
    shots = sys.argv[4] if len(sys.argv) > 4 else None
    options = webdriver.ChromeOptions()
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--no-first-run", "--disable-background-networking", "--window-size=1280,800"):
        options.add_argument(arg)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_page_load_timeout(30)
    try:
        driver.get(base + "/")
        first = driver.current_window_handle
        count = len(rows(driver))
        check(count > 0, "the page shows rows")
        driver.switch_to.new_window("window")
        driver.get(base + "/")
        second = driver.current_window_handle
        # The second window is connected once its stream's first event has
        # replaced the rows the server wrote (the state line is cleared).
        time.sleep(1.0)
        before = row_of(driver, member)
        check(before is not None and before.find_element(By.CSS_SELECTOR, "td.status").text == "In",
              member + " is in at first")

        driver.switch_to.window(first)
        Select(driver.find_element(By.ID, "who")).select_by_value(member)
        driver.find_element(By.ID, "dest").send_keys(destination)
        driver.find_element(By.XPATH, "//button[text()='in an hour']").click()
        check(driver.find_element(By.ID, "ret").get_attribute("value") != "", "a preset fills Back at")
        driver.find_element(By.ID, "sign-out").click()
        clicked = time.monotonic()
        WebDriverWait(driver, 5).until(
            lambda d: d.find_element(By.ID, "sign-result").text != "")
        check(driver.find_element(By.ID, "sign-result").text == "Signed out",
              "the panel says Signed out, not " + driver.find_element(By.ID, "sign-result").text)

        driver.switch_to.window(second)
        seen = None
        while time.monotonic() - clicked < 2.0 and seen is None:
            row = row_of(driver, member)
            if row is not None and row.find_element(By.CSS_SELECTOR, "td.dest").text == destination:
                seen = time.monotonic() - clicked
            else:
                time.sleep(0.05)
        check(seen is not None, "the second window shows the sign-out within 2 s without a reload")
        if seen is not None:
            print("second window updated %.0f ms after the click" % (seen * 1000), flush=True)
        check(driver.execute_script("return performance.getEntriesByType('navigation').length") == 1,
              "the second window was not reloaded")
        if shots:
            driver.save_screenshot(os.path.join(shots, "live-wide.png"))

        driver.get(base + "/?wall=1")
        driver.set_window_size(1600, 900)
        check("wall" in driver.find_element(By.TAG_NAME, "body").get_attribute("class"),
              "wall mode's body")
        check(len(rows(driver)) == count and all(r.is_displayed() for r in rows(driver)),
              "wall mode shows every row")
        check(not driver.find_elements(By.ID, "search") and not driver.find_elements(By.ID, "sign"),
              "wall mode has no controls")
        time.sleep(0.5)
        if shots:
            driver.save_screenshot(os.path.join(shots, "live-wall.png"))

        driver.set_window_size(390, 844)
        driver.get(base + "/")
        time.sleep(0.5)
        phone_rows = rows(driver)
        check(len(phone_rows) == count and all(r.is_displayed() for r in phone_rows),
              "the phone's width shows every row")
        check(not driver.find_element(By.CSS_SELECTOR, "table.board thead").is_displayed(),
              "the phone's width shows cards, no table head")
        width = driver.execute_script("return document.documentElement.scrollWidth")
        inner = driver.execute_script("return window.innerWidth")
        check(width <= inner, "nothing wider than the phone (%d > %d)" % (width, inner))
        if shots:
            driver.save_screenshot(os.path.join(shots, "live-phone.png"))
    finally:
        driver.quit()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
