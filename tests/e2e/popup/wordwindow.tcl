# The shared text window, which also reports where each of its words lies, so that a test can
# double-click a word whatever font Tk picked: one line "word WORD X Y" per word (the middle of
# the word, in pixels from the window's top left corner), then "words done".
source [file join [file dirname [info script]] .. lib textwindow.tcl]
set index 1.0
while {[set start [.t search -regexp -count length {[[:alnum:]]+} $index end]] ne ""} {
    set word [.t get $start "$start + $length chars"]
    set middle [.t bbox "$start + [expr {$length / 2}] chars"]
    lassign $middle x y w h
    puts "word $word [expr {[winfo x .t] + $x + $w / 2}] [expr {[winfo y .t] + $y + $h / 2}]"
    set index "$start + $length chars"
}
puts "words done"
flush stdout
