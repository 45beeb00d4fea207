Windows: the three readers take files on disk only. NUL, and a name with a
device's name before its extension, open a device, and are refused like a
file that does not open.
--- platform windows
--- stdin
configure NUL
rules nul.rules
firmware 1 Nul.hex
y
x
--- stdout startup
Command> \a\aError: cannot open NUL
\a\aError: Configuration processing failed
Command> \a\aError: cannot open nul.rules
\a\aError: Rule processing failed
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: \a\aError: cannot open Nul.hex
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \
--- status
0
