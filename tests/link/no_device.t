connect to a device that is not there fails at once and names it.
--- platform posix
--- env DIRIDUZEDE_COM1=/dev/no-such-adapter
--- stdin
connect 1
x
--- stdout startup
Command> Connecting at 9600...
\a\aError: cannot open COM port COM1: COM1 (/dev/no-such-adapter): No such file or directory
\a\aError: could not open COM port COM1
Command> \
