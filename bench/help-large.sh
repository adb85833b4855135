#!/usr/bin/env bash
# Window thread's longest stall while a huge valid help file opens (200,000 contents entries, 300,000 keywords, a page of 100,000 words), ms
set -euo pipefail
cd "$(dirname "$0")/.."
# The file is compiled once with chmcmd (fp-utils), as such files are made, and kept in the build tree.
source bench/help/common.sh
project=build/default/bench/help-large
if [[ ! -f $project/grand.chm ]]; then
    mkdir -p "$project"
    python3 - "$project" <<'PY'
import sys
folder = sys.argv[1]
def sitemap(name, label, count):
    with open(f"{folder}/{name}", "w") as out:
        out.write("<HTML><BODY><UL>\n")
        for i in range(count):
            out.write(f'<LI><OBJECT type="text/sitemap"><param name="Name" value="{label} {i}">'
                      '<param name="Local" value="page.htm"></OBJECT>\n')
        out.write("</UL></BODY></HTML>\n")
sitemap("grand.hhc", "Chapitre", 200000)
sitemap("grand.hhk", "Mot", 300000)
with open(f"{folder}/page.htm", "w") as out:
    out.write("<html><head><title>Page</title></head><body>")
    out.write(" ".join(f"mot{i}" for i in range(100000)))
    out.write("</body></html>\n")
with open(f"{folder}/grand.hhp", "w") as out:
    out.write("[OPTIONS]\nCompiled file=grand.chm\nContents file=grand.hhc\nIndex file=grand.hhk\n"
              "Default topic=page.htm\nTitle=Grand\n\n[FILES]\npage.htm\n")
PY
    (cd "$project" && chmcmd --no-html-scan grand.hhp >/dev/null)
fi
result=$(build/default/bench/helpbench "$PWD/$project/grand.chm" 3)
echo "$result"
stall=$(sed -n 's/^window thread away from its event loop: at most \([0-9.]*\) ms/\1/p' <<<"$result")
echo "help-large: $stall ms (target 20 ms)"
