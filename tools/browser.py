"""Headless Chromium, driven through the DevTools protocol over a pipe, for the tests, benchmark
and screenshots of the pages pelmo-deck writes.

Each Browser is one Chromium process, in a session of its own, with a fresh profile folder; closing
it (or leaving the `with` block) ends every process of that session and removes the folder, so
nothing is left running. The protocol
runs over the two descriptors --remote-debugging-pipe gives (3 in, 4 out), so no port is opened.
"""

import base64
import fcntl
import json
import os
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import zlib

CHROMIUM = os.environ.get("PELMO_CHROMIUM", "chromium")
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
         "--disable-background-networking", "--disable-component-update",
         "--disable-default-apps", "--disable-extensions", "--disable-sync",
         "--no-first-run", "--no-default-browser-check", "--mute-audio",
         "--hide-scrollbars", "--force-device-scale-factor=1", "--remote-debugging-pipe"]


class BrowserError(Exception):
    pass


def _in_session(pid, session):
    """Whether process pid is alive (not a zombie) in the given session."""
    try:
        with open("/proc/%s/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except OSError:
        return False
    return fields[0] != "Z" and int(fields[3]) == session


class Browser:
    def __init__(self, timeout=60):
        self.timeout = timeout
        self.profile = tempfile.mkdtemp(prefix="pelmo-chromium-")
        to_read, self.to_write = os.pipe()
        self.from_read, from_write = os.pipe()

        def wire():  # in the child: the protocol's descriptors at 3 and 4, kept across exec
            high = [fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in (to_read, from_write)]
            os.dup2(high[0], 3)
            os.dup2(high[1], 4)

        self.process = subprocess.Popen(
            [CHROMIUM, *FLAGS, "--user-data-dir=" + self.profile, "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=wire, close_fds=False, start_new_session=True)
        os.close(to_read)
        os.close(from_write)
        self.buffer = b""
        self.last_id = 0
        self.events = []

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        try:
            if self.process.poll() is None:
                self.call("Browser.close")
                self.process.wait(timeout=10)
        except (BrowserError, OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()
        finally:
            self._end_session()
            for fd in (self.to_write, self.from_read):
                try:
                    os.close(fd)
                except OSError:
                    pass
            shutil.rmtree(self.profile, ignore_errors=True)

    def _end_session(self):
        """Chromium's helpers may outlive it by a moment: wait for them, then end what is left."""
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if not any(_in_session(pid, self.process.pid) for pid in os.listdir("/proc")
                       if pid.isdigit()):
                return
            time.sleep(0.1)
        os.killpg(self.process.pid, signal.SIGKILL)

    def _message(self, deadline):
        while b"\0" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.from_read], [], [], left)[0]:
                raise BrowserError("Chromium did not answer within %d s" % self.timeout)
            chunk = os.read(self.from_read, 1 << 20)
            if not chunk:
                raise BrowserError("Chromium ended")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, session=None, **params):
        self.last_id += 1
        request = {"id": self.last_id, "method": method, "params": params}
        if session:
            request["sessionId"] = session
        os.write(self.to_write, json.dumps(request).encode() + b"\0")
        deadline = time.monotonic() + self.timeout
        while True:
            message = self._message(deadline)
            if message.get("id") == self.last_id:
                if "error" in message:
                    raise BrowserError("%s: %s" % (method, message["error"].get("message")))
                return message["result"]
            self.events.append(message)

    def wait_for(self, method, session, match=lambda params: True):
        """The first event of that name from the session not yet taken for which match holds,
        waiting if need be."""
        deadline = time.monotonic() + self.timeout
        while True:
            for k, event in enumerate(self.events):
                if (event.get("method") == method and event.get("sessionId") == session
                        and match(event["params"])):
                    return self.events.pop(k)["params"]
            self.events.append(self._message(deadline))

    def open(self, url, width=1000, height=700, phone=False, dark=False, text=100):
        return Tab(self, url, width, height, phone, dark, text)


class Tab:
    """One page, loaded and ready (its load event fired) when made. A phone's is a touch screen
    with no mouse, laid out as a mobile browser lays out; dark prefers a dark colour scheme; text
    is the browser's text size, in per cent."""

    def __init__(self, browser, url, width, height, phone, dark, text):
        self.browser = browser
        target = browser.call("Target.createTarget", url="about:blank")["targetId"]
        self.session = browser.call("Target.attachToTarget", targetId=target,
                                    flatten=True)["sessionId"]
        for domain in ("Page", "Runtime", "Network"):
            self.call(domain + ".enable")
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=1, mobile=phone)
        if phone:
            self.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        if dark:
            self.call("Emulation.setEmulatedMedia",
                      features=[{"name": "prefers-color-scheme", "value": "dark"}])
        if text != 100:
            self.call("Page.setFontSizes", fontSizes={"standard": 16 * text // 100,
                                                      "fixed": 13 * text // 100})
        self.call("Page.setLifecycleEventsEnabled", enabled=True)
        self.navigate(url)

    def navigate(self, url=None):
        """Loads url, or the page again, and waits for its load event (not the load of the
        blank page the tab starts with)."""
        if url:
            loader = self.call("Page.navigate", url=url)["loaderId"]
        else:  # the loads seen so far are not this one's
            self.browser.events = [e for e in self.browser.events
                                   if not (e.get("method") == "Page.lifecycleEvent"
                                           and e.get("sessionId") == self.session)]
            self.call("Page.reload")
            loader = None
        self.browser.wait_for("Page.lifecycleEvent", self.session,
                              lambda e: e["name"] == "load" and e["loaderId"] == loader
                              if loader else e["name"] == "load")

    def call(self, method, **params):
        return self.browser.call(method, self.session, **params)

    def events(self, method):
        return [e["params"] for e in self.browser.events
                if e.get("method") == method and e.get("sessionId") == self.session]

    def eval(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=True)
        if "exceptionDetails" in result:
            raise BrowserError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def rect(self, selector):
        return self.eval("(() => { const r = document.querySelector(%s).getBoundingClientRect();"
                         " return {x: r.x, y: r.y, width: r.width, height: r.height}; })()"
                         % json.dumps(selector))

    def click(self, selector):
        r = self.rect(selector)
        x, y = r["x"] + r["width"] / 2, r["y"] + r["height"] / 2
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                      clickCount=1)

    def touch(self, *points):
        """One finger put down at the first (x, y), moved through the others, 50 ms apart, and
        held still at the last for 300 ms before it is lifted, so that no fling follows (a tap
        during a fling only stops it)."""
        start = time.time()
        steps = [("touchStart", points[0])] + [("touchMove", p) for p in points[1:]]
        if len(points) > 1:
            steps.append(("touchMove", points[-1]))
        for k, (kind, (x, y)) in enumerate(steps):
            held = 0.3 if k == len(steps) - 1 and k > 1 else 0
            self.call("Input.dispatchTouchEvent", type=kind, timestamp=start + 0.05 * k + held,
                      touchPoints=[{"x": x, "y": y}])
        self.call("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[],
                  timestamp=start + 0.05 * len(steps) + 0.3)

    def tap(self, selector):
        r = self.rect(selector)
        self.touch((r["x"] + r["width"] / 2, r["y"] + r["height"] / 2))

    def key(self, key, code, key_code, text=None):
        extra = {"text": text} if text else {}
        self.call("Input.dispatchKeyEvent", type="keyDown", key=key, code=code,
                  windowsVirtualKeyCode=key_code, **extra)
        self.call("Input.dispatchKeyEvent", type="keyUp", key=key, code=code,
                  windowsVirtualKeyCode=key_code)

    def screenshot(self, selector=None):
        """PNG bytes of the viewport, or of one element's box."""
        params = {"format": "png"}
        if selector:
            params["clip"] = dict(self.rect(selector), scale=1)
        return base64.b64decode(self.call("Page.captureScreenshot", **params)["data"])


def read_png(data):
    """(width, height, rows of (r, g, b) tuples) of an 8-bit, non-interlaced grey, RGB or RGBA
    PNG, the kinds Chromium and pelmo-deck write."""
    chunks, pos = {}, 8
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunks[kind] = chunks.get(kind, b"") + data[pos + 8:pos + 8 + length]
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    channels = {0: 1, 2: 3, 6: 4}[colour]
    if depth != 8 or interlace:
        raise ValueError("unsupported PNG")
    raw, stride, rows, prior = zlib.decompress(chunks[b"IDAT"]), width * channels, [], None
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prior[i] if prior else 0
            c = prior[i - channels] if prior and i >= channels else 0
            p = a + b - c
            predictor = (a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c)
                         else b if abs(p - b) <= abs(p - c) else c)
            line[i] = (line[i] + (0, a, b, (a + b) // 2, predictor)[kind]) & 0xFF
        prior = line
        rows.append([tuple(line[x * channels:x * channels + 3]) if channels > 1
                     else (line[x],) * 3 for x in range(width)])
    return width, height, rows
