#!/usr/bin/env bash
# Renders the window offscreen into docs/window.png (with sample results filled in).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh release >/dev/null
QT_QPA_PLATFORM=offscreen build/tools/render-window docs/window.png --filled
echo "wrote docs/window.png"
