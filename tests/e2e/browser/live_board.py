#!/usr/bin/python3
"""The live board of a whole office in headless Chromium through WebDriver.

    live_board.py BASE_URL MEMBER DESTINATION [SHOT_DIR]

BASE_URL serves a board of many members (tests/e2e/browser/office_board.py)
with signing in from a browser on; MEMBER is in. On a laptop's screen the
panel comes first, every text has a contrast of 4.5:1 and every control a
name; MEMBER signs out to DESTINATION from one window's panel and a second
window (reached through a proxy here that can cut and refuse its stream)
shows it within 2 s without a reload and says it in its live region. The
proxy then ends the stream and refuses the next ones: the page says the
board is busy, MEMBER signs in meanwhile, and once the proxy lets the
stream through the page shows it, still without a reload. A phone shows
the panel and ten members or more below it, the panel staying while the
board scrolls; the wall holds every member on a 1920x1080 screen and turns
pages where a smaller one cannot hold them. With SHOT_DIR, pictures of the
laptop, phone and wall views are left there (live-wide.png, live-phone.png,
live-wall.png). Prints the members in view and the lowest contrasts.
Exits 0 when every check held; otherwise prints what failed and exits 1.
"""
import os
import socket
import sys
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED: " + what, flush=True)
    return ok


def wait_until(seconds, condition):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.05)
    return condition()


class StreamProxy:
    """Passes each connection to the server; end() closes the event streams
    it carries, and while refusing it answers a new one 503."""

    def __init__(self, port):
        self.port = port
        self.refusing = False
        self.refused = 0
        self.streams = []
        self.lock = threading.Lock()
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.listener.settimeout(0.5)
        self.url = "http://127.0.0.1:%d" % self.listener.getsockname()[1]
        self.running = True
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        while self.running:
            try:
                client, _ = self.listener.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            threading.Thread(target=self.serve, args=(client,), daemon=True).start()

    def serve(self, client):
        client.settimeout(60)
        head = b""
        try:
            while b"\r\n\r\n" not in head and len(head) < 16384:
                chunk = client.recv(4096)
                if not chunk:
                    raise OSError("closed")
                head += chunk
            events = b" /events" in head.split(b"\r\n", 1)[0]
            if events and self.refusing:
                self.refused += 1
                client.sendall(b"HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n"
                               b"Connection: close\r\n\r\n")
                raise OSError("refused")
            upstream = socket.create_connection(("127.0.0.1", self.port), timeout=10)
            upstream.settimeout(None)
            client.settimeout(None)
            upstream.sendall(head)
        except OSError:
            client.close()
            return
        if events:
            with self.lock:
                self.streams.append((client, upstream))
        threading.Thread(target=self.pipe, args=(client, upstream), daemon=True).start()
        self.pipe(upstream, client)

    @staticmethod
    def pipe(source, sink):
        try:
            while True:
                data = source.recv(65536)
                if not data:
                    break
                sink.sendall(data)
        except OSError:
            pass
        for s in (source, sink):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def open_streams(self):
        with self.lock:
            return len(self.streams)

    def end_streams(self):
        with self.lock:
            for pair in self.streams:
                for s in pair:
                    try:
                        s.shutdown(socket.SHUT_RDWR)
                    except OSError:
                        pass
            self.streams = []


