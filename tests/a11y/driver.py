# Drives the real program as assistive technology does: it finds the program
# and its controls in the AT-SPI tree by role and name, reads them and
# performs their actions. Every wait polls a condition until E2E_TIMEOUT
# seconds have passed; nothing sleeps for a fixed time.
#
# A Session holds the temporary drives and runs steps, each a method below
# called with the step's arguments: ("drive", "d:"), ("press", "OK").
import os
import subprocess
import time

import pyatspi
from gi.repository import GLib

import tree

TIMEOUT = float(os.environ.get("E2E_TIMEOUT", "20"))
# What a control must be called by, its own name or a label's.
NAMED_ROLES = {"radio button", "push button", "combo box", "text", "tree table", "alert"}


class Failure(Exception):
    pass


def wait(what, condition, timeout=TIMEOUT):
    """Polls `condition` until it gives something true, and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            result = condition()
        except GLib.Error:  # an object that went away meanwhile
            result = None
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


def matches(obj, role, name):
    """`name` None matches any name, one ending in '*' a prefix."""
    if obj is None or obj.getRoleName() != role:
        return False
    if name is None:
        return True
    own = obj.name or ""
    return own.startswith(name[:-1]) if name.endswith("*") else own == name


def find(root, role, name=None):
    if matches(root, role, name):
        return root
    for child in root:
        found = find(child, role, name) if child is not None else None
        if found is not None:
            return found
    return None


def showing(obj):
    return obj.getState().contains(pyatspi.STATE_SHOWING)


def label_of(obj):
    """The object's name, or that of the label it is labelled by."""
    if obj.name:
        return obj.name
    for relation in obj.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return relation.getTarget(0).name
    return ""


def act(obj, action):
    actions = obj.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if action not in names:
        raise Failure('%s "%s" has no action %s, only %s' % (obj.getRoleName(), obj.name, action, names))
    actions.doAction(names.index(action))


