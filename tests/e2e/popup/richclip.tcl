# Puts rich text on the clipboard as an editor would: HTML beside its plain text. Keeps the
# clipboard until it is killed; prints "ready" once it owns it.
wm withdraw .
clipboard clear
clipboard append -type text/html -format UTF8_STRING [lindex $argv 0]
clipboard append [lindex $argv 1]
update
puts ready
flush stdout
