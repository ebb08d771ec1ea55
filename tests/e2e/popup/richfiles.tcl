# Puts rich text on the clipboard as an editor would, read from two files (too large for a
# command line): HTML beside its plain text. Keeps the clipboard until it is killed; prints
# "ready" once it owns it.
wm withdraw .
proc slurp {path} {
    set f [open $path r]
    fconfigure $f -encoding utf-8
    set data [read $f]
    close $f
    return $data
}
clipboard clear
clipboard append -type text/html -format UTF8_STRING [slurp [lindex $argv 0]]
clipboard append [slurp [lindex $argv 1]]
update
puts ready
flush stdout
