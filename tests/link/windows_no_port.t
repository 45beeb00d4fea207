Windows: connecting to COM ports that do not exist. open_port reports the
system's text for the error with its line end removed (here Wine's text for
ERROR_FILE_NOT_FOUND; Windows words it differently), and the port stays closed.
--- platform windows
--- stdin
connect 7
connect com12
disconnect
x
--- stdout startup
Command> Connecting at 9600...
\a\aError: cannot open COM port COM7: File not found.
\a\aError: could not open COM port COM7
Command> Connecting at 9600...
\a\aError: cannot open COM port COM12: File not found.
\a\aError: could not open COM port COM12
Command> \a\aError: not Connected!
Command> \
