#!/usr/bin/env bash
# Checks that the C++ sources are formatted as .clang-format says. Another
# major version of clang-format formats differently, so the check runs with
# version 14 (Debian 12's) and is skipped (exit 77) with any other.
#   tools/check-format.sh [CLANG_FORMAT]
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${1:-clang-format}
version=$("$tool" --version | sed -n 's/.*version \([0-9]*\)\..*/\1/p')
if [ "$version" != 14 ]; then
    echo "check-format: $tool is version ${version:-unknown}; the sources are formatted with version 14"
    exit 77
fi
find calc platform ui tests bench fuzz assets tools \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 "$tool" --dry-run -Werror
echo "check-format: all sources formatted"
