# The default image as dconfigure shows it; "." repeats it.
--- stdin
dc
.
x
--- stdout startup
Command> Configuration:
Station Call\tNOTSET\tSSID 0x00
Base Lat  39.500000\tLon  -104.75000
Host  baud\t57600
DSTAR baud\t9600
TNC   baud\t19200
WIDE Max 3\tWIDE Total 6\tDupe Window 28 sec.
NSR: Disabled\tRelay: Enabled
Digi Path[0]: 
Log Port: Yes
Fix Valid: Yes\tPass packets without valid position: No
Halt On Error: No\tDrop Mangled Packet: Yes
Rule count 0\tImplicit Rule Action: Pass
Command> Configuration:
Station Call\tNOTSET\tSSID 0x00
Base Lat  39.500000\tLon  -104.75000
Host  baud\t57600
DSTAR baud\t9600
TNC   baud\t19200
WIDE Max 3\tWIDE Total 6\tDupe Window 28 sec.
NSR: Disabled\tRelay: Enabled
Digi Path[0]: 
Log Port: Yes
Fix Valid: Yes\tPass packets without valid position: No
Halt On Error: No\tDrop Mangled Packet: Yes
Rule count 0\tImplicit Rule Action: Pass
Command> \
--- status
0
