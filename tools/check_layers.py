#!/usr/bin/env python3
"""Checks that every source file of src/ includes only headers of its own layer and the layers below it.

The layers, from the bottom: model, glass, engine, evaluation, design, then figures (Qt Gui) and exchange
(no Qt) side by side, then ui (Qt Widgets) and cli (no widgets) side by side, and app on top. The build links each layer only to the ones
below it; this check catches an include of a higher layer's header, which the shared include folder
would otherwise let through. Nothing below figures may include a Qt header (the build gives those layers
no Qt include path either). Prints each offending include and exits 1 when there is one.
"""
import pathlib
import re
import sys

ORDER = ["model", "glass", "engine", "evaluation", "design", "figures"]
ALLOWED = {layer: set(ORDER[: k + 1]) for k, layer in enumerate(ORDER)}
# exchange (lens files of other programs in and out, the prescription report) stands on the calculating
# layers, beside figures; no Qt.
ALLOWED["exchange"] = set(ORDER[:5]) | {"exchange"}
ALLOWED["ui"] = set(ORDER) | {"exchange", "ui"}
ALLOWED["cli"] = set(ORDER) | {"exchange", "cli"}
ALLOWED["app"] = set(ORDER) | {"exchange", "ui", "app"}
QT_FREE = set(ORDER[:5]) | {"exchange"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def main(source: pathlib.Path) -> int:
    problems = []
    for path in sorted(source.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        layer = path.relative_to(source).parts[0]
        if layer not in ALLOWED:
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            quote, header = match.groups()
            where = f"{path.relative_to(source.parent)}:{number}"
            if quote == '"' and "/" in header:
                target = header.split("/")[0]
                if target in ALLOWED and target not in ALLOWED[layer]:
                    problems.append(f"{where}: {layer} includes {header} (layer {target} is above it)")
            if quote == "<" and layer in QT_FREE and re.match(r"Q[A-Za-z]", header):
                problems.append(f"{where}: {layer} includes the Qt header <{header}>")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")))
