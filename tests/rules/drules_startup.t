# Right after start-up there are no rules and the implicit action is pass.
--- stdin
drules
dr
x
--- stdout startup
Command> No Rules are configured!  Implicit Rule Action is Pass
Command> No Rules are configured!  Implicit Rule Action is Pass
Command> \
