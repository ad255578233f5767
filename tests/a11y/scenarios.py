#!/usr/bin/python3
# The end-to-end scenarios, driven only through the accessibility interface
# (driver.py): each is the files made on the drives first, then its steps,
# each a driver.Session method and its arguments. C: and D: are folders of
# their own, E: a drive whose medium ("stick") is missing. run.sh runs one in
# a private session and display:
#
#   scenarios.py SCENARIO TARNIVO WORK
import sys

import driver

OVERWRITE = "The destination file already exits.\nOverwrite ?"

SCENARIOS = {
    # What a screen reader finds: every control named, with its role and
    # state, a message box as an alert, the help text.
    "tree": ({"c/Letter.txt": "new", "c/Archive/": None, "d/Letter.txt": "old"}, [
        ("start", "{c}/Letter.txt"),
        ("tree", 'frame "Tarnivo"', 'radio button "Copy" [checked', 'radio button "Move"',
         'radio button "Local" [checked', 'radio button "Network"', 'label "C:\\Letter.txt"',
         'label "to"', 'combo box "c: [c]"', 'text "Network" [editable] {labelled-by: "Network"} = \\\\',
         'tree table "Folders"', 'table cell "c:\\" [selected, expanded, expandable]',
         'table cell "Archive"', 'label "as" {label-for: "text"}',
         'text "" [editable] {labelled-by: "as"} = Letter.txt', 'push button "OK" [default]',
         'push button "Cancel"', 'push button "Help"'),
        ("drive", "d:"), ("press", "OK"),
        ("alert", OVERWRITE, "Yes", "No"),
        ("tree", 'alert "Tarnivo"', 'icon "Information"', 'push button "Yes" [default]'),
        ("answer", "No"),
        ("help", "Tarnivo\n\nTarnivo copies or moves"),
        ("press", "Cancel"), ("exit",),
        ("files", {"d/Letter.txt": "old", "c/Letter.txt": "new"}),
    ]),
    # The explorer's typical run: a short-alias command line, Move, another
    # drive, a folder opened in the list, OK.
    "typical_move": ({"c/My Documents/Report.doc": "quarterly report", "d/Backup/": None,
                      "d/Archive/": None}, [
        ("start", "C:\\MYDOCU~1\\REPORT.DOC"),
        ("drive", "d:"), ("open", "Backup"), ("choose", "Move"), ("press", "OK"), ("exit",),
        ("files", {"d/Backup/Report.doc": "quarterly report", "c/My Documents/Report.doc": None,
                   "d/Archive/Report.doc": None}),
    ]),
    "copy": ({"c/photo.jpg": "photo", "d/Archive/": None, "d/Backup/": None}, [
        ("start", "{c}/photo.jpg"),
        ("drive", "d:"), ("open", "Backup"), ("press", "OK"), ("exit",),
        ("files", {"d/Backup/photo.jpg": "photo", "c/photo.jpg": "photo", "d/photo.jpg": None}),
    ]),
    # No keeps both files and the dialog; Yes replaces.
    "overwrite": ({"c/letter.txt": "new text", "d/letter.txt": "old text"}, [
        ("start", "{c}/letter.txt"),
        ("drive", "d:"), ("press", "OK"),
        ("alert", OVERWRITE, "Yes", "No"), ("answer", "No"), ("running",),
        ("files", {"d/letter.txt": "old text", "c/letter.txt": "new text"}),
        ("press", "OK"),
        ("alert", OVERWRITE, "Yes", "No"), ("answer", "Yes"), ("exit",),
        ("files", {"d/letter.txt": "new text", "c/letter.txt": "new text"}),
    ]),
    # Cancel puts the drive before back; Retry once the medium came takes it.
    "not_ready": ({"c/photo.jpg": "photo"}, [
        ("start", "{c}/photo.jpg"),
        ("drive", "d:"), ("shows", "table cell", "d:\\"),
        ("drive", "e:"), ("alert", "Drive e: is not ready.", "Retry", "Cancel"),
        ("answer", "Cancel"), ("shows", "combo box", "d: *"), ("shows", "table cell", "d:\\"),
        ("drive", "e:"), ("alert", "Drive e: is not ready.", "Retry", "Cancel"),
        ("mkdir", "stick"), ("answer", "Retry"), ("shows", "table cell", "e:\\"),
        ("press", "OK"), ("exit",),
        ("files", {"stick/photo.jpg": "photo", "c/photo.jpg": "photo", "d/photo.jpg": None}),
    ]),
    # A folder typed into the network box is taken over when the box loses
    # the focus; OK pressed while the box has it lands in the folder listed.
    "network_box": ({"c/minutes.txt": "minutes", "d/Share/In/": None, "d/Elsewhere/": None}, [
        ("start", "{c}/minutes.txt"),
        ("choose", "Network"), ("type", "Network", "{d}/Share/In"),
        ("type", "as", "minutes-copy.txt"), ("press", "OK"), ("exit",),
        ("files", {"d/Share/In/minutes-copy.txt": "minutes", "c/minutes.txt": "minutes"}),
        ("start", "{c}/minutes.txt"),
        ("drive", "d:"), ("open", "Elsewhere"), ("type", "as", "minutes 2.txt"),
        ("choose", "Copy"), ("type", "Network", "D:\\Share\\In"), ("press", "OK"), ("exit",),
        ("files", {"d/Elsewhere/minutes 2.txt": "minutes", "d/Share/In/minutes 2.txt": None}),
    ]),
    "cancel": ({"c/notes.txt": "keep me", "d/Backup/": None}, [
        ("start", "{c}/notes.txt"),
        ("drive", "d:"), ("choose", "Move"), ("press", "Cancel"), ("exit",), ("unchanged",),
    ]),
}


def main():
    name, tarnivo, work = sys.argv[1:4]
    files, steps = SCENARIOS[name]
    session = driver.Session(tarnivo, work)
    session.write(files)
    try:
        for step, *args in steps:
            getattr(session, step)(*args)
    except driver.Failure as failure:
        print("FAIL: %s: %s (step %s)" % (name, failure, (step, *args)), file=sys.stderr)
        sys.stderr.writelines("  " + line + "\n" for line in session.shown())
        with open(session.log) as log:
            sys.stderr.writelines("  tarnivo: " + line for line in log)
        return 1
    finally:
        session.stop()
    print("PASS: " + name)
    return 0


if __name__ == "__main__":
    sys.exit(main())
