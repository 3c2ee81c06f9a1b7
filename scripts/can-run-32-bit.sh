#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit x86 programs, which 32-bit Wine needs; some
# kernels are built without that. Tries a program of three instructions that only exits.
set -euo pipefail
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
printf '.globl _start\n_start: movl $1, %%eax\nxorl %%ebx, %%ebx\nint $0x80\n' |
    as --32 -o "$folder/exit.o" - 2>/dev/null
ld -m elf_i386 -o "$folder/exit" "$folder/exit.o" 2>/dev/null
"$folder/exit" 2>/dev/null