# Every text the page shows against what stands behind it: the lowest
# contrast and where. Text of the element itself, of form controls and
# placeholders, and of generated content; screen-reader-only text is no
# picture.
CONTRAST_JS = r"""
function rgba(s){var m=/rgba?\(([^)]*)\)/.exec(s);if(!m)return [0,0,0,0];
 var p=m[1].split(/[ ,\/]+/).filter(function(x){return x!=='';}).map(parseFloat);
 return [p[0],p[1],p[2],p.length>3?p[3]:1];}
function over(top,base){var a=top[3];return [0,1,2].map(function(i){return top[i]*a+base[i]*(1-a);});}
function behind(el,own){var layers=own?[own]:[];
 for(var e=el;e;e=e.parentElement){var c=rgba(getComputedStyle(e).backgroundColor);
  if(c[3]>0){layers.push(c);if(c[3]>=1)break;}}
 var base=[255,255,255];for(var i=layers.length-1;i>=0;i--)base=over(layers[i],base);return base;}
function lum(c){var v=c.map(function(x){x/=255;return x<=0.03928?x/12.92:Math.pow((x+0.055)/1.055,2.4);});
 return 0.2126*v[0]+0.7152*v[1]+0.0722*v[2];}
function ratio(fg,bg){var a=lum(fg)+0.05,b=lum(bg)+0.05;return a>b?a/b:b/a;}
function shown(el){if(el.closest('.sr-only'))return false;var r=el.getBoundingClientRect();
 return r.width>1&&r.height>1&&getComputedStyle(el).visibility==='visible';}
var worst={ratio:99,what:'',texts:0};
function take(el,style,what,ownBg){var bg=behind(el,ownBg),fg=over(rgba(style.color),bg),q=ratio(fg,bg);
 worst.texts++;if(q<worst.ratio)worst={ratio:q,what:what+' '+style.color+' on rgb('+bg.map(Math.round)+')',texts:worst.texts};}
Array.prototype.forEach.call(document.body.querySelectorAll('*'),function(el){
 if(el.tagName==='SCRIPT'||el.tagName==='STYLE'||!shown(el))return;
 var own=Array.prototype.some.call(el.childNodes,function(n){return n.nodeType===3&&n.textContent.trim()!=='';});
 var tag=el.tagName.toLowerCase(),label=tag+(el.id?'#'+el.id:'')+(el.className?'.'+el.className:'');
 if(own||tag==='select'||tag==='button'||(tag==='input'&&el.value))take(el,getComputedStyle(el),label);
 if(tag==='input'&&!el.value&&el.placeholder)take(el,getComputedStyle(el,'::placeholder'),label+'::placeholder');
 ['::before','::after'].forEach(function(p){var s=getComputedStyle(el,p);
  if(s.content&&s.content!=='none'&&s.content!=='normal'&&s.content!=='""'){var b=rgba(s.backgroundColor);
   take(el,s,label+p,b[3]>0?b:null);}});});
return worst;
"""

# Rows whose name lies wholly inside the viewport, below y.
IN_VIEW_JS = r"""
var below=arguments[0],n=0;
Array.prototype.forEach.call(document.querySelectorAll('#rows tr td.name'),function(td){
 var r=td.getBoundingClientRect();
 if(r.height>0&&r.top>=below&&r.bottom<=innerHeight&&r.left>=0&&r.right<=innerWidth)n++;});
return n;
"""


def view(driver, width, height, mobile=False):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": width, "height": height, "deviceScaleFactor": 1,
                            "mobile": mobile})


def rows(driver):
    return driver.find_elements(By.CSS_SELECTOR, "#rows tr")


def cell(driver, member, cls):
    return driver.execute_script(
        "var name=arguments[0],cls=arguments[1];"
        "var r=Array.prototype.find.call(document.querySelectorAll('#rows tr'),function(tr){"
        "return tr.querySelector('td.name').textContent===name;});"
        "return r?r.querySelector('td.'+cls).textContent:null;", member, cls)


def text_of(driver, id_):
    return driver.execute_script("return document.getElementById(arguments[0]).textContent", id_)


def contrast(driver, theme, lowest):
    worst = driver.execute_script(CONTRAST_JS)
    if worst["ratio"] < lowest.get(theme, (99, ""))[0]:
        lowest[theme] = (worst["ratio"], worst["what"])
    check(worst["ratio"] >= 4.5, "%s: contrast %.2f:1 of %s" % (theme, worst["ratio"], worst["what"]))
    return worst


def sign_in_on_first_screen(driver, size):
    bottom = driver.execute_script(
        "return document.getElementById('sign-in').getBoundingClientRect().bottom")
    check(0 < bottom <= driver.execute_script("return innerHeight"),
          "the panel's Sign in on the first screen at %s (its bottom at %.0f)" % (size, bottom))


