#!/usr/bin/python3
# ScreenReader.py KELVO PACKAGE, run by run-under-xvfb.sh; in a D-Bus session of its own, what a
# screen reader hears of the demo through the accessibility bus (AT-SPI). The accessibility bus is
# started and told that a screen reader listens, as Orca does; Kelvo then plays the demo through
# the accessible actions alone: the menu's names and states, the text of a document, a quiz
# submitted and its results, the bench's device values and variants.
#
# Positive control: started once more with the engine's accessibility turned off by the user
# (QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY=0), the same probe must not find the document's text.
# With a third argument `keys`, the demo is played with the keyboard alone instead (xdotool keys, no
# mouse and no accessible action), and the bus only tells where the focus is and what is shown:
# the theory read, the quiz answered and checked, a value set on the bench and the meters changed,
# the report read, the program left.
# Exit code 77 (skipped) when the accessibility bus or pyatspi is missing.
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

pyatspi = None  # imported once the accessibility bus runs, which it connects to

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
KELVO, PACKAGE = sys.argv[1], sys.argv[2]
KEYS_ONLY = sys.argv[3:4] == ["keys"]
failures = []


def fail(message):
    print("screen-reader: " + message)
    failures.append(message)


def wait_for(probe, seconds):
    """The probe's first true answer within the time, or None."""
    end = time.monotonic() + seconds
    while True:
        try:
            found = probe()
        except Exception:  # a node that went away while it was read
            found = None
        if found:
            return found
        if time.monotonic() > end:
            return None
        time.sleep(0.25)


def walk(node, depth=0, everything=False):
    """Every showing node under `node`, depth first; with `everything`, those scrolled out of view too."""
    if node is None or depth > 60:
        return
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None and (everything or depth == 0 or child.getState().contains(pyatspi.STATE_SHOWING)):
            yield from walk(child, depth + 1, everything)


def kelvo_application(pid):
    # By process: the name an application registers with may be read before it is set.
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.get_process_id() == pid:
            return application
    return None


def find(root, role, name=None, pattern=None, everything=False):
    for node in walk(root, everything=everything):
        if node.getRoleName() != role:
            continue
        if name is not None and (node.name or "").strip() != name:
            continue
        if pattern is not None and not re.search(pattern, node.name or ""):
            continue
        return node
    return None


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return ""


def press(node):
    """Presses the node as a screen reader's user does: through its accessible action, or, for a
    document's button (the engine offers only focus), by focusing it and pressing Space."""
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for wanted in ("Press", "press", "click", "activate"):
        if wanted in names:
            return action.doAction(names.index(wanted))
    if "SetFocus" not in names:
        raise RuntimeError("no press action on %r (%s)" % (node.name, names))
    action.doAction(names.index("SetFocus"))
    if not wait_for(lambda: node.getState().contains(pyatspi.STATE_FOCUSED), 10):
        raise RuntimeError("%r does not take the focus" % node.name)
    subprocess.run(["xdotool", "key", "space"], check=True)


def start_kelvo(extra_environment):
    environment = dict(os.environ, **extra_environment)
    if os.getuid() == 0:
        environment.setdefault("QTWEBENGINE_DISABLE_SANDBOX", "1")
    log = tempfile.TemporaryFile()
    process = subprocess.Popen([KELVO, PACKAGE], env=environment, stdout=subprocess.DEVNULL, stderr=log)
    process.log = log
    return process


def stop(process):
    process.terminate()
    try:
        process.wait(20)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def menu_buttons(app):
    """The menu's buttons as (name, description), in the order the menu shows them."""
    buttons = [node for node in walk(app) if node.getRoleName() == "push button"]
    buttons.sort(key=lambda node: node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).y)
    return [((node.name or "").strip(), node.description or "") for node in buttons]


def open_document_and_read(app):
    """Opens the theory from the menu; the document's text as the screen reader finds it, or None."""
    press(find(app, "push button", "Теория: закон Ома"))
    if not wait_for(lambda: find(app, "label", "Теория: закон Ома"), 30):
        fail("the theory's page did not come up")
        return None
    return wait_for(lambda: find(app, "document web", pattern="Закон Ома") and find(app, "heading",
                    pattern="Сила тока, напряжение, сопротивление"), 30)


