#!/bin/sh
# Keeps the arrows between the folders pointing downward. Fails (exit 1) and names the line
# for every include that crosses a forbidden arrow:
#  - only src/app may include the simulator ("sim/...");
#  - only src/ui/qt* may include Qt Widgets;
#  - src/report is a leaf: it includes only the platform helpers and itself;
#  - a folder of src/ includes only folders of a lower layer (or itself).
cd "$(dirname "$0")/.." || exit 2
widgets_dir=$(find /usr/include -maxdepth 3 -type d -path '*qt6/QtWidgets' 2>/dev/null | head -n 1)

# The layer of a folder under src/ (first path element, pv/procedures and pv/frame apart).
layer() {
  case "$1" in
    platform_qt*) echo 1 ;;
    platform*) echo 0 ;;
    report*|gpib/driver*) echo 1 ;;
    gpib*|uncertainty*) echo 2 ;;
    instruments*|scope*) echo 3 ;;
    pv/frame*) echo 4 ;;
    pv/procedures*) echo 5 ;;
    pv*|log*|parlex*|faultbook*|update*|results*) echo 6 ;;
    record*) echo 7 ;;
    shell*) echo 8 ;;
    ui*) echo 9 ;;
    app*) echo 10 ;;
    *) echo 99 ;;
  esac
}

status=0
fail() { echo "layering: $1"; status=1; }

for file in $(find src -name '*.h' -o -name '*.cpp' | sort); do
  rel=${file#src/}
  dir=$(dirname "$rel")
  own=$(layer "$dir")
  grep -n '^#include' "$file" | while IFS= read -r line; do
    number=${line%%:*}
    text=${line#*:}
    case "$text" in
      *'"sim/'*)
        case "$dir" in app*) ;; *) echo "layering: $file:$number includes the simulator: $text" ;; esac ;;
      *'<Qt'*|*'<Q'*)
        header=$(echo "$text" | sed -n 's/.*<\([^>]*\)>.*/\1/p')
        case "$header" in QtWidgets*) widgets=yes ;; *)
          if [ -n "$widgets_dir" ] && [ -e "$widgets_dir/$header" ]; then widgets=yes; else widgets=no; fi ;;
        esac
        if [ "$widgets" = yes ]; then
          case "$dir" in ui/qt*) ;; *) echo "layering: $file:$number includes Qt Widgets outside src/ui/qt: $text" ;; esac
        fi ;;
      *'"'*/*'"'*)
        target=$(echo "$text" | sed -n 's/.*"\([^"]*\)".*/\1/p')
        tdir=$(dirname "$target")
        case "$dir" in
          report*) case "$tdir" in platform*|report*) ;; *) echo "layering: $file:$number: report/ is a leaf: $text" ;; esac ;;
        esac
        case "$tdir" in "$dir"|"$dir"/*) continue ;; esac
        if [ "$(layer "$tdir")" -ge "$own" ] && [ "$(layer "$tdir")" != 99 ]; then
          echo "layering: $file:$number includes a layer above or beside its own: $text"
        fi ;;
    esac
  done
done > /tmp/veridane_layers.$$
if [ -s /tmp/veridane_layers.$$ ]; then cat /tmp/veridane_layers.$$; status=1; fi
rm -f /tmp/veridane_layers.$$
[ $status -eq 0 ] && echo "layering: every include points downward"
exit $status
