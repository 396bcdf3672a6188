#!/usr/bin/python3
"""The window through the accessibility bus only, as a screen reader and voice control
reach it: a real AT-SPI client (pyatspi) enters the number of throws, chooses the mode,
starts, presses every button and reads every result, the prompt and the chart.

Run inside `dbus-run-session` on an X server (xvfb-run):
    AccessibilityTest.py BUILD/kalvor1 INFO_FILE
Expected values are computed here from the throws themselves, not read from the program.
"""

import os
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

EVENTS = ("object:text-changed", "object:property-change:accessible-description", "object:state-changed:focused")
WAIT = 60  # seconds: an upper bound for anything to appear, never a measure
END_LINE = "                    ***  ENDE  *** "
STANDARD_PROMPT = (" Anzahl der gewünschten Würfe eingeben,\n  Modus wählen und Start drücken.\n"
                   "  Oder Import drücken und entspr. Datei der\n  Spielbank Hamburg angeben.")
COMPUTER_PROMPT = " Der Computer erzeugt die Zahlen..."
LEGEND = "Legende: Würfe 1-200 schwarz, 201-400 blau, 401-xxx grün."
RED = {1, 3, 5, 7, 9, 12, 14, 16, 18, 19, 21, 23, 25, 27, 30, 32, 34, 36}
# The result boxes by accessible name, with the captions that label them.
BOXES = {
    "Anzahl akut": ["Anzahl akut"], "Rot": ["Rot"], "Schwarz": ["Schwarz"],
    "Fläche Rot": ["Fläche", "Rot"], "Fläche Schwarz": ["Fläche", "Schwarz"],
    ">- Abweichung": [">- Ab-", "weichung"], ">+ Abweichung": [">+ Ab-", "weichung"],
    "0-Linie berührt": ["0-Linie", "berührt"], "Akut bei": ["Akut bei"], "Zahl": ["Zahl"],
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message, flush=True)


def eventually(condition, message):
    """Events arrive on their own; a check of them waits for them, within bounds."""
    try:
        wait_for(message, condition)
    except AssertionError:
        check(False, message)


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(what, predicate):
    end = time.monotonic() + WAIT
    while True:
        pump()
        try:
            value = predicate()
        except GLib.Error:  # an object that went away while we looked
            value = None
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("gave up waiting for " + what)
        time.sleep(0.05)


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def has_text(node):
    return "Text" in pyatspi.utils.listInterfaces(node)


def text_of(node):
    return node.queryText().getText(0, -1) if has_text(node) else ""


def states(node):
    return node.getState()


def find(root, role, name, readable=None):
    for node in walk(root):
        if node.getRoleName() == role and node.name == name and (readable is None or has_text(node) == readable):
            return node
    return None


def showing(node):
    return states(node).contains(pyatspi.STATE_SHOWING)


def enabled(node):
    return states(node).contains(pyatspi.STATE_ENABLED)


def act(node):
    """The node's first action, as a reader's "activate" does it."""
    action = node.queryAction()
    check(action.nActions > 0, "no action on %s %r" % (node.getRoleName(), node.name))
    action.doAction(0)


def labels_of(node):
    names = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return names


def extents(node, offset=None):
    """x, y, width, height on the screen: of the node, or of one character of its text."""
    if offset is None:
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height
    return tuple(node.queryText().getCharacterExtents(offset, pyatspi.DESKTOP_COORDS))


def inside(inner, outer):
    return (inner[2] > 0 and outer[0] <= inner[0] and inner[0] + inner[2] <= outer[0] + outer[2] and
            outer[1] <= inner[1] and inner[1] + inner[3] <= outer[1] + outer[3])


def number(text):
    return int(text) if text else 0


