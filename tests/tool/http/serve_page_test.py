#!/usr/bin/env python3
"""The device monitor page in headless Chromium, driven over the DevTools protocol.

Starts `quorsma serve` on a free loopback port with a section of its own, sets
devices and a Korean comment with the tool, opens the page with a watch list,
waits until its live stream is up and checks the rendered table; then changes a
device and waits for the page to show it.  Then runs the traffic light example
on the section and checks the program view (rungs drawn at the program's line
numbers, power flow lit, a click on a device opening it in the table), a trend,
and that only writable devices look editable; last, at phone, tablet and
desktop sizes, that no element is wider than the screen, with a screenshot of
each.  Everything is bounded in time; the runner, the server and the browser
are stopped at the end.

Only the Python standard library is used (a minimal WebSocket client for the
DevTools connection).
"""
import argparse
import base64
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

TIMEOUT = 20.0  # seconds for any one wait


class Failure(Exception):
    pass


def wait_for(what, probe, timeout=TIMEOUT, step=0.1):
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(step)


class DevTools:
    """A WebSocket connection to one page target (text frames only)."""

    def __init__(self, url):
        assert url.startswith("ws://")
        host_port, path = url[5:].split("/", 1)
        host, port = host_port.split(":")
        self.sock = socket.create_connection((host, int(port)), timeout=TIMEOUT)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET /{path} HTTP/1.1\r\nHost: {host_port}\r\nUpgrade: websocket\r\n"
                           f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                           "Sec-WebSocket-Version: 13\r\n\r\n").encode())
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = self.sock.recv(4096)
            if not chunk:
                raise Failure("DevTools closed the connection during the handshake")
            head += chunk
        if b" 101 " not in head.split(b"\r\n", 1)[0]:
            raise Failure("DevTools refused the connection: " + head.decode(errors="replace"))
        self.buffer = head.split(b"\r\n\r\n", 1)[1]
        self.next_id = 0

    def _read(self, n):
        while len(self.buffer) < n:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise Failure("DevTools closed the connection")
            self.buffer += chunk
        out, self.buffer = self.buffer[:n], self.buffer[n:]
        return out

    def _receive(self):
        message = b""
        while True:
            b0, b1 = self._read(2)
            length = b1 & 0x7F
            if length == 126:
                length = int.from_bytes(self._read(2), "big")
            elif length == 127:
                length = int.from_bytes(self._read(8), "big")
            payload = self._read(length)
            message += payload
            if b0 & 0x80:
                return json.loads(message)

    def _send(self, text):
        data = text.encode()
        mask = os.urandom(4)
        n = len(data)
        head = bytes([0x81])
        if n < 126:
            head += bytes([0x80 | n])
        elif n < 65536:
            head += bytes([0x80 | 126]) + n.to_bytes(2, "big")
        else:
            head += bytes([0x80 | 127]) + n.to_bytes(8, "big")
        self.sock.sendall(head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))

    def call(self, method, **params):
        self.next_id += 1
        self._send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = self._receive()
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise Failure(f"{method}: {message['error']}")
                return message.get("result", {})

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        return result.get("result", {}).get("value")


def run(tool, args, env):
    result = subprocess.run([tool] + args, env=env, capture_output=True, timeout=TIMEOUT)
    if result.returncode != 0:
        raise Failure(f"{' '.join(args)}: exit {result.returncode}: {result.stderr.decode(errors='replace')}")


ROWS = """JSON.stringify([...document.querySelectorAll('#rows tr')].map(tr => ({
  operand: tr.dataset.operand, comment: tr.children[1].textContent, value: tr.children[2].textContent,
  lamp: !!tr.querySelector('.lamp.on')})))"""


