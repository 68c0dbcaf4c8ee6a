#!/usr/bin/python3
"""What a screen reader finds on the real accessibility bus (AT-SPI): run by atspi_e2e.sh with
the viewer started beside a synthetic data folder. Confirms the state picker through its OK
button, lists every control of the map window with its role and name (the label that names it
for a choice box, as screen readers read it), fails for a control without one or a name that
is missing from the names expected, then presses "Localizar cidade no mapa" and waits for the
bus to announce the map view's new name.
Exit codes: 0 passed, 1 failed.
"""
import sys
import time

import pyatspi
from gi.repository import GLib

# Roles that only hold or separate other objects: a screen reader passes over them.
CONTAINERS = {
    pyatspi.ROLE_APPLICATION, pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG, pyatspi.ROLE_WINDOW,
    pyatspi.ROLE_PANEL, pyatspi.ROLE_FILLER, pyatspi.ROLE_SEPARATOR, pyatspi.ROLE_PAGE_TAB_LIST,
    pyatspi.ROLE_SCROLL_PANE, pyatspi.ROLE_VIEWPORT,
}
TIMEOUT_S = 60
# Names a screen reader must find among the map window's controls: those that had none.
EXPECTED = [
    "Localizador de Cidades", "Cidades do estado", "Zoom:", "Centro",
    *(f"Mover o mapa para o {direction}" for direction in
      ("noroeste", "norte", "nordeste", "oeste", "leste", "sudoeste", "sul", "sudeste")),
]


def fail(message):
    print(f"FAILED: {message}")
    sys.exit(1)


def wait_for(what, find):
    """Polls find() until it gives something, for up to TIMEOUT_S seconds."""
    deadline = time.monotonic() + TIMEOUT_S
    while time.monotonic() < deadline:
        try:
            found = find()
        except Exception:  # an object may vanish while it is read
            found = None
        if found:
            return found
        time.sleep(0.2)
    fail(f"{what} did not appear on the accessibility bus")


def viewer():
    desktop = pyatspi.Registry.getDesktop(0)
    return next((app for app in desktop if app and app.name == "Tovral"), None)


def descendants(node):
    """node and everything under it that is showing."""
    if not node.getState().contains(pyatspi.STATE_SHOWING):
        return
    yield node
    for child in node:
        if child is not None:
            yield from descendants(child)


def spoken_name(node):
    """What a screen reader calls a control: its name, or for a choice box (whose name is the
    entry it shows) the label that names it."""
    labels = [target.name
              for relation in node.getRelationSet()
              if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
              for target in (relation.getTarget(i) for i in range(relation.getNTargets()))]
    if node.getRole() == pyatspi.ROLE_COMBO_BOX:
        return " ".join(labels)
    return node.name or " ".join(labels)


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("Press", "press", "click"):
            action.doAction(i)
            return
    fail(f"{node.name} has no press action ({[action.getName(i) for i in range(action.nActions)]})")


def find_control(root, role, name):
    return next((node for node in descendants(root)
                 if node.getRole() == role and node.name == name), None)


def main():
    app = wait_for("the viewer", viewer)
    ok = wait_for("the state picker's OK button",
                  lambda: next((button for window in app if window
                                for button in [find_control(window, pyatspi.ROLE_PUSH_BUTTON, "OK")]
                                if button), None))
    press(ok)

    def map_view():
        for window in app:
            for node in descendants(window):
                if node.getRole() == pyatspi.ROLE_IMAGE and node.name.startswith("Mapa: "):
                    return window, node
        return None
    window, view = wait_for("the loaded map", map_view)

    names = set()
    unnamed = []
    for node in descendants(window):
        if node.getRole() in CONTAINERS:
            continue
        name = spoken_name(node)
        print(f"{node.getRoleName()}: \"{name}\"")
        names.add(name)
        if not name.strip():
            unnamed.append(node.getRoleName())
    if unnamed:
        fail(f"controls without a name: {', '.join(unnamed)}")
    missing = [name for name in EXPECTED if name not in names]
    if missing:
        fail(f"names not found: {', '.join(missing)}")
    if not view.getState().contains(pyatspi.STATE_FOCUSABLE):
        fail("the map view cannot take the focus")

    # Locating the selected city redraws the view at 100 %: the bus announces its new name.
    announced = []

    def on_name(event):
        if event.source == view:
            announced.append(event.source.name)
            pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(on_name, "object:property-change:accessible-name")
    locate = find_control(window, pyatspi.ROLE_PUSH_BUTTON, "Localizar cidade no mapa")
    GLib.idle_add(lambda: press(locate) or False)
    GLib.timeout_add_seconds(TIMEOUT_S, lambda: pyatspi.Registry.stop() or False)
    pyatspi.Registry.start()
    if not announced or "zoom 100%" not in announced[-1]:
        fail(f"no new name of the map view was announced ({announced})")
    print(f"announced: \"{announced[-1]}\"")
    print("PASSED")


if __name__ == "__main__":
    main()
