#!/usr/bin/env bash
# A Russian word double-clicked in another program's text, end to end: the strip shows the
# word's dictionary form with the English words that translate to it. Run it through
# tests/with-x.sh --wm:
#   russian.sh ZARVIK_EXECUTABLE SAMPLE_BDD
set -u
# The text window and xdotool read their Cyrillic arguments in the locale's encoding.
export LC_ALL=C.UTF-8
source "$(dirname "$0")/common.sh"

zp_program_folder
zp_word_window "Две кошки спят" || exit 1
zp_start_zarvik "ShowPanel=0" || exit 1

zp_case "double-click on \"кошки\""
read -r px py < <(zp_word_at "кошки")
zx_double_click "$px" "$py"
zp_expect_strip "кошка - cat  " $((px + 16)) "$py" && zx_screenshot "popup-strip-russian"
# The capture borrowed the clipboard; the user's text is back.
zx_wait_for 5 -- test "$(zx_clipboard_get)" = "$ZP_USER_TEXT" ||
  zp_fail "the user's clipboard text is not back: it holds [$(zx_clipboard_get)]"
zp_end_case

zp_summary