def play(app, process):
    expected_menu = [
        ("Теория: закон Ома", "открыта"),
        ("Допуск к работе (тест)", "закрыта: сначала пройдите «Теория: закон Ома»"),
        ("Порядок выполнения работы", "открыта"),
        ("Опыт на виртуальной установке", "закрыта: сначала пройдите «Допуск к работе (тест)»"),
        ("Обработка результатов и отчёт", "закрыта: сначала пройдите «Допуск к работе (тест)»"),
        ("Выход из программы", ""),
        ("Copyright Проект Kelvo", "Об авторах лабораторной работы и о программе"),
    ]
    if not wait_for(lambda: menu_buttons(app) == expected_menu, 30):
        fail("the menu says %r, expected %r" % (menu_buttons(app), expected_menu))

    if not open_document_and_read(app):
        fail("the theory's text is not heard")
        return
    document = find(app, "document web", pattern="Закон Ома")
    read = wait_for(lambda: find(document, "push button", pattern="Все прочитано", everything=True), 10)
    if not read:
        fail("the document's closing button is not heard")
        return
    press(read)
    passed = wait_for(lambda: ("Теория: закон Ома", "пройдена") in menu_buttons(app)
                      and ("Допуск к работе (тест)", "открыта") in menu_buttons(app), 20)
    if not passed:
        fail("after reading, the menu says %r" % (menu_buttons(app),))
        return

    # The quiz, sent without answers: its results are heard, each number with its caption.
    press(find(app, "push button", "Допуск к работе (тест)"))
    check = wait_for(lambda: find(find(app, "document web"), "push button", pattern="Проверить решение",
                                  everything=True), 30)
    if not check:
        fail("the quiz's check button is not heard")
        return
    press(check)
    results = wait_for(lambda: find(app, "dialog", "Результаты: Допуск к работе (тест)"), 20)
    if not results:
        fail("no results dialog named after the test")
        return
    for caption in ("Всего заданий: 5", "Верно выполненных: 0", "Неверно выполненных: 5"):
        if not find(results, "label", caption):
            fail("the results do not say %r" % caption)
    press(find(results, "push button", "Закрыть"))
    # The checked quiz comes back marked (the demo's quiz asks for it), with its own way back.
    review = wait_for(lambda: find(find(app, "document web"), "label", pattern="Разбор попытки", everything=True), 30)
    back = review and find(find(app, "document web"), "push button", pattern="Вернуться в меню", everything=True)
    if not back:
        fail("the checked quiz's way back is not heard")
        return
    press(back)

    # The bench: the devices' values, the meters, and which variant is on.
    bench = wait_for(lambda: find(app, "push button", "Опыт на виртуальной установке"), 20)
    press(bench)
    supply = wait_for(lambda: find(app, "push button", pattern=r"^Напряжение источника, В: 4[.,]00 В$"), 30)
    if not supply:
        fail("the source's voltage is not heard as a button with its value")
        return
    if not find(app, "image", "Вольт-амперная характеристика"):
        fail("the schema picture is not named after the experiment")
    meters = [node for node in walk(app) if node.getRoleName() in ("text", "entry")
              and node.getState().contains(pyatspi.STATE_SHOWING)
              and re.search(r"\d[.,]\d\d", text_of(node))]
    if not meters:
        fail("no meter's value is heard")
    elif not all(node.getState().contains(pyatspi.STATE_READ_ONLY) for node in meters):
        fail("a meter is not heard as read-only")
    variants = [node for node in walk(app) if node.getRoleName() in ("toggle button", "push button")
                and (node.name or "") in ("R1", "R2", "Лампа")]
    on = [node.name for node in variants if node.getState().contains(pyatspi.STATE_CHECKED)]
    if len(variants) != 3 or on != ["R1"]:
        fail("the variants are heard as %r, on: %r" % ([node.name for node in variants], on))
    else:
        press(variants[1])
        if not wait_for(lambda: [node.name for node in variants
                                 if node.getState().contains(pyatspi.STATE_CHECKED)] == ["R2"], 10):
            fail("pressing R2 is not heard as R2 on")

    # A new value set through the dialog: the dialog names the device and its range, and the
    # device's new value and the meters' new readings are heard.
    readings = sorted(text_of(node) for node in meters)
    press(supply)
    dialog = wait_for(lambda: find(app, "dialog", "Напряжение источника, В"), 20)
    if not dialog:
        fail("the value dialog is not named after the device")
        return
    if not re.fullmatch(r"от 0[.,]00 до 12[.,]00 В", dialog.description or ""):
        fail("the value dialog tells the range as %r" % dialog.description)
    subprocess.run(["xdotool", "key", "ctrl+a", "type", "6"], check=True)
    subprocess.run(["xdotool", "key", "Return"], check=True)
    if not wait_for(lambda: re.fullmatch(r"Напряжение источника, В: 6[.,]00 В", supply.name or ""), 10):
        fail("the new value is heard as %r" % supply.name)
    if not wait_for(lambda: sorted(text_of(node) for node in meters) != readings, 10):
        fail("the meters are heard unchanged: %r" % readings)


