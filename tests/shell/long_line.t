# A line longer than 255 characters is taken in 255-character pieces, each a line
# of its own; a CR before the LF belongs to the line end.
--- stdin
                                                                                                                                                                                                                                                           xyzwunknown2
xx\r
x\r
--- stdout startup
Command> \a\aError: unknown command: xyzw
Command> \a\aError: unknown command: unknown2
Command> \a\aError: unknown command: xx
Command> \
--- status
0
