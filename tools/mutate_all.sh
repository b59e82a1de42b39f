#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The kill matrix of the files with the most logic, each against the suites that exercise it:
# 12 mutants per file, seed 2026. Then: tools/mutate.py --report OUT.jsonl
#   tools/mutate_all.sh build OUT.jsonl [more tools/mutate.py options, e.g. --replay OLD.jsonl]
# A sanitizer build of the text layer's suite (ASan, UBSan and Qt's assertions):
#   cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
#     -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined \
#     -fno-sanitize-recover=undefined -DQT_FORCE_ASSERTS -D_GLIBCXX_ASSERTIONS"
#   tools/mutate.py --build build-asan --test tst_textfile --timeout 120 --seed 2026 --sample 12 \
#     --matrix A.jsonl text/TextCodec.cpp text/TextFile.cpp text/TextSearch.cpp text/Noncharacters.cpp
set -e
cd "$(dirname "$0")/.."
build=$1 out=$2
shift 2
suites=(
  "text/TextCodec.cpp tst_textfile tst_filecommands"
  "text/TextFile.cpp tst_textfile tst_filecommands"
  "text/TextSearch.cpp tst_textfile tst_search"
  "text/Noncharacters.cpp tst_textfile tst_textbox"
  "calc/CalcEngine.cpp tst_calcengine tst_calc"
  "platform/TextBox.cpp tst_textbox tst_editcommands tst_accessible"
  "platform/TextBoxAccessible.cpp tst_accessible tst_textbox"
  "editor/Form1.cpp tst_form1 tst_editcommands tst_filecommands tst_search"
  "editor/Form1File.cpp tst_filecommands tst_desktop tst_form1"
  "search/ReplaceDialog.cpp tst_search tst_accessible"
)
for entry in "${suites[@]}"; do
  read -r file tests <<<"$entry"
  args=()
  for t in $tests; do args+=(--test "$t"); done
  python3 tools/mutate.py --build "$build" --seed 2026 --sample 12 --matrix "$out" "${args[@]}" "$@" "$file"
done
