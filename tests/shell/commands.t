# Prefix matching in any case, the two messages, and " ." as a command word.
--- stdin
xx
helpme
c 1
d
 .
q
--- stdout startup
Command> \a\aError: unknown command: xx
Command> \a\aError: unknown command: helpme
Command> \a\aError: ambiguous command: c
Command> \a\aError: ambiguous command: d
Command> \a\aInternal Error: command 33 is invalid!
Command> \
--- status
0
