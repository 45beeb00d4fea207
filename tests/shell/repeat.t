# The "." rule: nothing to repeat at first; ".anything" repeats the whole last
# line with its arguments, also a failing one; an empty line keeps last_cmd; a
# line of only delimiters replaces it, so "." then does nothing.
--- stdin
.
xx my file.txt

.anything
 , ,
.
--- stdout startup
Command> Command> \a\aError: unknown command: xx
Command> Command> \a\aError: unknown command: xx
Command> Command> Command> 
--- status
1