class Window:
    def __init__(self, program, cwd, args=()):
        self.process = subprocess.Popen([program, *args], cwd=cwd)
        self.changed = []
        self.events = []
        self.focused = []  # (role, name) of what took the focus, as a reader announces it
        pyatspi.Registry.registerEventListener(self.on_changed, *EVENTS)
        self.app = wait_for("the program on the bus", self.find_app)
        self.frame = wait_for("its window", lambda: next((w for w in self.app if w and showing(w)), None))
        self.box = {name: wait_for(name, lambda n=name: find(self.frame, "label", n, True)) for name in BOXES}
        self.prompt = find(self.frame, "label", "Hinweis", True)
        self.chart = find(self.frame, "chart", "Tendenz")
        self.count = find(self.frame, "text", "Anzahl Würfe")
        self.halt = find(self.frame, "text", "Halt bei Wurf..")
        self.start = find(self.frame, "push button", "Start")

    def find_app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        return next((a for a in desktop if a is not None and a.get_process_id() == self.process.pid), None)

    def on_changed(self, event):
        self.changed.append(event.source.name)
        self.events.append((event.type, event.source.name, event.any_data))
        if event.type.startswith("object:state-changed:focused") and event.detail1:
            self.focused.append((event.source.getRoleName(), event.source.name))

    def button(self, name):
        return find(self.frame, "push button", name)

    def results(self):
        return {name: text_of(box) for name, box in self.box.items()}

    def dialog(self, title):
        """A message box the window opened: its texts, and its buttons by name."""
        box = wait_for("message box " + title, lambda: next(
            (w for w in self.app if w and w.name == title and showing(w)), None))
        texts = [n.name for n in walk(box) if n.getRoleName() == "label"]
        buttons = {n.name: n for n in walk(box) if n.getRoleName() == "push button"}
        print("message box %s %r: texts %r, buttons %r" % (box.getRoleName(), box.name, texts, list(buttons)))
        return box, texts, buttons

    def answer(self, button, title, question, reply):
        act(self.button(button))
        box, texts, buttons = self.dialog(title)
        check(any(question in t for t in texts), "%s asks %r, read %r" % (button, question, texts))
        act(buttons[reply])
        wait_for("the box to close", lambda: self.process.poll() is not None or
                 not any(w and w.name == title and showing(w) for w in self.app))

    def series(self, throws):
        self.count.queryEditableText().setTextContents(str(throws))
        wait_for("Start enabled by the count", lambda: enabled(self.start))
        # "Halt bei Wurf.." enables its box, "Durchlauf" greys it again: both only through
        # the mode handler, so the toggles reached the model.
        act(find(self.frame, "radio button", "Halt bei Wurf.."))
        wait_for("the halt box enabled", lambda: enabled(self.halt))
        act(find(self.frame, "radio button", "Durchlauf"))
        wait_for("Durchlauf selected", lambda: states(find(self.frame, "radio button", "Durchlauf"))
                 .contains(pyatspi.STATE_CHECKED) and not enabled(self.halt))
        act(self.start)
        wait_for("the end line", lambda: text_of(self.prompt).endswith(END_LINE))
        pump()

    def dump(self):
        """What a screen reader gets for every control: role, name, description, text."""
        for node in walk(self.frame):
            print("  %-12s %-30r %-45r %r%s" % (node.getRoleName(), node.name, node.description, text_of(node),
                                                "" if showing(node) else " (hidden)"))

    def close(self):
        pyatspi.Registry.deregisterEventListener(self.on_changed, *EVENTS)
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=WAIT)


def expected_from(numbers):
    """The results of a series of known numbers, worked out throw by throw."""
    red = black = position = high = low = touches = red_area = black_area = 0
    shown = {}
    for n in numbers:
        if n == 0:
            continue
        if n in RED:
            red, position = red + 1, position - 1
        else:
            black, position = black + 1, position + 1
        red_area += position < 0
        black_area += position > 0
        touches += position == 0
        high, low = max(high, position), min(low, position)
    shown = {"Anzahl akut": str(len(numbers)), "Zahl": str(numbers[-1]), "Rot": str(red or ""),
             "Schwarz": str(black or ""), "Fläche Rot": str(red_area), "Fläche Schwarz": str(black_area),
             ">- Abweichung": str(-low), ">+ Abweichung": str(high), "0-Linie berührt": str(touches or ""),
             "Akut bei": str(position)}
    return shown, position, high, low, touches