def control(app, process):
    if open_document_and_read(app):
        fail("positive control: with the engine's accessibility off the probe still heard the document")


def screenshot(name):
    """With KELVO_SCREENSHOT_DIR set, the screen at this step is saved there."""
    folder = os.environ.get("KELVO_SCREENSHOT_DIR")
    if folder:
        subprocess.run(["import", "-window", "root", os.path.join(folder, name + ".png")], check=False)


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "80"] + list(names), check=True)


def focused(app):
    """The innermost showing node that has the focus (a hidden page's document keeps its own)."""
    found = None
    for node in walk(app):
        if node.getState().contains(pyatspi.STATE_FOCUSED):
            found = node
    return found


def tab_to(app, wanted, limit=60):
    """Presses Tab until the focus is on a node that `wanted` accepts; that node, or None, after
    printing where the focus went."""
    trail = []
    for _ in range(limit):
        node = wait_for(lambda: focused(app), 5)
        if node is not None and wanted(node):
            return node
        trail.append("%s %r" % (node.getRoleName(), node.name) if node is not None else "nothing")
        key("Tab")
        time.sleep(0.2)
    print("screen-reader: the focus went: " + ", ".join(dict.fromkeys(trail)))
    return None


def named(role, pattern):
    return lambda node: node.getRoleName() == role and re.search(pattern, node.name or "") is not None


def read_to_the_end(app, title):
    """The document of the chapter `title` opened from the menu, read to its end and confirmed."""
    if not tab_to(app, named("push button", "^" + re.escape(title) + "$")):
        fail("Tab never reaches the menu button %r" % title)
        return False
    key("Return")
    if not wait_for(lambda: find(app, "label", title) and find(app, "document web"), 30):
        fail("Return on %r does not open its document" % title)
        return False
    key("End")
    if not tab_to(app, named("push button", "Все прочитано")):
        fail("Tab never reaches the read button of %r" % title)
        return False
    key("Return")
    if not wait_for(lambda: (title, "пройдена") in menu_buttons(app), 20):
        fail("after reading %r with the keys the menu says %r" % (title, menu_buttons(app)))
        return False
    return True


def keys_only(app, process):
    if not wait_for(lambda: menu_buttons(app) and focused(app) is not None, 30):
        fail("the menu has no focus when the program starts")
        return
    if not read_to_the_end(app, "Теория: закон Ома"):
        return
    screenshot("keyboard-menu")

    # The quiz: the first question's choice made with the arrow keys, the answers checked with
    # Return on the page's button, the results closed and the way back taken.
    if not tab_to(app, named("push button", "^Допуск к работе \\(тест\\)$")):
        fail("Tab never reaches the quiz")
        return
    key("Return")
    if not wait_for(lambda: find(find(app, "document web"), "push button", pattern="Проверить решение",
                                 everything=True), 30):
        fail("Return does not open the quiz")
        return
    if not tab_to(app, named("radio button", "в амперах")):
        fail("Tab never reaches the first question's choices")
        return
    key("Down", "Down")
    if not wait_for(lambda: find(app, "radio button", pattern="в омах").getState().contains(pyatspi.STATE_CHECKED), 10):
        fail("the arrow keys do not choose an answer")
        return
    if not tab_to(app, named("push button", "Проверить решение")):
        fail("Tab never reaches the check button")
        return
    key("Return")
    results = wait_for(lambda: find(app, "dialog", "Результаты: Допуск к работе (тест)"), 20)
    if not results:
        fail("Return on the check button shows no results")
        return
    if not find(results, "label", "Верно выполненных: 1"):
        fail("the answer chosen with the keys was not counted")
    key("Return")
    if not wait_for(lambda: not results.getState().contains(pyatspi.STATE_SHOWING), 10):
        fail("Return does not close the results")
        return
    if not wait_for(lambda: find(find(app, "document web"), "label", pattern="Разбор попытки", everything=True), 30):
        fail("the checked quiz does not come back")
        return
    if not tab_to(app, named("push button", "Вернуться в меню")):
        fail("Tab never reaches the way back from the checked quiz")
        return
    key("Return")

    # The bench: the source's value set through its dialog, the meters changed, back to the menu.
    if not wait_for(lambda: ("Опыт на виртуальной установке", "открыта") in menu_buttons(app), 20):
        fail("after the quiz the menu says %r" % (menu_buttons(app),))
        return
    if not tab_to(app, named("push button", "^Опыт на виртуальной установке$")):
        fail("Tab never reaches the bench")
        return
    key("Return")
    if not wait_for(lambda: find(app, "push button", pattern="^Напряжение источника"), 30):
        fail("Return does not open the bench")
        return
    meters = [node for node in walk(app) if node.getRoleName() in ("text", "entry")
              and re.search(r"\d[.,]\d\d", text_of(node))]
    readings = sorted(text_of(node) for node in meters)
    supply = tab_to(app, named("push button", "^Напряжение источника"))
    if not supply:
        fail("Tab never reaches the source's value on the bench")
        return
    screenshot("keyboard-bench")
    key("Return")
    if not wait_for(lambda: find(app, "dialog", "Напряжение источника, В"), 20):
        fail("Return on the source does not open its value dialog")
        return
    screenshot("keyboard-value-dialog")
    key("ctrl+a")
    subprocess.run(["xdotool", "type", "6"], check=True)
    key("Return")
    if not wait_for(lambda: re.fullmatch(r"Напряжение источника, В: 6[.,]00 В", supply.name or ""), 10):
        fail("the value typed in the dialog is not set: %r" % supply.name)
    if not meters or not wait_for(lambda: sorted(text_of(node) for node in meters) != readings, 10):
        fail("the meters did not change: %r" % readings)
    if not tab_to(app, named("push button", "^Меню$")):
        fail("Tab never reaches the bench's way to the menu")
        return
    key("Return")

    if not read_to_the_end(app, "Обработка результатов и отчёт"):
        return
    if not tab_to(app, named("push button", "^Выход из программы$")):
        fail("Tab never reaches the exit")
        return
    key("Return")
    try:
        if process.wait(20) != 0:
            fail("the program ended with status %s" % process.returncode)
    except subprocess.TimeoutExpired:
        fail("Return on the exit does not end the program")


