# Shared by bench/filelist.sh and bench/dirlist.sh: builds the bench program and makes the trees.
cmake --preset default >/dev/null
cmake --build build/default --target fsbrowse_listbench -j2 >/dev/null
BENCH=build/default/bench/fsbrowse/fsbrowse_listbench

# make_files DIR N: N empty files, every other one "*.mp3", in a shuffled order of creation.
make_files() {
    python3 - "$1" "$2" <<'PY'
import os, random, sys
path, n = sys.argv[1], int(sys.argv[2])
os.makedirs(path)
names = [f"Piste {i:06d}" + (".mp3" if i % 2 == 0 else ".ogg") for i in range(n)]
random.Random(4).shuffle(names)
for name in names:
    open(os.path.join(path, name), "w").close()
PY
}

# make_dirs DIR N: N subdirectories.
make_dirs() {
    python3 - "$1" "$2" <<'PY'
import os, random, sys
path, n = sys.argv[1], int(sys.argv[2])
os.makedirs(path)
names = [f"Album {i:05d}" for i in range(n)]
random.Random(4).shuffle(names)
for name in names:
    os.mkdir(os.path.join(path, name))
PY
}

# reference_time DIR: the best of three runs of ls -f DIR | sort -f, in seconds.
reference_time() {
    local best=""
    for _ in 1 2 3; do
        local start end
        start=$(date +%s%N)
        ls -f "$1" | sort -f >/dev/null
        end=$(date +%s%N)
        local took=$(( end - start ))
        if [[ -z $best || $took -lt $best ]]; then best=$took; fi
    done
    awk -v ns="$best" 'BEGIN { printf "%.6f", ns / 1e9 }'
}
