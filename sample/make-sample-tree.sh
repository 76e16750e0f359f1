#!/usr/bin/env bash
# Makes a small data tree for trying HOLDFAST out against the stand-in engine.
# Usage: make-sample-tree.sh DIR   (creates DIR/DATA)
set -eu
root=${1:?usage: make-sample-tree.sh DIR}/DATA

# A file the stand-in engine takes for a database file: its mark, then
# zeros up to SIZE bytes.
database() { mkdir -p "$(dirname "$1")"; printf '%s\n' "$2" > "$1"; truncate -s "$3" "$1"; }
plain() { mkdir -p "$(dirname "$1")"; head -c "$2" /dev/zero | tr '\0' 'x' > "$1"; }

database "$root/CUST.DAT" STANDIN-BTRIEVE 4096
database "$root/ORDERS.DAT" STANDIN-BTRIEVE 2048
database "$root/PAYROLL.DAT" 'STANDIN-BTRIEVE OWNER' 1536
database "$root/archive/2025/INVOICE.DAT" STANDIN-BTRIEVE 1536
database "$root/archive/2026/INVOICE.DAT" STANDIN-BTRIEVE 8192
plain "$root/NOTES.DAT" 2048        # right size, not a database: the engine refuses it
plain "$root/SMALL.DAT" 600         # too small to be a database file
plain "$root/README.TXT" 4096       # does not match the pattern
database "$root/.cache/TEMP.DAT" STANDIN-BTRIEVE 2048   # dot-directories are not entered
echo "$root"
