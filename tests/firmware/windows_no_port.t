Windows: the port named for the update does not exist (-5): the system's
text (Wine's for ERROR_FILE_NOT_FOUND), the loader's message and the failure
advice; no port was opened, so nothing is disconnected.
--- platform windows
--- stdin
firmware 7 examples/firmware.hex
y
x
--- stdout startup
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: \a\aError: cannot open COM port COM7: File not found.
\a\aError: could not open COM port COM7
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \
--- status
0