def laptop_checks(driver, count, lowest):
    view(driver, 1366, 768)
    sign_in_on_first_screen(driver, "1366x768")
    order = driver.execute_script(
        "var f=document.getElementById('sign'),t=document.querySelector('table.board');"
        "return !!(f.compareDocumentPosition(t)&Node.DOCUMENT_POSITION_FOLLOWING)")
    check(order, "the panel comes before the board")
    contrast(driver, "normal", lowest)
    for control in driver.find_elements(By.CSS_SELECTOR, "input, select, button, a, textarea"):
        check(control.accessible_name.strip() != "",
              "a name for " + control.get_attribute("outerHTML")[:80])


def sign_out_reaches_the_other_window(driver, first, second, member, destination):
    driver.switch_to.window(first)
    Select(driver.find_element(By.ID, "who")).select_by_visible_text(member)
    driver.find_element(By.ID, "dest").send_keys(destination)
    driver.find_element(By.XPATH, "//button[text()='in an hour']").click()
    back = driver.find_element(By.ID, "ret").get_attribute("value")
    check(back != "", "a quick choice fills Back at")
    driver.find_element(By.ID, "sign-out").click()
    clicked = time.monotonic()
    wait_until(5, lambda: text_of(driver, "sign-result") != "")
    check(text_of(driver, "sign-result") == "Signed out",
          "the panel says Signed out, not " + text_of(driver, "sign-result"))
    check(wait_until(5, lambda: text_of(driver, "my-state").startswith("Out since")),
          "the panel shows the member out once the board has it")

    driver.switch_to.window(second)
    seen = wait_until(2, lambda: cell(driver, member, "dest") == destination)
    check(seen, "the second window shows the sign-out within 2 s without a reload")
    if seen:
        print("second window updated %.0f ms after the click" % ((time.monotonic() - clicked) * 1000))
    said = member + " signed out: " + destination + ", back " + back
    check(text_of(driver, "announce") == said,
          "the live region says '%s', not '%s'" % (said, text_of(driver, "announce")))


def the_page_comes_back(driver, first, second, proxy, member):
    driver.switch_to.window(second)
    proxy.refusing = True
    proxy.end_streams()
    busy = wait_until(20, lambda: text_of(driver, "state") == "the board is busy, trying again")
    check(busy, "a refused stream says so, not '%s'" % text_of(driver, "state"))
    check(proxy.refused > 0, "the page opened a new stream itself")
    driver.switch_to.window(first)
    driver.find_element(By.ID, "sign-in").click()
    wait_until(5, lambda: text_of(driver, "sign-result") == "Signed in")
    driver.switch_to.window(second)
    check(cell(driver, member, "status") == "Out", "no stream, no change")
    proxy.refusing = False
    lifted = time.monotonic()
    back = wait_until(40, lambda: cell(driver, member, "status") == "In" and text_of(driver, "state") == "")
    check(back, "the page redraws once the stream is let through")
    if back:
        print("redrawn %.1f s after the stream was let through, %d refusals before"
              % (time.monotonic() - lifted, proxy.refused))
    check(driver.execute_script("return performance.getEntriesByType('navigation').length") == 1,
          "the second window was not reloaded")


def phone_checks(driver, base, count, lowest, shots):
    view(driver, 390, 844, mobile=True)
    driver.get(base + "/")
    sign_in_on_first_screen(driver, "390x844")
    panel = driver.execute_script(
        "return document.getElementById('sign').getBoundingClientRect().bottom")
    below = driver.execute_script(IN_VIEW_JS, panel)
    print("phone 390x844: %d members in view below the panel" % below)
    check(below >= 10, "ten members or more below the panel on a phone (%d)" % below)
    width = driver.execute_script("return document.documentElement.scrollWidth")
    check(width <= 390, "nothing wider than the phone (%d)" % width)
    contrast(driver, "normal", lowest)
    if shots:
        driver.save_screenshot(os.path.join(shots, "live-phone.png"))
    driver.execute_script("window.scrollTo(0, document.documentElement.scrollHeight)")
    time.sleep(0.2)
    sign_in_on_first_screen(driver, "390x844 scrolled to the end")


