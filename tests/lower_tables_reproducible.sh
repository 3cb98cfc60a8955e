#!/bin/sh
# The committed lower-case tables ($4) are what the generator ($2, run by $1)
# makes of Debian's unicode-data, written to $3.
set -eu
"$1" "$2" --unicode-data /usr/share/unicode/UnicodeData.txt \
  --derived-age /usr/share/unicode/DerivedAge.txt -o "$3"
diff -u "$4" "$3"