def lead(d):
    return "%d %s vor" % (abs(d), "Schwarz" if d > 0 else "Rot")


def chart_words(throws, position, high, low, touches):
    deviations = [lead(low)] if low < 0 else []
    deviations += [lead(high)] if high > 0 else []
    return ("Wurf %d: %s. Größte Abweichung: %s. 0-Linie %d-mal berührt. Durchgang 1, Punkte schwarz. %s"
            % (throws, lead(position) if position else "ausgeglichen", ", ".join(deviations) or "keine",
               touches, LEGEND))


def random_series(program, info_file, scratch):
    """The series of the report: 20 random throws, "Durchlauf", Start; then every button."""
    open(os.path.join(scratch, "serie.txt"), "w").close()
    w = Window(program, scratch)
    try:
        check(text_of(w.prompt) == STANDARD_PROMPT, "standard prompt: %r" % text_of(w.prompt))
        for name, captions in BOXES.items():
            check(text_of(w.box[name]) == "", "%s empty at start" % name)
            check(labels_of(w.box[name]) == captions, "%s labelled by %r" % (name, labels_of(w.box[name])))
        check(labels_of(w.count) == ["Anzahl Würfe"], "Anzahl Würfe labelled by its caption")
        check(w.chart.description == "Noch kein Wurf. " + LEGEND, "chart at start: %r" % w.chart.description)
        for swatch in ("Farbe 1-200: schwarz", "Farbe 201-400: blau", "Farbe 401-xxx: grün"):
            check(find(w.frame, "label", swatch) is not None, "legend swatch %r" % swatch)

        # The import panel and its lists, then back.
        act(w.button("Import"))
        panel = wait_for("the import panel", lambda: next(
            (n for n in walk(w.frame) if n.name == "Import Permanenz" and showing(n)), None))
        files = find(panel, "list", "Dateien *.txt")
        directories = find(panel, "list", "Verzeichnis")
        check([item.name for item in files] == ["serie.txt"], "file list: %r" % [i.name for i in files])
        check(any(item.name.strip() == os.path.basename(scratch) for item in directories), "directory list")
        print("import panel: drive %r, directories %r, files %r" % (
            find(panel, "combo box", "/") and "/", [i.name for i in directories], [i.name for i in files]))
        act(find(panel, "push button", "Abbr."))
        wait_for("the panel to close", lambda: not showing(panel))
        check(text_of(w.prompt) == STANDARD_PROMPT, "prompt after Abbr.")

        # Info shows the information file and hides it again.
        act(w.button("Info"))
        info = wait_for("the info box", lambda: next(
            (n for n in walk(w.frame) if n.getRoleName() == "text" and n.name == "Info" and showing(n)), None))
        with open(info_file, encoding="utf-8") as f:
            first_line = f.readline().strip()
        check(first_line and first_line in text_of(info), "info box reads the info file")
        act(w.button("Ende Info"))
        wait_for("the info box to close", lambda: not showing(info))

        # Text that is no number: the change rule empties the box, as for typing.
        w.count.queryEditableText().setTextContents("abc")
        wait_for("the box emptied", lambda: text_of(w.count) == "")
        check(not enabled(w.start), "Start stays disabled after 'abc'")

        # A greyed box takes no text, as it takes no typing.
        w.halt.queryEditableText().setTextContents("5")
        wait_for("the greyed box restored", lambda: text_of(w.halt) == "")

        w.changed.clear()
        w.series(20)
        results = w.results()
        red, black = number(results["Rot"]), number(results["Schwarz"])
        check(results["Anzahl akut"] == "20", "20 throws: %r" % results["Anzahl akut"])
        check(red + black <= 20, "red and black at most the throws")
        check(0 <= int(results["Zahl"]) <= 36, "a number of the wheel")
        check(number(results["Fläche Rot"]) + number(results["Fläche Schwarz"]) +
              number(results["0-Linie berührt"]) == red + black, "every coloured throw on a side or the line")
        position = black - red
        check(results["Akut bei"] == (str(position) if red + black else ""), "position %r" % results["Akut bei"])
        check(text_of(w.prompt) == COMPUTER_PROMPT + "\n" + END_LINE, "prompt: %r" % text_of(w.prompt))
        check(w.chart.description.startswith("Wurf 20: %s. Größte Abweichung: " % (
            lead(position) if position else "ausgeglichen")), "chart: %r" % w.chart.description)
        check(w.chart.description.endswith(LEGEND), "chart names the legend's colours")
        for high, low in [(number(results[">+ Abweichung"]), number(results[">- Abweichung"]))]:
            check(high >= max(position, 0) and low >= max(-position, 0), "deviations cover the position")
            if low:
                check(lead(-low) in w.chart.description, "chart's red deviation")
            if high:
                check(lead(high) in w.chart.description, "chart's black deviation")
        for name in ("Anzahl akut", "Zahl", "Hinweis", "Tendenz"):
            eventually(lambda n=name: n in w.changed, "a change of %s announced (announced: %r)" % (
                name, sorted(set(w.changed))))
        print("after 20 random throws a screen reader gets:")
        w.dump()

        # The remaining buttons through their actions, each answering its question without harm.
        w.answer("Abbruch", " Abbruch", "Abbruch bitte bestätigen", "Nein")
        check(w.results() == results, "No keeps the series")
        w.answer("Druck", " Ausdruck Brisel1", "Druckereinstellungen", "Abbrechen")
        w.answer("Copy", " Ausdruck Kalvor1", "Druckereinstellungen", "Abbrechen")
        w.answer("Abbruch", " Abbruch", "Abbruch bitte bestätigen", "Ja")
        wait_for("the reset", lambda: text_of(w.box["Anzahl akut"]) == "" and text_of(w.prompt) == STANDARD_PROMPT)
        check(w.chart.description == "Noch kein Wurf. " + LEGEND, "chart after the reset")
        w.answer("Ende", " Beenden", "Soll das Programm beendet werden", "Ja")
        check(w.process.wait(timeout=WAIT) == 0, "Ende ends the program")
    finally:
        w.close()