def wall_checks(driver, base, count, lowest, shots):
    view(driver, 1920, 1080)
    driver.get(base + "/?wall=1")
    check(not driver.find_elements(By.ID, "search") and not driver.find_elements(By.ID, "sign"),
          "the wall has no controls")
    fit = driver.execute_script(IN_VIEW_JS, 0)
    tall = driver.execute_script("return document.documentElement.scrollHeight")
    smallest = driver.execute_script(
        "return Math.min.apply(null,Array.prototype.map.call(document.querySelectorAll('#rows td'),"
        "function(td){return parseFloat(getComputedStyle(td).fontSize);}))")
    print("wall 1920x1080: %d of %d members in view, type %.0f px, page '%s'"
          % (fit, count, smallest, text_of(driver, "page")))
    check(fit == count, "every member inside the 1920x1080 wall (%d of %d)" % (fit, count))
    check(tall <= 1080, "the wall's document no taller than the screen (%d)" % tall)
    check(smallest >= 14, "type of 14 px or more on the wall (%.1f)" % smallest)
    contrast(driver, "wall", lowest)
    if shots:
        driver.save_screenshot(os.path.join(shots, "live-wall.png"))
    view(driver, 1366, 768)
    driver.get(base + "/?wall=1")
    fit = driver.execute_script(IN_VIEW_JS, 0)
    tall = driver.execute_script("return document.documentElement.scrollHeight")
    page = text_of(driver, "page")
    print("wall 1366x768: %d of %d members in view, page '%s'" % (fit, count, page))
    check(tall <= 768, "the small wall's document no taller than the screen (%d)" % tall)
    check(fit == count or page.startswith("Page 1 of "),
          "the small wall shows every member or says which page it shows ('%s')" % page)


def main():
    base, member, destination = sys.argv[1], sys.argv[2], sys.argv[3]
    shots = sys.argv[4] if len(sys.argv) > 4 else None
    proxy = StreamProxy(int(base.rsplit(":", 1)[1]))
    options = webdriver.ChromeOptions()
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--no-first-run", "--disable-background-networking", "--hide-scrollbars",
                "--window-size=1366,768"):
        options.add_argument(arg)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_page_load_timeout(30)
    lowest = {}
    try:
        driver.get(base + "/")
        first = driver.current_window_handle
        count = len(rows(driver))
        check(count > 0, "the page shows rows")
        laptop_checks(driver, count, lowest)
        driver.switch_to.new_window("window")
        view(driver, 1366, 768)
        driver.get(proxy.url + "/")
        second = driver.current_window_handle
        check(wait_until(10, lambda: proxy.open_streams() == 1), "the second window's stream")
        check(cell(driver, member, "status") == "In", member + " is in at first")
        sign_out_reaches_the_other_window(driver, first, second, member, destination)
        if shots:
            driver.switch_to.window(first)
            driver.save_screenshot(os.path.join(shots, "live-wide.png"))
        the_page_comes_back(driver, first, second, proxy, member)
        driver.close()
        driver.switch_to.window(first)
        phone_checks(driver, base, count, lowest, shots)
        wall_checks(driver, base, count, lowest, shots)
        # The page's own style and script are allowed, and it has no errors.
        errors = [e["message"] for e in driver.get_log("browser")
                  if "Content Security Policy" in e["message"] or "Uncaught" in e["message"]]
        check(not errors, "nothing refused or failing in the console: %s" % errors)
        for theme, (ratio, what) in sorted(lowest.items()):
            print("lowest contrast, %s theme: %.2f:1 (%s)" % (theme, ratio, what))
    finally:
        driver.quit()
        proxy.running = False
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
