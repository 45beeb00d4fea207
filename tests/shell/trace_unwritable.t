A trace file that cannot be written: a line on standard error, status 2,
and no prompt.
--- platform posix
--- args --trace no/such/folder/line.txt
--- stdin
x
--- stdout
--- stderr
diriduzede: cannot write the trace no/such/folder/line.txt: No such file or directory
--- status
2
