#!/usr/bin/env python3
"""End-to-end scenarios: the built program started as a process on a real desktop (Xvfb with
the openbox window manager, or weston), driven with real keys and clicks and checked by what a
user or the system can see. Usage: e2e.py <scenario>; exit status 0 is a pass."""

import contextlib
import filecmp
import os
import re
import shutil
import signal
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time

BINARY_DIR = os.environ["VERDANE_BINARY_DIR"]
SOURCE_DIR = os.environ["VERDANE_SOURCE_DIR"]
TITLE, BOX = "Nalo Zarn地图发布器", "Nalo友情提示"
SETTINGS_TITLE, SEARCH_TITLE, DOWNLOAD_TITLE = "对战平台及游戏设置", "搜索游戏程序", "资源下载"
KEY_COLOUR, PICTURE_COLOUR = "#FF00FF", "#3060A0"
# Client pixels of controls (centres).
NEXT_PAGE, PREVIOUS_PAGE, PAGE_EDIT, LINK = (518, 359), (453, 360), (377, 358), (274, 172)
CATEGORY_1, SETTINGS, WAR3_BUTTON, PICTURE = (338, 65), (503, 13), (86, 135), (195, 157)
MARK = os.path.join(BINARY_DIR, "src/res/art/bitmaps/1038.png[48x18+2+2]")
DOWNLOAD = [(560, 158), (560, 221), (560, 282)]
SEARCH_BUTTON, SEARCH_START, DRIVE_BOX = (456, 136), (247, 221), (150, 118)


def wait_for(what, check, timeout=20.0):
    end = time.monotonic() + timeout
    while not (result := check()):
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.1)
    return result


def run(*command, env=None):
    return subprocess.run(command, env=env, capture_output=True, text=True, timeout=20)


# The live processes of the process group that leader started (its web engine helpers).
def session(leader):
    members = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        with contextlib.suppress(OSError, IndexError), open("/proc/%s/stat" % pid) as handle:
            fields = handle.read().rsplit(")", 1)[1].split()  # state ppid pgrp ...
            members += [int(pid)] if fields[0] != "Z" and int(fields[2]) == leader else []
    return members


# What is in the home outside the caches, the log folder and the updates' folder (and the folders
# on the way), and anything of the web engine's outside the caches: it keeps nothing in
# ~/.local/share. (The desktop's GL shader caches and the window manager's log share ~/.cache
# with the program's own folder.)
def strays(home, own=(".cache/", ".local/state/NaloSoft/Verdane/",
                      ".local/share/NaloSoft/Verdane/")):
    paths = [os.path.relpath(os.path.join(d, n), home) + "/" for d, ds, fs in os.walk(home)
             for n in ds + fs]
    return [p for p in paths if not any(p.startswith(o) or o.startswith(p) for o in own)
            or ("QtWebEngine" in p and not p.startswith(".cache/"))]


# The program in a process group of its own, so that all it starts can be ended.
def start_program(env, cwd, folder=BINARY_DIR):
    program = subprocess.Popen([os.path.join(folder, "verdane")], cwd=cwd, env=env,
                               start_new_session=True)
    program.home = env["HOME"]
    return program


# Ends the program's whole process group. With check, a process outliving the program's own end,
# or anything it left in its home outside its folders, fails the scenario.
def end_program(program, check):
    try:
        if check and program is not None and program.poll() is not None:
            wait_for("the program's processes to end", lambda: not session(program.pid), 10)
            assert not strays(program.home), "left in the home: %s" % strays(program.home)
    finally:
        if program is not None:
            with contextlib.suppress(ProcessLookupError):
                os.killpg(program.pid, signal.SIGKILL)
        stop(program)


def stop(process):
    if process is not None:
        process.kill()
        process.wait()


