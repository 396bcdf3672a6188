#!/usr/bin/env bash
# Makes sure a real printer queue is there for the end-to-end print test: cupsd
# running and a cups-pdf queue "KalvorPDF" that writes each job as a PDF file.
# The queue is never made the default: the tests name it (PRINTER, set by ctest),
# and the user's default printer stays what it was. Safe to run again; leaves other
# queues alone.
set -euo pipefail
# The tools' messages are read below ("is running"); on a German desktop they
# would be German.
export LC_ALL=C

queue=KalvorPDF
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root (or sudo) to set up CUPS" >&2; exit 1; }
  as_root=(sudo -n)
fi

for tool in cupsd lpadmin lpstat; do
  command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] \
    || { echo "CUPS is not installed (run scripts/setup.sh --test)" >&2; exit 1; }
done
[ -x /usr/lib/cups/backend/cups-pdf ] || { echo "printer-driver-cups-pdf is not installed" >&2; exit 1; }

# Without systemd (containers, CI) nobody starts cupsd on demand.
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  "${as_root[@]}" mkdir -p /run/cups
  "${as_root[@]}" /usr/sbin/cupsd
  for _ in $(seq 50); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.2
  done
  lpstat -r | grep -q "is running" || { echo "cupsd did not start" >&2; exit 1; }
fi

if ! lpstat -v "$queue" >/dev/null 2>&1; then
  ppd=$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -n1 || true)
  [ -n "$ppd" ] || { echo "No cups-pdf PPD found" >&2; exit 1; }
  "${as_root[@]}" /usr/sbin/lpadmin -p "$queue" -v cups-pdf:/ -P "$ppd" -E
fi
# The queue turns the application's PDF into PostScript for cups-pdf; cairo keeps
# the text of the page searchable there, the other renderers lose it.
"${as_root[@]}" /usr/sbin/lpadmin -p "$queue" -o pdftops-renderer-default=pdftocairo
"${as_root[@]}" /usr/sbin/cupsenable "$queue" 2>/dev/null || "${as_root[@]}" cupsenable "$queue"
"${as_root[@]}" /usr/sbin/cupsaccept "$queue" 2>/dev/null || "${as_root[@]}" cupsaccept "$queue"
lpstat -v "$queue"
