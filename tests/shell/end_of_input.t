# End of input at the prompt prints a newline and ends with status 1.
--- stdin
--- stdout startup
Command> 
--- status
1
