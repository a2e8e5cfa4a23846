# Another program's text field for the paste tests: Tk's own text widget with its standard
# bindings (Ctrl+V pastes the clipboard). Commands arrive on standard input, one per line:
#   dump   prints the field's content on one line, with \ CR LF TAB written as \\ \r \n \t
#   clear  empties the field and prints ok
wm title . "Paste target"
wm geometry . 400x200+700+600
text .t -width 40 -height 8
pack .t -fill both -expand 1
focus .t

proc reply {text} {
    puts $text
    flush stdout
}

tkwait visibility .t
reply ready

fileevent stdin readable {
    if {[gets stdin line] < 0} {
        exit
    }
    switch -- $line {
        dump { reply [string map [list \\ \\\\ \r \\r \n \\n \t \\t] [.t get 1.0 {end - 1 chars}]] }
        clear {
            .t delete 1.0 end
            reply ok
        }
    }
}