def fair_deviation_chance(steps, deviation):
    """P(max |S_k| >= deviation) of a fair walk of `steps` steps, exactly: the chance
    of staying strictly inside (-deviation, deviation), carried step by step."""
    from fractions import Fraction
    inside = {0: Fraction(1)}
    for _ in range(steps):
        moved = {}
        for x, p in inside.items():
            for y in (x - 1, x + 1):
                if abs(y) < deviation:
                    moved[y] = moved.get(y, 0) + p / 2
        inside = moved
    return 1 - sum(inside.values())


def percent(p, point):
    """Two significant digits of a percentage, as the window writes it."""
    value = float(p) * 100
    decimals = max(0, 1 - int(__import__("math").floor(__import__("math").log10(value))))
    return ("%.*f" % (decimals, value)).replace(".", point) + " %"


def rarity(w, numbers, key):
    """"Wie selten ist das?" from the keyboard on the focused chart, read as a screen
    reader reads it, and closed by its one button."""
    window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(w.process.pid)],
                            capture_output=True, text=True, check=True).stdout.split()[0]
    # A virtual screen has no window manager to give the window the keyboard.
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    w.chart.queryComponent().grabFocus()
    wait_for("the chart focused", lambda: states(w.chart).contains(pyatspi.STATE_FOCUSED))
    # A menu is no child of the application on the bus; a reader follows the focus into it.
    w.focused.clear()
    subprocess.run(["xdotool", "key", key], check=True)
    time.sleep(0.3)
    subprocess.run(["xdotool", "key", "Down"], check=True)
    wait_for("the menu entry focused", lambda: ("menu item", "Wie selten ist das?") in w.focused)
    subprocess.run(["xdotool", "key", "Return"], check=True)
    box, texts, buttons = w.dialog(" Wie selten ist das?")
    check(list(buttons) == ["Schließen"], "one button Schließen: %r" % list(buttons))
    steps = [n for n in numbers if n != 0]
    position, high, low = 0, 0, 0
    for n in steps:
        position += -1 if n in RED else 1
        high, low = max(high, position), min(low, position)
    deviation = max(high, -low)
    point = "," if os.environ.get("LC_ALL", "").startswith("de") else "."
    sentence = ("Eine Abweichung von %d zu einer Seite erreicht ein fairer Kessel in %d Würfen mit %s Wahrscheinlichkeit"
                % (deviation, len(steps), percent(fair_deviation_chance(len(steps), deviation), point)))
    check(any(sentence in t for t in texts + [box.description]), "the dialog reads %r: %r" % (sentence, texts))
    check(box.description in texts, "the dialog's text is its description: %r" % box.description)
    act(buttons["Schließen"])
    wait_for("the dialog to close", lambda: not any(n and n.name == " Wie selten ist das?" and showing(n)
                                                   for n in w.app))


