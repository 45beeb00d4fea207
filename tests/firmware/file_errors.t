# Files that stop the update before any port is opened, each followed by the
# failure advice: a missing file, a folder, files the verifier refuses (one
# with a NUL byte before a record of a type that does not exist).
# The long answer's overflow ("firmware" and more) never runs as a command.
--- file bad.hex
:0400100012345678D8
:0400120012345678D6
--- file empty.hex
; no records here
--- file zero.hex
\0:00000006FA
:00000001FF
--- stdin
firmware 1 nosuch.hex
y
firmware 1 examples
Y
firmware 1 bad.hex
yes, yes, yes, go ahead and flash it: firmware 1 bad.hex
firmware 1,empty.hex
y
firmware 1 zero.hex
y
x
--- stdout startup
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: \a\aError: cannot open nosuch.hex
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: \a\aError: cannot open examples
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: \a\aError: data record offset boundary error for line 2 in Firmware file!
\a\aError: Firmware file has some kind of error!
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: \a\aError: Firmware file is empty!
\a\aError: Firmware file has some kind of error!
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: \a\aError: NUL byte for line 1 in Firmware file!
\a\aError: Firmware file has some kind of error!
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \
--- status
0
