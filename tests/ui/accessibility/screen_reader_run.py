#!/usr/bin/python3
"""A whole diagnosis through the accessibility tree alone, as a screen reader would drive it.

Starts the program on an X server with the accessibility bus, finds its window and the hardware
simulator's through AT-SPI, and works both only by the accessible actions of named controls: no
mouse event, no pixel coordinate. Along the way it reads the status texts, the port chips, the
countdown and the result rows by their accessible names, and listens to what the program announces.

Run it inside a D-Bus session on an X server:
    xvfb-run -a dbus-run-session -- python3 screen_reader_run.py --program build/default/bin/kabelwacht
"""

import argparse
import os
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

WINDOW = "Kabelwacht ZIV-A Dodiv"
SIMULATOR_PREFIX = "Hardware-Simulator – "
# The icon font's symbols sit in Unicode's private use areas; none may reach a reader.
PRIVATE_USE = re.compile("[\ue000-\uf8ff\U000f0000-\U0010ffff]")


class Failure(Exception):
    pass


class Session:
    def __init__(self, program, machine):
        self.announcements = []
        self.last_focus = None
        pyatspi.Registry.registerEventListener(self._on_showing, "object:state-changed:showing")
        pyatspi.Registry.registerEventListener(self._on_focus, "focus:")
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        self.process = subprocess.Popen([program, "--machine", machine], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        app = self.wait_for(lambda: self._application(), "the program on the accessibility bus", 30)
        self.window = self.wait_for(lambda: self._frame(app, lambda name: name == WINDOW), "its window")
        self.simulator = self.wait_for(lambda: self._frame(app, lambda name: name.startswith(SIMULATOR_PREFIX)),
                                       "the hardware simulator's window")

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()

    # --- events -----------------------------------------------------------------------------------

    def _on_showing(self, event):
        # An announcement is a notification shown anew, once for each; its text is read as the
        # event arrives, which is soon enough: the program says one thing per turn of its loop.
        try:
            if event.detail1 == 1 and event.source.getRole() == pyatspi.ROLE_NOTIFICATION:
                self.announcements.append(event.source.name)
                if os.environ.get("KABELWACHT_A11Y_VERBOSE"):
                    print("announced:", event.source.name, file=sys.stderr)
        except Exception:  # the source may be gone by the time the event arrives
            pass

    def _on_focus(self, event):
        try:
            self.last_focus = event.source.name
        except Exception:
            pass

    def pump(self, seconds=0.0):
        context = GLib.MainContext.default()
        end = time.monotonic() + seconds
        while True:
            while context.iteration(False):
                pass
            if time.monotonic() >= end:
                return
            time.sleep(0.02)

    def wait_for(self, condition, what, timeout=15):
        end = time.monotonic() + timeout
        while True:
            self.pump()
            if self.process.poll() is not None:
                raise Failure(f"the program ended ({self.process.returncode}) while waiting for {what}:\n"
                              + self.process.stderr.read())
            try:
                result = condition()
            except Exception:  # objects come and go while screens change
                result = None
            if result:
                return result
            if time.monotonic() > end:
                raise Failure(f"no {what} within {timeout} s")
            time.sleep(0.05)

    def announced(self, text, timeout=15):
        """Waits until the text is announced; returns everything announced up to and with it."""
        self.wait_for(lambda: text in self.announcements, f"announcement {text!r}", timeout)
        index = self.announcements.index(text)
        said = self.announcements[:index + 1]
        del self.announcements[:index + 1]
        return said

    # --- the tree ---------------------------------------------------------------------------------

    def _application(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    @staticmethod
    def _frame(app, accept):
        for frame in app:
            if frame is not None and frame.getRole() == pyatspi.ROLE_FRAME and accept(frame.name):
                return frame
        return None

    @staticmethod
    def showing(root, scrolled_out=False):
        """Every object in sight under root, depth first; with scrolled_out, also those a scroll
        view holds out of sight (which Qt calls neither showing nor visible)."""
        stack = [root]
        while stack:
            item = stack.pop()
            if item is None:
                continue
            if item is not root and not scrolled_out and not item.getState().contains(pyatspi.STATE_SHOWING):
                continue
            yield item
            stack.extend(reversed([child for child in item]))

    def find(self, root, role, name):
        def search():
            for item in self.showing(root):
                if item.getRole() == role and (name(item.name) if callable(name) else item.name == name):
                    return item
            return None
        return self.wait_for(search, f"{'object' if callable(name) else repr(name)} of role {role}")

    def names(self, root, role, scrolled_out=False):
        return [item.name for item in self.showing(root, scrolled_out) if item.getRole() == role]

    def press(self, root, name, role=pyatspi.ROLE_PUSH_BUTTON):
        control = self.find(root, role, name)
        action = control.queryAction()
        for i in range(action.nActions):
            if action.getName(i) == "Press":
                if not action.doAction(i):
                    raise Failure(f"{name!r} refused its press action")
                self.pump(0.05)
                return
        raise Failure(f"{name!r} has no press action")

    def expect_focus(self, name, told=True):
        """The focus is on the named object and, once the program has been running, the reader was
        told so: the last focus event was that object's."""
        self.wait_for(lambda: (self.last_focus == name or not told)
                      and (self.focused(self.window) or self.window).name == name,
                      f"focus on {name!r} (last focus event: {self.last_focus!r})")

    def focused(self, root):
        for item in self.showing(root):
            if item.getState().contains(pyatspi.STATE_FOCUSED) and item.getRole() != pyatspi.ROLE_FRAME:
                # The deepest focused object: a focus scope holds its focused child.
                inner = [child for child in item if child is not None
                         and child.getState().contains(pyatspi.STATE_FOCUSED)]
                if not inner:
                    return item
        return None

    def check_every_control_is_named(self, root, where):
        for item in self.showing(root):
            if item.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_LINK) and not item.name.strip():
                raise Failure(f"{where}: a {item.getRoleName()} without a name")
            if PRIVATE_USE.search(item.name or ""):
                raise Failure(f"{where}: a symbol glyph reaches the reader in {item.name!r}")


def expect(condition, message):
    if not condition:
        raise Failure(message)


def clipboard():
    return subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True, text=True,
                          timeout=10).stdout


