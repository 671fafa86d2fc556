#!/usr/bin/env bash
# Prepares the folder the desktop program starts in: the sample lenses in Lens/, the glass catalogues
# and the RGB table, and a sample lens as the last data, so that a new user sees a real lens at once.
# Files already there (the user's own work) are never replaced.
set -euo pipefail
run_dir=$1
source_dir=$(cd "$(dirname "$0")/.." && pwd)

mkdir -p "$run_dir/Lens"
for f in "$source_dir"/data/Lens/*.ldt; do
    [ -e "$run_dir/Lens/$(basename "$f")" ] || cp "$f" "$run_dir/Lens/"
done
for f in "$source_dir"/data/*.txt; do
    [ -e "$f" ] || continue
    [ -e "$run_dir/$(basename "$f")" ] || cp "$f" "$run_dir/"
done
[ -e "$run_dir/lensdata.ldt" ] || cp "$source_dir/data/Lens/double-gauss.ldt" "$run_dir/lensdata.ldt"
