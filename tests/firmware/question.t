# The firmware command's arguments and its question, before any port is opened.
# An answer longer than its 40-byte buffer is discarded to the end of its line:
# the "help" at its end must not run as a command.
--- stdin
firmware
firmware 2
firmware 21 fw.hex
firmware com0,fw.hex
firmware 1 fw.hex

firmware 1 fw.hex
N
firmware 1 fw.hex
no, not now, and certainly not with this file help
firmware 1 fw.hex
--- stdout startup
Command> \a\aError: missing arguments: com_port file_name
Command> \a\aError: missing argument: file_name
Command> \a\aError: invalid COM port number (1..20): 21
Command> \a\aError: invalid COM port number (1..20): com0
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: Diriduzede Firmware will NOT be updated!
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: Diriduzede Firmware will NOT be updated!
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: Diriduzede Firmware will NOT be updated!
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: 
Diriduzede Firmware will NOT be updated!
Command> 
--- status
1
