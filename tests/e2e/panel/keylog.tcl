# "Another program" for the panel tests: a text window that starts with the keyboard focus and
# reports every key it receives as "key KEYSYM", so a test can tell where typing went.
# argv = title. Prints "ready" once it is on the screen.
wm title . [lindex $argv 0]
wm geometry . 400x120+100+100
text .t -width 40 -height 4
pack .t -fill both -expand 1
bind .t <KeyPress> {+puts "key %K"; flush stdout}
focus -force .t
update
puts ready
flush stdout
