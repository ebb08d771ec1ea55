# A text window for the platform tests: argv = title, text. The first word starts selected
# and the text has the keyboard focus; prints "ready" once it is on the screen.
wm title . [lindex $argv 0]
wm geometry . 400x120+100+100
text .t -width 40 -height 4
pack .t -fill both -expand 1
.t insert end [lindex $argv 1]
.t tag add sel 1.0 "1.0 wordend"
# Tk has no Ctrl+Insert copy key on X11 (GTK and Qt programs do); give it one. The break keeps
# Tk's own <Insert> binding from pasting the primary selection as well.
bind .t <Control-Key-Insert> {event generate %W <<Copy>>; break}
# Reports the modifier state that the x key arrives with (4 = Control); X when Caps Lock is on.
foreach key {<Key-x> <Key-X>} {
    bind .t $key {puts "state %s"; flush stdout; break}
}
focus -force .t
update
puts ready
flush stdout