def imported_series(program, scratch):
    """20 known numbers from a permanence named on the command line: every box exactly."""
    numbers = [1, 2, 3, 5, 0, 7, 4, 6, 8, 10, 11, 13, 0, 9, 12, 14, 16, 18, 19, 20, 22, 24, 26, 28, 29]
    header = ["Spielbank Hamburg", "Tisch 9", "Prüfung"]
    path = os.path.join(scratch, "permanenz.txt")
    with open(path, "w", encoding="utf-8") as f:
        # The line after the header is not played: the first throw is the line after it.
        f.write("\r\n".join(header + ["Permanenz ab 15.00 Uhr"] + [str(n) for n in numbers]) + "\r\n")
    w = Window(program, scratch, [path])
    try:
        wait_for("the header as prompt", lambda: text_of(w.prompt) == "\n".join(header))
        w.events.clear()
        w.series(20)
        # The end line appended to the header is announced alone.
        eventually(lambda: ("object:text-changed:insert", "Hinweis", "\n" + END_LINE) in w.events,
                   "the new prompt line announced alone")
        shown, position, high, low, touches = expected_from(numbers[:20])
        check(w.results() == shown, "results %r, expected %r" % (w.results(), shown))
        check(text_of(w.prompt) == "\n".join(header + [END_LINE]), "prompt: %r" % text_of(w.prompt))
        words = chart_words(20, position, high, low, touches)
        check(w.chart.description == words, "chart %r, expected %r" % (w.chart.description, words))
        check(inside(extents(w.box["Anzahl akut"], 0), extents(w.box["Anzahl akut"])),
              "a result's digits within its box")
        for key in ("shift+F10", "Menu"):
            rarity(w, numbers[:20], key)
        check(w.results() == shown, "the dialog changes nothing")

        # The same count again, twice: no throw, one more end line each time, until the
        # prompt holds more lines than its box shows.
        for _ in range(2):
            w.count.queryEditableText().setTextContents("")
            w.count.queryEditableText().setTextContents("20")
            wait_for("Start enabled again", lambda: enabled(w.start))
            lines = text_of(w.prompt).count("\n")
            act(w.start)
            wait_for("one more end line", lambda: text_of(w.prompt).count("\n") == lines + 1)
        check(w.results() == shown, "no throw after the end")
        whole = text_of(w.prompt)
        check(whole == "\n".join(header + [END_LINE] * 3), "the whole prompt: %r" % whole)
        check(extents(w.prompt, 0)[2] == 0, "the oldest line is read though the box no longer shows it")
        check(inside(extents(w.prompt, len(whole) - 5), extents(w.prompt)), "the newest line is shown")
    finally:
        w.close()


def main():
    program, info_file = os.path.abspath(sys.argv[1]), sys.argv[2]
    with tempfile.TemporaryDirectory() as scratch:
        os.mkdir(os.path.join(scratch, "zufall"))
        random_series(program, info_file, os.path.join(scratch, "zufall"))
        imported_series(program, scratch)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
