#!/usr/bin/env python3
"""End-to-end scenarios: the built program started as a process on a real
desktop (Xvfb with the openbox window manager, or weston), driven with real
keys and clicks and checked by what a user or the system can see.

  e2e.py <scenario>      runs one scenario (see SCENARIOS); exit status 0 = pass
"""

import hashlib
import os
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time

BINARY_DIR = os.environ["VERDANE_BINARY_DIR"]
SOURCE_DIR = os.environ["VERDANE_SOURCE_DIR"]
TITLE = "Nalo Zarn地图发布器"
BOX = "Nalo友情提示"
KEY_COLOUR = "#FF00FF"
PICTURE_COLOUR = "#3060A0"

# Client pixels of the main window's controls (centres).
NEXT_PAGE, PREVIOUS_PAGE, PAGE_EDIT = (518, 359), (453, 360), (377, 358)
CATEGORY_1, SETTINGS, WAR3_BUTTON = (338, 65), (503, 13), (86, 135)
DOWNLOAD = [(560, 158), (560, 221), (560, 282)]
LINK_COLOUR = "#3064A5"
SEARCH_BUTTON, SEARCH_START, DRIVE_BOX = (456, 136), (247, 221), (150, 118)


def wait_for(what, check, timeout=20.0):
    end = time.monotonic() + timeout
    while True:
        result = check()
        if result:
            return result
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.1)


