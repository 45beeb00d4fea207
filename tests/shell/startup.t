# Start-up: banner, summary with 9600 bracketed, blank line, prompt; x without a final newline.
--- stdin
x\
--- stdout startup
Command> \
--- status
0
