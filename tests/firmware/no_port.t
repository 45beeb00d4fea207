# The port named for the update does not open (-5): the system's text, the
# loader's message and the failure advice; no port was opened, so nothing is
# disconnected.
--- platform posix
--- env DIRIDUZEDE_COM7=no/such/tty
--- stdin
firmware 7 examples/firmware.hex
y
x
--- stdout startup
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: \a\aError: cannot open COM port COM7: COM7 (no/such/tty): No such file or directory
\a\aError: could not open COM port COM7
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \
--- status
0
