#!/usr/bin/python3
# Prints what a screen reader sees of an application: its accessible tree,
# one object a line, indented by depth, as
#   role "name" [states] {relation: target names} = text
# (states and relations only those that matter to a reader). Run it inside
# tests/a11y/session.sh, beside the application.
#
#   tree.py [--app NAME] [--timeout SECONDS] [--role ROLE]
#
# It waits for the application (default "tarnivo") to show a window; --role
# prints only the objects of that role (e.g. "push button") and their
# children.
import argparse
import sys
import time

import pyatspi

STATES = {
    pyatspi.STATE_CHECKED: "checked",
    pyatspi.STATE_FOCUSED: "focused",
    pyatspi.STATE_IS_DEFAULT: "default",
    pyatspi.STATE_SELECTED: "selected",
    pyatspi.STATE_EXPANDED: "expanded",
    pyatspi.STATE_EXPANDABLE: "expandable",
    pyatspi.STATE_EDITABLE: "editable",
    pyatspi.STATE_SENSITIVE: None,
    pyatspi.STATE_SHOWING: None,
}
RELATIONS = {
    pyatspi.RELATION_LABELLED_BY: "labelled-by",
    pyatspi.RELATION_LABEL_FOR: "label-for",
    pyatspi.RELATION_NODE_CHILD_OF: "child-of",
}
MAX_CHILDREN = 40  # of a list: the first lines tell enough


def describe(obj):
    line = '%s "%s"' % (obj.getRoleName(), (obj.name or "").replace("\n", "\\n"))
    states = obj.getState()
    shown = [name for state, name in STATES.items() if name and states.contains(state)]
    if not states.contains(pyatspi.STATE_SENSITIVE):
        shown.append("insensitive")
    if shown:
        line += " [%s]" % ", ".join(shown)
    relations = []
    for relation in obj.getRelationSet():
        kind = RELATIONS.get(relation.getRelationType())
        if kind:
            targets = [relation.getTarget(i) for i in range(relation.getNTargets())]
            relations.append("%s: %s" % (kind, ", ".join('"%s"' % (t.name or t.getRoleName()) for t in targets)))
    if relations:
        line += " {%s}" % "; ".join(relations)
    content = text_of(obj)[:120].replace("\n", "\\n")
    if content and content != obj.name:
        line += " = " + content
    return line


def text_of(obj):
    """The text an object shows (a label, a text box), or ""."""
    try:
        text = obj.queryText()
    except NotImplementedError:
        return ""
    return text.getText(0, text.characterCount)


def walk(obj, depth, role, out):
    if obj is None:
        return
    matched = role is None or obj.getRoleName() == role
    if matched:
        out.append("  " * depth + describe(obj))
    count = obj.childCount
    for i in range(min(count, MAX_CHILDREN)):
        walk(obj.getChildAtIndex(i), depth + 1 if matched else depth, None if matched else role, out)
    if count > MAX_CHILDREN and matched:
        out.append("  " * (depth + 1) + "... %d children in all" % count)


def find_app(name, timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name and app.childCount > 0:
                return app
        time.sleep(0.1)
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--app", default="tarnivo")
    parser.add_argument("--timeout", type=float, default=20)
    parser.add_argument("--role")
    args = parser.parse_args()
    app = find_app(args.app, args.timeout)
    if app is None:
        print("tree.py: no application %s with a window" % args.app, file=sys.stderr)
        return 1
    out = []
    walk(app, 0, args.role, out)
    print("\n".join(out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
