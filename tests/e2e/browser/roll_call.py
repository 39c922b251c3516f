#!/usr/bin/python3
"""The marshals' page in headless Chromium through WebDriver, at a phone's size.

    roll_call.py BASE_URL KEY MEMBER [SHOT_DIR]

Opens BASE_URL/rollcall in two windows of a phone's size (390 x 844),
starts a roll call from the first (the page asks for the key once), taps
MEMBER there and checks that the second window's count goes from 0 to 1
safe within 2 seconds without a reload, and that a second tap asks for no
key again. With SHOT_DIR, the page on the phone and as printed are left
there (rollcall-phone.png, rollcall-print.png).
Exits 0 when every check held; otherwise prints what failed and exits 1.
"""
import os
import sys
import time

from selenium import webdriver
from selenium.common.exceptions import NoAlertPresentException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED: " + what, flush=True)


def safe_count(driver):
    return driver.find_element(By.ID, "n-safe").text


def person(driver, name):
    for button in driver.find_elements(By.CSS_SELECTOR, "button.person"):
        if button.get_attribute("data-name") == name:
            return button
    return None


def answer_prompt(driver, key):
    """Answers the key's prompt when one comes; True when one came."""
    try:
        WebDriverWait(driver, 3).until(lambda d: d.switch_to.alert)
    except Exception:
        return False
    alert = driver.switch_to.alert
    alert.send_keys(key)
    alert.accept()
    return True


def main():
    base, key, member = sys.argv[1], sys.argv[2], sys.argv[3]
    shots = sys.argv[4] if len(sys.argv) > 4 else None
    options = webdriver.ChromeOptions()
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--no-first-run", "--disable-background-networking", "--hide-scrollbars"):
        options.add_argument(arg)
    options.set_capability("unhandledPromptBehavior", "ignore")
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_page_load_timeout(30)
    driver.set_window_size(390, 844)
    try:
        driver.get(base + "/rollcall")
        first = driver.current_window_handle
        driver.find_element(By.CSS_SELECTOR, "button.start").click()
        check(answer_prompt(driver, key), "the page asks for the key")
        WebDriverWait(driver, 5).until(lambda d: person(d, member) is not None)

        driver.switch_to.new_window("window")
        driver.set_window_size(390, 844)
        driver.get(base + "/rollcall")
        second = driver.current_window_handle
        time.sleep(1.0)  # its event stream connected
        check(safe_count(driver) == "0", "the second window starts at 0 safe")

        driver.switch_to.window(first)
        person(driver, member).click()
        tapped = time.monotonic()
        check(not answer_prompt(driver, key), "the key is asked for once only")
        driver.switch_to.window(second)
        seen = None
        while time.monotonic() - tapped < 2.0 and seen is None:
            if safe_count(driver) == "1":
                seen = time.monotonic() - tapped
            else:
                time.sleep(0.05)
        check(seen is not None, "the second window shows 1 safe within 2 s of the tap")
        if seen is not None:
            print("second window counted the tap %.0f ms after it" % (seen * 1000), flush=True)
        check(driver.execute_script("return performance.getEntriesByType('navigation').length") == 1,
              "the second window was not reloaded")
        tapped_li = person(driver, member).find_element(By.XPATH, "..")
        check("safe" in tapped_li.get_attribute("class"), member + " is shown safe")
        width = driver.execute_script("return document.documentElement.scrollWidth")
        driver_count = driver.find_element(By.ID, "n-expected").text
        if shots:
            driver.save_screenshot(os.path.join(shots, "rollcall-phone.png"))
            driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "print"})
            driver.set_window_size(794, 1123)
            time.sleep(0.3)
            driver.save_screenshot(os.path.join(shots, "rollcall-print.png"))
        # The live board shows the banner, linking here.
        driver.get(base + "/")
        try:
            WebDriverWait(driver, 3).until(
                lambda d: d.find_element(By.ID, "rollcall").is_displayed())
        except Exception:
            pass
        banner = driver.find_element(By.ID, "rollcall")
        expected = "Roll call: 1 of %s safe" % driver_count
        check(banner.is_displayed() and banner.text == expected,
              "the live board's banner says %s, not %r" % (expected, banner.text))
        check(banner.find_element(By.TAG_NAME, "a").get_attribute("href").endswith("/rollcall"),
              "the banner links to the marshals' page")
        check(width <= 390, "nothing wider than the phone (%d)" % width)
    finally:
        driver.quit()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
