# A NUL byte in a rule line, and a CR that is not right before the LF, are
# refused with the line quoted up to them: neither hides the rest of a line.
--- file zero.txt
drop implicit
pass src ABC\0garbage
--- file cr.txt
pass src ABC\rdrop src DEF\r
--- stdin
rules zero.txt
rules cr.txt
drules
x
--- stdout startup
Command> \a\aError: zero.txt[2]: line holds a NUL byte:
pass src ABC
\a\aError: Rule processing failed
Command> \a\aError: cr.txt[1]: carriage return without line feed after:
pass src ABC
\a\aError: Rule processing failed
Command> No Rules are configured!  Implicit Rule Action is Pass
Command> \
--- status
0
