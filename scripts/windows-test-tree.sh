#!/usr/bin/env bash
# Prints the tree whose Windows tests run here: win32 where the kernel executes
# 32-bit programs (Wine 8 needs that for 32-bit Windows programs), else win64.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then echo win32; else echo win64; fi