def save_screenshot(tools, path):
    shot = base64.b64decode(tools.call("Page.captureScreenshot", format="png")["data"])
    if not shot.startswith(b"\x89PNG"):
        raise Failure("the screenshot is not a PNG")
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path + ".tmp", "wb") as out:
        out.write(shot)
    os.replace(path + ".tmp", path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--child", required=True, help="the test helper that switches logging on")
    parser.add_argument("--screenshot", required=True)
    options = parser.parse_args()
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        print("chromium is not installed (scripts/setup-linux.sh installs it)", file=sys.stderr)
        return 1

    env = dict(os.environ, QUORSMA_SECTION=f"qsma_test_page_{os.getpid()}", LANG="C.UTF-8")
    profile = tempfile.mkdtemp(prefix="quorsma-page-test-")
    server = browser = runner = None
    try:
        server = subprocess.Popen([options.tool, "serve", "--listen", "127.0.0.1:0", "--collect", "--interval", "100",
                                   "--allow-write", "D100..D103,Y0..Y3"],
                                  env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        url = token = None
        for line in server.stdout:
            if " at http://" in line:
                url = line.split(" at ", 1)[1].strip()
            if "need the token " in line:
                token = line.split("need the token ", 1)[1].strip()
            if "Ctrl-C ends" in line:
                break
        if not url or not token:
            raise Failure("the server did not start")

        subprocess.run([options.child, "log-on"], env=env, capture_output=True, timeout=TIMEOUT, check=True)
        run(options.tool, ["set", "D100", "4321"], env)
        run(options.tool, ["set", "D101", "0"], env)  # retentive: it may hold 77 from an earlier run
        run(options.tool, ["set", "Y1", "1"], env)
        run(options.tool, ["set", "Y2", "0"], env)
        run(options.tool, ["comment", "set", "D", "100", "시작 버튼"], env)
        run(options.tool, ["comment", "set", "Y", "1", "운전 램프"], env)

        browser = subprocess.Popen([chromium, "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                                    "--no-first-run", "--remote-debugging-port=0",
                                    "--remote-debugging-address=127.0.0.1", f"--user-data-dir={profile}",
                                    "about:blank"],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(profile, "DevToolsActivePort")
        wait_for("the browser's DevTools port", lambda: os.path.exists(port_file) and open(port_file).read().strip())
        port = int(open(port_file).read().split()[0])

        def page_target():
            with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=TIMEOUT) as answer:
                return next((t for t in json.load(answer) if t.get("type") == "page"), None)

        tools = DevTools(wait_for("a page in the browser", page_target)["webSocketDebuggerUrl"])
        tools.call("Page.enable")
        # A tablet-sized screen.
        tools.call("Emulation.setDeviceMetricsOverride", width=1024, height=640, deviceScaleFactor=1, mobile=False)
        tools.call("Page.navigate", url=f"{url}?watch=D100..D103,Y0..Y3,T0#token={token}")
        wait_for("the live stream", lambda: tools.evaluate("document.getElementById('status').textContent") == "live")

        rows = {r["operand"]: r for r in json.loads(tools.evaluate(ROWS))}
        expected = ["D100", "D101", "D102", "D103", "Y0", "Y1", "Y2", "Y3", "T0"]
        if list(rows) != expected:
            raise Failure(f"rows {list(rows)}, expected {expected}")
        if rows["D100"]["value"] != "4321" or rows["D100"]["comment"] != "시작 버튼":
            raise Failure(f"D100 shows {rows['D100']}")
        if not rows["Y1"]["lamp"] or rows["Y0"]["lamp"] or rows["Y1"]["comment"] != "운전 램프":
            raise Failure(f"the lamps show Y0 {rows['Y0']}, Y1 {rows['Y1']}")
        if "s of" not in rows["T0"]["value"]:
            raise Failure(f"T0 shows {rows['T0']}")
        if tools.evaluate("location.hash") != "":
            raise Failure("the token stayed in the address bar")

        # A change made by another program reaches the page, with the value-change
        # line in the pane.
        run(options.tool, ["set", "D101", "77"], env)
        wait_for("D101 = 77 on the page",
                 lambda: json.loads(tools.evaluate(ROWS))[1]["value"] == "77")
        wait_for("a value-change line", lambda: tools.evaluate("document.getElementById('log').textContent"))
        # Writing from the page with the token of the link: a click on a lamp
        # asks first, then switches it, through the API.
        tools.evaluate("window.confirm = (m) => { window.asked = m; return true; }")
        tools.evaluate("document.querySelector('tr[data-operand=\"Y2\"] td.value').click()")
        wait_for("Y2 switched on from the page", lambda: json.loads(tools.evaluate(ROWS))[6]["lamp"])
        with urllib.request.urlopen(f"{url}api/devices?operands=Y2", timeout=TIMEOUT) as answer:
            if json.load(answer)[0]["value"] != 1:
                raise Failure("the click did not write Y2")
        if "Y2" not in (tools.evaluate("window.asked") or ""):
            raise Failure("the bit was written without asking")
        wait_for("the page's write in the change pane",
                 lambda: "write by 127.0.0.1: Y2 = 1" in tools.evaluate("document.getElementById('log').textContent"))
        # Only what --allow-write names looks editable.
        editable = json.loads(tools.evaluate(
            "JSON.stringify([...document.querySelectorAll('#rows td.value.editable')].map(td => td.parentElement.dataset.operand))"))
        if editable != ["D100", "D101", "D102", "D103", "Y0", "Y1", "Y2", "Y3"]:
            raise Failure(f"editable values: {editable}")
        # The hex toggle.
        tools.evaluate("document.getElementById('hex').click()")
        hex_value = json.loads(tools.evaluate(ROWS))[0]["value"]
        if hex_value != "0x10E1":
            raise Failure(f"D100 in hex shows {hex_value}")
        tools.evaluate("document.getElementById('hex').click()")

        save_screenshot(tools, options.screenshot)

        # The program view: the runner publishes its program and each scan's
        # results; the page draws the rungs at the file's line numbers and
        # lights them.
        examples = os.path.join(os.path.dirname(options.tool), "examples")
        runner = subprocess.Popen([options.tool, "run", os.path.join(examples, "traffic_light.il"), "-q"], env=env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the rungs", lambda: tools.evaluate("document.querySelectorAll('#rungs .rung svg').length") == 11)
        lines = json.loads(tools.evaluate(
            "JSON.stringify([...document.querySelectorAll('#rungs .line-no')].map(e => e.textContent))"))
        if lines[:4] != ["6", "8", "10", "13"]:
            raise Failure(f"rungs at lines {lines}")
        wait_for("power flow", lambda: tools.evaluate("document.querySelectorAll('#rungs .w.lit').length") > 30)
        wait_for("the scan statistics", lambda: "scans" in tools.evaluate("document.getElementById('stats').textContent"))
        # A click on a device of a rung opens it in the device table.
        tools.evaluate("[...document.querySelectorAll('#rungs text.op')].find(t => t.textContent === 'M4')"
                       ".dispatchEvent(new MouseEvent('click'))")
        wait_for("M4 in the device table", lambda: "M4" in [r["operand"] for r in json.loads(tools.evaluate(ROWS))])
        # A trend of D100 and T0 on one time axis.
        for device in ("D100", "T0"):
            tools.evaluate(f"document.querySelector('tr[data-operand=\"{device}\"] td.plot input').click()")
        wait_for("the trend", lambda: tools.evaluate(
            "[...document.querySelectorAll('#plot .u-legend th')].map(e => e.textContent).join(' ')").count("D100") == 1)
        legend = tools.evaluate("document.querySelector('#plot .u-legend').textContent")
        if "T0" not in legend:
            raise Failure(f"the trend's legend shows {legend}")

        # Every size: nothing wider than the screen, a screenshot of each.
        wide = """JSON.stringify([...document.querySelectorAll('body *')].filter(e => {
          const r = e.getBoundingClientRect();
          return r.width > 0 && (r.right > innerWidth + 0.5 || r.left < -0.5);
        }).slice(0, 5).map(e => e.tagName + '#' + e.id + '.' + e.className + ' ' + Math.round(e.getBoundingClientRect().right)))"""
        base, ext = os.path.splitext(options.screenshot)
        for width, height, mobile in ((390, 844, True), (800, 1280, False), (1280, 800, False)):
            tools.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1,
                       mobile=mobile)
            tools.evaluate("window.scrollTo(0, 0)")
            time.sleep(0.6)  # the page follows the new size
            if tools.evaluate("document.documentElement.scrollWidth") > width:
                raise Failure(f"at {width}x{height} the page scrolls sideways")
            offenders = json.loads(tools.evaluate(wide))
            if offenders:
                raise Failure(f"at {width}x{height} wider than the screen: {offenders}")
            save_screenshot(tools, f"{base}-{width}x{height}{ext}")
        print(f"page checked; screenshots in {os.path.dirname(os.path.abspath(options.screenshot))}")
        return 0
    except (Failure, OSError, subprocess.SubprocessError, ValueError, KeyError, TypeError) as error:
        print(f"FAILED: {error}", file=sys.stderr)
        return 1
    finally:
        for process, sig in ((browser, signal.SIGTERM), (runner, signal.SIGINT), (server, signal.SIGTERM)):
            if process is not None and process.poll() is None:
                process.send_signal(sig)
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(profile, ignore_errors=True)
        # The collector lock file outlives its holder by design; this section
        # name is used once, so its file goes.
        lock_dir = os.environ.get("QUORSMA_LOCK_DIR") or "/dev/shm"
        for job in ("collector.lock", "runner.lock", "runner.stats", "program", "scan", "forces"):
            try:
                os.remove(os.path.join(lock_dir, f"quorsma.{env['QUORSMA_SECTION']}.{job}"))
            except OSError:
                pass


if __name__ == "__main__":
    sys.exit(main())
