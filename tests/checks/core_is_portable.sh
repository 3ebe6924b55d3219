#!/usr/bin/env bash
# The portable core must build without Windows headers: only the win32 folders may include them.
set -euo pipefail
root=${1:?repository root}
cd "$root"
hits=$(grep -rnE '#\s*include\s*[<"](windows|winspool|commctrl|wbemidl|richedit|commdlg|setupapi)\.h[>"]' \
         config_tool driver_installer cli setup platform/interfaces platform/fakes platform/linux \
         --include='*.h' --include='*.cpp' | grep -v '/win32/' || true)
if [ -n "$hits" ]; then
  echo "Windows headers in the portable core:"
  echo "$hits"
  exit 1
fi
echo "portable core: no Windows headers"
