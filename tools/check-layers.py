#!/usr/bin/env python3
"""Refuses an include in src/ that points up or sideways between layers.

Each folder has a rank; a file may include its own folder or a folder of lower rank only. Within a
top-level folder the sub-folders are layers too (core: protocol < text < diag < files < link < update < model
< ui < pages; gui: win < controls < pages < app). res/ is the resource ids (plain defines), open to the GUI and the core.
The core may include no OS or C header. Exit status 0 when every include points downward, 1 otherwise (one line per offending include).
"""
import pathlib
import re
import sys

# Order of the layers, lowest first; a name may include anything before it in this list.
ORDER = [
    "core/protocol", "core/text", "core/diag", "core/files", "core/link", "core/update", "core/model", "core/ui",
    "core/pages",
    "platform", "sim", "devices",
    "gui/win", "gui/controls", "gui/pages", "gui/app",
    "cli",
]
# Folders that stand side by side: neither may include the other.
SIDE_BY_SIDE = {("gui", "cli")}
OPEN_TO = {"res": ("gui", "core")}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
# The core is the standard library only: no OS or C headers (the C++ library's own have no ".h").
SYSTEM_INCLUDE = re.compile(r'^\s*#\s*include\s+<([^>]+\.h)>', re.M)


def layer_of(path: str):
    for name in sorted(ORDER, key=len, reverse=True):
        if path == name or path.startswith(name + "/"):
            return name
    return None


def allowed(src: str, dst: str) -> bool:
    if src == dst:
        return True
    top_src, top_dst = src.split("/")[0], dst.split("/")[0]
    if (top_src, top_dst) in SIDE_BY_SIDE or (top_dst, top_src) in SIDE_BY_SIDE:
        return False
    return ORDER.index(dst) < ORDER.index(src)


def main() -> int:
    root = pathlib.Path(__file__).resolve().parent.parent
    src_root = root / "src"
    faults = []
    for f in sorted(src_root.rglob("*")):
        if f.suffix not in (".h", ".cpp"):
            continue
        rel = f.relative_to(src_root).as_posix()
        src_layer = layer_of(rel)
        if src_layer is None:
            faults.append(f"src/{rel}: not in any layer folder ({', '.join(ORDER)})")
            continue
        text = f.read_text(encoding="utf-8")
        if src_layer.startswith("core/"):
            for m in SYSTEM_INCLUDE.finditer(text):
                line = text.count("\n", 0, m.start()) + 1
                faults.append(f"src/{rel}:{line}: the core includes <{m.group(1)}>; OS code belongs in platform/")
            if re.search(r"_(win32|linux)$", f.stem):
                faults.append(f"src/{rel}: an OS-specific file in the core; it belongs in platform/")
        for m in INCLUDE.finditer(text):
            target = m.group(1)
            line = text.count("\n", 0, m.start()) + 1
            top = target.split("/")[0]
            if top in OPEN_TO:
                if src_layer.split("/")[0] not in OPEN_TO[top]:
                    faults.append(f"src/{rel}:{line}: includes {target}, which only {OPEN_TO[top]} may use")
                continue
            dst_layer = layer_of(target)
            if dst_layer is None:
                faults.append(f"src/{rel}:{line}: includes \"{target}\", which is not a path from src/")
            elif not allowed(src_layer, dst_layer):
                faults.append(f"src/{rel}:{line}: {src_layer} includes {target} ({dst_layer} is not below it)")
    for fault in faults:
        print(fault)
    if faults:
        print(f"check-layers: {len(faults)} include(s) point up or sideways")
        return 1
    print("check-layers: every include points downward")
    return 0


if __name__ == "__main__":
    sys.exit(main())