def session(extra_environment, scenario):
    process = start_kelvo(extra_environment)
    try:
        app = wait_for(lambda: kelvo_application(process.pid), 60)
        if not app:
            process.log.seek(0)
            fail("Kelvo did not appear on the accessibility bus (exit status %s; on the bus: %r; it said: %s)" % (
                process.poll(), [(a.name, a.get_process_id()) for a in pyatspi.Registry.getDesktop(0) if a],
                process.log.read().decode(errors="replace")[-2000:]))
            return
        scenario(app, process)
    finally:
        stop(process)


def main():
    # A session bus of its own, so that nothing of the desktop's session is touched.
    if os.environ.get("KELVO_SCREEN_READER_SESSION") != "1":
        if not shutil.which("dbus-run-session"):
            print("screen-reader: dbus-run-session is missing (dbus)")
            return 77
        os.environ["KELVO_SCREEN_READER_SESSION"] = "1"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__)]
                  + sys.argv[1:])
    # A freshly started X server on a busy machine may not take clients at once; everything below
    # (the bus, the window manager, Kelvo) needs it.
    if not wait_for(lambda: subprocess.run(["xdpyinfo"], stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL).returncode == 0, 60):
        fail("the X server at %s does not answer" % os.environ.get("DISPLAY"))
        return 1
    if not os.path.exists(BUS_LAUNCHER):
        print("screen-reader: the accessibility bus is missing (at-spi2-core)")
        return 77
    os.environ.setdefault("XDG_RUNTIME_DIR", tempfile.mkdtemp())
    global pyatspi
    try:
        import pyatspi as module
    except ImportError:
        print("screen-reader: python3-pyatspi is missing (scripts/install-deps.sh installs it)")
        return 77
    pyatspi = module
    bus = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    try:
        # What a screen reader does when it starts: it says so on the session bus.
        status = wait_for(lambda: subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status", "string:ScreenReaderEnabled",
             "variant:boolean:true"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0, 10)
        if not status:
            fail("the accessibility bus did not answer")
            return 1
        os.environ.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
        os.environ.pop("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", None)
        if KEYS_ONLY:
            # A window manager gives the window the keyboard, as on a desktop.
            if not shutil.which("openbox"):
                print("screen-reader: openbox is missing (scripts/install-deps.sh installs it)")
                return 77
            manager = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                if not wait_for(lambda: "window id" in subprocess.run(
                        ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True, text=True).stdout, 20):
                    fail("the window manager did not start")
                    return 1
                session({}, keys_only)
            finally:
                stop(manager)
        else:
            session({}, play)
            session({"QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY": "0"}, control)
    finally:
        stop(bus)
    return 1 if failures else 0


sys.exit(main())
