#!/usr/bin/python3
"""Every control of Fiskon's windows can be reached by a screen reader.

Runs the program as a user's desktop would have it: under an X server of its own (xvfb-run), a
session bus of its own (dbus-run-session) and the accessibility bus (at-spi2-core), and reads its
windows through AT-SPI, as Orca does: the start screen, the main window with a register, the
taxpayer edit form (every page), the payer form, the show-form and print dialogs and the options.
It fails on any control that takes the focus and has no name, and on two controls of one window
that answer to the same Alt key.

  dbus-run-session -- xvfb-run -a /usr/bin/python3 accessibility_test.py FISKON EXAMPLE_REGISTER
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

import pyatspi

NAMED_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT,
    pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE,
    pyatspi.ROLE_LIST, pyatspi.ROLE_TREE, pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_DATE_EDITOR, pyatspi.ROLE_LINK,
}


def wait_for(what, find, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.2)
    raise SystemExit(f'timed out waiting for {what}')


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def descendants(node):
    try:
        count = node.childCount
    except Exception:
        return
    for index in range(count):
        try:
            child = node.getChildAtIndex(index)
        except Exception:
            continue
        if child is None:
            continue
        yield child
        yield from descendants(child)


def showing(node):
    states = node.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


def window_named(app, title):
    """The shown window whose title is `title` or, for a title ending in "…", begins with it."""
    for window in app:
        if window is None or not showing(window):
            continue
        if window.name == title or (title.endswith('…') and window.name.startswith(title[:-1])):
            return window
    return None


def path_of(node):
    parts = []
    while node is not None and node.getRole() not in (pyatspi.ROLE_APPLICATION,):
        parts.append(f'{node.getRoleName()} "{node.name}"')
        node = node.parent
    return ' < '.join(parts)


def alt_keys(node):
    """The Alt+letter keys a control answers to (its mnemonic), as AT-SPI reports them."""
    keys = set()
    try:
        action = node.queryAction()
    except NotImplementedError:
        return keys
    for index in range(action.nActions):
        for binding in re.split(r'[;,]', action.getKeyBinding(index) or ''):
            match = re.fullmatch(r'\s*(?:<Alt>|Alt\+)(\w)\s*', binding, re.I)
            if match:
                keys.add(match.group(1).lower())
    return keys


def audit(window, where, faults):
    """The faults of one window as it is shown now."""
    mnemonics = {}
    for node in descendants(window):
        if not showing(node):
            continue
        states = node.getState()
        if node.getRole() in NAMED_ROLES and states.contains(pyatspi.STATE_FOCUSABLE) and not node.name.strip():
            faults.append(f'{where}: {path_of(node)} has no name')
        for key in alt_keys(node):
            mnemonics.setdefault(key, []).append(node.name)
    for key, owners in mnemonics.items():
        # A page's tab stands twice in the tree (the tab and the page it shows), under one name.
        owners = sorted(set(owners))
        if len(owners) > 1:
            faults.append(f'{where}: Alt+{key.upper()} is taken by ' + ', '.join(f'"{o}"' for o in owners))


def press(node):
    action = node.queryAction()
    for index in range(action.nActions):
        if action.getName(index) in ('press', 'click', 'toggle', 'activate', 'Press', 'Toggle'):
            action.doAction(index)
            return
    action.doAction(0)


def press_quietly(node):
    """press(), for a command whose reply comes only after the window it opens is closed."""
    try:
        press(node)
    except Exception:
        pass


def find(root, role, name):
    """The first `role` node under `root` named `name` (a menu item's shortcut after a tab aside)."""
    for node in descendants(root):
        if node.getRole() == role and node.name.split('\t')[0] == name:
            return node
    return None


def menu_item(app, name):
    for window in app:
        found = find(window, pyatspi.ROLE_MENU_ITEM, name)
        if found is not None:
            return found
    return None


def open_and_audit(app, command, title, faults, pages=False):
    """Opens a window through its menu command, audits it (each of its pages), and closes it."""
    # The command opens a modal window, whose own event loop answers AT-SPI while the command's
    # call waits for its reply: it is made on a thread of its own.
    item = wait_for(f'the menu command {command}', lambda: menu_item(app, command))
    threading.Thread(target=press_quietly, args=(item,), daemon=True).start()
    window = wait_for(f'the window {title}', lambda: window_named(app, title))
    time.sleep(0.5)
    audit(window, title, faults)
    if pages:
        tabs = [node for node in descendants(window) if node.getRole() == pyatspi.ROLE_PAGE_TAB]
        if not tabs:
            faults.append(f'{title}: no pages found')
        for tab in tabs:
            press(tab)
            time.sleep(0.4)
            audit(window, f'{title}, page "{tab.name}"', faults)
    close = next((node for node in descendants(window) if node.getRole() == pyatspi.ROLE_PUSH_BUTTON
                  and node.name in ('Anuluj', 'Zamknij', 'Cancel')), None)
    if close is not None:
        press(close)
    else:  # a dialog closed by Escape alone: the key goes to the window shown last, which has the focus
        subprocess.run(['xdotool', 'key', 'Escape'], check=True)
    wait_for(f'{title} to close', lambda: None if window_named(app, title) else True)


def run(fiskon, arguments, folder, env):
    process = subprocess.Popen([fiskon, *arguments], env=env, cwd=folder,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    app = wait_for('Fiskon on the accessibility bus', lambda: application(process.pid), 40)
    return process, app


def main():
    fiskon, register = sys.argv[1], sys.argv[2]
    folder = tempfile.mkdtemp(prefix='fiskon-a11y-')
    env = dict(os.environ,
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', QT_ACCESSIBILITY='1', QT_QPA_PLATFORM='xcb',
               FISKON_SETTINGS=os.path.join(folder, 'fiskon.ini'),
               FISKON_NSS_DB=os.path.join(folder, 'brak-bazy'),
               XDG_CONFIG_HOME=os.path.join(folder, 'config'), XDG_DATA_HOME=os.path.join(folder, 'data'),
               XDG_CACHE_HOME=os.path.join(folder, 'cache'), XDG_STATE_HOME=os.path.join(folder, 'state'),
               LANG='pl_PL.UTF-8')
    with open(env['FISKON_SETTINGS'], 'w', encoding='cp1250', newline='') as settings:
        settings.write('[MainSettings]\r\nShowInitialScreen=1\r\nQuitQuery=0\r\n')
    shutil.copy(register, os.path.join(folder, 'podatnicy.txt'))
    faults = []

    # The start screen, shown when no file is given.
    process, app = run(fiskon, [], folder, env)
    start = wait_for('the start screen', lambda: next(
        (w for w in app if w is not None and showing(w) and w.getRole() == pyatspi.ROLE_DIALOG), None))
    audit(start, 'start screen', faults)
    process.kill()
    process.wait()

    # The main window with a register, and the windows it opens.
    process, app = run(fiskon, [os.path.join(folder, 'podatnicy.txt')], folder, env)
    main_window = wait_for('the main window', lambda: next(
        (w for w in app if w is not None and showing(w) and w.getRole() == pyatspi.ROLE_FRAME), None))
    time.sleep(1)
    audit(main_window, 'main window', faults)
    table = find(main_window, pyatspi.ROLE_TABLE, 'Podatnicy') or find(main_window, pyatspi.ROLE_TREE_TABLE, 'Podatnicy')
    if table is None:
        raise SystemExit('main window: the table is not named "Podatnicy"')
    table.queryTable().addRowSelection(0)  # the first taxpayer chosen, as a click would
    open_and_audit(app, 'Edytuj dane', 'Edycja danych', faults, pages=True)
    open_and_audit(app, 'Płatnik składek', 'Dane Płatnika Składek', faults)
    open_and_audit(app, 'Wyświetl dane na formularzu', 'Ustawienia podglądu formularzy', faults)
    open_and_audit(app, 'Drukuj wybrane dane', 'Drukowanie…', faults)
    open_and_audit(app, 'Opcje', 'Konfiguracja programu', faults)
    process.kill()
    process.wait()
    shutil.rmtree(folder, ignore_errors=True)

    for fault in faults:
        print(fault)
    print(f'{len(faults)} faults')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