def run(s):
    w, sim = s.window, s.simulator
    LABEL, HEADING = pyatspi.ROLE_LABEL, pyatspi.ROLE_HEADING

    # The start screen: its primary action has the focus; the legal sheet opens and closes.
    s.check_every_control_is_named(w, "intro")
    s.check_every_control_is_named(sim, "simulator")
    s.expect_focus("USB-C Diagnose starten", told=False)  # given before any reader listened
    s.press(w, "Impressum und Datenschutzhinweise anzeigen")
    sheet = s.find(w, pyatspi.ROLE_DIALOG, "Impressum & Datenschutz")
    links = s.wait_for(lambda: s.names(sheet, pyatspi.ROLE_LINK, scrolled_out=True), "the sheet's links")
    expect(any(name.startswith("E-Mail an ") for name in links) and "Kontaktformular öffnen" in links,
           f"the sheet's contact links are not named as such: {links}")
    s.check_every_control_is_named(sheet, "legal sheet")
    s.expect_focus("Fertig")
    s.press(sheet, "Fertig")
    s.expect_focus("USB-C Diagnose starten")

    # Controller check, then the preparation.
    s.press(w, "USB-C Diagnose starten")
    said = s.announced("Controllergrundtest bestanden. Jetzt jeden Anschluss einzeln prüfen")
    expect(said == ["USB-C Controller werden geprüft",
                    "Controllergrundtest bestanden. Jetzt jeden Anschluss einzeln prüfen"],
           f"the controller check was announced as {said}")
    s.expect_focus("Anschluss-Test starten")
    s.check_every_control_is_named(w, "preparation")

    # Port 1 passes with a 96 W charger, plugged in through the simulator's window.
    s.press(w, "Anschluss-Test starten")
    s.announced("USB-C Anschluss 1 von 3: Ladekabel jetzt anschließen")
    s.find(w, HEADING, "USB-C Anschluss 1 von 3")
    s.find(w, LABEL, "Ladekabel jetzt anschließen")
    s.find(w, LABEL, lambda name: re.fullmatch(r"noch \d+ Sekunden", name))
    s.find(w, LABEL, "Port 1, wird geprüft")
    s.find(w, LABEL, "0 von 3 Anschlüssen geprüft")
    s.check_every_control_is_named(w, "port test")
    s.press(sim, "USB-C 1: Netzteil mit 96 W anstecken")
    said = s.announced("USB-C Anschluss 1 von 3: Anschluss erfolgreich geprüft")
    expect(said[-2:] == ["USB-C Anschluss 1 von 3: Anschluss wird überprüft \u2026",
                         "USB-C Anschluss 1 von 3: Anschluss erfolgreich geprüft"],
           f"port 1 was announced as {said}")
    s.find(w, LABEL, "Port 1, geprüft")
    s.find(w, LABEL, "1 von 3 Anschlüssen geprüft")
    s.find(sim, pyatspi.ROLE_PANEL, lambda name: name.startswith("USB-C 1, ") and name.endswith("Netzteil 96 W"))
    s.press(sim, "USB-C 1: abziehen")

    # Port 2: nothing arrives within the window; the countdown runs without a word.
    s.announced("USB-C Anschluss 2 von 3: Ladekabel jetzt anschließen")
    said = s.announced("USB-C Anschluss 2 von 3: Kein Ladevorgang erkannt", timeout=40)
    expect(said == ["USB-C Anschluss 2 von 3: Kein Ladevorgang erkannt"],
           f"while the countdown ran, the program announced {said}")
    s.expect_focus("Erneut prüfen")
    s.press(w, "Als defekt werten")
    s.find(w, LABEL, "Port 2, vermutlich defekt")

    # Port 3 passes with 61 W; then the evaluation and the verdict.
    s.announced("USB-C Anschluss 3 von 3: Ladekabel jetzt anschließen")
    s.press(sim, "USB-C 3: Netzteil mit 61 W anstecken")
    verdict = "Mindestens ein USB-C Anschluss ist vermutlich defekt"
    said = s.announced(verdict)
    expect("Diagnose wird ausgewertet" in said, f"the evaluation was not announced: {said}")
    s.expect_focus(verdict)
    rows = [name for name in s.names(w, LABEL) if name.startswith("USB-C Anschluss ")]
    expect(len(rows) == 3
           and rows[0] == "USB-C Anschluss 1: in Ordnung. USB-C Power Delivery wurde mit einem 96-W-Netzteil erkannt."
           and rows[1] == "USB-C Anschluss 2: vermutlich defekt. Innerhalb des Prüfzeitraums wurde an diesem "
                            "Anschluss kein USB-C Ladevorgang erkannt."
           and rows[2] == "USB-C Anschluss 3: in Ordnung. USB-C Power Delivery wurde mit einem 61-W-Netzteil erkannt.",
           f"the result rows read {rows}")
    s.check_every_control_is_named(w, "result")

    s.press(w, "Bericht kopieren")
    s.announced("Diagnosebericht wurde kopiert.")
    report = s.wait_for(lambda: clipboard(), "the report on the clipboard")
    expect("USB-C Anschluss 2: Anschluss vermutlich defekt" in report, f"the clipboard holds {report!r}")
    s.find(w, pyatspi.ROLE_PUSH_BUTTON, "Passende USB-C Reparatur")

    # The window buttons are no Tab stops, but a reader still presses them: closing ends the program.
    s.press(w, "Fenster schließen")
    end = time.monotonic() + 10
    while s.process.poll() is None and time.monotonic() < end:
        s.pump(0.1)
    expect(s.process.poll() == 0, f"pressing \"Fenster schließen\" did not end the program ({s.process.poll()})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="the kabelwacht program to start")
    parser.add_argument("--machine", default="macbookpro18-3", help="the simulated Mac (three ports)")
    args = parser.parse_args()
    session = None
    try:
        session = Session(args.program, args.machine)
        run(session)
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        if session:
            session.close()
    print("a whole diagnosis through the accessibility tree: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
