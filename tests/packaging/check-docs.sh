#!/usr/bin/env bash
# Every page that the READMEs link to is in the tree.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
status=0
for readme in README.md README.ja.md; do
    # Links that lead to no other site: ](page) or ](page#part)
    for page in $(grep -oE '\]\([^):#]+' "$root/$readme" | cut -c3- | sort -u); do
        [[ -e $root/$page ]] || { echo "$readme links to $page, which is missing"; status=1; }
    done
done
exit "$status"
