# The sample configuration reads cleanly, every keyword once, and shows as
# written in it: 39:44:21.5 and W104d59m5c.
--- stdin
configure examples/station.cfg
dconfigure
x
--- stdout startup
Command> Configuration items processed 16
Command> Configuration:
Station Call\tN0CALL\tSSID 0x0a
Base Lat  39.739307\tLon  -104.98473
Host  baud\t57600
DSTAR baud\t9600
TNC   baud\t19200
WIDE Max 3\tWIDE Total 6\tDupe Window 28 sec.
NSR: Disabled\tRelay: Enabled
Digi Path[2]: WIDE1-1,WIDE2-1
Log Port: Yes
Fix Valid: Yes\tPass packets without valid position: No
Halt On Error: No\tDrop Mangled Packet: Yes
Rule count 0\tImplicit Rule Action: Pass
Command> \