class World:
    """A temporary home: catalogue, content server with a request log (it lets
    nothing be cached, so the log shows every picture a page asks for),
    settings, a game folder and a browser that records its arguments."""

    def __init__(self, tmp, version="1.0.0|1", server=None):
        self.tmp = tmp
        self.www = self.path("www")
        self.requests = self.path("requests.log")
        self.browsed = self.path("browsed.log")
        self.game = self.path("game")
        for folder in ("www/pic", "www/files", "game/Maps", "www/zarn/plexa", "www/zarn/box", "www/plexa",
                       "run", "config/NaloSoft", "xdg/NaloSoft", "home", "game", "runtime"):
            os.makedirs(self.path(folder), exist_ok=True)
        os.chmod(self.path("runtime"), 0o700)
        self.write("www/zarn/plexa/ZarnMapVersion.txt", version)
        self.write("www/zarn/box/index.html", "<html><body bgcolor=#050505></body></html>")
        self.write("www/plexa/plexa.shtml", "<html><body>plexa</body></html>")
        self.write("xdg/NaloSoft/Verdane.conf", "[General]\nCurr_Version=1.0.0\n")
        self.write("browser", '#!/bin/sh\nfor a in "$@"; do echo "$a" >> %s; done\n' % self.browsed)
        os.chmod(self.path("browser"), 0o755)
        self.server = server or subprocess.Popen(
            [sys.executable, os.path.join(SOURCE_DIR, "tools/content_server.py"), "--root",
             self.www, "--port", "0", "--log", self.requests, "--no-store"],
            stdout=subprocess.PIPE, text=True)
        self.port = int(self.server.stdout.readline().split()[1]) if server is None else None

    def path(self, name):
        return os.path.join(self.tmp, name)

    def write(self, name, text, mode="w"):
        with open(self.path(name), mode) as handle:
            handle.write(text)

    def host(self):
        return "127.0.0.1:%d" % self.port

    def catalogue(self, entries):
        """entries: (category, name, download path) in the order the page shows them."""
        database = sqlite3.connect(self.path("run/ZarnREZ.dat"))
        database.execute("create table ZarnMapDB (Maptype INTEGER, UpdateTime TEXT, MapName TEXT,"
                         " MapExplain TEXT, Pic_Link TEXT, Down_Link TEXT, ExplainLink TEXT)")
        for number, (category, name, download) in enumerate(entries):
            picture = "pic/p%d.svg" % number
            self.write("www/" + picture, '<svg xmlns="http://www.w3.org/2000/svg" width="50"'
                       ' height="45"><rect width="50" height="45" fill="%s"/></svg>' % PICTURE_COLOUR)
            url = "http://%s/" % self.host()
            database.execute("insert into ZarnMapDB values (?,?,?,?,?,?,?)", (
                category, "2026-01-%02d" % (28 - number), name, "说明 " + name, url + picture,
                url + download, url + "explain/%d.html" % number))
        database.commit()
        database.close()

    def settings(self, text):
        self.write("config/NaloSoft/Verdane.conf", text)

    def settings_text(self):
        with open(self.path("config/NaloSoft/Verdane.conf"), encoding="utf-8") as handle:
            return handle.read()

    def pictures_requested(self):
        if not os.path.exists(self.requests):
            return []
        with open(self.requests, encoding="utf-8") as log:
            return [line.split()[1][len("/pic/"):] for line in log if line.startswith("GET /pic/")]

    def environment(self, display):
        env = {key: value for key, value in os.environ.items()
               if key not in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY")}
        env.update(display)
        env.update({
            "HOME": self.path("home"), "XDG_CONFIG_HOME": self.path("config"),
            "XDG_CONFIG_DIRS": self.path("xdg") + ":/etc/xdg", "XDG_CACHE_HOME": self.path("home/.cache"),
            "XDG_RUNTIME_DIR": self.path("runtime"), "WINEPREFIX": self.path("prefix"),
            "VERDANE_CONTENT_SERVER": self.host() if self.port else "127.0.0.1:1",
            "VERDANE_BROWSER": self.path("browser")})
        return env


class Desktop:
    """Xvfb with openbox on a display of its own."""

    def __init__(self, world):
        self.world = world
        number = world.path("display")
        with open(number, "w") as handle:  # Xvfb writes its display number there when ready
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(handle.fileno()), "-noreset", "-nolisten", "tcp",
                 "-screen", "0", "1024x768x24"], pass_fds=[handle.fileno()],
                stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.display = {"DISPLAY": ":" + wait_for("Xvfb", lambda: open(number).read().strip())}
        self.env = world.environment(self.display)
        self.program = None
        self.wm = subprocess.Popen(["openbox"], env=self.env, stderr=subprocess.DEVNULL)
        try:
            wait_for("the window manager", lambda: "window id" in self.x(
                "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False))
        except AssertionError:
            self.close()
            raise

    def x(self, *command, check=True):
        done = subprocess.run(command, env=self.env, capture_output=True, text=True, timeout=20)
        if check and done.returncode != 0:
            raise AssertionError("%s: %s" % (" ".join(command), done.stderr))
        return done.stdout

    def start(self, wait=True):
        self.started = time.monotonic()
        self.program = subprocess.Popen([os.path.join(BINARY_DIR, "verdane")],
                                        cwd=self.world.path("run"), env=self.env)
        return self.window(TITLE) if wait else None

    def windows(self, name):
        return self.x("xdotool", "search", "--onlyvisible", "--name", name, check=False).split()

    def window(self, name, timeout=20.0):
        return wait_for("window " + name, lambda: (self.windows(name) or [None])[-1], timeout)

    def gone(self, name):
        wait_for("%s to close" % name, lambda: not self.windows(name))

    def key(self, window, *keys):
        self.x("xdotool", "windowactivate", "--sync", window)
        self.x("xdotool", "key", "--delay", "50", *keys)

    def type(self, text):
        self.x("xdotool", "type", "--delay", "20", text)

    def click(self, window, point):
        self.x("xdotool", "mousemove", "--window", window, str(point[0]), str(point[1]),
               "click", "1")

    def answer_box(self, key="Return"):
        box = self.window(BOX)
        self.key(box, key)
        wait_for("the box to close", lambda: box not in self.windows(BOX))

    def shot(self, window, region, name="shot.png"):
        """A picture of region (w, h, x, y) of the window."""
        path = self.world.path(name)
        self.x("import", "-window", window, path)
        self.x("/usr/bin/convert", path, "-crop", "%dx%d+%d+%d" % region, "+repage", path)
        return path

    def find_colour(self, window, colour, region):
        """The first pixel of this colour in region (w, h, x, y) of the window."""
        pixels = self.x("/usr/bin/convert", self.shot(window, region), "txt:-")
        for line in pixels.splitlines():
            if colour in line:
                x, y = line.split(":")[0].split(",")
                return region[2] + int(x), region[3] + int(y)
        return None

    def state(self, window):
        return self.x("xprop", "-id", window, "WM_STATE")

    def exit_status(self, timeout=15):
        return self.program.wait(timeout)

    def __enter__(self):
        return self

    def __exit__(self, *error):
        self.close()

    def close(self):
        for process in (self.program, self.wm, self.xvfb):
            if process is not None and process.poll() is None:
                process.kill()
                process.wait()


def colour_pixels(png, colour):
    count = subprocess.run(["/usr/bin/convert", png, "-fill", "black", "+opaque", colour, "-fill",
                            "white", "-opaque", colour, "-format", "%[fx:int(mean*w*h+0.5)]",
                            "info:"], capture_output=True, text=True, check=True).stdout
    return int(count)


def digest(path):
    with open(path, "rb") as handle:
        return hashlib.sha256(handle.read()).hexdigest()


def catalogue_of_seven(world):
    world.write("www/files/map0.w3x", os.urandom(300000), "wb")
    world.write("www/files/map1.w3x", os.urandom(300000), "wb")
    world.catalogue([(0, "地图%d" % n, "files/map0.w3x" if n == 0 else
                      "fault/stall/files/map1.w3x") for n in range(7)] + [(1, "RPG", "files/r.w3x")])
    world.settings("[War3]\nClientPath=%s/War3.exe\n" % world.game)


# Scenarios: each takes a World and returns nothing; an exception fails it.

def esc_ends(world, before=lambda desktop, window: None):
    catalogue_of_seven(world)
    with Desktop(world) as desktop:
        window = desktop.start()
        before(desktop, window)
        desktop.key(desktop.window(TITLE), "Escape")
        assert desktop.exit_status() == 0


def start_and_esc(world):
    esc_ends(world)


def esc_after_clicks(world):
    def clicks(desktop, window):
        wait_for("the first page", lambda: "p0.svg" in world.pictures_requested())
        for point in (NEXT_PAGE, CATEGORY_1, PAGE_EDIT):
            desktop.click(window, point)
            time.sleep(0.5)
    esc_ends(world, clicks)


def return_minimises(world):
    world.catalogue([(0, "地图", "files/m.w3x")])
    with Desktop(world) as desktop:
        window = desktop.start()
        desktop.key(window, "Return")
        wait_for("minimised", lambda: "Iconic" in desktop.state(window))
        desktop.x("xdotool", "windowactivate", window)
        wait_for("restored", lambda: "Normal" in desktop.state(window))
        assert desktop.program.poll() is None


def paging_and_category(world):
    catalogue_of_seven(world)
    with Desktop(world) as desktop:
        window = desktop.start()
        shown = lambda *names: lambda: all(n in world.pictures_requested() for n in names)
        wait_for("page 1", shown("p0.svg", "p1.svg", "p2.svg"))
        assert "p3.svg" not in world.pictures_requested()
        desktop.click(window, NEXT_PAGE)
        wait_for("page 2", shown("p3.svg", "p4.svg", "p5.svg"))
        assert "p6.svg" not in world.pictures_requested()
        before = len(world.pictures_requested())
        desktop.click(window, PREVIOUS_PAGE)
        wait_for("page 1 again", lambda: sorted(world.pictures_requested()[before:])
                 == ["p0.svg", "p1.svg", "p2.svg"])
        desktop.click(window, CATEGORY_1)
        wait_for("category 1", shown("p7.svg"))
        link = wait_for("the row's link", lambda: desktop.find_colour(
            window, LINK_COLOUR, (300, 24, 230, 160)))
        desktop.click(window, link)
        wait_for("the browser", lambda: os.path.exists(world.browsed))
    with open(world.browsed) as log:
        assert log.read().split() == ["http://%s/explain/7.html" % world.host()]


def download_end_to_end(world):
    catalogue_of_seven(world)
    with Desktop(world) as desktop:
        window = desktop.start()
        wait_for("page 1", lambda: "p0.svg" in world.pictures_requested())
        button = desktop.shot(window, (52, 22, 534, 147), "button.png")
        desktop.click(window, DOWNLOAD[0])
        desktop.answer_box()  # the download folder is confirmed with Return
        desktop.answer_box()  # "下载成功!"
        target = os.path.join(world.game, "Maps/NaloBox/map0.w3x")
        assert digest(target) == digest(world.path("www/files/map0.w3x"))
        assert os.listdir(os.path.dirname(target)) == ["map0.w3x"]
        marked = desktop.shot(window, (52, 22, 534, 147), "marked.png")
        same = subprocess.run(["compare", "-metric", "AE", button, marked, "null:"],
                              capture_output=True).returncode == 0
        assert not same, "the row is not marked"


def busy_during_download(world):
    catalogue_of_seven(world)
    with Desktop(world) as desktop:
        window = desktop.start()
        desktop.click(window, DOWNLOAD[1])  # its server stalls half-way
        desktop.answer_box()
        desktop.click(window, DOWNLOAD[0])
        desktop.answer_box()  # "有数据在下载中..."
        desktop.key(window, "Escape")
        assert desktop.exit_status() == 0
    assert not os.path.exists(os.path.join(world.game, "Maps/NaloBox/map1.w3x"))


def launcher_first_use(world):
    world.catalogue([(0, "地图", "files/m.w3x")])
    program = os.path.join(world.game, "War3.exe")
    world.write("game/War3.exe", "#!/bin/sh\necho started > %s\n" % world.path("started"))
    os.chmod(program, 0o755)
    with Desktop(world) as desktop:
        window = desktop.start()
        desktop.click(window, WAR3_BUTTON)
        desktop.answer_box()  # "启动平台失败！..."
        dialog = desktop.window("War3.exe")
        desktop.key(dialog, "ctrl+a")
        desktop.type(program)
        desktop.key(dialog, "Return")
        wait_for("the program", lambda: os.path.exists(world.path("started")))
    assert "ClientPath=%s" % program in world.settings_text()


def path_settings_by_keyboard(world):
    world.catalogue([(0, "地图", "files/m.w3x")])
    path = os.path.join(world.game, "War3.exe")
    with Desktop(world) as desktop:
        window = desktop.start()
        desktop.click(window, SETTINGS)
        dialog = desktop.window("对战平台及游戏设置")
        desktop.key(dialog, *["Tab"] * 5)  # from "应用" to the program path
        desktop.key(dialog, "ctrl+a")
        desktop.type(path)
        desktop.key(dialog, "Return")  # "应用"
        desktop.answer_box()  # "设置成功！"
        desktop.key(dialog, "Escape")
        desktop.gone("对战平台及游戏设置")
        desktop.key(desktop.window(TITLE), "Escape")
        assert desktop.exit_status() == 0
    assert "ClientPath=%s" % path in world.settings_text()


def search_finds_program(world):
    world.catalogue([(0, "地图", "files/m.w3x")])
    drive = world.path("prefix/drive_c/")
    found = os.path.join(drive, "Games/W3/War3.exe")
    os.makedirs(os.path.dirname(found))
    for name in ("Games/W3/War3.exe", "Games/W3/Other.exe", "Games/readme.txt"):
        world.write(os.path.join("prefix/drive_c", name), "MZ")
    with Desktop(world) as desktop:
        window = desktop.start()
        desktop.click(window, SETTINGS)
        settings = desktop.window("对战平台及游戏设置")
        for end_key in ("Return", "Escape"):
            desktop.click(settings, SEARCH_BUTTON)
            search = desktop.window("搜索游戏程序")
            desktop.click(search, DRIVE_BOX)  # the focus leaves the buttons
            desktop.key(search, end_key)
            desktop.gone("搜索游戏程序")
        desktop.click(settings, SEARCH_BUTTON)
        search = desktop.window("搜索游戏程序")
        desktop.click(search, DRIVE_BOX)
        desktop.key(search, "alt+Down")
        desktop.type(drive)
        desktop.key(search, "Return")
        desktop.click(search, SEARCH_START)
        desktop.answer_box()  # "找到一个符合的文件，是否启用！"
        desktop.answer_box()  # "设置成功！"
        desktop.gone("搜索游戏程序")
    assert "ClientPath=%s" % found in world.settings_text()


def update_offered_first(world):
    world.catalogue([(0, "地图", "files/m.w3x")])
    world.write("www/zarn/plexa/ZarnMapVersion.txt", "9.9.9|1")
    with Desktop(world) as desktop:
        desktop.start(wait=False)  # the offer comes before the window
        box = desktop.window(BOX)
        assert not desktop.windows(TITLE)
        desktop.key(box, "Escape")  # declined: the program goes on
        desktop.window(TITLE)


def mute_update_server(world):
    """The window waits for a server that accepts and never answers at most
    about 1.5 s longer than for one that answers (3 s in all on an idle machine)."""
    world.catalogue([(0, "地图", "files/m.w3x")])
    mute = socket.socket()
    mute.bind(("127.0.0.1", 0))
    mute.listen(8)
    times = []
    for port in (world.port, mute.getsockname()[1]):
        world.port = port
        with Desktop(world) as desktop:
            desktop.start()
            times.append(time.monotonic() - desktop.started)
    mute.close()
    assert times[1] - times[0] < 2.5, "%.1f s against %.1f s" % (times[1], times[0])


def wayland_window(world):
    catalogue_of_seven(world)
    env = world.environment({"WAYLAND_DISPLAY": "verdane-e2e", "QT_QPA_PLATFORM": "wayland"})
    weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--use-pixman",
                               "--socket=verdane-e2e", "--width=1024", "--height=768",
                               "--debug", "--idle-time=0"], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    program = None
    try:
        wait_for("weston", lambda: os.path.exists(world.path("runtime/verdane-e2e")))
        program = subprocess.Popen([os.path.join(BINARY_DIR, "verdane")],
                                   cwd=world.path("run"), env=env)
        wait_for("page 1", lambda: {"p0.svg", "p1.svg", "p2.svg"} <= set(
            world.pictures_requested()))
        time.sleep(2)  # the pictures are drawn after they arrive
        shots = world.path("shots")
        os.makedirs(shots)
        subprocess.run(["weston-screenshooter"], cwd=shots, env=env, check=True, timeout=20)
        shot = os.path.join(shots, os.listdir(shots)[0])
        assert program.poll() is None
        assert colour_pixels(shot, KEY_COLOUR) == 0, "the key colour shows"
        # The window is there: the pictures of the rows are drawn in their places.
        assert colour_pixels(shot, PICTURE_COLOUR) > 500, "no picture drawn"
    finally:
        for process in (program, weston):
            if process is not None:
                process.kill()
                process.wait()


SCENARIOS = {f.__name__: f for f in (
    start_and_esc, esc_after_clicks, return_minimises, paging_and_category,
    download_end_to_end, busy_during_download, launcher_first_use, path_settings_by_keyboard,
    search_finds_program, update_offered_first, mute_update_server, wayland_window)}


def main():
    if len(sys.argv) != 2 or sys.argv[1] not in SCENARIOS:
        sys.exit("usage: e2e.py {%s}" % ",".join(SCENARIOS))
    with tempfile.TemporaryDirectory(prefix="verdane-e2e-") as tmp:
        world = World(tmp)
        try:
            SCENARIOS[sys.argv[1]](world)
        finally:
            world.server.kill()
            world.server.wait()


if __name__ == "__main__":
    main()
