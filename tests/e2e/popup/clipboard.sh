#!/usr/bin/env bash
# Clipboard translation, end to end: a text the user copies (through xclip, as any program
# would) is shown in the strip beside the pointer. Run it through tests/with-x.sh --wm:
#   clipboard.sh ZARVIK_EXECUTABLE SAMPLE_BDD
set -u
source "$(dirname "$0")/common.sh"

screen_width=$(timeout 5 xwininfo -root | awk '/^  Width:/ {print $2}')

# copy_at X Y TEXT: the pointer to X,Y, then TEXT onto the clipboard.
copy_at() {
  pointer_to "$1" "$2"
  zx_clipboard_set "$3"
}

# Waits for a shown strip to go by its countdown, hands off the mouse: a press would park it
# at once, but it would also be a first click.
settle() {
  zx_wait_for 6 -- zp_strip_parked
}

zp_program_folder
zp_start_zarvik "ShowPanel=0" || exit 1

zp_case "a copied word is shown beside the pointer"
copy_at 600 500 "cat"
zp_expect_strip "cat - кошка; кот  " 616 500 && zx_screenshot "popup-clipboard-cat"
# The user's own copy: nothing is put back.
zp_expect_eq "the clipboard" "cat" "$(zx_clipboard_get)"
zp_end_case

zp_case "a second copy while the strip is up replaces it where the pointer is now"
copy_at 300 700 "dog"
zp_expect_strip "dog - собака  " 316 700
zp_end_case

settle
long51=book$(printf 'x%.0s' $(seq 47))
long50=book$(printf 'x%.0s' $(seq 46))
zp_case "a copied text of 51 characters is not looked at"
copy_at 500 400 "$long51"
zp_stays_parked 1.5 || zp_fail "the strip came up for ${#long51} characters: [$(xdotool getwindowname "$ZP_STRIP")]"
zp_expect_eq "the clipboard" "$long51" "$(zx_clipboard_get)"
zp_end_case

zp_case "a copied text of 50 characters is looked up, cut down to the word"
copy_at 500 400 "$long50"
zp_expect_strip "book - книга; заказывать  " 516 400
zp_end_case

settle
zp_case "near the right edge the strip stands flush with the screen's edge"
copy_at $((screen_width - 10)) 600 "apple"
if zp_wait_shown 5; then
  zp_expect_eq "the strip's line" "apple - яблоко  " "$(xdotool getwindowname "$ZP_STRIP")"
  read -r gx gy < <(zp_geometry "$ZP_STRIP")
  width=$(zx_wininfo "$ZP_STRIP" | awk '/^  Width:/ {print $2}')
  zp_expect_eq "the strip's right edge and top" "$screen_width 600" "$((gx + width)) $gy"
else
  zp_fail "no strip on the screen within 5 s"
fi
zp_end_case

zp_summary
