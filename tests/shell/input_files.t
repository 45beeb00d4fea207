# The three readers take regular files only: a device, a FIFO with no writer
# (which would hold the open itself), the console input as a file, an empty
# device and a folder are each refused like a file that does not open, and
# the open does not wait.
--- platform posix
--- fifo pipe
--- timeout
20
--- stdin
configure /dev/zero
rules /dev/zero
firmware 1 /dev/zero
y
configure pipe
rules pipe
firmware 1 pipe
y
configure /dev/stdin
rules /dev/null
firmware 1 examples
y
x
--- stdout startup
Command> \a\aError: cannot open /dev/zero
\a\aError: Configuration processing failed
Command> \a\aError: cannot open /dev/zero
\a\aError: Rule processing failed
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: \a\aError: cannot open /dev/zero
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \a\aError: cannot open pipe
\a\aError: Configuration processing failed
Command> \a\aError: cannot open pipe
\a\aError: Rule processing failed
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: \a\aError: cannot open pipe
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \a\aError: cannot open /dev/stdin
\a\aError: Configuration processing failed
Command> \a\aError: cannot open /dev/null
\a\aError: Rule processing failed
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: \a\aError: cannot open examples
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \
--- status
0