class Session:
    def __init__(self, tarnivo, work):
        self.tarnivo = tarnivo
        self.work = work
        self.proc = None
        self.log = os.path.join(work, "tarnivo.log")
        # Drives C: and D:, and E: whose medium is missing until "stick" is made.
        self.drives = {"C": self.path("c"), "D": self.path("d"), "E": self.path("stick")}
        for folder in self.drives["C"], self.drives["D"]:
            os.makedirs(folder, exist_ok=True)
        self.env = dict(os.environ, TARNIVO_DRIVES=";".join("%s=%s" % d for d in self.drives.items()))

    def path(self, relative):
        return os.path.join(self.work, relative)

    def expand(self, text):
        """`text` with {c} and {d} as the drives' folders."""
        return text.format(c=self.drives["C"], d=self.drives["D"])

    # --- The program and its windows

    def start(self, arg=None):
        self.stop()
        with open(self.log, "a") as log:
            self.proc = subprocess.Popen([self.tarnivo] + ([self.expand(arg)] if arg else []),
                                         cwd=self.path("c"), env=self.env, stdout=log, stderr=log)
        self.app = wait("the program in the accessibility tree", self._find_app)
        self.dialog = wait("the dialog", lambda: self._window("frame", "Tarnivo"))

    def _find_app(self):
        self.running()
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.proc.pid and app.childCount:
                return app
        return None

    def _window(self, role, name=None):
        self.running()
        for window in self.app:
            if matches(window, role, name) and showing(window):
                return window
        return None

    def shown(self):
        """The program's tree, as far as it can be read."""
        out = []
        try:
            tree.walk(self.app, 0, None, out)
        except (AttributeError, GLib.Error):
            pass
        return out

    def stop(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def running(self):
        if self.proc.poll() is not None:
            raise Failure("the program ended with status %d" % self.proc.returncode)
        return True

    def exit(self, status=0):
        try:
            self.proc.wait(TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end") from None
        if self.proc.returncode != status:
            raise Failure("the program ended with status %d, expected %d" % (self.proc.returncode, status))

    def control(self, role, name, within=None):
        return wait('%s "%s"' % (role, name), lambda: find(within or self.dialog, role, name))

    # --- The dialog's controls

    def press(self, button):
        act(self.control("push button", button), "click")

    def choose(self, option):
        radio = self.control("radio button", option)
        act(radio, "click")
        wait(option + " checked", lambda: radio.getState().contains(pyatspi.STATE_CHECKED))

    def type(self, box, text):
        """Enters the text box named (or labelled) `box` and types `text`."""
        field = wait("the text box " + box, lambda: next(
            (t for t in self._all(self.dialog, "text") if label_of(t) == box), None))
        field.queryComponent().grabFocus()
        text = self.expand(text)
        field.queryEditableText().setTextContents(text)
        wait("'%s' in %s" % (text, box), lambda: tree.text_of(field) == text)

    def _all(self, root, role):
        found = [root] if matches(root, role, None) else []
        for child in root:
            if child is not None:
                found += self._all(child, role)
        return found

    def drive(self, letter):
        """Picks the drive `letter` ("d:") from the drive list's menu. A
        compositor without a seat cannot pop the menu up: its item is picked
        as it is."""
        combo = self.control("combo box", None)
        if os.environ.get("GDK_BACKEND") != "wayland":
            act(combo, "press")
            wait("the drive list to drop down", lambda: showing(combo[0]))
        act(self.control("menu item", letter + " *", combo), "click")

    def open(self, folder):
        """Opens a folder of the folder list by its line's action."""
        folders = self.control("tree table", "Folders")
        act(self.control("table cell", folder, folders), "activate")
        self.shows("table cell", folder)

    def shows(self, role, name):
        """The dialog shows `name` in a control of `role` (a folder list line:
        the open one, selected)."""
        def shown():
            found = find(self.dialog, role, name)
            return found is not None and (role != "table cell" or
                                          found.getState().contains(pyatspi.STATE_SELECTED))
        wait('%s "%s" shown' % (role, name), shown)

    # --- Message boxes and help

    def alert(self, text, *buttons):
        """A message box is open: an alert whose text and buttons read so."""
        box = wait("a message box", lambda: self._window("alert"))
        labels = [tree.text_of(label) for label in self._all(box, "label")]
        named = [button.name for button in self._all(box, "push button")]
        if labels != [text] or named != list(buttons):
            raise Failure("the message box reads %s %s, expected %s %s" % (labels, named, [text], list(buttons)))

    def answer(self, button):
        box = wait("a message box", lambda: self._window("alert"))
        act(self.control("push button", button, box), "click")
        wait("the message box to close", lambda: self.proc.poll() is not None or not self._window("alert"))

    def help(self, starts):
        self.press("Help")
        window = wait("the help window", lambda: self._window("frame", "Tarnivo Help"))
        text = tree.text_of(self.control("text", "Tarnivo Help", window))
        if not text.startswith(starts):
            raise Failure("the help text begins %r" % text[:80])

    def tree(self, *lines):
        """The accessible tree holds each of `lines` (tree.py's form) and
        names every control."""
        out = []
        tree.walk(self.app, 0, None, out)
        # The focus shows only in an active window, which without a window
        # manager depends on where the pointer is.
        unfocused = [line.replace("focused, ", "").replace(" [focused]", "") for line in out]
        missing = [line for line in lines if not any(line in shown for shown in unfocused)]
        unnamed = [tree.describe(o) for r in NAMED_ROLES for o in self._all(self.app, r) if not label_of(o)]
        if missing or unnamed:
            raise Failure("missing %s, unnamed %s in:\n  %s" % (missing, unnamed, "\n  ".join(out)))

    # --- Files

    def mkdir(self, folder):
        os.makedirs(self.path(folder))

    def write(self, files):
        """Makes `files`: {path: text}, a folder where the path ends in '/'."""
        for relative, text in files.items():
            os.makedirs(os.path.dirname(self.path(relative)), exist_ok=True)
            if not relative.endswith("/"):
                with open(self.path(relative), "w") as out:
                    out.write(text)
        self.before = self.listing()

    def files(self, expected):
        """`expected`: {path: text}, None for a path that must not exist."""
        for relative, text in expected.items():
            if text is None:
                if os.path.lexists(self.path(relative)):
                    raise Failure(relative + " should not exist")
                continue
            try:
                with open(self.path(relative)) as found:
                    held = found.read()
            except OSError as error:
                raise Failure("cannot read %s: %s" % (relative, error)) from None
            if held != text:
                raise Failure("%s holds %r, expected %r" % (relative, held, text))

    def listing(self):
        """Every folder and file below the drives, with sizes and times."""
        out = []
        for top in self.drives.values():
            for folder, _, names in os.walk(top):
                for entry in [folder] + [os.path.join(folder, n) for n in names]:
                    info = os.lstat(entry)
                    out.append((entry, info.st_size, info.st_mtime_ns, info.st_mode))
        return sorted(out)

    def unchanged(self):
        if self.listing() != self.before:
            raise Failure("files changed")
