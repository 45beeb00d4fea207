# A file name runs to the end of the line, blanks included; ".anything" runs
# the last configure again with its whole name. A second blank after the
# command word becomes part of the name.
--- file my file.txt
ssid 3
--- stdin
configure my file.txt
.anything
configure  my file.txt
x
--- stdout startup
Command> Configuration items processed 1
Command> Configuration items processed 1
Command> \a\aError: cannot open  my file.txt
\a\aError: Configuration processing failed
Command> \