class World:
    """A temporary home: a catalogue of seven maps and a tool, a content server with a
    request log, settings with a game path, and a browser that records its arguments."""

    def __init__(self, tmp, cleanup):
        self.tmp, self.game, self.cleanup = tmp, os.path.join(tmp, "game"), cleanup
        self.requests, self.browsed = self.path("requests.log"), self.path("browsed.log")
        for folder in ("www/pic", "www/files", "www/zarn/plexa", "www/zarn/box", "www/plexa",
                       "game/Maps", "run", "config/NaloSoft", "xdg/NaloSoft", "home", "runtime"):
            os.makedirs(self.path(folder), mode=0o700)
        self.write("www/zarn/plexa/ZarnMapVersion.txt", "1.0.0|1")
        self.write("www/zarn/box/index.html", "<html><body bgcolor=#050505></body></html>")
        self.write("www/plexa/plexa.shtml", "<html><body>plexa</body></html>")
        with open("/etc/xdg/openbox/rc.xml") as rc:  # Alt+Space is the program's
            self.write("openbox.xml", re.sub('<keybind key="A-space">.*?</keybind>', "",
                                             rc.read(), flags=re.S))
        self.write("xdg/NaloSoft/Verdane.conf", "[General]\nCurr_Version=1.0.0\n")
        self.write("browser", '#!/bin/sh\necho "$@" >> %s\n' % self.browsed)
        os.chmod(self.path("browser"), 0o755)
        self.server = subprocess.Popen(
            [sys.executable, os.path.join(SOURCE_DIR, "tools/content_server.py"), "--root",
             self.path("www"), "--port", "0", "--log", self.requests, "--no-store"],
            stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
        cleanup(stop, self.server)  # whatever happens from here on
        self.port = int(self.server.stdout.readline().split()[1])
        for name in ("map0.w3x", "map1.w3x"):
            self.write("www/files/" + name, os.urandom(300000), "wb")
        database = sqlite3.connect(self.path("run/ZarnREZ.dat"))
        database.execute("create table ZarnMapDB (Maptype INTEGER, UpdateTime TEXT, MapName TEXT,"
                         " MapExplain TEXT, Pic_Link TEXT, Down_Link TEXT, ExplainLink TEXT)")
        url = "http://127.0.0.1:%d/" % self.port
        for n in range(8):  # newest first: row 0 downloads, the others stall half-way
            self.write("www/pic/p%d.svg" % n, '<svg xmlns="http://www.w3.org/2000/svg" width="50"'
                       ' height="45"><rect width="50" height="45" fill="%s"/></svg>'
                       % PICTURE_COLOUR)
            download = "files/map0.w3x" if n == 0 else "fault/stall/files/map1.w3x"
            database.execute("insert into ZarnMapDB values (?,?,?,?,?,?,?)", (
                0 if n < 7 else 1, "2026-01-%02d" % (28 - n), "地图%d" % n, "说明",
                url + "pic/p%d.svg" % n, url + download, url + "explain/%d.html" % n))
        database.commit()
        self.write("config/NaloSoft/Verdane.conf", "[War3]\nClientPath=%s/War3.exe\n" % self.game)

    def path(self, name):
        return os.path.join(self.tmp, name)

    def offer_update(self):  # with the program beside an updater that records its start
        self.write("www/zarn/plexa/ZarnMapVersion.txt", "9.9.9|1")
        os.makedirs(self.path("bin"))
        shutil.copy(os.path.join(BINARY_DIR, "verdane"), self.path("bin"))
        self.write("bin/verdane-update", "#!/bin/sh\necho $@ > %s\n" % self.path("updated"))
        os.chmod(self.path("bin/verdane-update"), 0o755)
        return self.path("bin")

    def write(self, name, text, mode="w"):
        with open(self.path(name), mode) as handle:
            handle.write(text)

    def read(self, name):
        with open(self.path(name), encoding="utf-8") as handle:
            return handle.read()

    def pictures(self):
        log = self.read("requests.log") if os.path.exists(self.requests) else ""
        return [line.split()[1][5:] for line in log.splitlines() if line.startswith("GET /pic/")]

    def environment(self, display, port=None):
        env = {k: v for k, v in os.environ.items() if k not in ("QT_QPA_PLATFORM", "DISPLAY")}
        env.update(display, HOME=self.path("home"), XDG_CONFIG_HOME=self.path("config"),
                   XDG_CONFIG_DIRS=self.path("xdg") + ":/etc/xdg",
                   XDG_RUNTIME_DIR=self.path("runtime"), XDG_CACHE_HOME=self.path("home/.cache"),
                   WINEPREFIX=self.path("prefix"),
                   VERDANE_CONTENT_SERVER="127.0.0.1:%d" % (port or self.port),
                   VERDANE_BROWSER=self.path("browser"))
        return env


class Desktop:
    """Xvfb with openbox on a display of its own, and the program on it."""

    def __init__(self, world, port=None):
        self.world, self.program = world, None
        with open(world.path("display"), "w") as handle:  # Xvfb writes its number when ready
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(handle.fileno()), "-noreset", "-nolisten", "tcp",
                 "-screen", "0", "1024x768x24"], pass_fds=[handle.fileno()],
                stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        world.cleanup(stop, self.xvfb)  # also when the desktop does not come up
        number = wait_for("Xvfb", lambda: world.read("display").strip())
        self.env = world.environment({"DISPLAY": ":" + number}, port)
        self.wm = subprocess.Popen(
            ["openbox", "--config-file", world.path("openbox.xml")], env=self.env,
            stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        world.cleanup(stop, self.wm)

    def __enter__(self):
        wait_for("the window manager", lambda: "window id" in self.x(
            "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False))
        return self

    def __exit__(self, *error):
        try:
            end_program(self.program, check=not any(error))
        finally:
            stop(self.wm)
            stop(self.xvfb)

    def x(self, *command, check=True):
        done = run(*command, env=self.env)
        assert done.returncode == 0 or not check, "%s: %s" % (command, done.stderr)
        return done.stdout

    def start(self, wait=True, folder=BINARY_DIR):
        self.started = time.monotonic()
        self.program = start_program(self.env, self.world.path("run"), folder)
        return self.window(TITLE) if wait else None

    def windows(self, name):
        return self.x("xdotool", "search", "--onlyvisible", "--name", name, check=False).split()

    def window(self, name):
        return wait_for("window " + name, lambda: (self.windows(name) or [None])[-1])

    def gone(self, window, name):
        wait_for(name + " to close", lambda: window not in self.windows(name))

    def key(self, window, *keys):
        self.x("xdotool", "windowactivate", "--sync", window)
        self.x("xdotool", "key", "--delay", "50", *keys)

    def type(self, text):
        self.x("xdotool", "type", "--delay", "20", text)

    def click(self, window, point):
        self.x("xdotool", "mousemove", "--window", window, *map(str, point), "click", "1")

    def answer_box(self, key="Return"):
        box = self.window(BOX)
        self.key(box, key)
        self.gone(box, BOX)

    def shot(self, window, region):
        """A picture of region (w, h, x, y) of the window."""
        path = self.world.path("shot.png")
        self.x("import", "-window", window, path)
        self.x("/usr/bin/convert", path, "-crop", "%dx%d+%d+%d" % region, "+repage", path)
        return path

    def centre(self, window):
        shape = dict(line.strip().split(": ") for line in self.x("xwininfo", "-id", window)
                     .splitlines() if line.count(": ") == 1)
        return (int(shape["Absolute upper-left X"]) + int(shape["Width"]) // 2,
                int(shape["Absolute upper-left Y"]) + int(shape["Height"]) // 2)

    def state(self, window):
        return self.x("xprop", "-id", window, "WM_STATE")


def colour_pixels(png, colour):
    return int(run("/usr/bin/convert", png, "-fill", "black", "+opaque", colour, "-fill", "white",
                   "-opaque", colour, "-format", "%[fx:int(mean*w*h+0.5)]", "info:").stdout)


# Scenarios: each takes a World; an exception fails it.

def start_and_esc(world, clicks=()):
    with Desktop(world) as desktop:
        window = desktop.start()
        wait_for("the first page", lambda: "p0.svg" in world.pictures())
        for point in clicks:
            desktop.click(window, point)
        desktop.key(window, "Escape")
        assert desktop.program.wait(15) == 0


def esc_after_clicks(world):
    start_and_esc(world, (NEXT_PAGE, CATEGORY_1, PAGE_EDIT, PICTURE))  # the focus in a web view


def return_minimises(world):
    with Desktop(world) as desktop:
        window = desktop.start()
        desktop.key(window, "Return")
        wait_for("minimised", lambda: "Iconic" in desktop.state(window))
        desktop.x("xdotool", "windowactivate", window)
        wait_for("restored", lambda: "Normal" in desktop.state(window))
        desktop.click(window, PICTURE)  # the focus in a web view
        desktop.key(window, "alt+space")
        wait_for("the window menu", lambda: len(desktop.x(
            "xdotool", "search", "--onlyvisible", "--pid", str(desktop.program.pid)).split()) == 2)


def paging_and_category(world):
    shown = lambda *names: lambda: set(names) <= set(world.pictures())
    with Desktop(world) as desktop:
        window = desktop.start()
        wait_for("page 1", shown("p0.svg", "p1.svg", "p2.svg"))
        desktop.click(window, NEXT_PAGE)
        wait_for("page 2", shown("p3.svg", "p4.svg", "p5.svg"))
        assert "p6.svg" not in world.pictures()
        before = len(world.pictures())
        desktop.click(window, PREVIOUS_PAGE)
        wait_for("page 1 again",
                 lambda: sorted(world.pictures()[before:]) == ["p0.svg", "p1.svg", "p2.svg"])
        desktop.click(window, CATEGORY_1)
        wait_for("category 1", shown("p7.svg"))
        desktop.click(window, LINK)
        wait_for("the browser", lambda: os.path.exists(world.browsed))
    assert world.read("browsed.log").split() == ["http://127.0.0.1:%d/explain/7.html" % world.port]


def download_end_to_end(world):
    with Desktop(world) as desktop:
        window = desktop.start()
        wait_for("page 1", lambda: "p0.svg" in world.pictures())
        desktop.click(window, DOWNLOAD[0])
        desktop.answer_box()  # the download folder is confirmed with Return
        desktop.answer_box()  # "下载成功!"
        folder = os.path.join(world.game, "Maps/NaloBox")
        assert os.listdir(folder) == ["map0.w3x"]
        assert filecmp.cmp(folder + "/map0.w3x", world.path("www/files/map0.w3x"), shallow=False)
        wait_for("the downloaded mark where the button was", lambda: float(run(  # inside its edge
            "compare", "-metric", "AE", "-fuzz", "10%", desktop.shot(window, (48, 18, 537, 150)),
            MARK, "null:").stderr) < 20)


def busy_during_download(world):
    with Desktop(world) as desktop:
        window = desktop.start()
        desktop.click(window, DOWNLOAD[1])  # its server stalls half-way
        desktop.answer_box()
        (x, y), (dx, dy) = desktop.centre(window), desktop.centre(desktop.window(DOWNLOAD_TITLE))
        assert abs(dx - x) < 20 and abs(dy - y) < 20, "the dialog is not centred over the window"
        desktop.click(window, DOWNLOAD[0])
        desktop.answer_box()  # "有数据在下载中..."
        desktop.key(window, "Escape")
        assert desktop.program.wait(15) == 0
    assert not os.path.exists(os.path.join(world.game, "Maps/NaloBox/map1.w3x"))


def launcher_first_use(world):
    program = os.path.join(world.game, "War3.exe")
    world.write("game/War3.exe", "#!/bin/sh\necho started > %s\n" % world.path("started"))
    os.chmod(program, 0o755)
    world.write("config/NaloSoft/Verdane.conf", "")
    with Desktop(world) as desktop:
        desktop.click(desktop.start(), WAR3_BUTTON)
        desktop.answer_box()  # "启动平台失败！..."
        dialog = desktop.window("War3.exe")
        desktop.key(dialog, "ctrl+a")
        desktop.type(program)
        desktop.key(dialog, "Return")
        wait_for("the program", lambda: os.path.exists(world.path("started")))
    assert "ClientPath=%s" % program in world.read("config/NaloSoft/Verdane.conf")


def path_settings_by_keyboard(world):
    path = os.path.join(world.game, "W3/War3.exe")
    with Desktop(world) as desktop:
        desktop.click(desktop.start(), SETTINGS)
        dialog = desktop.window(SETTINGS_TITLE)
        desktop.key(dialog, *["Tab"] * 5, "ctrl+a")  # from "应用" to the program path
        desktop.type(path)
        desktop.key(dialog, "Return")  # "应用"
        desktop.answer_box()  # "设置成功！"
        desktop.key(dialog, "Escape")
        desktop.gone(dialog, SETTINGS_TITLE)
        desktop.key(desktop.window(TITLE), "Escape")
        assert desktop.program.wait(15) == 0
    assert "ClientPath=%s" % path in world.read("config/NaloSoft/Verdane.conf")


def search_finds_program(world):
    drive = world.path("prefix/drive_c/")
    found = os.path.join(drive, "Games/W3/War3.exe")
    os.makedirs(os.path.dirname(found))
    for name in (found, os.path.join(drive, "Games/W3/Other.exe")):
        world.write(name, "MZ")
    with Desktop(world) as desktop:
        desktop.click(desktop.start(), SETTINGS)
        settings = desktop.window(SETTINGS_TITLE)
        for keys in (["Return"], ["Escape"], ["alt+Down"]):  # with the focus in the drive box
            desktop.click(settings, SEARCH_BUTTON)
            search = desktop.window(SEARCH_TITLE)
            desktop.click(search, DRIVE_BOX)
            desktop.key(search, *keys)
            if keys != ["alt+Down"]:
                desktop.gone(search, SEARCH_TITLE)
        desktop.type(drive)  # chosen in the drive box's list
        desktop.key(search, "Return")
        desktop.click(search, SEARCH_START)
        desktop.answer_box()  # "找到一个符合的文件，是否启用！"
        desktop.answer_box()  # "设置成功！"
        desktop.gone(search, SEARCH_TITLE)
    assert "ClientPath=%s" % found in world.read("config/NaloSoft/Verdane.conf")


def update_offered_first(world):
    with Desktop(world) as desktop:
        desktop.start(wait=False, folder=world.offer_update())
        box = desktop.window(BOX)
        assert not desktop.windows(TITLE)
        desktop.key(box, "Escape")  # declined: the program goes on, no update asked for
        desktop.window(TITLE)
        assert "Update" not in world.read("config/NaloSoft/Verdane.conf")


# OK to the offer: the updater starts, the window appears, closes, and the program ends.
def update_accepted_at_start(world):
    with Desktop(world) as desktop:  # the windows the window manager takes on, as they come
        world.cleanup(stop, subprocess.Popen(
            ["stdbuf", "-oL", "xev", "-root", "-event", "substructure"], env=desktop.env,
            stdout=open(world.path("managed.log"), "w"), stderr=subprocess.DEVNULL))
        desktop.start(wait=False, folder=world.offer_update())
        box = desktop.window(BOX)
        desktop.key(box, "Return")
        assert desktop.program.wait(15) == 0
        wait_for("the updater", lambda: os.path.exists(world.path("updated")))
        def managed():  # xev may still be writing what it saw
            return re.findall(r"ReparentNotify.*\n.* window (0x\w+)", world.read("managed.log"))
        wait_for("the main window taken on", lambda: len(set(managed())) >= 2, 10)
        assert int(managed()[0], 16) == int(box) and len(set(managed())) == 2, "no window appeared"
    assert "Update=1\nUpdateType=1\n" in world.read("config/NaloSoft/Verdane.conf")


def term_during_offer(world):
    with Desktop(world) as desktop:
        desktop.start(wait=False, folder=world.offer_update())
        desktop.window(BOX)
        desktop.program.terminate()
        assert desktop.program.wait(15) == 0


def mute_update_server(world):
    """A server that accepts and never answers costs at most about 1.5 s more than one that
    answers before the window maps."""
    mute = socket.create_server(("127.0.0.1", 0))
    times = []
    for port in (world.port, world.port, mute.getsockname()[1]):  # the first warms the home
        with Desktop(world, port) as desktop:
            desktop.start()
            times.append(time.monotonic() - desktop.started)
    assert times[2] - times[1] < 2.5, "%.1f s against %.1f s" % (times[2], times[1])


def wayland_window(world):
    env = world.environment({"WAYLAND_DISPLAY": "verdane-e2e", "QT_QPA_PLATFORM": "wayland"})
    world.cleanup(stop, subprocess.Popen(
        ["weston", "--backend=headless-backend.so", "--use-pixman", "--socket=verdane-e2e",
         "--width=1024", "--height=768", "--debug", "--idle-time=0"], env=env,
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    wait_for("weston", lambda: os.path.exists(world.path("runtime/verdane-e2e")))
    program = start_program(env, world.path("run"))
    world.cleanup(end_program, program, False)  # before weston ends
    wait_for("page 1", lambda: {"p0.svg", "p1.svg", "p2.svg"} <= set(world.pictures()))
    time.sleep(2)  # the pictures are drawn after they arrive
    os.makedirs(world.path("shots"))
    subprocess.run(["weston-screenshooter"], cwd=world.path("shots"), env=env, check=True,
                   timeout=20)
    shot = os.path.join(world.path("shots"), os.listdir(world.path("shots"))[0])
    assert colour_pixels(shot, KEY_COLOUR) == 0, "the key colour shows"
    assert colour_pixels(shot, PICTURE_COLOUR) > 500, "the rows' pictures are not drawn"


def update_cycle(world):
    """Offer, OK, verdane-update's window, and the program back with one more entry and no
    offer. The update comes from a second server that sends its files slowly."""
    shutil.copy(world.path("run/ZarnREZ.dat"), world.path("new.dat"))
    database = sqlite3.connect(world.path("new.dat"))
    database.execute("insert into ZarnMapDB values (0, '2026-02-01', '新图', '', ?, '', '')",
                     ("http://127.0.0.1:%d/pic/p8.svg" % world.port,))
    database.execute("create table filler (x)")
    database.execute("insert into filler values (randomblob(200000))")
    database.commit()
    database.close()
    shutil.copy(world.path("www/pic/p0.svg"), world.path("www/pic/p8.svg"))
    run(os.path.join(BINARY_DIR, "verdane-catalogue"), "publish", "--catalogue",
        world.path("new.dat"), "--version", "1.0.1", "--out", world.path("www"))
    slow = subprocess.Popen([sys.executable, os.path.join(SOURCE_DIR, "tools/content_server.py"),
                             "--root", world.path("www"), "--port", "0", "--rate", "100000"],
                            stdout=subprocess.PIPE, text=True)
    world.cleanup(stop, slow)
    with Desktop(world, int(slow.stdout.readline().split()[1])) as desktop:
        desktop.start(wait=False)
        desktop.answer_box()  # "已经有新的版本了，现在需要更新？"
        updater = desktop.window("Verdane 升级")
        desktop.gone(updater, "Verdane 升级")
        window = desktop.window(TITLE)
        wait_for("the new entry", lambda: "p8.svg" in world.pictures())
        assert "Curr_Version=1.0.1" in world.read("config/NaloSoft/Verdane.conf")
        desktop.key(window, "Escape")
        desktop.gone(window, TITLE)


SCENARIOS = {f.__name__: f for f in (
    start_and_esc, esc_after_clicks, return_minimises, paging_and_category, download_end_to_end,
    busy_during_download, launcher_first_use, path_settings_by_keyboard, search_finds_program,
    update_offered_first, update_accepted_at_start, term_during_offer, mute_update_server,
    wayland_window, update_cycle)}


def main():
    scenario = SCENARIOS.get(sys.argv[1] if len(sys.argv) == 2 else "")
    if scenario is None:
        sys.exit("usage: e2e.py {%s}" % ",".join(SCENARIOS))
    with tempfile.TemporaryDirectory(prefix="verdane-e2e-") as tmp, contextlib.ExitStack() as stack:
        scenario(World(tmp, stack.callback))


if __name__ == "__main__":
    main()
