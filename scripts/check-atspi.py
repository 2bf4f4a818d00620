#!/usr/bin/env python3
"""Lists what the accessibility bus (AT-SPI) says of Kinora's open windows, one control a
line (role, name, description, value), and ends with status 1 when a control a person uses
has no name. With --press NAME it instead presses the main window's menu item NAME through the
bus, as a screen reader does, and returns when what it opened closes. Run it while Kinora runs
on the same bus (see docs/CODING.md)."""
import sys

import pyatspi

CONTROLS = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_LIST,
    pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TABLE, pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_LINK, pyatspi.ROLE_PROGRESS_BAR,
    pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_PAGE_TAB,
}
# Their items are named by their own text.
CONTAINERS = {pyatspi.ROLE_LIST, pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE,
              pyatspi.ROLE_TABLE, pyatspi.ROLE_COMBO_BOX}


def walk(node, depth, unnamed):
    for child in node:
        if child is None:
            continue
        role = child.getRole()
        if role in CONTROLS:
            value = ''
            try:
                value = child.queryText().getText(0, 60)
            except NotImplementedError:
                pass
            labels = [relation.getTarget(i).name for relation in child.getRelationSet()
                      if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
                      for i in range(relation.getNTargets())]
            print(f"{'  ' * depth}{child.getRoleName()}: {child.name!r} "
                  f"({child.description!r}) {value!r}"
                  + (f" labelled by {labels!r}" if labels else ''))
            # Qt names a combo box by its entry; screen readers name it by its label.
            named = bool(labels) if role == pyatspi.ROLE_COMBO_BOX else child.name.strip()
            if not named:
                unnamed.append(f"{child.getRoleName()} in {node.name!r}")
        elif child.name:
            print(f"{'  ' * depth}{child.getRoleName()}: {child.name!r} ({child.description!r})")
        if role not in CONTAINERS:
            walk(child, depth + 1, unnamed)


def main():
    apps = [app for app in pyatspi.Registry.getDesktop(0)
            if app is not None and app.name.lower().startswith('kinora')]
    if not apps:
        sys.exit('check-atspi: Kinora is not on the accessibility bus')
    if len(sys.argv) == 3 and sys.argv[1] == '--press':
        for app in apps:
            for item in pyatspi.findAllDescendants(
                    app, lambda node: node.getRole() == pyatspi.ROLE_MENU_ITEM
                    and node.name == sys.argv[2]):
                item.queryAction().doAction(0)
                return
        sys.exit(f'check-atspi: no menu item {sys.argv[2]!r}')
    unnamed = []
    for app in apps:
        for window in app:
            print(f"== {window.getRoleName()}: {window.name!r}")
            walk(window, 1, unnamed)
    for control in unnamed:
        print(f"check-atspi: no name: {control}", file=sys.stderr)
    sys.exit(1 if unnamed else 0)


if __name__ == '__main__':
    main()
