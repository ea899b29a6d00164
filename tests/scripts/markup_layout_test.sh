#!/usr/bin/env bash
# markup's output keeps one item a line whatever the page holds: a hyperlink
# reference and an input name that run over a line break, a quote in a word;
# and it shows what each input field starts with.
#   markup_layout_test.sh MARKUP
set -euo pipefail
markup=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'Say "hi" <A HREF="page\r\ntwo">go</A>\r\n<INPUT NAME="q\r\n1" VALUE="Yes" TYPE=RADIO>' >"$work/page.txt"
printf '<INPUT TYPE=CHECKBOX NAME=more VALUE=Sure><INPUT NAME=age SIZE=3 TYPE=TEXT VALUE=Twelve>\r\n' >>"$work/page.txt"
expected='word 2 0 10 "Say "
word 26 0 10 "\"hi\" "
word 56 0 10 "go"
link 56 0 68 15 "PAGE\r\nTWO"
input radio "Q\r\n1" 2 15 15 15 value "YES" unchecked
input checkbox "MORE" 17 15 15 15 value "SURE" unchecked
input text "AGE" 32 15 45 15 text "twelve"
xmax 200 ymax 100 bounds 200 100'
actual=$("$markup" layout --width 200 --parent 200x100 --font-size 10 "$work/page.txt")
if [[ "$actual" != "$expected" ]]; then
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
fi
# A finding quotes its tag on one line too.
printf '<INPUT TYPE=RADIO\r\nNAME=x>\r\n' >"$work/bad.txt"
findings=$("$markup" check "$work/bad.txt" || true)
[[ $(wc -l <<<"$findings") -eq 1 && "$findings" == *'\r\n'* ]] || {
  echo "check's finding is not one escaped line: $findings" >&2
  exit 1
}
echo "markup layout and check print one escaped item a line"
